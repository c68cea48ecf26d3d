// VDP registers, the control port's command protocol, the status word, the HV counter and
// the interrupt events the line scheduler drives.

#include <algorithm>

#include "base/config.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_internal.h"
#include "genesis/vdp/vdp_links.h"
#include "genesis/vdp/vdp_render.h"

namespace varn {

std::array<u8, kVdpRegisterSlots> vdp_registers{};
VdpControlState vdp_control_state{};
std::array<u16, kVramWords> vdp_vram{};
std::array<u16, kCramWords> vdp_cram{};
std::array<u16, kVsramWords> vdp_vsram{};
VdpChangeCounts vdp_changes{};
u32 screen_width  = 320;
u32 screen_height = 224;
u32 render_mode   = 0;

namespace {

VdpControlState& st() { return vdp_control_state; }
u8 reg(u32 n) { return vdp_registers[n]; }

// --- Access routines, selected by the 6-bit access code ---------------------------------

void set_target(u8 target) {
    st().target       = target;
    st().address_mask = target == kVdpVram ? 0xFFFF : 0x7F;
}

void access_read(u8 target) {
    set_target(target);
    st().read_enabled  = true;
    st().write_enabled = false;
    st().dma_mode      = false;
}

void access_write(u8 target) {
    set_target(target);
    st().read_enabled  = false;
    st().write_enabled = true;
    st().dma_mode      = false;
}

void access_dma(u8 target, u8 code) {
    set_target(target);
    st().write_enabled = true;
    st().read_enabled  = false;
    st().dma_mode      = true;
    st().fill_kind     = kVdpFillNone;
    if (!st().dma_start_blocked) vdp_detail::dma_select(code);
}

void select_access() {
    const u8 code = st().code;
    switch (code) {
        case 0x00:
            access_read(kVdpVram);
            break;
        case 0x01:
            access_write(kVdpVram);
            break;
        case 0x03:
            access_write(kVdpCram);
            break;
        case 0x04:
            access_read(kVdpVsram);
            break;
        case 0x05:
            access_write(kVdpVsram);
            break;
        case 0x08:
            access_read(kVdpCram);
            break;
        case 0x21:
        case 0x31:
            access_dma(kVdpVram, code);
            break;
        case 0x23:
        case 0x33:
            access_dma(kVdpCram, code);
            break;
        case 0x25:
        case 0x35:
            access_dma(kVdpVsram, code);
            break;
        default:
            // An invalid code leaves the access as it was and only blocks DMA start.
            st().dma_start_blocked = true;
            break;
    }
}

// --- Derived values -----------------------------------------------------------------------

void update_display_enabled() {
    st().display_enabled =
        ((reg(0) & 0x01) == 0 && (reg(1) & 0x40) != 0) || cfg(cfg_force_display) != 0;
}

// An interrupt enable bit changed: withdraw the level, or raise it when its event is
// pending. The re-check flag is only ever set here: clearing it could hide another level
// that is waiting to be taken.
void apply_interrupt_enable(bool enabled, bool pending, u32 level) {
    if (!enabled) {
        vdp_link::m68k_withdraw(level);
    } else if (pending) {
        vdp_link::m68k_raise(level);
    }
}

void recompute_window_bands() {
    auto& s         = st();
    const u32 v     = reg(18) & 0x1F;
    const u32 h     = reg(17) & 0x1F;
    const u32 lines = screen_height >= 240 ? 240 : 224;
    const u32 cols  = screen_width == 320 ? 40 : 32;
    if ((reg(18) & 0x80) == 0) {  // window at the top
        s.window_line_start = static_cast<u16>(v * 8);
        s.window_line_count = static_cast<u16>(v * 8 >= lines ? 0 : lines - v * 8);
    } else {  // window at the bottom
        s.window_line_start = 0;
        s.window_line_count = static_cast<u16>(v * 8);
    }
    if ((reg(17) & 0x80) == 0) {  // window at the left: it covers 2H - 1 columns
        const u32 first    = h == 0 ? 0 : 2 * h - 1;
        s.window_col_start = static_cast<u16>(first);
        s.window_col_count = static_cast<u16>(first >= cols ? 0 : cols - first);
    } else {  // window at the right
        s.window_col_start = 0;
        s.window_col_count = static_cast<u16>(std::min(cols, 2 * h));
    }
}

// Recomputes screen_width and screen_height; true when either changed.
bool recompute_screen_size() {
    const u32 width = (reg(12) & 0x01) ? 320 : 256;
    u32 height      = ((reg(1) & 0x08) && vdp_link::pal_flag() == 1) ? 240 : 224;
    if ((reg(12) & 0x02) && cfg(cfg_squash_interlace) == 0) height *= 2;
    const bool changed = width != screen_width || height != screen_height;
    // The window's thread reads the size while the emulation changes it.
    std::atomic_ref<u32>(screen_width).store(width, std::memory_order_relaxed);
    std::atomic_ref<u32>(screen_height).store(height, std::memory_order_relaxed);
    return changed;
}

void screen_size_changed() {
    if (recompute_screen_size()) vdp_link::post_display_size_changed();
    recompute_window_bands();
}

void derive_reg11(u8 v) {
    static constexpr u16 kHscrollMasks[4] = {0, 0, 0x3F8, 0x3FF};
    st().hscroll_line_mask                = kHscrollMasks[v & 3];
    st().vscroll_column_mask              = (v & 0x04) ? 0x7C : 0;
}

void derive_reg12(u8 v) {
    auto& s            = st();
    s.shadow_highlight = (v & 0x08) != 0;
    s.interlace        = (v & 0x02) != 0;
    render_mode_replace(0x0B, s.interlace ? 0x08u : 0u);
    s.window_row_shift  = (v & 0x01) ? 4 : 3;
    s.sprite_table_size = (v & 0x01) ? 80 : 64;
}

void derive_reg16(u8 v) {
    static constexpr u8 kRowShift[4] = {3, 4, 5, 5};
    auto& s                          = st();
    s.plane_width                    = static_cast<u16>(((v & 3) + 1) * 32);
    s.plane_height                   = static_cast<u16>((((v >> 4) & 3) + 1) * 32);
    s.plane_hwrap_mask               = static_cast<u16>(((v & 3) << 8) | 0xF8);
    s.plane_vwrap_mask               = static_cast<u16>((((v >> 4) & 3) << 8) | 0xFF);
    s.plane_row_shift                = kRowShift[v & 3];
}

void derive_window_base(u8 v) {
    st().window_base = static_cast<u16>((v << 10) & (screen_width == 320 ? 0xF000 : 0xF800));
}

void set_background_colour(u8 v) {
    if (cfg(cfg_enhance_visibility) != 0) return;
    u16 forms[4];
    vdp_detail::colour_forms(vdp_cram[v & 0x3F], forms);
    for (u32 b = 0; b < 4; ++b) vdp_detail::set_colour(b * 64, forms[b]);
}

}  // namespace

namespace vdp_detail {

void clear_control_state() {
    auto& s               = st();
    s.status              = 0;
    s.address             = 0;
    s.code                = 0;
    s.command_first       = 0;
    s.command_second      = 0;
    s.second_word_pending = false;
    s.fill_kind           = kVdpFillNone;
    s.interlace           = false;
    s.odd_field           = false;
    s.vint_pending        = false;
    s.hint_pending        = false;
    s.hint_counter        = 0;
}

void restore_command(u16 first, u16 second) {
    auto& s          = st();
    s.command_first  = first;
    s.command_second = second;
    s.address        = static_cast<u16>((first & 0x3FFF) | ((second & 3) << 14));
    s.code           = static_cast<u8>((first >> 14) | ((second >> 2) & 0x3C));
    select_access();
}

void recompute_derived() {
    auto& s = st();
    update_display_enabled();
    s.plane_a_base = static_cast<u16>((reg(2) << 10) & 0xE000);
    s.plane_b_base = static_cast<u16>((reg(4) << 13) & 0xE000);
    s.sprite_base  = static_cast<u16>((reg(5) << 9) & 0xFE00);
    derive_reg11(reg(11));
    derive_reg12(reg(12));
    s.hscroll_base = static_cast<u16>((reg(13) & 0x3F) << 10);
    derive_reg16(reg(16));
    recompute_screen_size();
    derive_window_base(reg(3));
    recompute_window_bands();
}

}  // namespace vdp_detail

// --- Control port -------------------------------------------------------------------------

void vdp_write_control(u16 w) {
    auto& s = st();
    if (s.second_word_pending) {
        s.command_second      = w;
        s.second_word_pending = false;
        s.dma_start_blocked   = false;
        s.address             = static_cast<u16>((s.address & 0x3FFF) | ((w & 3) << 14));
        s.code                = static_cast<u8>((s.code & 0x03) | ((w >> 2) & 0x3C));
        select_access();
    } else if ((w & 0xC000) == 0x8000) {
        vdp_write_register((w >> 8) & 0x1F, w & 0xFF);
    } else {
        s.command_first       = w;
        s.second_word_pending = true;
        s.address             = static_cast<u16>((s.address & 0xC000) | (w & 0x3FFF));
        s.code                = static_cast<u8>((s.code & 0x3C) | (w >> 14));
        select_access();
    }
}

void vdp_write_register(u32 number, u32 value) {
    auto& s = st();
    if (s.fill_kind != kVdpFillNone) {  // a register write cancels a pending fill
        s.write_enabled = false;
        s.dma_mode      = false;
        s.fill_kind     = kVdpFillNone;
    }
    s.second_word_pending = false;
    const u32 n           = number & 0x1F;
    const u8 v            = static_cast<u8>(value);
    vdp_registers[n]      = v;
    switch (n) {
        case 0:
            update_display_enabled();
            apply_interrupt_enable((v & 0x10) != 0, s.hint_pending, 4);
            break;
        case 1:
            update_display_enabled();
            if (s.dma_mode) s.write_enabled = (v & 0x10) != 0;
            apply_interrupt_enable((v & 0x20) != 0, s.vint_pending, 6);
            screen_size_changed();
            break;
        case 2:
            s.plane_a_base = static_cast<u16>((v << 10) & 0xE000);
            break;
        case 3:
            derive_window_base(v);
            break;
        case 4:
            s.plane_b_base = static_cast<u16>((v << 13) & 0xE000);
            break;
        case 5:
            s.sprite_base = static_cast<u16>((v << 9) & 0xFE00);
            break;
        case 7:
            set_background_colour(v);
            break;
        case 11:
            derive_reg11(v);
            break;
        case 12:
            derive_reg12(v);
            screen_size_changed();
            vdp_rebuild_palette();
            break;
        case 13:
            s.hscroll_base = static_cast<u16>((v & 0x3F) << 10);
            break;
        case 16:
            derive_reg16(v);
            break;
        case 17:
        case 18:
            recompute_window_bands();
            break;
        default:
            break;  // 6, 8-10, 14, 15, 19-23 are read where used; 24-31 do nothing
    }
}

// --- Status and HV counter ----------------------------------------------------------------

u16 vdp_read_hv_counter() {
    const u32 phase = vdp_link::slice_phase();
    if (phase == 2) return 0xFF00;
    const u32 position = vdp_link::slice_counter();
    const u32 v        = (position >> 4) & 0xFF;
    u32 h              = 0;
    if (phase == 0) {
        const s64 length  = vdp_link::m68k_slice_length();
        const s64 elapsed = length > 0 ? vdp_link::m68k_slice_elapsed() * 40 / length : 0;
        h                 = static_cast<u32>(elapsed + static_cast<s64>(position & 7) * 40) & 0xFF;
    }
    return static_cast<u16>(v << 8 | h);
}

// --- Power-on and flags -------------------------------------------------------------------

void vdp_clear_state() {
    for (u32 n = 0; n < 24; ++n) vdp_registers[n] = 0;
    vdp_registers[12] = 1;
    vdp_detail::clear_control_state();
    // The registers were written without their handlers; the renderers must still see
    // values that agree with them, and the colours must follow the cleared CRAM.
    const u32 old_w = screen_width, old_h = screen_height;
    vdp_detail::recompute_derived();
    if (old_w != screen_width || old_h != screen_height) vdp_link::post_display_size_changed();
    vdp_rebuild_palette();
}

void vdp_clear_memories() {
    vdp_vram.fill(0);
    vdp_cram.fill(0);
    vdp_vsram.fill(0);
    vdp_note_change();
}

void vdp_reset_all() {
    vdp_registers.fill(0);
    vdp_control_state = VdpControlState{};
    vdp_clear_memories();
    colour_lut.fill(0);
    vdp_note_change();
    screen_width  = 320;
    screen_height = 224;
    render_mode_replace(~0u, 0);
    vdp_dma_map_clear(0, kVdpDmaPages);
    vdp_line_buffer.fill(0);
    vdp_render_line_number      = 0;
    vdp_sprite_limit_always     = false;
    vdp_visibility_palette_flat = false;
    vdp_interlace_one_field     = false;
    vdp_window_rect             = nullptr;
    render_output_reset();
    vdp_cpu_links_main();
    vdp_clear_state();
}

void vdp_set_status_flags(u32 status) {
    st().vint_pending = (status & 0x80) != 0;
    st().odd_field    = (status & 0x10) != 0;
}

// --- Interrupt events ---------------------------------------------------------------------

void vdp_hint_counter_reload() { st().hint_counter = reg(10); }

void vdp_hint_counter_step() {
    auto& s      = st();
    bool expired = false;
    if (s.hint_counter == 0) {
        s.hint_counter = reg(10);
        expired        = true;
    } else {
        --s.hint_counter;
    }
    s.hint_pending = expired;
    if (expired && (reg(0) & 0x10)) vdp_link::m68k_raise(4);
}

void vdp_vint_raise() {
    auto& s        = st();
    s.vint_pending = true;
    s.odd_field    = !s.odd_field;
    if (reg(1) & 0x20) vdp_link::m68k_raise(6);
    vdp_link::z80_irq_raise();
}

void vdp_hint_acknowledge() { st().hint_pending = false; }
void vdp_vint_acknowledge() { st().vint_pending = false; }
void vdp_irq_acknowledge(u32 level) {
    if (level == 4) vdp_hint_acknowledge();
    if (level == 6) vdp_vint_acknowledge();
}

// --- Genecyst registers -------------------------------------------------------------------

bool vdp_load_gs_registers(std::span<const u8> image) {
    constexpr std::size_t kOffset = 0xFA;
    if (image.size() < kOffset + 24) return false;
    vdp_detail::clear_control_state();
    vdp_registers[1]       = 0;
    st().dma_start_blocked = true;
    for (u32 n = 0; n < 24; ++n) vdp_write_register(n, image[kOffset + n]);
    st().hint_counter = reg(10);
    vdp_rebuild_palette();
    return true;
}

}  // namespace varn
