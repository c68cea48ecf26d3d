#pragma once
// The 32X's pieces of the main 68000's map: the windows onto its SDRAM and frame buffer, the
// register page 0xA15000, decoded through six 1024-entry tables, and the BIOS overlay of
// page 0.
//
// 0x600000-0x63FFFF  SDRAM (256 KB), every width
// 0x840000-0x85FFFF  the frame buffer not on display (128 KB): a byte write of zero leaves
//                    the old byte (a transparent pixel); word and long writes store whole
// 0x860000-0x87FFFF  the same buffer as the overwrite image: at every width, zero bytes leave
//                    the old bytes and the others are stored
// The memories are the 32X unit's; it points the views below at them (and repoints the
// frame-buffer view when the display flips). An empty view is an absent 32X: reads give the
// address, writes are ignored.
//
// 0xA15000-0xA15FFF: every access is routed through `m68k_a15_tables` by address & 0x3FF, so
// 0xA15400-0xA15FFF repeat 0xA15000-0xA153FF. The 32X unit's code fills the entries of its
// registers and palette at its one-time set-up; every entry starts unmapped (reads give the
// address, writes are ignored), which is what the console shows without a 32X.
//
// BIOS overlay: once the 68000 starts the 32X, page 0 shows the 32X's 256-byte 68000-side
// BIOS below 0x100 while the 32X is active, and the cartridge otherwise.

#include <array>
#include <span>

#include "base/types.h"
#include "m68k/m68k_bus.h"

namespace varn {

extern std::span<u8> m68k_s32x_sdram_view;        // 256 KB
extern std::span<u8> m68k_s32x_framebuffer_view;  // 128 KB, the buffer not on display

inline constexpr u32 kM68kA15Entries = 1024;

struct M68kA15Tables {
    std::array<M68kReadFn, kM68kA15Entries> read_byte;
    std::array<M68kReadFn, kM68kA15Entries> read_word;
    std::array<M68kReadFn, kM68kA15Entries> read_long;
    std::array<M68kWriteFn, kM68kA15Entries> write_byte;
    std::array<M68kWriteFn, kM68kA15Entries> write_word;
    std::array<M68kWriteFn, kM68kA15Entries> write_long;
};

extern M68kA15Tables m68k_a15_tables;

// One run of a table's fill list: `count` consecutive entries served by `fn`.
template <class Fn>
struct M68kA15Run {
    Fn fn;
    u32 count;
};

// Fills a table from entry 0 upwards; entries past the runs keep their handler.
template <class Fn, std::size_t N>
void m68k_a15_fill(std::array<Fn, kM68kA15Entries>& table, const M68kA15Run<Fn> (&runs)[N]) {
    u32 entry = 0;
    for (const auto& run : runs) {
        for (u32 i = 0; i < run.count && entry < kM68kA15Entries; ++i) table[entry++] = run.fn;
    }
}

// Every entry unmapped (program start; a 32X that is not fitted).
void m68k_a15_tables_reset();

// Slot to the 32X unit: true while the 32X is active. Null: never.
extern bool (*m68k_s32x_active)();

// The 32X start (0xA15101): page 0 gets the BIOS overlay, and code fetch of the first 64 KB
// the 32X BIOS below 0x100.
void m68k_map_s32x_bios_overlay();

}  // namespace varn
