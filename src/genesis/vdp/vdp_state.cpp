// The VDP's save-state chunks: registers and control state (0x87), and the video memories
// (0x81 VRAM, 0x82 CRAM, 0x83 VSRAM) as little-endian words, field by field.

#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_internal.h"
#include "genesis/vdp/vdp_links.h"

namespace varn {

namespace {

// The status word as saved: the held bits plus V-interrupt pending (bit 7) and the field
// (bit 4), which the load takes back from it.
u16 saved_status() {
    const auto& s = vdp_control_state;
    u16 status    = static_cast<u16>(0x3600 | (vdp_link::pal_flag() & 1) | (s.status & 0x62));
    if (s.odd_field) status |= 0x10;
    if (s.vint_pending) status |= 0x80;
    return status;
}

template <std::size_t N>
bool save_words(ByteWriter& out, const std::array<u16, N>& words, u32 count) {
    if (out.remaining() < count * 2) return false;
    for (u32 i = 0; i < count; ++i) out.write_le16(words[i]);
    return true;
}

template <std::size_t N>
bool load_words(ByteReader& in, std::array<u16, N>& words, u32 count) {
    if (in.remaining() < count * 2) return false;
    for (u32 i = 0; i < count; ++i) in.read_le16(words[i]);
    return true;
}

}  // namespace

bool vdp_save_state_chunk(ByteWriter& out, u32 id_width) {
    if (id_width == 0 || id_width > 4) return false;
    if (out.remaining() < id_width + 4 + kVdpStateChunkLength) return false;
    out.write_u8(kVdpStateChunkId);
    for (u32 i = 1; i < id_width; ++i) out.write_u8(0);
    out.write_le32(kVdpStateChunkLength);
    const auto& s = vdp_control_state;
    for (u32 n = 0; n < 24; ++n) out.write_u8(vdp_registers[n]);
    out.write_le16(saved_status());
    out.write_le16(s.command_first);
    out.write_le16(s.command_second);
    out.write_le16(s.address);
    u8 flags = 0;
    if (s.second_word_pending) flags |= 0x01;
    if (s.fill_kind != kVdpFillNone) flags |= 0x02;
    if (s.hint_pending) flags |= 0x04;
    out.write_u8(flags);
    return true;
}

s32 vdp_load_state_chunk(ByteReader& in, u32 id_width) {
    if (id_width == 0 || id_width > 4) return -1;
    const std::size_t start = in.position();
    u32 length              = 0;
    if (!in.skip(id_width) || !in.read_le32(length) || length < kVdpStateChunkLength ||
        length > in.remaining()) {
        in.seek(start);
        return -1;
    }
    std::span<const u8> view;
    in.read_view(length, view);
    ByteReader data(view);
    u8 regs[24];
    u16 status = 0, first = 0, second = 0, address = 0;
    u8 flags = 0;
    for (u8& r : regs) data.read_u8(r);
    data.read_le16(status);
    data.read_le16(first);
    data.read_le16(second);
    data.read_le16(address);
    data.read_u8(flags);

    auto& s = vdp_control_state;
    vdp_detail::clear_control_state();
    s.dma_start_blocked = true;
    s.hint_pending      = (flags & 0x04) != 0;
    // The saved command selects the access again; with DMA start blocked it cannot run
    // the DMA or fill it once started a second time over the loaded memories.
    vdp_detail::restore_command(first, second);
    s.address = address;
    for (u32 n = 0; n < 24; ++n) vdp_write_register(n, regs[n]);
    s.hint_counter = vdp_registers[10];
    s.status       = static_cast<u8>(status & 0x62);  // the bits the status word keeps
    vdp_set_status_flags(status);
    s.second_word_pending = (flags & 0x01) != 0;
    return 0;
}

bool vdp_save_vram_data(ByteWriter& out) { return save_words(out, vdp_vram, kVramWords); }
bool vdp_save_cram_data(ByteWriter& out) { return save_words(out, vdp_cram, kCramWords); }
bool vdp_save_vsram_data(ByteWriter& out) { return save_words(out, vdp_vsram, kVsramConsoleWords); }

bool vdp_load_vram_data(ByteReader& in) {
    if (!load_words(in, vdp_vram, kVramWords)) return false;
    vdp_note_change();
    return true;
}
bool vdp_load_cram_data(ByteReader& in) {
    if (!load_words(in, vdp_cram, kCramWords)) return false;
    vdp_rebuild_palette();
    return true;
}
bool vdp_load_vsram_data(ByteReader& in) { return load_words(in, vdp_vsram, kVsramConsoleWords); }

static_assert(kCramBytes == 0x80 && kVsramBytes == 0x50);

}  // namespace varn
