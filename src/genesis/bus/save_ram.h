#pragma once
// Cartridge save memory and its window in the 68000 map.
//
// `cart_sram` is one image with four users: the battery-backed static RAM of a Genesis
// cartridge, the serial EEPROM of a cartridge that has one (128 bytes), the Sega CD RAM
// cartridge and the Master System cartridge RAM. `cart_sram_size` is the number of bytes
// in use; the save-RAM file is written from it.
//
// A cartridge announces its save memory in its header: "RA" at 0x1B0, a kind byte at 0x1B2
// (0xE8 = serial EEPROM, anything else = static RAM) and the first and last address of the
// window as big-endian longs at 0x1B4 and 0x1B8. The window's pages get the save-RAM handler
// set; inside the window (and while 0xA130F1 bit 0 enables it) accesses reach the save
// memory, elsewhere in those pages the cartridge ROM.

#include "base/types.h"

namespace varn {

inline constexpr u32 kCartSramBytes  = 0x10000;     // the save-RAM array
inline constexpr u32 kCartEepromSize = 0x80;        // 128-byte two-wire EEPROM
inline constexpr u32 kCartSaveNone   = 0xFFFFFFFF;  // `cart_save_start`: no window

enum : u32 { kCartSaveStatic = 0, kCartSaveEeprom = 1 };

extern u8 cart_sram[kCartSramBytes];
extern u32 cart_save_start;   // first address of the window (inclusive), kCartSaveNone if none
extern u32 cart_save_end;     // last address of the window (inclusive)
extern u32 cart_save_kind;    // kCartSaveStatic or kCartSaveEeprom
extern u32 cart_sram_enable;  // all ones: window enabled; 0: the window shows ROM (0xA130F1)
extern u32 cart_sram_size;    // bytes of `cart_sram` in use (what the save file holds)

// Clears the save memory and forgets any window (tests and program start).
void save_ram_reset();

// Genesis power-on, right after the page tables are rebuilt: reads the cartridge header in
// `cart_rom`, validates it and maps the window. The addresses are masked to 24 bits; a
// window whose start lies after its end or outside the cartridge area (0x000000-0x3FFFFF)
// is refused, and a static-RAM window is cut to the size of `cart_sram` and to the
// cartridge area. A refused or missing header leaves the cartridge without save memory
// (`cart_sram_size` 0). Returns true when a window was mapped.
bool cart_save_setup();

// Read and write of the save-RAM window pages (installed by cart_save_setup).
u32 cart_save_read_byte(u32 addr);
u32 cart_save_read_word(u32 addr);
u32 cart_save_read_long(u32 addr);
void cart_save_write_byte(u32 addr, u32 value);
void cart_save_write_word(u32 addr, u32 value);
void cart_save_write_long(u32 addr, u32 value);

}  // namespace varn
