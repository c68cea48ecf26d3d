#include "genesis/bus/s32x_pages.h"

#include "base/endian.h"
#include "genesis/bus/bus_pages.h"
#include "genesis/memory/memory.h"
#include "m68k/m68k.h"

namespace varn {

namespace {

constexpr M68kA15Tables unmapped_a15_tables() {
    M68kA15Tables t{};
    for (auto* r : {&t.read_byte, &t.read_word, &t.read_long}) r->fill(&m68k_unmapped_read);
    for (auto* w : {&t.write_byte, &t.write_word, &t.write_long}) w->fill(&m68k_unmapped_write);
    return t;
}

}  // namespace

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

u8 overlay_byte(u32 a) {
    a &= 0xFFF;
    if (a < kOverlayEnd && bios_visible()) return s32x_m68k_bios[a];
    return cart_rom[a];
}
void overlay_store(u32 a, u32 v) {
    a &= 0xFFF;
    if (a < kOverlayEnd) s32x_m68k_bios[a] = static_cast<u8>(v);
}

u32 overlay_read_byte(u32 a) { return overlay_byte(a); }
u32 overlay_read_word(u32 a) { return u32{overlay_byte(a)} << 8 | overlay_byte(a + 1); }
u32 overlay_read_long(u32 a) { return overlay_read_word(a) << 16 | overlay_read_word(a + 2); }
void overlay_write_byte(u32 a, u32 v) { overlay_store(a, v); }
void overlay_write_word(u32 a, u32 v) {
    overlay_store(a, v >> 8);
    overlay_store(a + 1, v);
}
void overlay_write_long(u32 a, u32 v) {
    overlay_write_word(a, v >> 16);
    overlay_write_word(a + 2, v);
}

constexpr M68kHandlerSet kBiosOverlaySet{overlay_read_byte,  overlay_read_word,
                                         overlay_read_long,  overlay_write_byte,
                                         overlay_write_word, overlay_write_long};

}  // namespace

const M68kHandlerSet m68k_s32x_register_set{a15_read_byte,  a15_read_word,  a15_read_long,
                                            a15_write_byte, a15_write_word, a15_write_long};

void m68k_map_s32x_bios_overlay() {
    m68k_map_page(0, kBiosOverlaySet);
    m68k_set_fetch_page(0, m68k_fetch_page(M68kFetchKind::kS32xBios, kS32xM68kBiosOffset, 0));
}

}  // namespace varn
