#include "genesis/bus/boot_rom_switch.h"

#include "base/config.h"
#include "genesis/bus/bus_pages.h"
#include "m68k/m68k.h"
#include "memory/memory.h"

namespace varn {

u32 boot_rom_latch = 1;

void boot_rom_latch_power_on() { boot_rom_latch = cfg(cfg_gen_use_bios) ? 0 : 1; }

namespace {

// Only 0xA14101 is a register; the rest of the page reads the address. The page decodes
// like the Z80 control page: bits 1-7 and 10-11 must be zero.
constexpr u32 kLatchAddress = 0xA14101;

u32 switch_read_byte(u32 a) { return a == kLatchAddress ? (boot_rom_latch & 1) : a; }

void switch_write_byte(u32 a, u32 v) {
    if (a != kLatchAddress || !cfg(cfg_gen_use_bios)) return;
    boot_rom_latch = v & 1;
    if (boot_rom_latch) {
        m68k_map_page(0, m68k_cart_rom_set);
        m68k_set_fetch_page(0, m68k_fetch_page(M68kFetchKind::kPlain, kCartRomOffset, 0));
    } else {
        m68k_map_page(0, m68k_boot_rom_set);
        m68k_set_fetch_page(0, m68k_fetch_page(M68kFetchKind::kPlain, kBootRomOffset, 0));
    }
}

void ignore_write(u32, u32) {}

}  // namespace

const M68kHandlerSet m68k_boot_rom_switch_set{switch_read_byte,   m68k_unmapped_read,
                                              m68k_unmapped_read, switch_write_byte,
                                              ignore_write,       ignore_write};

}  // namespace varn
