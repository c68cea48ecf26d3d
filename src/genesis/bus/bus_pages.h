#pragma once
// Handler sets of the 68000 map that only this folder lays out (internal header).

#include "genesis/bus/m68k_map.h"
#include "genesis/vdp/vdp.h"

namespace varn {

// Memory regions.
extern const M68kHandlerSet m68k_work_ram_set;         // 0xE00000-0xFFFFFF, 64 KB repeated
extern const M68kHandlerSet m68k_cart_rom_window_set;  // 0x880000-0x8FFFFF: ROM 0-0x7FFFF
extern const M68kHandlerSet m68k_banked_rom_set;       // 0x900000-0x9FFFFF: 32X ROM bank

// Register pages.
extern const M68kHandlerSet m68k_z80_ram_set;          // 0xA00000-0xA01FFF
extern const M68kHandlerSet m68k_ym2612_set;           // 0xA04000-0xA04FFF
extern const M68kHandlerSet m68k_z80_psg_set;          // 0xA07000-0xA07FFF
extern const M68kHandlerSet m68k_io_port_set;          // 0xA10000-0xA10FFF
extern const M68kHandlerSet m68k_z80_control_set;      // 0xA11000-0xA11FFF
extern const M68kHandlerSet m68k_cart_register_set;    // 0xA13000-0xA13FFF
extern const M68kHandlerSet m68k_boot_rom_switch_set;  // 0xA14000-0xA14FFF
extern const M68kHandlerSet m68k_vdp_port_set;         // 0xC00000-0xC00FFF
// True for the VDP page's addresses whose reads are steady within a 68000 slice: the status
// port (0xC00004-0xC00007) while a read of it made now gives what the next one would. A
// status read depends on the scheduler's position, which holds for a slice, and on control
// state that only port writes, DMA and the line events between slices change. A read clears
// the pending command word, which changes nothing a later read reports, and the DMA-busy bit,
// which it reports once: while that bit is pending the read is not steady (after a fill the
// reads give 0x3602, then 0x3600). Inline, as the wait loops ask at every slice they resume.
inline bool vdp_port_read_is_steady(u32 addr) {
    return addr - 0xC00004u < 4 && vdp_status_read_is_steady();
}
extern const M68kHandlerSet m68k_s32x_register_set;  // 0xA15000-0xA15FFF

// 32X memories.
extern const M68kHandlerSet m68k_s32x_sdram_window_set;        // 0x600000-0x63FFFF
extern const M68kHandlerSet m68k_s32x_framebuffer_window_set;  // 0x840000-0x85FFFF
extern const M68kHandlerSet m68k_s32x_overwrite_window_set;    // 0x860000-0x87FFFF

// Sega CD map regions.
extern const M68kHandlerSet m68k_scd_bios_set;       // 0x000000-0x01FFFF
extern const M68kHandlerSet m68k_ram_cart_id_set;    // 0x400000-0x400FFF
extern const M68kHandlerSet m68k_ram_cart_data_set;  // 0x600000-0x63FFFF

// The handler set of a region reached byte by byte through one reader and one store: a word
// or long is its bytes in big-endian order, each mapped on its own (so an access that runs
// past the region's end goes where the byte mapping sends it).
template <M68kReadFn Read, M68kWriteFn Store>
struct BytewiseHandlers {
    static u32 read_word(u32 a) { return Read(a) << 8 | Read(a + 1); }
    static u32 read_long(u32 a) { return read_word(a) << 16 | read_word(a + 2); }
    static void write_word(u32 a, u32 v) {
        Store(a, v >> 8);
        Store(a + 1, v);
    }
    static void write_long(u32 a, u32 v) {
        write_word(a, v >> 16);
        write_word(a + 2, v);
    }
    static constexpr M68kHandlerSet kSet{Read, read_word, read_long, Store, write_word, write_long};
};

template <u32 N>
constexpr u32 m68k_map_pages(const M68kMapRun (&runs)[N]) {
    u32 pages = 0;
    for (const auto& run : runs) pages += run.pages;
    return pages;
}

// Lays a region list from page 0; the counts must add up to 4096.
template <u32 N>
void m68k_lay_map(const M68kMapRun (&runs)[N]) {
    u32 page = 0;
    for (const auto& run : runs) {
        for (u32 i = 0; i < run.pages && page < kM68kBusPages; ++i) m68k_map_page(page++, *run.set);
    }
}

}  // namespace varn
