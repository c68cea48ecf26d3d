#pragma once
// The earlier machine's main 68000 bus: one page table of handler sets (the older core's
// m68k_page_table_v024), laid from a run list of {handler set, page count} for a Genesis or
// 32X machine and for a Sega CD machine, and the handlers of the regions where this machine
// differs from the main program's: the cartridge with its save RAM and 32X vectors, the Z80
// area, the I/O ports, the Z80 and boot-ROM control, the cartridge control page with its
// bank copies, work RAM and the VDP ports.
//
// Cartridge/32X map (4096 pages of 4 KB):
//   0x000000-0x3FFFFF  cartridge (save RAM window, 32X vectors below 0x100 while active)
//   0x400000-0x5FFFFF  unmapped
//   0x600000-0x63FFFF  32X SDRAM                          (m68k_s32x_sets_v024.sdram)
//   0x640000-0x83FFFF  unmapped
//   0x840000-0x85FFFF  32X frame buffer                   (m68k_s32x_sets_v024.frame_buffer)
//   0x860000-0x87FFFF  32X frame buffer, overwrite image  (m68k_s32x_sets_v024.overwrite)
//   0x880000-0x8FFFFF  cartridge from offset 0, read only
//   0x900000-0x9FFFFF  cartridge through the 32X ROM bank, read only
//   0xA00000-0xA0FFFF  Z80 area (Z80 RAM, YM2612)
//   0xA10000           I/O ports
//   0xA11000           Z80 bus request and reset
//   0xA12000           Sega CD gate array (m68k_scd_gate_array_set, the main map's slot)
//   0xA13000           cartridge control: 32X identity, save RAM, bank registers
//   0xA14000           boot ROM switch
//   0xA15000           32X system registers               (m68k_s32x_sets_v024.registers)
//   0xA16000-0xBFFFFF  unmapped
//   0xC00000           VDP ports
//   0xC01000-0xFEFFFF  unmapped
//   0xFF0000-0xFFFFFF  work RAM (64 KB, no mirror below it)
//
// Unmapped pages read as the address and ignore writes. No handler reads or writes outside
// its image: words and longs that run over a region's end are split at the edge (each byte
// taken where it lies).

#include <array>
#include <span>

#include "base/types.h"
#include "m68k/m68k_bus.h"

namespace varn {

// ---- Records -------------------------------------------------------------------------

// Save RAM window of the cartridge (from the header at power-on). `start` kNoSaveRamV024
// means none. The window is cut to the 64 KB save-RAM array; an end before the start means
// none.
inline constexpr u32 kNoSaveRamV024 = 0xFFFFFFFF;
struct SaveRamWindowV024 {
    u32 start        = kNoSaveRamV024;
    u32 end          = 0;
    u32 size         = 0;
    u32 enable_limit = 0xFFFFFFFF;  // save RAM answers below this address only (0xA130F1)
};
extern SaveRamWindowV024 save_ram_v024;

// Bit 0: 1 while the cartridge is on page 0, 0 while the boot ROM is (0xA14101).
extern u32 cart_visible_v024;

// The eight bank bytes of the 512 KB slots of the cartridge window (0xA130F1-0xA130FF; slot
// 0's byte is the save RAM control), 0-7 at power-on.
extern std::array<u8, 8> cart_banks_v024;

// The 1 MB bank of the 0x900000 window (0-3), stored by the 32X bank register.
extern u32 s32x_rom_bank_v024;

// The Z80 bus request (1: the 68000 holds the Z80 bus) and the Z80 reset line (0xA11200).
extern u32 z80_busreq_v024;
extern u32 z80_reset_line_v024;

// The 32X regions, each a handler set its unit fills at start-up (unmapped until then, as
// the console shows them without a 32X).
struct S32xSetsV024 {
    M68kHandlerSet sdram;
    M68kHandlerSet frame_buffer;
    M68kHandlerSet overwrite;
    M68kHandlerSet registers;
};
extern S32xSetsV024 m68k_s32x_sets_v024;

// ---- Maps ----------------------------------------------------------------------------

// The region lists of the Genesis/32X machine and of the Sega CD machine. The Sega CD map
// is the cartridge map from 0x840000 up; below it: the BIOS (0x000000-0x01FFFF, read only),
// the first 128 KB of PRG-RAM (0x020000-0x03FFFF, whatever bank the memory mode names),
// word RAM (0x200000-0x27FFFF, the 256 KB twice, reached only while the main CPU owns it),
// and unmapped pages (0x600000-0x63FFFF and 0x7FF000 among them: they read as the address).
extern const std::array<M68kMapRun, 19> m68k_map_cart_v024;
extern const std::array<M68kMapRun, 24> m68k_map_segacd_v024;

// Slot to the Sega CD unit: true while the main CPU owns word RAM (the owner flag is 0).
// Null: it does.
extern bool (*scd_word_ram_main_owns_v024)();

// Start-up: lays the cartridge map.
void m68k_build_memory_map_v024();
// Genesis power-on: the cartridge map again; with the boot ROM on (GENUseSystemROM) and
// the cartridge not yet visible, page 0 is the boot ROM's.
void m68k_map_reset_v024();
// Sega CD power-on: lays the Sega CD map.
void m68k_map_segacd_reset_v024();
// Lays a region list from page 0 (the counts add up to 4096).
void m68k_lay_map_v024(std::span<const M68kMapRun> runs);

// Reads the save RAM window from the cartridge header in `cart_rom`: "RA" at 0x1B0, the
// first and last address as big-endian longs at 0x1B4 and 0x1B8; the enable limit opens.
void save_ram_detect_v024();

// Power-on state of the records above (bank bytes 0-7, the Z80 bus held, the boot ROM
// switch by the setting).
void m68k_map_power_on_v024();

// Copies 512 KB of the loaded image, from `source_offset`, into slot `slot` of the
// cartridge window: only the bytes the image has (the rest of the slot stays as it is).
// The image is the copy taken at power-on, so that banks already switched in never
// become the source of another.
void cart_bank_copy_v024(u32 slot, u32 source_offset);
// Keeps the loaded image's first `size` bytes of `cart_rom` as the bank copies' source
// (power-on).
void cart_bank_source_capture_v024(u32 size);

// Every record back to its program-start value and the page table laid with the cartridge
// map (tests).
void m68k_map_reset_records_v024();

// ---- Regions (exposed for the Sega CD and 32X units, which lay their own maps) ---------

extern const M68kHandlerSet m68k_cart_set_v024;
extern const M68kHandlerSet m68k_boot_rom_set_v024;
extern const M68kHandlerSet m68k_work_ram_set_v024;
extern const M68kHandlerSet m68k_z80_area_set_v024;
extern const M68kHandlerSet m68k_io_set_v024;
extern const M68kHandlerSet m68k_z80_control_set_v024;  // also the boot ROM switch page
extern const M68kHandlerSet m68k_cart_control_set_v024;
extern const M68kHandlerSet m68k_vdp_set_v024;
extern const M68kHandlerSet m68k_cart_window_set_v024;    // 0x880000
extern const M68kHandlerSet m68k_banked_window_set_v024;  // 0x900000

}  // namespace varn
