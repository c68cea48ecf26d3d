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
#include "genesis/bus/cart_regs.h"
#include "genesis/bus/io_ports.h"
#include "genesis/bus/save_ram.h"
#include "genesis/io/controller_ports.h"
#include "genesis/memory/memory.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"

namespace varn {

u32 state_id_width = 1;

namespace {

constexpr u8 kStateMagic[3]   = {'S', 'S', '!'};
constexpr u32 kLengthBytes    = 4;
constexpr u32 kMaxIdWidth     = 4;
constexpr u32 kZ80BusBytes    = 1;
constexpr u32 kBankRegBytes   = 8;
constexpr u32 kLatchAllOnes   = 0xFFFFFFFF;
constexpr u32 kVramBytes      = kVramWords * 2;
constexpr u32 kCramBytes      = kCramWords * 2;
constexpr u32 kVsramBytes     = kVsramConsoleWords * 2;
constexpr u32 kNoLoaderLength = 0xFFFFFFFF;

// How a chunk loader is applied: a normal load, or putting back the snapshot of a failed one
// (save RAM is then restored whatever the option says).
enum class ApplyMode { kLoad, kRestore };

// ---------------------------------------------------------------------------------------
// Writing

bool write_id(ByteWriter& out, u8 id, u32 width) {
    if (!out.write_u8(id)) return false;
    for (u32 i = 1; i < width; ++i)
        if (!out.write_u8(0)) return false;
    return true;
}

bool write_chunk_header(ByteWriter& out, u8 id, u32 width, u32 length) {
    if (out.remaining() < width + kLengthBytes + length) return false;
    write_id(out, id, width);
    out.write_le32(length);
    return true;
}

bool save_bytes(ByteWriter& out, u8 id, u32 width, std::span<const u8> bytes) {
    return write_chunk_header(out, id, width, static_cast<u32>(bytes.size())) &&
           out.write_bytes(bytes);
}

bool save_vdp_memory(ByteWriter& out, u8 id, u32 width, u32 length, bool (*writer)(ByteWriter&)) {
    return write_chunk_header(out, id, width, length) && writer(out);
}

bool save_z80_bus(ByteWriter& out, u32 width) {
    const u8 bits = static_cast<u8>((z80_busreq_latch & 1) | (z80_reset_latch != 0 ? 2 : 0));
    return save_bytes(out, kStateChunkZ80Bus, width, std::span<const u8>(&bits, 1));
}

bool save_io(ByteWriter& out, u32 width) {
    u8 regs[kIoPortStateBytes];
    io_ports_save(regs);
    return save_bytes(out, kStateChunkIo, width, regs);
}

bool save_cart_banks(ByteWriter& out, u32 width) {
    return save_bytes(out, kStateChunkCartBanks, width, cart_bank_regs);
}

bool save_cart_sram(ByteWriter& out, u32 width) {
    const u32 size = std::min(cart_sram_size, kCartSramBytes);
    return save_bytes(out, kStateChunkCartSram, width, std::span<const u8>(cart_sram, size));
}

// The Genesis block's chunks, in the order they are written. The Z80's writer frames its
// chunk with a one-byte id, which is what every stream written uses.
bool save_genesis_chunks(ByteWriter& out, u32 width, bool with_sram) {
    return save_bytes(out, kStateChunkWorkRam, width, m68k_ram) &&
           save_vdp_memory(out, kStateChunkVram, width, kVramBytes, vdp_save_vram_data) &&
           save_vdp_memory(out, kStateChunkCram, width, kCramBytes, vdp_save_cram_data) &&
           save_vdp_memory(out, kStateChunkVsram, width, kVsramBytes, vdp_save_vsram_data) &&
           save_bytes(out, kStateChunkZ80Ram, width, z80_ram) &&
           m68k_save_state_chunk(out, width) && width == 1 && z80_save_state_chunk(out) &&
           vdp_save_state_chunk(out, width) && ym2612_save_state_chunk(out, width) &&
           psg_save_state(out, width) && save_z80_bus(out, width) && save_io(out, width) &&
           save_cart_banks(out, width) && (!with_sram || save_cart_sram(out, width));
}

bool with_sram_chunk() { return cfg(cfg_brm_in_states) != 0 && cart_sram_size != 0; }

// Header and Genesis block; 0 when `out` has no room.
u32 save_stream(std::span<u8> out, bool with_sram) {
    constexpr u32 width = 1;
    ByteWriter w(out);
    if (!w.write_bytes(kStateMagic) || !w.write_u8(static_cast<u8>(width)) || !w.fill(4, 0) ||
        !write_id(w, kStateBlockGenesis, width) || !w.write_le32(0))
        return 0;
    const std::size_t block_start = w.position();
    if (!save_genesis_chunks(w, width, with_sram)) return 0;
    const std::size_t end = w.position();
    store_le32(&out[block_start - kLengthBytes], static_cast<u32>(end - block_start));
    return static_cast<u32>(end);
}

// ---------------------------------------------------------------------------------------
// Loading

// A chunk as the walk hands it over: the whole chunk (id, length, data) and its data.
struct Chunk {
    u8 id;
    std::span<const u8> bytes;
    std::span<const u8> data;
};

// A reader over the whole chunk, positioned at its id: the chips' loaders take it so, and
// can read nothing beyond the chunk.
ByteReader chunk_reader(const Chunk& c) { return ByteReader(c.bytes); }

s32 load_m68k(const Chunk& c, u32 width, ApplyMode) {
    ByteReader r = chunk_reader(c);
    return m68k_load_state_chunk(r, width);
}

s32 load_z80(const Chunk& c, u32 width, ApplyMode) {
    ByteReader r = chunk_reader(c);
    return r.skip(width) && z80_load_state_chunk(r) ? 0 : -1;
}

s32 load_vdp(const Chunk& c, u32 width, ApplyMode) {
    ByteReader r = chunk_reader(c);
    return vdp_load_state_chunk(r, width);
}

s32 load_ym2612(const Chunk& c, u32 width, ApplyMode) {
    ByteReader r = chunk_reader(c);
    return ym2612_load_state_chunk(r, width) ? 0 : -1;
}

s32 load_psg(const Chunk& c, u32 width, ApplyMode) {
    ByteReader r = chunk_reader(c);
    return psg_load_state(r, width) ? 0 : -1;
}

s32 load_work_ram(const Chunk& c, u32, ApplyMode) {
    std::copy_n(c.data.begin(), m68k_ram.size(), m68k_ram.begin());
    return 0;
}

s32 load_z80_ram(const Chunk& c, u32, ApplyMode) {
    std::copy_n(c.data.begin(), z80_ram.size(), z80_ram.begin());
    return 0;
}

s32 load_vram(const Chunk& c, u32, ApplyMode) {
    ByteReader r(c.data);
    return vdp_load_vram_data(r) ? 0 : -1;
}

// Also rebuilds the host palette from the loaded colours.
s32 load_cram(const Chunk& c, u32, ApplyMode) {
    ByteReader r(c.data);
    return vdp_load_cram_data(r) ? 0 : -1;
}

s32 load_vsram(const Chunk& c, u32, ApplyMode) {
    ByteReader r(c.data);
    return vdp_load_vsram_data(r) ? 0 : -1;
}

// The size is taken over whatever the option says (it decides how much the save-RAM file
// holds); the contents only when states carry save RAM.
s32 load_cart_sram(const Chunk& c, u32, ApplyMode mode) {
    const u32 size = std::min(static_cast<u32>(c.data.size()), kCartSramBytes);
    cart_sram_size = size;
    if (mode == ApplyMode::kRestore || cfg(cfg_brm_in_states) != 0)
        std::copy_n(c.data.begin(), size, cart_sram);
    return 0;
}

// The lines as the bus keeps them: all ones while requested or released, else 0. The
// latches are set directly: the Z80's registers come from its own chunk, so releasing the
// reset here must not reset the CPU.
s32 load_z80_bus(const Chunk& c, u32, ApplyMode) {
    z80_busreq_latch = (c.data[0] & 1) ? kLatchAllOnes : 0;
    z80_reset_latch  = (c.data[0] & 2) ? kLatchAllOnes : 0;
    return 0;
}

s32 load_io(const Chunk& c, u32, ApplyMode) {
    u8 regs[kIoPortStateBytes];
    std::copy_n(c.data.begin(), kIoPortStateBytes, regs);
    io_ports_load(regs);
    return 0;
}

// The bank registers come back, and every 512 KB window whose register changed is streamed
// again from the image, so a bank-switched game resumes on the banks it had selected. The
// save-RAM enable (register 0) is not derived from the loaded byte: the state does not
// carry it, and the window keeps the setting it has.
s32 load_cart_banks(const Chunk& c, u32, ApplyMode) {
    cart_bank_regs[0] = c.data[0];
    for (u32 k = 1; k < kBankRegBytes; ++k) {
        const u8 value = c.data[k];
        if (value == cart_bank_regs[k]) continue;
        cart_bank_regs[k] = value;
        if (cart_bank_load != nullptr) cart_bank_load(k, value & 0xF);
    }
    return 0;
}

using ChunkLoader = s32 (*)(const Chunk&, u32 width, ApplyMode);

struct ChunkKind {
    ChunkLoader load    = nullptr;  // null: an id that fails the load
    u32 min_data_length = kNoLoaderLength;
};

// The Genesis block's chunks by id, with the data length each loader needs at least.
const std::array<ChunkKind, 256>& state_chunk_loaders() {
    static const std::array<ChunkKind, 256> table = [] {
        std::array<ChunkKind, 256> t{};
        t[kM68kStateChunkId]    = {load_m68k, kM68kStateChunkDataSize};
        t[kZ80StateChunkId]     = {load_z80, kZ80StateChunkBytes};
        t[kStateChunkWorkRam]   = {load_work_ram, kWorkRamSize};
        t[kStateChunkVram]      = {load_vram, kVramBytes};
        t[kStateChunkCram]      = {load_cram, kCramBytes};
        t[kStateChunkVsram]     = {load_vsram, kVsramBytes};
        t[kStateChunkZ80Ram]    = {load_z80_ram, kZ80RamSize};
        t[kStateChunkCartSram]  = {load_cart_sram, 0};
        t[kStateChunkZ80Bus]    = {load_z80_bus, kZ80BusBytes};
        t[kVdpStateChunkId]     = {load_vdp, kVdpStateChunkLength};
        t[kYm2612ChunkId]       = {load_ym2612, kYm2612ChunkLength};
        t[kPsgChunkId]          = {load_psg, kPsgChunkLength};
        t[kStateChunkIo]        = {load_io, kIoPortStateBytes};
        t[kStateChunkCartBanks] = {load_cart_banks, kBankRegBytes};
        return t;
    }();
    return table;
}

// Walks the chunks of a block's contents, calling `visit` (Chunk) for each; stops at the
// first it refuses. False when a chunk's header or data run past the block, its id has no
// loader or it is shorter than its loader's layout. An empty block holds no chunk.
template <class Visit>
bool walk_chunks(std::span<const u8> block, u32 width, Visit&& visit) {
    const auto& loaders = state_chunk_loaders();
    std::size_t pos     = 0;
    while (pos < block.size()) {
        const std::size_t left = block.size() - pos;
        if (left < width + kLengthBytes) return false;
        const u8 id      = block[pos];
        const u32 length = load_le32(&block[pos + width]);
        if (length > left - width - kLengthBytes) return false;
        const ChunkKind& kind = loaders[id];
        if (kind.load == nullptr || length < kind.min_data_length) return false;
        const std::size_t total = width + kLengthBytes + length;
        const Chunk chunk{id, block.subspan(pos, total),
                          block.subspan(pos + width + kLengthBytes, length)};
        if (!visit(chunk)) return false;
        pos += total;
    }
    return true;
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

bool apply_genesis_block(std::span<const u8> block, u32 width, ApplyMode mode) {
    state_load_reset_io();
    const auto& loaders = state_chunk_loaders();
    return walk_chunks(block, width,
                       [&](const Chunk& c) { return loaders[c.id].load(c, width, mode) == 0; });
}

// The block of a stream whose framing holds: its id and contents. False when the stream is
// not a state, its id width is not 1 to 4 or the block runs past the data.
bool find_block(std::span<const u8> in, u32& width, u8& id, std::span<const u8>& contents) {
    if (in.size() < kStateHeaderBytes || !std::equal(kStateMagic, kStateMagic + 3, in.begin()))
        return false;
    width = in[3];
    if (width < 1 || width > kMaxIdWidth) return false;
    const std::span<const u8> rest = in.subspan(kStateHeaderBytes);
    if (rest.size() < width + kLengthBytes) return false;
    id               = rest[0];
    const u32 length = load_le32(&rest[width]);
    if (length > rest.size() - width - kLengthBytes) return false;
    contents = rest.subspan(width + kLengthBytes, length);
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
    if (!walk_chunks(block, width, [](const Chunk&) { return true; })) return -1;

    const u32 saved_width   = state_id_width;
    const u32 snapshot_size = save_stream(snapshot, cart_sram_size != 0);
    state_id_width          = width;
    if (apply_genesis_block(block, width, ApplyMode::kLoad)) return 0;

    u32 snap_width = 0;
    u8 snap_id     = 0;
    std::span<const u8> snap_block;
    if (snapshot_size != 0 && find_block(std::span<const u8>(snapshot.data(), snapshot_size),
                                         snap_width, snap_id, snap_block))
        apply_genesis_block(snap_block, snap_width, ApplyMode::kRestore);
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
