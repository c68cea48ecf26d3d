#include "genesis/bus/m68k_map.h"

#include "base/config.h"
#include "base/endian.h"
#include "genesis/bus/boot_rom_switch.h"
#include "genesis/bus/bus_pages.h"
#include "m68k/m68k.h"
#include "memory/memory.h"

namespace varn {

void m68k_map_page(u32 page, const M68kHandlerSet& set) {
    page &= kM68kBusPages - 1;
    m68k_page_read_byte[page]  = set.read_byte;
    m68k_page_read_word[page]  = set.read_word;
    m68k_page_read_long[page]  = set.read_long;
    m68k_page_write_byte[page] = set.write_byte;
    m68k_page_write_word[page] = set.write_word;
    m68k_page_write_long[page] = set.write_long;
}

namespace {

// Reads of ROM images that lie in the arena with guard bytes behind them: a word or long that
// starts on the last bytes reads zeros past the end and stays inside the arena.
u32 arena_read_byte(u32 index) { return memory_arena[index]; }
u32 arena_read_word(u32 index) { return load_be16(memory_arena + index); }
u32 arena_read_long(u32 index) { return load_be32(memory_arena + index); }

// ---- cartridge ROM at the address (0x000000-0x3FFFFF) ----
u32 cart_read_byte(u32 a) { return arena_read_byte(kCartRomOffset + (a & (kCartRomSize - 1))); }
u32 cart_read_word(u32 a) { return arena_read_word(kCartRomOffset + (a & (kCartRomSize - 1))); }
u32 cart_read_long(u32 a) { return arena_read_long(kCartRomOffset + (a & (kCartRomSize - 1))); }

// ---- 0x880000-0x8FFFFF: the first 512 KB of the cartridge again ----
u32 window_read_byte(u32 a) { return arena_read_byte(kCartRomOffset + (a - 0x880000)); }
u32 window_read_word(u32 a) { return arena_read_word(kCartRomOffset + (a - 0x880000)); }
u32 window_read_long(u32 a) { return arena_read_long(kCartRomOffset + (a - 0x880000)); }

// ---- 0x900000-0x9FFFFF: the 1 MB bank of the cartridge that the 32X selects ----
u32 banked_index(u32 a) {
    const u32 bank = m68k_banked_rom_offset ? (m68k_banked_rom_offset() & 0x300000) : 0;
    return kCartRomOffset + (a - 0x900000) + bank;
}
u32 banked_read_byte(u32 a) { return arena_read_byte(banked_index(a)); }
u32 banked_read_word(u32 a) { return arena_read_word(banked_index(a)); }
u32 banked_read_long(u32 a) { return arena_read_long(banked_index(a)); }

// ---- boot ROM: 2 KB repeated through page 0 (each byte wraps on its own) ----
u8 boot_byte(u32 a) { return gen_boot_rom[a & (kBootRomSize - 1)]; }
u32 boot_read_byte(u32 a) { return boot_byte(a); }
u32 boot_read_word(u32 a) { return u32{boot_byte(a)} << 8 | boot_byte(a + 1); }
u32 boot_read_long(u32 a) { return boot_read_word(a) << 16 | boot_read_word(a + 2); }

// ---- work RAM: 64 KB repeated through 0xE00000-0xFFFFFF ----
constexpr u32 kRamMask = kWorkRamSize - 1;
u32 ram_read_byte(u32 a) { return m68k_ram[a & kRamMask]; }
u32 ram_read_word(u32 a) {
    a &= kRamMask;
    if (a < kRamMask) return load_be16(&m68k_ram[a]);
    return u32{m68k_ram[a]} << 8 | m68k_ram[0];
}
u32 ram_read_long(u32 a) {
    a &= kRamMask;
    if (a <= kRamMask - 3) return load_be32(&m68k_ram[a]);
    return ram_read_word(a) << 16 | ram_read_word(a + 2);
}
void ram_write_byte(u32 a, u32 v) { m68k_ram[a & kRamMask] = static_cast<u8>(v); }
void ram_write_word(u32 a, u32 v) {
    a &= kRamMask;
    if (a < kRamMask) {
        store_be16(&m68k_ram[a], static_cast<u16>(v));
    } else {
        m68k_ram[a] = static_cast<u8>(v >> 8);
        m68k_ram[0] = static_cast<u8>(v);
    }
}
void ram_write_long(u32 a, u32 v) {
    a &= kRamMask;
    if (a <= kRamMask - 3) {
        store_be32(&m68k_ram[a], v);
    } else {
        ram_write_word(a, v >> 16);
        ram_write_word(a + 2, v);
    }
}

void ignore_write(u32, u32) {}

}  // namespace

const M68kHandlerSet m68k_unmapped_set{m68k_unmapped_read,  m68k_unmapped_read,
                                       m68k_unmapped_read,  m68k_unmapped_write,
                                       m68k_unmapped_write, m68k_unmapped_write};
const M68kHandlerSet m68k_cart_rom_set{cart_read_byte, cart_read_word, cart_read_long,
                                       ignore_write,   ignore_write,   ignore_write};
const M68kHandlerSet m68k_boot_rom_set{boot_read_byte, boot_read_word, boot_read_long,
                                       ignore_write,   ignore_write,   ignore_write};
const M68kHandlerSet m68k_work_ram_set{ram_read_byte,  ram_read_word,  ram_read_long,
                                       ram_write_byte, ram_write_word, ram_write_long};
const M68kHandlerSet m68k_cart_rom_window_set{window_read_byte, window_read_word, window_read_long,
                                              ignore_write,     ignore_write,     ignore_write};
const M68kHandlerSet m68k_banked_rom_set{banked_read_byte, banked_read_word, banked_read_long,
                                         ignore_write,     ignore_write,     ignore_write};

// ---- slots to the add-on units ----
namespace {

// Sega CD PRG-RAM window and word RAM as the gate array leaves them after its reset.
u32 prg_index(u32 a) { return kScdPrgRamOffset + (a - 0x020000); }
u32 prg_read_byte(u32 a) { return memory_arena[prg_index(a)]; }
void prg_write_byte(u32 a, u32 v) { memory_arena[prg_index(a)] = static_cast<u8>(v); }
// The window's last bytes run on into the rest of PRG-RAM (bank 0 is followed by bank 1),
// which stays inside the image.

u32 wram_index(u32 a) { return kScdWordRamOffset + ((a - 0x200000) & (kScdWordRamSize - 1)); }
u32 wram_read_byte(u32 a) { return memory_arena[wram_index(a)]; }
void wram_write_byte(u32 a, u32 v) { memory_arena[wram_index(a)] = static_cast<u8>(v); }

constexpr M68kHandlerSet kPrgRamWindowDefault =
    BytewiseHandlers<prg_read_byte, prg_write_byte>::kSet;
constexpr M68kHandlerSet kWordRamDefault = BytewiseHandlers<wram_read_byte, wram_write_byte>::kSet;

}  // namespace

M68kHandlerSet m68k_scd_gate_array_set     = m68k_unmapped_set;
M68kHandlerSet m68k_scd_prg_ram_window_set = kPrgRamWindowDefault;
M68kHandlerSet m68k_scd_word_ram_set       = kWordRamDefault;

void m68k_reset_unit_slots() {
    m68k_scd_gate_array_set     = m68k_unmapped_set;
    m68k_scd_prg_ram_window_set = kPrgRamWindowDefault;
    m68k_scd_word_ram_set       = kWordRamDefault;
}

// Cartridge and 32X map. The Z80 area is laid page by page (its sixteen pages decode bits
// 12-15 of the address, which the page tables already do).
namespace {

constexpr M68kMapRun kCartMap[] = {
    {&m68k_cart_rom_set, 1024},               // 0x000000 cartridge ROM
    {&m68k_unmapped_set, 512},                // 0x400000
    {&m68k_s32x_sdram_window_set, 64},        // 0x600000 32X SDRAM
    {&m68k_unmapped_set, 512},                // 0x640000
    {&m68k_s32x_framebuffer_window_set, 32},  // 0x840000 32X frame buffer
    {&m68k_s32x_overwrite_window_set, 32},    // 0x860000 its overwrite image
    {&m68k_cart_rom_window_set, 128},         // 0x880000 cartridge ROM window
    {&m68k_banked_rom_set, 256},              // 0x900000 banked cartridge ROM
    {&m68k_z80_ram_set, 2},                   // 0xA00000 Z80 RAM
    {&m68k_unmapped_set, 2},                  // 0xA02000 (no mirror of the RAM)
    {&m68k_ym2612_set, 1},                    // 0xA04000 YM2612
    {&m68k_unmapped_set, 2},                  // 0xA05000, 0xA06000 (bank register)
    {&m68k_z80_psg_set, 1},                   // 0xA07000 PSG
    {&m68k_unmapped_set, 8},                  // 0xA08000
    {&m68k_io_port_set, 1},                   // 0xA10000 I/O ports
    {&m68k_z80_control_set, 1},               // 0xA11000 Z80 bus request and reset
    {&m68k_scd_gate_array_set, 1},            // 0xA12000 Sega CD gate array
    {&m68k_cart_register_set, 1},             // 0xA13000 cartridge registers
    {&m68k_boot_rom_switch_set, 1},           // 0xA14000 boot-ROM switch
    {&m68k_s32x_register_set, 1},             // 0xA15000 32X registers
    {&m68k_unmapped_set, 490},                // 0xA16000
    {&m68k_vdp_port_set, 1},                  // 0xC00000 VDP and PSG ports
    {&m68k_unmapped_set, 511},                // 0xC01000
    {&m68k_work_ram_set, 512},                // 0xE00000 work RAM
};

static_assert(m68k_map_pages(kCartMap) == kM68kBusPages);

// Steady reads (see m68k_steady_read): work RAM, which within a 68000 slice only the 68000
// writes (the Z80's bank window and the add-on units reach it between slices), and the VDP's
// status port, whose word holds for a slice.
bool steady_read(u32 addr, u32 size) {
    const u32 page = (addr & kM68kAddressMask) >> 12;
    if (m68k_page_read_byte[page] == ram_read_byte) return true;
    return size != 4 && m68k_page_read_word[page] == m68k_vdp_port_set.read_word &&
           vdp_port_read_is_steady(addr & kM68kAddressMask);
}

void declare_steady_reads() { m68k_steady_read = steady_read; }

}  // namespace

void m68k_build_memory_map() {
    m68k_lay_map(kCartMap);
    declare_steady_reads();
}

void m68k_reset_memory_map() {
    m68k_lay_map(kCartMap);
    declare_steady_reads();
    if (cfg(cfg_gen_use_bios) && (boot_rom_latch & 1) == 0) m68k_map_page(0, m68k_boot_rom_set);
}

// Sega CD map: its own area below 0x840000, then the cartridge map's runs from 0x840000 on.
namespace {

constexpr M68kMapRun kSegaCdMap[] = {
    {&m68k_scd_bios_set, 32},                 // 0x000000 Sega CD BIOS
    {&m68k_scd_prg_ram_window_set, 32},       // 0x020000 PRG-RAM window
    {&m68k_unmapped_set, 448},                // 0x040000
    {&m68k_scd_word_ram_set, 64},             // 0x200000 word RAM
    {&m68k_unmapped_set, 448},                // 0x240000
    {&m68k_ram_cart_id_set, 1},               // 0x400000 RAM-cartridge identification
    {&m68k_unmapped_set, 511},                // 0x401000
    {&m68k_ram_cart_data_set, 64},            // 0x600000 RAM-cartridge data
    {&m68k_unmapped_set, 447},                // 0x640000
    {&m68k_unmapped_set, 1},                  // 0x7FF000 RAM-cartridge write protect
    {&m68k_unmapped_set, 64},                 // 0x800000
    {&m68k_s32x_framebuffer_window_set, 32},  // 0x840000, as in the cartridge map
    {&m68k_s32x_overwrite_window_set, 32},
    {&m68k_cart_rom_window_set, 128},
    {&m68k_banked_rom_set, 256},
    {&m68k_z80_ram_set, 2},
    {&m68k_unmapped_set, 2},
    {&m68k_ym2612_set, 1},
    {&m68k_unmapped_set, 2},
    {&m68k_z80_psg_set, 1},
    {&m68k_unmapped_set, 8},
    {&m68k_io_port_set, 1},
    {&m68k_z80_control_set, 1},
    {&m68k_scd_gate_array_set, 1},
    {&m68k_cart_register_set, 1},
    {&m68k_boot_rom_switch_set, 1},
    {&m68k_s32x_register_set, 1},
    {&m68k_unmapped_set, 490},
    {&m68k_vdp_port_set, 1},
    {&m68k_unmapped_set, 511},
    {&m68k_work_ram_set, 512},
};

static_assert(m68k_map_pages(kSegaCdMap) == kM68kBusPages);

}  // namespace

void m68k_build_segacd_memory_map() {
    m68k_lay_map(kSegaCdMap);
    declare_steady_reads();
}

}  // namespace varn
