#include "segacd/scd_state.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/byte_io.h"
#include "base/config.h"
#include "base/endian.h"
#include "base/state_chunks.h"
#include "genesis/bus/save_ram.h"
#include "genesis/state/save_state.h"
#include "m68k/m68k.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "segacd/scd_drive.h"
#include "segacd/scd_graphics.h"
#include "segacd/scd_internal.h"
#include "segacd/segacd.h"

namespace varn {

namespace {

constexpr u8 kChunkSubCpu     = 0x01;
constexpr u8 kChunkBios       = 0x80;
constexpr u8 kChunkIdentity   = 0x81;
constexpr u8 kChunkPrgRam     = 0x82;
constexpr u8 kChunkWordRam    = 0x83;
constexpr u8 kChunkWaveRam    = 0x84;
constexpr u8 kChunkCdcBuffer  = 0x85;
constexpr u8 kChunkSkipped    = 0x86;
constexpr u8 kChunkPcm        = 0x89;
constexpr u8 kChunkBackupRam  = 0x8A;
constexpr u8 kChunkRamCart    = 0x8B;
constexpr u8 kChunkGateArray  = 0x8C;
constexpr u8 kChunkDisc       = 0x8D;
constexpr u8 kChunkGraphics   = 0x8E;
constexpr u8 kChunkPcmPlay    = 0x8F;
constexpr u32 kPcmChunkBytes  = 74;
constexpr u32 kRamCartMaxSize = 0x10000;

// The records of the chunks that hold fields, one list per chunk for writing, reading and
// measuring alike.
template <class F>
void gate_array_fields(F& f) {
    ScdGateArray& g = scd_ga;
    f(g.regs), f(g.run_state), f(g.wram_1m), f(g.return_bit), f(g.priority), f(g.prg_bank);
    f(g.main_mode), f(g.gfx_busy), f(g.bus_request), f(g.irq2_request), f(g.gfx_countdown);
    f(g.stopwatch), f(g.timer_countdown), f(g.timer_value), f(g.pcm_phase);
    f(g.transfer_countdown), f(g.cdc_end_of_transfer), f(g.cdc_data_ready), f(scd_main_regs);
}

template <class F>
void disc_fields(F& f) {
    CddState& d = cdd;
    f(d.spinning), f(d.reading), f(d.tray_open), f(d.tray_closed), f(d.data_track), f(d.track);
    f(d.position), f(d.abs_time), f(d.rel_time), f(d.track_start), f(d.track_end);
    f(d.start_time), f(d.end_time), f(d.command), f(d.phase_two), f(d.params);
    f(d.command_countdown), f(d.sector_countdown), f(d.disc_length_reported);
    CdcState& c = cdc;
    f(c.pointer), f(c.write_addr), f(c.header_ptr), f(c.byte_count), f(c.data_addr), f(c.regs);
}

// What the PCM register chunk does not hold: the play positions' fractions and the state
// derived from the registers.
template <class F>
void pcm_play_fields(F& f) {
    for (PcmChannel& ch : pcm.ch) f(ch.address), f(ch.eff_env), f(ch.active);
    f(pcm.on_mask);
}

u32 gate_array_bytes() { return state_fields_size<gate_array_fields<FieldSizer>>(); }
u32 disc_bytes() { return state_fields_size<disc_fields<FieldSizer>>(); }
u32 pcm_play_bytes() { return state_fields_size<pcm_play_fields<FieldSizer>>(); }

// ---- the chunks, written and applied ----

template <u8 Id, std::span<u8> (*Memory)()>
bool save_memory(ByteWriter& w, u32 width) {
    return state_write_bytes(w, Id, width, Memory());
}

void copy_into(std::span<u8> memory, std::span<const u8> data) {
    std::copy_n(data.begin(), std::min(memory.size(), data.size()), memory.begin());
}

template <std::span<u8> (*Memory)()>
s32 load_memory(const StateChunk& c, u32, StateApply) {
    copy_into(Memory(), c.data);
    return 0;
}

std::span<u8> bios() { return scd_bios; }
std::span<u8> identity() { return scd_bios_identity; }
std::span<u8> prg_ram() { return scd_prg_ram; }
std::span<u8> word_ram() { return scd_word_ram; }
std::span<u8> wave_ram() { return scd_wave_ram; }
std::span<u8> cdc_buffer() { return scd_cdc_buffer; }
std::span<u8> backup_ram() { return scd_backup_ram; }
std::span<u8> gfx_line_buffer() { return scd_gfx_line_buffer; }

s32 load_sub_cpu(const StateChunk& c, u32 width, StateApply) {
    ByteReader in(c.whole);
    s68k_load_state_chunk(in, width);
    return 0;
}

bool save_pcm(ByteWriter& w, u32 width) {
    if (!state_write_chunk_header(w, kChunkPcm, width, kPcmChunkBytes)) return false;
    bool ok = w.write_u8(static_cast<u8>((pcm.control & 0x80) | (pcm.channel & 7) << 4 |
                                         (pcm.bank & 0x0F))) &&
              w.write_u8(pcm.on_off);
    for (const PcmChannel& ch : pcm.ch) {
        const u32 at = ch.address >> 16;
        ok           = ok && w.write_u8(ch.env) && w.write_u8(ch.pan) && w.write_le16(ch.fd) &&
             w.write_le16(ch.ls) && w.write_u8(ch.st) && w.write_le16(static_cast<u16>(at));
    }
    return ok;
}

s32 load_pcm(const StateChunk& c, u32, StateApply) {
    const std::span<const u8> d = c.data;
    pcm.control                 = d[0] & 0x80;
    pcm.channel                 = (d[0] >> 4) & 7;
    pcm.bank                    = d[0] & 0x0F;
    pcm.on_off                  = d[1];
    for (u32 k = 0; k < 8; ++k) {
        const u8* ch_bytes = &d[2 + 9 * k];
        PcmChannel& ch     = pcm.ch[k];
        ch.env             = ch_bytes[0];
        ch.pan             = ch_bytes[1];
        ch.fd              = load_le16(ch_bytes + 2);
        ch.ls              = load_le16(ch_bytes + 4);
        ch.st              = ch_bytes[6];
        ch.address         = u32{load_le16(ch_bytes + 7)} << 16 | (ch.address & 0xFFFF);
    }
    return 0;
}

// Taken only with "use BRMs in states" on.
s32 load_backup_ram(const StateChunk& c, u32, StateApply) {
    if (cfg(cfg_brm_in_states) != 0) copy_into(scd_backup_ram, c.data);
    return 0;
}

// Written while a RAM cartridge is in use. The size is taken whatever the settings; the data
// only when both ask for it.
bool save_ram_cart(ByteWriter& w, u32 width) {
    if (cfg(cfg_scd_ram_cart) == 0 || cart_sram_size == 0) return true;
    const u32 size = std::min<u32>(cart_sram_size, kRamCartMaxSize);
    return state_write_bytes(w, kChunkRamCart, width, std::span(cart_sram, size));
}

s32 load_ram_cart(const StateChunk& c, u32, StateApply) {
    const u32 size = std::min<u32>(static_cast<u32>(c.data.size()), kRamCartMaxSize);
    cart_sram_size = size;
    if (cfg(cfg_brm_in_states) != 0 && cfg(cfg_scd_ram_cart) != 0)
        copy_into(std::span(cart_sram, size), c.data);
    return 0;
}

template <void (*Fields)(FieldReader&)>
s32 load_fields(const StateChunk& c, u32, StateApply) {
    state_read_fields<Fields>(c.data);
    return 0;
}

// Block 3, in the order it is written, with the data length each chunk needs at least.
std::span<const StateChunkKind> scd_block() {
    static const StateChunkKind kinds[] = {
        {kChunkSubCpu, kM68kStateChunkDataSize, s68k_save_state_chunk, load_sub_cpu},
        {kChunkBios, kScdBiosSize, save_memory<kChunkBios, bios>, load_memory<bios>},
        // Compared before the load: a state of another BIOS is refused.
        {kChunkIdentity, static_cast<u32>(scd_bios_identity.size()),
         save_memory<kChunkIdentity, identity>, nullptr},
        {kChunkPrgRam, kScdPrgRamSize, save_memory<kChunkPrgRam, prg_ram>, load_memory<prg_ram>},
        {kChunkWordRam, kScdWordRamSize, save_memory<kChunkWordRam, word_ram>,
         load_memory<word_ram>},
        {kChunkWaveRam, kScdWaveRamSize, save_memory<kChunkWaveRam, wave_ram>,
         load_memory<wave_ram>},
        {kChunkCdcBuffer, kScdCdcBufferSize, save_memory<kChunkCdcBuffer, cdc_buffer>,
         load_memory<cdc_buffer>},
        {kChunkPcm, kPcmChunkBytes, save_pcm, load_pcm},
        {kChunkBackupRam, kScdBackupRamSize, save_memory<kChunkBackupRam, backup_ram>,
         load_backup_ram},
        {kChunkRamCart, 0, save_ram_cart, load_ram_cart},
        {kChunkGateArray, gate_array_bytes(),
         state_write_fields<kChunkGateArray, gate_array_fields<FieldSizer>,
                            gate_array_fields<FieldWriter>>,
         load_fields<gate_array_fields<FieldReader>>},
        {kChunkDisc, disc_bytes(),
         state_write_fields<kChunkDisc, disc_fields<FieldSizer>, disc_fields<FieldWriter>>,
         load_fields<disc_fields<FieldReader>>},
        {kChunkGraphics, static_cast<u32>(scd_gfx_line_buffer.size()),
         save_memory<kChunkGraphics, gfx_line_buffer>, load_memory<gfx_line_buffer>},
        {kChunkPcmPlay, pcm_play_bytes(),
         state_write_fields<kChunkPcmPlay, pcm_play_fields<FieldSizer>,
                            pcm_play_fields<FieldWriter>>,
         load_fields<pcm_play_fields<FieldReader>>},
        // Read and skipped; never written.
        {kChunkSkipped, 0, nullptr, nullptr},
    };
    return kinds;
}

// Checks the block's framing, every chunk's id and length and the BIOS identity.
s32 check_block(std::span<const u8> block, u32 width, std::vector<StateChunk>& chunks) {
    chunks.clear();
    if (width < 1 || width > kStateMaxIdWidth || block.size() < width + kStateLengthBytes)
        return -1;
    if (block[0] != kScdStateBlockId) return -1;
    const u32 length = load_le32(&block[width]);
    if (length > block.size() - width - kStateLengthBytes) return -1;
    const std::span<const u8> body = block.subspan(width + kStateLengthBytes, length);
    bool other_bios                = false;
    const bool framed              = state_walk_chunks(
                     body, width, scd_block(), [&](const StateChunk& c, const StateChunkKind&) {
            if (c.id == kChunkIdentity)
                other_bios = other_bios || !std::equal(scd_bios_identity.begin(),
                                                                    scd_bios_identity.end(), c.data.begin());
            chunks.push_back(c);
            return true;
        });
    if (!framed) return -1;
    return other_bios ? -2 : 0;
}

void apply_chunk(const StateChunk& c, u32 width) {
    const StateChunkKind* kind = state_chunk_kind(scd_block(), c.id);
    if (kind != nullptr && kind->load != nullptr) kind->load(c, width, StateApply::kLoad);
}

void apply_block(const std::vector<StateChunk>& chunks, u32 width) {
    // The gate array first (the memory maps follow it), the play positions after the PCM
    // registers.
    for (const StateChunk& c : chunks)
        if (c.id == kChunkGateArray) apply_chunk(c, width);
    for (const StateChunk& c : chunks)
        if (c.id != kChunkGateArray && c.id != kChunkPcmPlay) apply_chunk(c, width);
    for (const StateChunk& c : chunks)
        if (c.id == kChunkPcmPlay) apply_chunk(c, width);
    scd_apply_main_maps();
}

// The block that follows a stream's first block, or empty.
std::span<const u8> second_block(std::span<const u8> rest, u32 width) {
    if (rest.size() < width + kStateLengthBytes) return {};
    const u32 length = load_le32(&rest[width]);
    if (length > rest.size() - width - kStateLengthBytes) return {};
    return rest.subspan(width + kStateLengthBytes + length);
}

// The block header and every chunk the block writes at its largest.
u32 max_block_bytes() {
    const u32 chunk = 1 + kStateLengthBytes;
    u32 bytes       = 1 + kStateLengthBytes;
    for (const StateChunkKind& kind : scd_block())
        if (kind.save != nullptr)
            bytes += chunk + (kind.id == kChunkRamCart ? kRamCartMaxSize : kind.min_length);
    return bytes;
}

}  // namespace

const u32 kScdStateMaxBytes = max_block_bytes();

u32 scd_state_save_block(std::span<u8> out) {
    ByteWriter w(out);
    if (!state_write_chunk_header(w, kScdStateBlockId, 1, 0) ||
        !state_save_chunks(w, scd_block(), 1))
        return 0;
    const u32 total = static_cast<u32>(w.position());
    store_le32(out.data() + 1, total - 1 - kStateLengthBytes);
    return total;
}

s32 scd_state_load_block(std::span<const u8> block, u32 width) {
    std::vector<StateChunk> chunks;
    if (const s32 r = check_block(block, width, chunks); r != 0) return r;
    apply_block(chunks, width);
    return 0;
}

u32 scd_state_save(std::span<u8> out) {
    const u32 genesis = state_save(out);
    if (genesis == 0) return 0;
    const u32 block = scd_state_save_block(out.subspan(genesis));
    return block == 0 ? 0 : genesis + block;
}

s32 scd_state_load(std::span<const u8> in) {
    if (in.size() < kStateHeaderBytes + 1 || in[0] != 'S' || in[1] != 'S' || in[2] != '!')
        return -1;
    const u32 width = in[3];
    if (width < 1 || width > kStateMaxIdWidth) return -1;
    // The Sega CD block re-points the main CPU's fetch and DMA sources at PRG-RAM and word
    // RAM: taken by any other machine it would leave it running from memory it does not
    // have. Such a state is refused whole.
    const bool segacd              = machine_kind == kMachineSegaCd;
    const std::span<const u8> rest = in.subspan(kStateHeaderBytes);
    if (rest[0] == kScdStateBlockId) return segacd ? scd_state_load_block(rest, width) : -1;
    if (rest[0] != kStateBlockGenesis) return -1;

    const std::span<const u8> next = second_block(rest, width);
    if (next.empty() || next[0] != kScdStateBlockId) return state_load(in);
    if (!segacd) return -1;
    // Both blocks are checked before either is applied.
    std::vector<StateChunk> chunks;
    if (const s32 r = check_block(next, width, chunks); r != 0) return r;
    if (const s32 r = state_load(in); r != 0) return r;
    apply_block(chunks, width);
    return 0;
}

}  // namespace varn
