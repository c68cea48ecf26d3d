#pragma once
// The main 68000's memory map: which handler serves each 4 KB page of the 24-bit space.
//
// The page tables themselves are declared by the CPU core (src/m68k/m68k_bus.h); this
// folder fills them. A region of the map is one handler set (read byte, word, long; write
// byte, word, long), and a map is a run-length list of {handler set, page count} laid from
// page 0 up to page 4095. Two lists exist: the cartridge/32X map and the Sega CD map. A few
// single pages are re-pointed while the machine runs: page 0 by the boot-ROM switch (and by
// the 32X start), the pages of the save-RAM window at power-on.
//
// Every handler keeps its accesses inside its image: a word or long that starts near the end
// of an image wraps within it (RAMs, boot ROM) or reads the zero guard bytes after it
// (cartridge ROM, which is followed by guard bytes in the memory arena); nothing is written
// outside an image.

#include "base/types.h"
#include "m68k/m68k_bus.h"

namespace varn {

// M68kHandlerSet and M68kMapRun, the types of a region and of a run of a region list, are
// the CPU core's (m68k/m68k_bus.h).

// Points page `page` (0-4095) of the six tables at `set`.
void m68k_map_page(u32 page, const M68kHandlerSet& set);

// Builds the tables at program start (cartridge map).
void m68k_build_memory_map();
// Genesis and 32X power-on: the cartridge map again, then page 0 gets the boot ROM when
// cfg_gen_use_bios is on and the boot-ROM latch (0xA14101) is 0. The save-RAM window is
// mapped afterwards by cart_save_setup (genesis/bus/save_ram.h).
void m68k_reset_memory_map();
// Sega CD power-on: the Sega CD map.
void m68k_build_segacd_memory_map();

// Regions that other code installs on single pages.
extern const M68kHandlerSet m68k_unmapped_set;  // reads the address, ignores writes
extern const M68kHandlerSet m68k_cart_rom_set;  // cartridge ROM at the address
extern const M68kHandlerSet m68k_boot_rom_set;  // 2 KB boot ROM, repeated through the page
extern const M68kHandlerSet m68k_save_ram_set;  // the save-RAM window (save_ram.h)

// ---------------------------------------------------------------------------------------
// Slots to the add-on units. Each is a handler set owned here that the unit's own code
// replaces at its one-time set-up; until then it behaves as the console does without that
// unit attached (reads give the address, writes are ignored) or, for the Sega CD memory
// windows, as the gate array does after its reset (PRG-RAM bank 0, word RAM in 2 Mbit mode).
// The 32X's memories and register page have slots of their own (genesis/bus/s32x_pages.h).
// ---------------------------------------------------------------------------------------
extern M68kHandlerSet m68k_scd_gate_array_set;      // 0xA12000 page
extern M68kHandlerSet m68k_scd_prg_ram_window_set;  // 0x020000-0x03FFFF (Sega CD map)
extern M68kHandlerSet m68k_scd_word_ram_set;        // 0x200000-0x23FFFF (Sega CD map)

// Restores every slot above to its default (tests; a unit that is switched off).
void m68k_reset_unit_slots();

}  // namespace varn
