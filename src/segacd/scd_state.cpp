#include "segacd/scd_state.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/byte_io.h"
#include "base/config.h"
#include "base/endian.h"
#include "genesis/bus/save_ram.h"
#include "genesis/memory/memory.h"
#include "genesis/runtime/sound_output.h"
#include "genesis/state/save_state.h"
#include "m68k/m68k.h"
#include "segacd/scd_drive.h"
#include "segacd/scd_graphics.h"
#include "segacd/scd_internal.h"
#include "segacd/segacd.h"

namespace varn {

namespace {

constexpr u32 kLengthBytes = 4;
constexpr u32 kMaxIdWidth  = 4;

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

struct FieldWriter {
    ByteWriter& w;
    bool ok = true;
    void operator()(u8& v) { ok = w.write_u8(v) && ok; }
    void operator()(u16& v) { ok = w.write_le16(v) && ok; }
    void operator()(u32& v) { ok = w.write_le32(v) && ok; }
    void operator()(s32& v) { ok = w.write_le32(static_cast<u32>(v)) && ok; }
    template <std::size_t N>
    void operator()(std::array<u8, N>& a) {
        ok = w.write_bytes(a) && ok;
    }
};

struct FieldReader {
    ByteReader r;
    void operator()(u8& v) { r.read_u8(v); }
    void operator()(u16& v) { r.read_le16(v); }
    void operator()(u32& v) { r.read_le32(v); }
    void operator()(s32& v) {
        u32 u = 0;
        r.read_le32(u);
        v = static_cast<s32>(u);
    }
    template <std::size_t N>
    void operator()(std::array<u8, N>& a) {
        r.read_bytes(a);
    }
};

struct FieldSizer {
    u32 bytes = 0;
    void operator()(u8&) { bytes += 1; }
    void operator()(u16&) { bytes += 2; }
    void operator()(u32&) { bytes += 4; }
    void operator()(s32&) { bytes += 4; }
    template <std::size_t N>
    void operator()(std::array<u8, N>&) {
        bytes += N;
    }
};

template <void (*Fields)(FieldSizer&)>
u32 fields_size() {
    FieldSizer s;
    Fields(s);
    return s.bytes;
}

u32 gate_array_bytes() { return fields_size<gate_array_fields<FieldSizer>>(); }
u32 disc_bytes() { return fields_size<disc_fields<FieldSizer>>(); }
u32 pcm_play_bytes() { return fields_size<pcm_play_fields<FieldSizer>>(); }

// The data length a chunk must have at least; kAnyLength for chunks of any length, 0 for
// ids that are not part of the block.
constexpr u32 kAnyLength = 0xFFFFFFFF;
u32 required_length(u8 id) {
    switch (id) {
        case kChunkSubCpu:
            return kM68kStateChunkDataSize;
        case kChunkBios:
            return kScdBiosSize;
        case kChunkIdentity:
            return static_cast<u32>(scd_bios_identity.size());
        case kChunkPrgRam:
            return kScdPrgRamSize;
        case kChunkWordRam:
            return kScdWordRamSize;
        case kChunkWaveRam:
            return kScdWaveRamSize;
        case kChunkCdcBuffer:
            return kScdCdcBufferSize;
        case kChunkSkipped:
        case kChunkRamCart:
            return kAnyLength;
        case kChunkPcm:
            return kPcmChunkBytes;
        case kChunkBackupRam:
            return kScdBackupRamSize;
        case kChunkGateArray:
            return gate_array_bytes();
        case kChunkDisc:
            return disc_bytes();
        case kChunkGraphics:
            return static_cast<u32>(scd_gfx_line_buffer.size());
        case kChunkPcmPlay:
            return pcm_play_bytes();
        default:
            return 0;
    }
}

struct Chunk {
    u8 id = 0;
    std::span<const u8> whole;  // from the id on
    std::span<const u8> data;
};

// ---- writing ----

bool write_chunk_header(ByteWriter& w, u8 id, u32 length) {
    return w.write_u8(id) && w.write_le32(length);
}

bool write_memory(ByteWriter& w, u8 id, std::span<const u8> memory) {
    return write_chunk_header(w, id, static_cast<u32>(memory.size())) && w.write_bytes(memory);
}

template <class F>
bool write_fields(ByteWriter& w, u8 id, u32 length, F&& fields) {
    if (!write_chunk_header(w, id, length)) return false;
    FieldWriter fw{w};
    fields(fw);
    return fw.ok;
}

bool write_pcm(ByteWriter& w) {
    if (!write_chunk_header(w, kChunkPcm, kPcmChunkBytes)) return false;
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

// ---- loading ----

void load_pcm(std::span<const u8> d) {
    pcm.control = d[0] & 0x80;
    pcm.channel = (d[0] >> 4) & 7;
    pcm.bank    = d[0] & 0x0F;
    pcm.on_off  = d[1];
    for (u32 k = 0; k < 8; ++k) {
        const u8* c    = &d[2 + 9 * k];
        PcmChannel& ch = pcm.ch[k];
        ch.env         = c[0];
        ch.pan         = c[1];
        ch.fd          = load_le16(c + 2);
        ch.ls          = load_le16(c + 4);
        ch.st          = c[6];
        ch.address     = u32{load_le16(c + 7)} << 16 | (ch.address & 0xFFFF);
    }
}

template <class F>
void read_fields(std::span<const u8> data, F&& fields) {
    FieldReader fr{ByteReader(data)};
    fields(fr);
}

void copy_into(std::span<u8> memory, std::span<const u8> data) {
    std::copy_n(data.begin(), std::min(memory.size(), data.size()), memory.begin());
}

void apply_chunk(const Chunk& c, u32 width) {
    switch (c.id) {
        case kChunkSubCpu: {
            ByteReader in(c.whole);
            s68k_load_state_chunk(in, width);
            break;
        }
        case kChunkBios:
            copy_into(scd_bios, c.data);
            break;
        case kChunkPrgRam:
            copy_into(scd_prg_ram, c.data);
            break;
        case kChunkWordRam:
            copy_into(scd_word_ram, c.data);
            break;
        case kChunkWaveRam:
            copy_into(scd_wave_ram, c.data);
            break;
        case kChunkCdcBuffer:
            copy_into(scd_cdc_buffer, c.data);
            break;
        case kChunkPcm:
            load_pcm(c.data);
            break;
        case kChunkBackupRam:
            if (cfg(cfg_brm_in_states) != 0) copy_into(scd_backup_ram, c.data);
            break;
        case kChunkRamCart: {
            // The size is taken whatever the settings; the data only when both ask for it.
            const u32 size = std::min<u32>(static_cast<u32>(c.data.size()), kRamCartMaxSize);
            cart_sram_size = size;
            if (cfg(cfg_brm_in_states) != 0 && cfg(cfg_scd_ram_cart) != 0)
                copy_into(std::span(cart_sram, size), c.data);
            break;
        }
        case kChunkGateArray:
            read_fields(c.data, [](FieldReader& f) { gate_array_fields(f); });
            break;
        case kChunkDisc:
            read_fields(c.data, [](FieldReader& f) { disc_fields(f); });
            break;
        case kChunkGraphics:
            copy_into(scd_gfx_line_buffer, c.data);
            break;
        case kChunkPcmPlay:
            read_fields(c.data, [](FieldReader& f) { pcm_play_fields(f); });
            break;
        default:  // the identity was compared; 0x86 is skipped
            break;
    }
}

// Checks the block's framing, every chunk's id and length and the BIOS identity.
s32 check_block(std::span<const u8> block, u32 width, std::vector<Chunk>& chunks) {
    chunks.clear();
    if (width < 1 || width > kMaxIdWidth || block.size() < width + kLengthBytes) return -1;
    if (block[0] != kScdStateBlockId) return -1;
    const u32 length = load_le32(&block[width]);
    if (length > block.size() - width - kLengthBytes) return -1;
    const std::span<const u8> body = block.subspan(width + kLengthBytes, length);
    std::size_t pos                = 0;
    bool other_bios                = false;
    while (pos < body.size()) {
        const std::size_t left = body.size() - pos;
        if (left < width + kLengthBytes) return -1;
        const u8 id        = body[pos];
        const u32 size     = load_le32(&body[pos + width]);
        const u32 required = required_length(id);
        if (size > left - width - kLengthBytes || required == 0) return -1;
        if (required != kAnyLength && size < required) return -1;
        const Chunk c{id, body.subspan(pos, width + kLengthBytes + size),
                      body.subspan(pos + width + kLengthBytes, size)};
        if (id == kChunkIdentity)
            other_bios = other_bios || !std::equal(scd_bios_identity.begin(),
                                                   scd_bios_identity.end(), c.data.begin());
        chunks.push_back(c);
        pos += c.whole.size();
    }
    return other_bios ? -2 : 0;
}

void apply_block(const std::vector<Chunk>& chunks, u32 width) {
    // The gate array first (the memory maps follow it), the play positions after the PCM
    // registers.
    for (const Chunk& c : chunks)
        if (c.id == kChunkGateArray) apply_chunk(c, width);
    for (const Chunk& c : chunks)
        if (c.id != kChunkGateArray && c.id != kChunkPcmPlay) apply_chunk(c, width);
    for (const Chunk& c : chunks)
        if (c.id == kChunkPcmPlay) apply_chunk(c, width);
    scd_apply_main_maps();
}

// The block that follows a stream's first block, or empty.
std::span<const u8> second_block(std::span<const u8> rest, u32 width) {
    if (rest.size() < width + kLengthBytes) return {};
    const u32 length = load_le32(&rest[width]);
    if (length > rest.size() - width - kLengthBytes) return {};
    return rest.subspan(width + kLengthBytes + length);
}

u32 max_block_bytes() {
    const u32 chunk = 1 + kLengthBytes;
    return 1 + kLengthBytes + (chunk + kM68kStateChunkDataSize) + (chunk + kScdBiosSize) +
           (chunk + static_cast<u32>(scd_bios_identity.size())) + (chunk + kScdPrgRamSize) +
           (chunk + kScdWordRamSize) + (chunk + kScdWaveRamSize) + (chunk + kScdCdcBufferSize) +
           (chunk + kPcmChunkBytes) + (chunk + kScdBackupRamSize) + (chunk + kRamCartMaxSize) +
           (chunk + gate_array_bytes()) + (chunk + disc_bytes()) +
           (chunk + static_cast<u32>(scd_gfx_line_buffer.size())) + (chunk + pcm_play_bytes());
}

}  // namespace

const u32 kScdStateMaxBytes = max_block_bytes();

u32 scd_state_save_block(std::span<u8> out) {
    ByteWriter w(out);
    bool ok = w.write_u8(kScdStateBlockId) && w.write_le32(0);
    ok      = ok && s68k_save_state_chunk(w, 1);
    ok      = ok && write_memory(w, kChunkBios, scd_bios);
    ok      = ok && write_memory(w, kChunkIdentity, scd_bios_identity);
    ok      = ok && write_memory(w, kChunkPrgRam, scd_prg_ram);
    ok      = ok && write_memory(w, kChunkWordRam, scd_word_ram);
    ok      = ok && write_memory(w, kChunkWaveRam, scd_wave_ram);
    ok      = ok && write_memory(w, kChunkCdcBuffer, scd_cdc_buffer);
    ok      = ok && write_pcm(w);
    ok      = ok && write_memory(w, kChunkBackupRam, scd_backup_ram);
    if (cfg(cfg_scd_ram_cart) != 0 && cart_sram_size != 0) {
        const u32 size = std::min<u32>(cart_sram_size, kRamCartMaxSize);
        ok             = ok && write_memory(w, kChunkRamCart, std::span(cart_sram, size));
    }
    ok = ok && write_fields(w, kChunkGateArray, gate_array_bytes(),
                            [](FieldWriter& f) { gate_array_fields(f); });
    ok = ok && write_fields(w, kChunkDisc, disc_bytes(), [](FieldWriter& f) { disc_fields(f); });
    ok = ok && write_memory(w, kChunkGraphics, scd_gfx_line_buffer);
    ok = ok && write_fields(w, kChunkPcmPlay, pcm_play_bytes(),
                            [](FieldWriter& f) { pcm_play_fields(f); });
    if (!ok) return 0;
    const u32 total = static_cast<u32>(w.position());
    store_le32(out.data() + 1, total - 1 - kLengthBytes);
    return total;
}

s32 scd_state_load_block(std::span<const u8> block, u32 width) {
    std::vector<Chunk> chunks;
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
    if (width < 1 || width > kMaxIdWidth) return -1;
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
    std::vector<Chunk> chunks;
    if (const s32 r = check_block(next, width, chunks); r != 0) return r;
    if (const s32 r = state_load(in); r != 0) return r;
    apply_block(chunks, width);
    return 0;
}

}  // namespace varn
