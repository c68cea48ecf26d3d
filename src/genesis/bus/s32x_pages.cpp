#include "genesis/bus/s32x_pages.h"

#include "base/endian.h"
#include "genesis/bus/bus_pages.h"
#include "m68k/m68k.h"
#include "memory/memory.h"

namespace varn {

namespace {

constexpr M68kA15Tables unmapped_a15_tables() {
    M68kA15Tables t{};
    for (auto* r : {&t.read_byte, &t.read_word, &t.read_long}) r->fill(&m68k_unmapped_read);
    for (auto* w : {&t.write_byte, &t.write_word, &t.write_long}) w->fill(&m68k_unmapped_write);
    return t;
}

}  // namespace

std::span<u8> m68k_s32x_sdram_view;
std::span<u8> m68k_s32x_framebuffer_view;
M68kA15Tables m68k_a15_tables = unmapped_a15_tables();
bool (*m68k_s32x_active)()    = nullptr;

void m68k_a15_tables_reset() { m68k_a15_tables = unmapped_a15_tables(); }

namespace {

constexpr u32 kA15Mask = kM68kA15Entries - 1;

u32 a15_read_byte(u32 a) { return m68k_a15_tables.read_byte[a & kA15Mask](a); }
u32 a15_read_word(u32 a) { return m68k_a15_tables.read_word[a & kA15Mask](a); }
u32 a15_read_long(u32 a) { return m68k_a15_tables.read_long[a & kA15Mask](a); }
void a15_write_byte(u32 a, u32 v) { m68k_a15_tables.write_byte[a & kA15Mask](a, v); }
void a15_write_word(u32 a, u32 v) { m68k_a15_tables.write_word[a & kA15Mask](a, v); }
void a15_write_long(u32 a, u32 v) { m68k_a15_tables.write_long[a & kA15Mask](a, v); }

// ---- BIOS overlay of page 0 ----
constexpr u32 kOverlayEnd = kS32xM68kBiosSize;  // 0x100

bool bios_visible() { return m68k_s32x_active && m68k_s32x_active(); }

u32 overlay_read_byte(u32 a) {
    a &= 0xFFF;
    if (a < kOverlayEnd && bios_visible()) return s32x_m68k_bios[a];
    return cart_rom[a];
}
void overlay_write_byte(u32 a, u32 v) {
    a &= 0xFFF;
    if (a < kOverlayEnd) s32x_m68k_bios[a] = static_cast<u8>(v);
}

constexpr M68kHandlerSet kBiosOverlaySet =
    BytewiseHandlers<overlay_read_byte, overlay_write_byte>::kSet;

}  // namespace

// ---- SDRAM and frame-buffer windows: each byte wraps within its window ----
namespace {

constexpr u32 kSdramBase = 0x600000, kSdramSize = 0x40000;
constexpr u32 kFbBase = 0x840000, kOverwriteBase = 0x860000, kFbSize = 0x20000;

template <u32 Base, u32 Size>
struct Window {
    static std::span<u8>& view() {
        return Base == kSdramBase ? m68k_s32x_sdram_view : m68k_s32x_framebuffer_view;
    }
    static u32 index(u32 a) { return (a - Base) & (Size - 1); }
    static u8 byte(u32 a) {
        const u32 i = index(a);
        return i < view().size() ? view()[i] : 0;
    }
    static void store(u32 a, u32 v, bool keep_zero) {
        const u32 i = index(a);
        if (i >= view().size() || (keep_zero && (v & 0xFF) == 0)) return;
        view()[i] = static_cast<u8>(v);
    }
    static u32 read_byte(u32 a) { return view().empty() ? a : byte(a); }
    static u32 read_word(u32 a) { return view().empty() ? a : u32{byte(a)} << 8 | byte(a + 1); }
    static u32 read_long(u32 a) {
        if (view().empty()) return a;
        return u32{byte(a)} << 24 | u32{byte(a + 1)} << 16 | u32{byte(a + 2)} << 8 | byte(a + 3);
    }
    // keep_zero: which widths leave the old byte where the new one is zero.
    template <bool KeepZero>
    static void write_byte(u32 a, u32 v) {
        store(a, v, KeepZero);
    }
    template <bool KeepZero>
    static void write_word(u32 a, u32 v) {
        store(a, v >> 8, KeepZero);
        store(a + 1, v, KeepZero);
    }
    template <bool KeepZero>
    static void write_long(u32 a, u32 v) {
        write_word<KeepZero>(a, v >> 16);
        write_word<KeepZero>(a + 2, v);
    }
};

using Sdram     = Window<kSdramBase, kSdramSize>;
using Fb        = Window<kFbBase, kFbSize>;
using Overwrite = Window<kOverwriteBase, kFbSize>;

}  // namespace

const M68kHandlerSet m68k_s32x_sdram_window_set{Sdram::read_byte,         Sdram::read_word,
                                                Sdram::read_long,         Sdram::write_byte<false>,
                                                Sdram::write_word<false>, Sdram::write_long<false>};
const M68kHandlerSet m68k_s32x_framebuffer_window_set{Fb::read_byte,         Fb::read_word,
                                                      Fb::read_long,         Fb::write_byte<true>,
                                                      Fb::write_word<false>, Fb::write_long<false>};
const M68kHandlerSet m68k_s32x_overwrite_window_set{
    Overwrite::read_byte,        Overwrite::read_word,        Overwrite::read_long,
    Overwrite::write_byte<true>, Overwrite::write_word<true>, Overwrite::write_long<true>};

const M68kHandlerSet m68k_s32x_register_set{a15_read_byte,  a15_read_word,  a15_read_long,
                                            a15_write_byte, a15_write_word, a15_write_long};

void m68k_map_s32x_bios_overlay() {
    m68k_map_page(0, kBiosOverlaySet);
    m68k_set_fetch_page(0, m68k_fetch_page(M68kFetchKind::kS32xBios, kS32xM68kBiosOffset, 0));
}

}  // namespace varn
