// The save-state container and the Genesis block: framing, the chunk table by id, the
// chunks that belong to no single chip (memories, Z80 bus lines, I/O registers, bank
// registers, save RAM), and the Genecyst register import.
//
// A load runs in two passes over the same walk: the first checks every header, every
// length and every id against the table without touching the machine; only a stream that
// passes is applied. The chip loaders then find every chunk at least as long as their
// layout, so none of them can refuse it; should one refuse all the same, the machine is put
// back from a snapshot taken just before.

#include "genesis/state/save_state.h"

#include <algorithm>
#include <array>

#include "base/byte_io.h"
#include "base/config.h"
#include "base/endian.h"
#include "base/state_chunks.h"
#include "genesis/bus/cart_regs.h"
#include "genesis/bus/io_ports.h"
#include "genesis/bus/save_ram.h"
#include "genesis/io/controller_ports.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"
#include "memory/memory.h"

namespace varn {

u32 state_id_width = 1;

namespace {

constexpr u8 kStateMagic[3] = {'S', 'S', '!'};
constexpr u32 kZ80BusBytes  = 1;
constexpr u32 kBankRegBytes = 8;
constexpr u32 kLatchAllOnes = 0xFFFFFFFF;

// Whether the stream being written carries the cartridge save RAM.
bool saving_sram = false;

// ---------------------------------------------------------------------------------------
// The chunks that belong to no single chip: written and applied here

bool save_work_ram(ByteWriter& out, u32 width) {
    return state_write_bytes(out, kStateChunkWorkRam, width, m68k_ram);
}

s32 load_work_ram(const StateChunk& c, u32, StateApply) {
    std::copy_n(c.data.begin(), m68k_ram.size(), m68k_ram.begin());
    return 0;
}

bool save_z80_ram(ByteWriter& out, u32 width) {
    return state_write_bytes(out, kStateChunkZ80Ram, width, z80_ram);
}

s32 load_z80_ram(const StateChunk& c, u32, StateApply) {
    std::copy_n(c.data.begin(), z80_ram.size(), z80_ram.begin());
    return 0;
}

// The VDP's memories, written by the VDP in console byte order.
template <u8 Id, u32 Bytes, bool (*Writer)(ByteWriter&)>
bool save_vdp_memory(ByteWriter& out, u32 width) {
    return state_write_chunk_header(out, Id, width, Bytes) && Writer(out);
}

s32 load_vram(const StateChunk& c, u32, StateApply) {
    ByteReader r(c.data);
    return vdp_load_vram_data(r) ? 0 : -1;
}

// Also rebuilds the host palette from the loaded colours.
s32 load_cram(const StateChunk& c, u32, StateApply) {
    ByteReader r(c.data);
    return vdp_load_cram_data(r) ? 0 : -1;
}

s32 load_vsram(const StateChunk& c, u32, StateApply) {
    ByteReader r(c.data);
    return vdp_load_vsram_data(r) ? 0 : -1;
}

// The size is taken over whatever the option says (it decides how much the save-RAM file
// holds); the contents only when states carry save RAM. Written only when they do.
bool save_cart_sram(ByteWriter& out, u32 width) {
    if (!saving_sram) return true;
    const u32 size = std::min(cart_sram_size, kCartSramBytes);
    return state_write_bytes(out, kStateChunkCartSram, width, std::span<const u8>(cart_sram, size));
}

s32 load_cart_sram(const StateChunk& c, u32, StateApply mode) {
    const u32 size = std::min(static_cast<u32>(c.data.size()), kCartSramBytes);
    cart_sram_size = size;
    if (mode == StateApply::kRestore || cfg(cfg_brm_in_states) != 0)
        std::copy_n(c.data.begin(), size, cart_sram);
    return 0;
}

// The lines as the bus keeps them: all ones while requested or released, else 0. The
// latches are set directly: the Z80's registers come from its own chunk, so releasing the
// reset here must not reset the CPU.
bool save_z80_bus(ByteWriter& out, u32 width) {
    const u8 bits = static_cast<u8>((z80_busreq_latch & 1) | (z80_reset_latch != 0 ? 2 : 0));
    return state_write_bytes(out, kStateChunkZ80Bus, width, std::span<const u8>(&bits, 1));
}

s32 load_z80_bus(const StateChunk& c, u32, StateApply) {
    z80_busreq_latch = (c.data[0] & 1) ? kLatchAllOnes : 0;
    z80_reset_latch  = (c.data[0] & 2) ? kLatchAllOnes : 0;
    return 0;
}

bool save_io(ByteWriter& out, u32 width) {
    u8 regs[kIoPortStateBytes];
    io_ports_save(regs);
    return state_write_bytes(out, kStateChunkIo, width, regs);
}

s32 load_io(const StateChunk& c, u32, StateApply) {
    u8 regs[kIoPortStateBytes];
    std::copy_n(c.data.begin(), kIoPortStateBytes, regs);
    io_ports_load(regs);
    return 0;
}

bool save_cart_banks(ByteWriter& out, u32 width) {
    return state_write_bytes(out, kStateChunkCartBanks, width, cart_bank_regs);
}

// The bank registers come back, and every 512 KB window whose register changed is streamed
// again from the image, so a bank-switched game resumes on the banks it had selected. The
// save-RAM enable (register 0) is not derived from the loaded byte: the state does not
// carry it, and the window keeps the setting it has.
s32 load_cart_banks(const StateChunk& c, u32, StateApply) {
    cart_bank_regs[0] = c.data[0];
    for (u32 k = 1; k < kBankRegBytes; ++k) {
        const u8 value = c.data[k];
        if (value == cart_bank_regs[k]) continue;
        cart_bank_regs[k] = value;
        if (cart_bank_load != nullptr) cart_bank_load(k, value & 0xF);
    }
    return 0;
}

// ---------------------------------------------------------------------------------------
// The chips' own chunks: each chip writes and reads its whole chunk

// A reader over the whole chunk, positioned at its id: the chips' loaders take it so, and
// can read nothing beyond the chunk.
s32 load_m68k(const StateChunk& c, u32 width, StateApply) {
    ByteReader r(c.whole);
    return m68k_load_state_chunk(r, width);
}

// The Z80's writer frames its chunk with a one-byte id, which is what every stream written
// uses.
bool save_z80(ByteWriter& out, u32 width) { return width == 1 && z80_save_state_chunk(out); }

s32 load_z80(const StateChunk& c, u32 width, StateApply) {
    ByteReader r(c.whole);
    return r.skip(width) && z80_load_state_chunk(r) ? 0 : -1;
}

bool save_vdp(ByteWriter& out, u32 width) { return vdp_save_state_chunk(out, width); }

s32 load_vdp(const StateChunk& c, u32 width, StateApply) {
    ByteReader r(c.whole);
    return vdp_load_state_chunk(r, width);
}

bool save_ym2612(ByteWriter& out, u32 width) { return ym2612_save_state_chunk(out, width); }

s32 load_ym2612(const StateChunk& c, u32 width, StateApply) {
    ByteReader r(c.whole);
    return ym2612_load_state_chunk(r, width) ? 0 : -1;
}

bool save_psg(ByteWriter& out, u32 width) { return psg_save_state(out, width); }

s32 load_psg(const StateChunk& c, u32 width, StateApply) {
    ByteReader r(c.whole);
    return psg_load_state(r, width) ? 0 : -1;
}

// The Genesis block, in the order it is written, with the data length each loader needs.
constexpr StateChunkKind kGenesisBlock[] = {
    {kStateChunkWorkRam, kWorkRamSize, save_work_ram, load_work_ram},
    {kStateChunkVram, kVramBytes, save_vdp_memory<kStateChunkVram, kVramBytes, vdp_save_vram_data>,
     load_vram},
    {kStateChunkCram, kCramBytes, save_vdp_memory<kStateChunkCram, kCramBytes, vdp_save_cram_data>,
     load_cram},
    {kStateChunkVsram, kVsramBytes,
     save_vdp_memory<kStateChunkVsram, kVsramBytes, vdp_save_vsram_data>, load_vsram},
    {kStateChunkZ80Ram, kZ80RamSize, save_z80_ram, load_z80_ram},
    {kM68kStateChunkId, kM68kStateChunkDataSize, m68k_save_state_chunk, load_m68k},
    {kZ80StateChunkId, kZ80StateChunkBytes, save_z80, load_z80},
    {kVdpStateChunkId, kVdpStateChunkLength, save_vdp, load_vdp},
    {kYm2612ChunkId, kYm2612ChunkLength, save_ym2612, load_ym2612},
    {kPsgChunkId, kPsgChunkLength, save_psg, load_psg},
    {kStateChunkZ80Bus, kZ80BusBytes, save_z80_bus, load_z80_bus},
    {kStateChunkIo, kIoPortStateBytes, save_io, load_io},
    {kStateChunkCartBanks, kBankRegBytes, save_cart_banks, load_cart_banks},
    {kStateChunkCartSram, 0, save_cart_sram, load_cart_sram},
};

bool with_sram_chunk() { return cfg(cfg_brm_in_states) != 0 && cart_sram_size != 0; }

// Header and Genesis block; 0 when `out` has no room.
u32 save_stream(std::span<u8> out, bool with_sram) {
    constexpr u32 width = 1;
    ByteWriter w(out);
    if (!w.write_bytes(kStateMagic) || !w.write_u8(static_cast<u8>(width)) || !w.fill(4, 0) ||
        !state_write_chunk_header(w, kStateBlockGenesis, width, 0))
        return 0;
    const std::size_t block_start = w.position();
    saving_sram                   = with_sram;
    const bool saved              = state_save_chunks(w, kGenesisBlock, width);
    saving_sram                   = false;
    if (!saved) return 0;
    const std::size_t end = w.position();
    store_le32(&out[block_start - kStateLengthBytes], static_cast<u32>(end - block_start));
    return static_cast<u32>(end);
}

// The I/O side as a load starts it: the Z80 bus given back with the Z80 out of reset, the
// port data latches high, the direction registers as pads leave them, the devices' read
// sequences from their start.
void state_load_reset_io() {
    z80_busreq_latch     = 0;
    z80_reset_latch      = kLatchAllOnes;
    io_port_regs.data    = {0xFF, 0xFF, 0xFF};
    io_port_regs.control = {0x40, 0x40, 0x00};
    input_reset_positions();
}

bool apply_genesis_block(std::span<const u8> block, u32 width, StateApply mode) {
    state_load_reset_io();
    return state_walk_chunks(block, width, kGenesisBlock,
                             [&](const StateChunk& c, const StateChunkKind& kind) {
                                 return kind.load(c, width, mode) == 0;
                             });
}

// The block of a stream whose framing holds: its id and contents. False when the stream is
// not a state, its id width is not 1 to 4 or the block runs past the data.
bool find_block(std::span<const u8> in, u32& width, u8& id, std::span<const u8>& contents) {
    if (in.size() < kStateHeaderBytes || !std::equal(kStateMagic, kStateMagic + 3, in.begin()))
        return false;
    width = in[3];
    if (width < 1 || width > kStateMaxIdWidth) return false;
    const std::span<const u8> rest = in.subspan(kStateHeaderBytes);
    if (rest.size() < width + kStateLengthBytes) return false;
    id               = rest[0];
    const u32 length = load_le32(&rest[width]);
    if (length > rest.size() - width - kStateLengthBytes) return false;
    contents = rest.subspan(width + kStateLengthBytes, length);
    return true;
}

// The machine as it stood before the load being applied, to put back should a chip loader
// refuse a chunk the framing check let through.
std::array<u8, kStateMaxBytes> snapshot;

}  // namespace

u32 state_save(std::span<u8> out) {
    state_id_width = 1;
    return save_stream(out, with_sram_chunk());
}

s32 state_load(std::span<const u8> in) {
    u32 width = 0;
    u8 id     = 0;
    std::span<const u8> block;
    if (!find_block(in, width, id, block)) return -1;
    // Only the Genesis block loads: the Sega CD, 32X and Master System blocks have no
    // loader here, and other ids are not blocks.
    if (id != kStateBlockGenesis) return -1;
    if (!state_walk_chunks(block, width, kGenesisBlock,
                           [](const StateChunk&, const StateChunkKind&) { return true; }))
        return -1;

    const u32 saved_width   = state_id_width;
    const u32 snapshot_size = save_stream(snapshot, cart_sram_size != 0);
    state_id_width          = width;
    if (apply_genesis_block(block, width, StateApply::kLoad)) return 0;

    u32 snap_width = 0;
    u8 snap_id     = 0;
    std::span<const u8> snap_block;
    if (snapshot_size != 0 && find_block(std::span<const u8>(snapshot.data(), snapshot_size),
                                         snap_width, snap_id, snap_block))
        apply_genesis_block(snap_block, snap_width, StateApply::kRestore);
    state_id_width = saved_width;
    return -1;
}

bool gs_state_load_registers(std::span<const u8> image) {
    if (image.size() < kGsRegistersImageBytes) return false;
    // A PC in memory without code would load and halt the machine at once: refuse the file.
    const u32 pc = load_le32(&image[0xC8]) & 0xFFFFFF;
    if (m68k_fetch_pages[pc >> 16].kind == M68kFetchKind::kNone) return false;
    return m68k_load_gs_registers(image) && z80_load_gs_registers(image) &&
           vdp_load_gs_registers(image);
}

}  // namespace varn
