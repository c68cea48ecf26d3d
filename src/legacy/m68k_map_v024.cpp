// The earlier machine's main 68000 bus: the run list, the region handlers and the records
// behind them.

#include "legacy/m68k_map_v024.h"

#include <algorithm>
#include <vector>

#include "base/config.h"
#include "base/endian.h"
#include "genesis/bus/io_ports.h"
#include "genesis/bus/m68k_map.h"
#include "genesis/bus/save_ram.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "legacy/m68k/m68k_v024.h"
#include "legacy/vdp_v024.h"
#include "legacy/ym2612_v024.h"
#include "legacy/z80_v024.h"
#include "memory/memory.h"
#include "runtime/frame_shape.h"
#include "runtime/thread_link.h"

namespace varn {

SaveRamWindowV024 save_ram_v024{};
u32 cart_visible_v024 = 1;
std::array<u8, 8> cart_banks_v024{0, 1, 2, 3, 4, 5, 6, 7};
u32 s32x_rom_bank_v024                = 0;
u32 z80_busreq_v024                   = 1;
u32 z80_reset_line_v024               = 0;
bool (*scd_word_ram_main_owns_v024)() = nullptr;
S32xSetsV024 m68k_s32x_sets_v024{m68k_unmapped_set, m68k_unmapped_set, m68k_unmapped_set,
                                 m68k_unmapped_set};

namespace {

std::vector<u8> bank_source;  // the loaded image as power-on found it

// ---- Building blocks -------------------------------------------------------------------

// A region reached byte by byte: words and longs are their bytes in big-endian order, each
// taken where it lies, so nothing runs over the region's edge.
template <M68kReadFn Read, M68kWriteFn Write>
struct ByBytes {
    static u32 read_word(u32 a) { return (Read(a) & 0xFF) << 8 | (Read(a + 1) & 0xFF); }
    static u32 read_long(u32 a) { return read_word(a) << 16 | read_word(a + 2); }
    static void write_word(u32 a, u32 v) {
        Write(a, v >> 8);
        Write(a + 1, v);
    }
    static void write_long(u32 a, u32 v) {
        write_word(a, v >> 16);
        write_word(a + 2, v);
    }
    static constexpr M68kHandlerSet kSet{Read, read_word, read_long, Write, write_word, write_long};
};

void ignore_write(u32, u32) {}

bool s32x_active() {
    return (emu_state_flags.load(std::memory_order_relaxed) & kState32xActive) != 0;
}

// ---- Cartridge ---------------------------------------------------------------------------

bool in_save_ram(u32 a) {
    const SaveRamWindowV024& w = save_ram_v024;
    return a >= 0x100 && a < w.enable_limit && w.start != kNoSaveRamV024 && a >= w.start &&
           a <= w.end;
}

u32 cart_read_byte(u32 a) {
    a &= 0x3FFFFF;
    if (a < 0x100 && s32x_active()) return s32x_m68k_bios[a];
    if (in_save_ram(a)) return cart_sram[a - save_ram_v024.start];
    return cart_rom[a];
}
void cart_write_byte(u32 a, u32 v) {
    a &= 0x3FFFFF;
    if (a < 0x100) {
        if (s32x_active()) s32x_m68k_bios[a] = static_cast<u8>(v);
        return;
    }
    if (in_save_ram(a)) cart_sram[a - save_ram_v024.start] = static_cast<u8>(v);
}
// Words and longs below 0x100 reach the vectors only for reading (the older map writes
// the vector area byte by byte only).
void cart_write_byte_above_vectors(u32 a, u32 v) {
    if ((a & 0x3FFFFF) >= 0x100) cart_write_byte(a, v);
}
using CartBytes      = ByBytes<cart_read_byte, cart_write_byte>;
using CartWideWrites = ByBytes<cart_read_byte, cart_write_byte_above_vectors>;

u32 boot_rom_read_byte(u32 a) { return gen_boot_rom[a & (kBootRomSize - 1)]; }

// ---- Sega CD windows -----------------------------------------------------------------------

u32 scd_bios_read_byte(u32 a) { return scd_bios[a & (kScdBiosSize - 1)]; }
u32 prg_ram_read_byte(u32 a) { return scd_prg_ram[a & 0x1FFFF]; }
void prg_ram_write_byte(u32 a, u32 v) { scd_prg_ram[a & 0x1FFFF] = static_cast<u8>(v); }
bool word_ram_reachable() {
    return scd_word_ram_main_owns_v024 == nullptr || scd_word_ram_main_owns_v024();
}
u32 word_ram_read_byte(u32 a) {
    return word_ram_reachable() ? scd_word_ram[a & (kScdWordRamSize - 1)] : a & 0xFF;
}
void word_ram_write_byte(u32 a, u32 v) {
    if (word_ram_reachable()) scd_word_ram[a & (kScdWordRamSize - 1)] = static_cast<u8>(v);
}

// 0x880000: the cartridge from offset 0; 0x900000: through the 32X ROM bank. Read only.
u32 cart_window_read_byte(u32 a) { return cart_rom[a & 0x7FFFF]; }
u32 banked_window_read_byte(u32 a) {
    return cart_rom[((s32x_rom_bank_v024 & 3) << 20 | (a & 0xFFFFF)) & (kCartRomSize - 1)];
}

// ---- Work RAM ---------------------------------------------------------------------------

u32 work_ram_read_byte(u32 a) { return m68k_ram[a & 0xFFFF]; }
void work_ram_write_byte(u32 a, u32 v) { m68k_ram[a & 0xFFFF] = static_cast<u8>(v); }
u32 work_ram_read_word(u32 a) {
    a &= 0xFFFF;
    if (a == 0xFFFF) return ByBytes<work_ram_read_byte, work_ram_write_byte>::read_word(a);
    return load_be16(&m68k_ram[a]);
}
void work_ram_write_word(u32 a, u32 v) {
    a &= 0xFFFF;
    if (a == 0xFFFF) return ByBytes<work_ram_read_byte, work_ram_write_byte>::write_word(a, v);
    store_be16(&m68k_ram[a], static_cast<u16>(v));
}
u32 work_ram_read_long(u32 a) { return work_ram_read_word(a) << 16 | work_ram_read_word(a + 2); }
void work_ram_write_long(u32 a, u32 v) {
    work_ram_write_word(a, v >> 16);
    work_ram_write_word(a + 2, v);
}

// ---- Z80 area (0xA00000-0xA0FFFF) -------------------------------------------------------

u32 z80_area_read_byte(u32 a) {
    const u32 off = a & 0xFFFF;
    if (off < 0x2000) return z80_ram[off];
    if (off >= 0x4000 && off < 0x4004) return ym2612_status_v024();
    return a & 0xFF;
}
void z80_area_write_byte(u32 a, u32 v) {
    const u32 off = a & 0xFFFF;
    if (off < 0x2000) {
        z80_ram[off] = static_cast<u8>(v);
    } else if (off >= 0x4000 && off < 0x4004) {
        ym2612_port_write_v024(off & 3, static_cast<u8>(v));
    }
}
u32 z80_area_read_word(u32 a) {
    const u32 off = a & 0xFFFF;
    if (off >= 0x4000 && off < 0x4004) return ym2612_status_v024() * 0x101u;
    if (off < 0x2000) return ByBytes<z80_area_read_byte, z80_area_write_byte>::read_word(a);
    return a & 0xFFFF;
}
using Z80AreaBytes = ByBytes<z80_area_read_byte, z80_area_write_byte>;
u32 z80_area_read_long(u32 a) { return z80_area_read_word(a) << 16 | z80_area_read_word(a + 2); }

// ---- I/O ports (0xA10000-0xA1001F, odd addresses) ----------------------------------------

u32 io_read_byte(u32 a) {
    const u32 off = a & 0xFFF;
    if (off >= 0x20 || (off & 1) == 0) return a & 0xFF;
    switch (off) {
        case 0x01:
            return io_version_bits != nullptr ? io_version_bits() : 0;
        case 0x03:
        case 0x05: {
            const u32 port = (off - 3) / 2;
            const u8 input =
                io_port_device_read != nullptr ? io_port_device_read(port) : kIoPortNoDevice;
            const u8 output = io_port_regs.control[port];
            return (input & ~output & 0xFF) | (io_port_regs.data[port] & output);
        }
        case 0x07:
            return 0xFF;
        case 0x09:
        case 0x0B:
        case 0x0D:
            return io_port_regs.control[(off - 9) / 2];
        default:
            return 0;  // serial registers
    }
}
void io_write_byte(u32 a, u32 v) {
    const u32 off = a & 0xFFF;
    if (off >= 0x20 || (off & 1) == 0) return;
    switch (off) {
        case 0x03:
        case 0x05: {
            const u32 port          = (off - 3) / 2;
            const u8 output         = io_port_regs.control[port];
            io_port_regs.data[port] = static_cast<u8>((v & output) | ~output);
            if (io_port_device_write != nullptr)
                io_port_device_write(port, io_port_regs.data[port]);
            break;
        }
        case 0x09:
        case 0x0B:
            io_port_regs.control[(off - 9) / 2] = static_cast<u8>(v);
            break;
        case 0x0D:
            io_port_regs.control[2] = static_cast<u8>(v);
            io_port_regs.data[2]    = static_cast<u8>(io_port_regs.data[2] | ~v);
            break;
        default:
            break;  // version, expansion data, serial registers
    }
}
// A word at an even address carries its odd register in the low byte; the even byte reads
// as unmapped.
u32 io_read_word(u32 a) { return (a & 0xFF00) | io_read_byte(a | 1); }
void io_write_word(u32 a, u32 v) { io_write_byte(a | 1, v); }
u32 io_read_long(u32 a) { return io_read_word(a) << 16 | io_read_word(a + 2); }
void io_write_long(u32 a, u32 v) {
    io_write_word(a, v >> 16);
    io_write_word(a + 2, v);
}

// ---- Z80 control (0xA11000) and boot ROM switch (0xA14000) --------------------------------

// The decoded addresses have bits 1-7 and 10-11 clear; the routine is bits 8-9 and bit 0.
bool control_decodes(u32 a) { return (a & 0xCFE) == 0; }

void set_cart_visible(u32 bit);

u32 control_read_byte(u32 a) {
    if (!control_decodes(a)) return a & 0xFF;
    const u32 page = (a >> 12) & 0xF;
    const u32 reg  = (a >> 8) & 3;
    if (page == 1 && reg == 1 && (a & 1) == 0) return z80_busreq_v024 != 0 ? 0 : 1;
    if (page == 4 && reg == 1 && (a & 1) == 1) return cart_visible_v024 & 1;
    return a & 0xFF;
}
void control_write_byte(u32 a, u32 v) {
    if (!control_decodes(a)) return;
    const u32 page = (a >> 12) & 0xF;
    const u32 reg  = (a >> 8) & 3;
    if (page == 1 && (a & 1) == 0) {
        if (reg == 1) {
            z80_busreq_v024 = v & 1;
        } else if (reg == 2) {
            z80_reset_line_v024 = v & 1;
            if ((v & 1) == 0) z80_reset_v024();
        }
    } else if (page == 4 && reg == 1 && (a & 1) == 1) {
        if (cfg(cfg_gen_use_bios) != 0) set_cart_visible(v & 1);
    }
}
// Words reach the even register with their high byte and the odd one with their low byte.
u32 control_read_word(u32 a) {
    if ((a & 1) != 0) return a & 0xFFFF;
    return control_read_byte(a) << 8 | control_read_byte(a + 1);
}
void control_write_word(u32 a, u32 v) {
    if ((a & 1) != 0) return;
    control_write_byte(a, v >> 8);
    control_write_byte(a + 1, v);
}
u32 control_read_long(u32 a) { return control_read_word(a) << 16 | control_read_word(a + 2); }
void control_write_long(u32 a, u32 v) {
    control_write_word(a, v >> 16);
    control_write_word(a + 2, v);
}

// ---- Cartridge control (0xA13000) ---------------------------------------------------------

u32 cart_control_read_byte(u32 a) {
    const u32 off = a & 0x1F;
    if (off >= 0x0C && off < 0x10) return (0x4D415253u >> (8 * (3 - (off - 0x0C)))) & 0xFF;
    if (off >= 0x11 && (off & 1) == 1) return cart_banks_v024[(off - 0x11) / 2];
    return a & 0xFF;
}
void cart_control_write_byte(u32 a, u32 v) {
    const u32 off = a & 0x1F;
    if (off < 0x11 || (off & 1) == 0) return;
    const u32 slot        = (off - 0x11) / 2;
    cart_banks_v024[slot] = static_cast<u8>(v);
    if (slot == 0) {
        save_ram_v024.enable_limit = (v & 1) != 0 ? 0xFFFFFFFF : 0;
    } else {
        cart_bank_copy_v024(slot, (v & 15) * 0x80000);
    }
}
u32 cart_control_read_word(u32 a) {
    const u32 off = a & 0x1F;
    if (off == 0x0C) return 0x4D41;
    if (off == 0x0E) return 0x5253;
    return ByBytes<cart_control_read_byte, cart_control_write_byte>::read_word(a);
}
u32 cart_control_read_long(u32 a) {
    if ((a & 0x1F) == 0x0C) return 0x4D415253;
    return cart_control_read_word(a) << 16 | cart_control_read_word(a + 2);
}
void cart_control_write_word(u32 a, u32 v) { cart_control_write_byte(a | 1, v); }
void cart_control_write_long(u32 a, u32 v) {
    cart_control_write_word(a, v >> 16);
    cart_control_write_word(a + 2, v);
}

// ---- VDP ports (0xC00000-0xC0001F) ----------------------------------------------------------

u32 vdp_read_word_port(u32 a) {
    const u32 off = a & 0xFFF;
    if (off >= 0x20) return a & 0xFFFF;
    if (off < 4) return vdp_read_data();
    if (off < 8) return vdp_read_status();
    if (off < 0x0A) return vdp_read_hv_counter() & 0xFF00;  // the line counter, then 0
    return a & 0xFFFF;
}
u32 vdp_read_byte_port(u32 a) {
    const u32 off = a & 0xFFF;
    if (off >= 0x20 || off < 4) return a & 0xFF;  // a byte read of the data port: unmapped
    if (off < 8) {
        const u32 w = vdp_read_status();
        return (off & 1) != 0 ? w & 0xFF : w >> 8;
    }
    if (off == 0x08) return vdp_read_hv_counter() >> 8;
    return 0;
}
void vdp_write_word_port(u32 a, u32 v) {
    const u32 off = a & 0xFFF;
    if (off >= 0x20) return;
    if (off < 4) {
        vdp_write_data_v024(static_cast<u16>(v));
    } else if (off < 8) {
        vdp_write_control_v024(static_cast<u16>(v));
    }
}
void vdp_write_byte_port(u32 a, u32 v) {
    // A byte reaches a port as the byte in both halves; the PSG (0x11) is silent here.
    if ((a & 0xFFF) < 8) vdp_write_word_port(a, (v & 0xFF) * 0x101u);
}
u32 vdp_read_long_port(u32 a) { return vdp_read_word_port(a) << 16 | vdp_read_word_port(a + 2); }
void vdp_write_long_port(u32 a, u32 v) {
    vdp_write_word_port(a, v >> 16);
    vdp_write_word_port(a + 2, v);
}

// Page 0 and the code fetch of the first 64 KB follow the cartridge-visible bit.
void set_cart_visible(u32 bit) {
    cart_visible_v024 = bit & 1;
    m68k_page_table_v024[0] =
        cart_visible_v024 != 0 ? &m68k_cart_set_v024 : &m68k_boot_rom_set_v024;
    m68k_init_fetch_pages_v024(cart_visible_v024);
}

// The 32X register page through its slot, read when the map is laid.
u32 s32x_regs_read_byte(u32 a) { return m68k_s32x_sets_v024.registers.read_byte(a); }
u32 s32x_regs_read_word(u32 a) { return m68k_s32x_sets_v024.registers.read_word(a); }
u32 s32x_regs_read_long(u32 a) { return m68k_s32x_sets_v024.registers.read_long(a); }
void s32x_regs_write_byte(u32 a, u32 v) { m68k_s32x_sets_v024.registers.write_byte(a, v); }
void s32x_regs_write_word(u32 a, u32 v) { m68k_s32x_sets_v024.registers.write_word(a, v); }
void s32x_regs_write_long(u32 a, u32 v) { m68k_s32x_sets_v024.registers.write_long(a, v); }
constexpr M68kHandlerSet kS32xRegsSet{s32x_regs_read_byte,  s32x_regs_read_word,
                                      s32x_regs_read_long,  s32x_regs_write_byte,
                                      s32x_regs_write_word, s32x_regs_write_long};

}  // namespace

// ---- Handler sets -------------------------------------------------------------------------

const M68kHandlerSet m68k_cart_set_v024{
    cart_read_byte,  CartBytes::read_word,       CartBytes::read_long,
    cart_write_byte, CartWideWrites::write_word, CartWideWrites::write_long};
const M68kHandlerSet m68k_boot_rom_set_v024 = ByBytes<boot_rom_read_byte, ignore_write>::kSet;
const M68kHandlerSet m68k_work_ram_set_v024{work_ram_read_byte,  work_ram_read_word,
                                            work_ram_read_long,  work_ram_write_byte,
                                            work_ram_write_word, work_ram_write_long};
const M68kHandlerSet m68k_z80_area_set_v024{z80_area_read_byte,       z80_area_read_word,
                                            z80_area_read_long,       z80_area_write_byte,
                                            Z80AreaBytes::write_word, Z80AreaBytes::write_long};
const M68kHandlerSet m68k_io_set_v024{io_read_byte,  io_read_word,  io_read_long,
                                      io_write_byte, io_write_word, io_write_long};
const M68kHandlerSet m68k_z80_control_set_v024{control_read_byte,  control_read_word,
                                               control_read_long,  control_write_byte,
                                               control_write_word, control_write_long};
const M68kHandlerSet m68k_cart_control_set_v024{cart_control_read_byte,  cart_control_read_word,
                                                cart_control_read_long,  cart_control_write_byte,
                                                cart_control_write_word, cart_control_write_long};
const M68kHandlerSet m68k_vdp_set_v024{vdp_read_byte_port,  vdp_read_word_port,
                                       vdp_read_long_port,  vdp_write_byte_port,
                                       vdp_write_word_port, vdp_write_long_port};
const M68kHandlerSet m68k_cart_window_set_v024 = ByBytes<cart_window_read_byte, ignore_write>::kSet;
const M68kHandlerSet m68k_banked_window_set_v024 =
    ByBytes<banked_window_read_byte, ignore_write>::kSet;

namespace {
// The 32X memories through their slots (the sets are copied when the map is laid, so the
// unit fills them before the power-on lays it).
struct S32xSlotSets {
    static u32 sdram_rb(u32 a) { return m68k_s32x_sets_v024.sdram.read_byte(a); }
    static u32 sdram_rw(u32 a) { return m68k_s32x_sets_v024.sdram.read_word(a); }
    static u32 sdram_rl(u32 a) { return m68k_s32x_sets_v024.sdram.read_long(a); }
    static void sdram_wb(u32 a, u32 v) { m68k_s32x_sets_v024.sdram.write_byte(a, v); }
    static void sdram_ww(u32 a, u32 v) { m68k_s32x_sets_v024.sdram.write_word(a, v); }
    static void sdram_wl(u32 a, u32 v) { m68k_s32x_sets_v024.sdram.write_long(a, v); }
    static u32 fb_rb(u32 a) { return m68k_s32x_sets_v024.frame_buffer.read_byte(a); }
    static u32 fb_rw(u32 a) { return m68k_s32x_sets_v024.frame_buffer.read_word(a); }
    static u32 fb_rl(u32 a) { return m68k_s32x_sets_v024.frame_buffer.read_long(a); }
    static void fb_wb(u32 a, u32 v) { m68k_s32x_sets_v024.frame_buffer.write_byte(a, v); }
    static void fb_ww(u32 a, u32 v) { m68k_s32x_sets_v024.frame_buffer.write_word(a, v); }
    static void fb_wl(u32 a, u32 v) { m68k_s32x_sets_v024.frame_buffer.write_long(a, v); }
    static u32 ow_rb(u32 a) { return m68k_s32x_sets_v024.overwrite.read_byte(a); }
    static u32 ow_rw(u32 a) { return m68k_s32x_sets_v024.overwrite.read_word(a); }
    static u32 ow_rl(u32 a) { return m68k_s32x_sets_v024.overwrite.read_long(a); }
    static void ow_wb(u32 a, u32 v) { m68k_s32x_sets_v024.overwrite.write_byte(a, v); }
    static void ow_ww(u32 a, u32 v) { m68k_s32x_sets_v024.overwrite.write_word(a, v); }
    static void ow_wl(u32 a, u32 v) { m68k_s32x_sets_v024.overwrite.write_long(a, v); }
};
constexpr M68kHandlerSet kSdramSet{S32xSlotSets::sdram_rb, S32xSlotSets::sdram_rw,
                                   S32xSlotSets::sdram_rl, S32xSlotSets::sdram_wb,
                                   S32xSlotSets::sdram_ww, S32xSlotSets::sdram_wl};
constexpr M68kHandlerSet kFrameBufferSet{S32xSlotSets::fb_rb, S32xSlotSets::fb_rw,
                                         S32xSlotSets::fb_rl, S32xSlotSets::fb_wb,
                                         S32xSlotSets::fb_ww, S32xSlotSets::fb_wl};
constexpr M68kHandlerSet kOverwriteSet{S32xSlotSets::ow_rb, S32xSlotSets::ow_rw,
                                       S32xSlotSets::ow_rl, S32xSlotSets::ow_wb,
                                       S32xSlotSets::ow_ww, S32xSlotSets::ow_wl};
}  // namespace

namespace {
constexpr M68kHandlerSet kScdBiosSet = ByBytes<scd_bios_read_byte, ignore_write>::kSet;
constexpr M68kHandlerSet kPrgRamSet  = ByBytes<prg_ram_read_byte, prg_ram_write_byte>::kSet;
constexpr M68kHandlerSet kWordRamSet = ByBytes<word_ram_read_byte, word_ram_write_byte>::kSet;
}  // namespace

const std::array<M68kMapRun, 24> m68k_map_segacd_v024{{
    {&kScdBiosSet, 32},                   // 0x000000 Sega CD BIOS
    {&kPrgRamSet, 32},                    // 0x020000 PRG-RAM, first 128 KB
    {&m68k_unmapped_set, 448},            // 0x040000
    {&kWordRamSet, 128},                  // 0x200000 word RAM
    {&m68k_unmapped_set, 896},            // 0x280000
    {&m68k_unmapped_set, 64},             // 0x600000 reads the address
    {&m68k_unmapped_set, 447},            // 0x640000
    {&m68k_unmapped_set, 1},              // 0x7FF000 reads the address
    {&m68k_unmapped_set, 64},             // 0x800000
    {&kFrameBufferSet, 32},               // 0x840000 32X frame buffer
    {&kOverwriteSet, 32},                 // 0x860000 its overwrite image
    {&m68k_cart_window_set_v024, 128},    // 0x880000
    {&m68k_banked_window_set_v024, 256},  // 0x900000
    {&m68k_z80_area_set_v024, 16},        // 0xA00000 Z80 area
    {&m68k_io_set_v024, 1},               // 0xA10000 I/O
    {&m68k_z80_control_set_v024, 1},      // 0xA11000 Z80 bus request and reset
    {&m68k_scd_gate_array_set, 1},        // 0xA12000 Sega CD gate array
    {&m68k_cart_control_set_v024, 1},     // 0xA13000 cartridge control
    {&m68k_z80_control_set_v024, 1},      // 0xA14000 boot ROM switch
    {&kS32xRegsSet, 1},                   // 0xA15000 32X system registers
    {&m68k_unmapped_set, 490},            // 0xA16000
    {&m68k_vdp_set_v024, 1},              // 0xC00000 VDP ports
    {&m68k_unmapped_set, 1007},           // 0xC01000
    {&m68k_work_ram_set_v024, 16},        // 0xFF0000 work RAM
}};

const std::array<M68kMapRun, 19> m68k_map_cart_v024{{
    {&m68k_cart_set_v024, 1024},          // 0x000000 cartridge
    {&m68k_unmapped_set, 512},            // 0x400000
    {&kSdramSet, 64},                     // 0x600000 32X SDRAM
    {&m68k_unmapped_set, 512},            // 0x640000
    {&kFrameBufferSet, 32},               // 0x840000 32X frame buffer
    {&kOverwriteSet, 32},                 // 0x860000 its overwrite image
    {&m68k_cart_window_set_v024, 128},    // 0x880000 cartridge from offset 0
    {&m68k_banked_window_set_v024, 256},  // 0x900000 cartridge through the 32X bank
    {&m68k_z80_area_set_v024, 16},        // 0xA00000 Z80 area
    {&m68k_io_set_v024, 1},               // 0xA10000 I/O
    {&m68k_z80_control_set_v024, 1},      // 0xA11000 Z80 bus request and reset
    {&m68k_scd_gate_array_set, 1},        // 0xA12000 Sega CD gate array
    {&m68k_cart_control_set_v024, 1},     // 0xA13000 cartridge control
    {&m68k_z80_control_set_v024, 1},      // 0xA14000 boot ROM switch
    {&kS32xRegsSet, 1},                   // 0xA15000 32X system registers
    {&m68k_unmapped_set, 490},            // 0xA16000
    {&m68k_vdp_set_v024, 1},              // 0xC00000 VDP ports
    {&m68k_unmapped_set, 1007},           // 0xC01000
    {&m68k_work_ram_set_v024, 16},        // 0xFF0000 work RAM
}};

void m68k_lay_map_v024(std::span<const M68kMapRun> runs) {
    u32 page = 0;
    for (const auto& run : runs) {
        for (u32 i = 0; i < run.pages && page < kM68kBusPages; ++i) {
            m68k_page_table_v024[page++] = run.set;
        }
    }
}

void m68k_map_segacd_reset_v024() { m68k_lay_map_v024(m68k_map_segacd_v024); }

void m68k_build_memory_map_v024() { m68k_lay_map_v024(m68k_map_cart_v024); }

void m68k_map_reset_v024() {
    m68k_lay_map_v024(m68k_map_cart_v024);
    if (cfg(cfg_gen_use_bios) != 0 && cart_visible_v024 != 1) {
        m68k_page_table_v024[0] = &m68k_boot_rom_set_v024;
    }
}

void save_ram_detect_v024() {
    SaveRamWindowV024& w = save_ram_v024;
    w                    = SaveRamWindowV024{};
    if (cart_rom[0x1B0] != 'R' || cart_rom[0x1B1] != 'A') return;
    const u32 start = load_be32(&cart_rom[0x1B4]) & 0xFFFFFF;
    const u32 end   = load_be32(&cart_rom[0x1B8]) & 0xFFFFFF;
    if (end < start) return;  // an empty range: no save RAM
    w.start = start;
    w.size  = std::min<u32>(end - start + 1, kCartSramBytes);
    w.end   = start + w.size - 1;
}

void m68k_map_power_on_v024() {
    cart_banks_v024     = {0, 1, 2, 3, 4, 5, 6, 7};
    cart_visible_v024   = cfg(cfg_gen_use_bios) != 0 ? 0 : 1;
    z80_busreq_v024     = 1;
    z80_reset_line_v024 = 0;
    s32x_rom_bank_v024  = 0;
}

void cart_bank_source_capture_v024(u32 size) {
    size = std::min<u32>(size, kCartRomSize);
    bank_source.assign(cart_rom.begin(), cart_rom.begin() + size);
}

void cart_bank_copy_v024(u32 slot, u32 source_offset) {
    constexpr u32 kSlot = 0x80000;
    if (slot >= 8) return;
    const u32 have = static_cast<u32>(bank_source.size());
    if (source_offset >= have) return;
    const u32 count = std::min<u32>(kSlot, have - source_offset);
    std::copy_n(bank_source.begin() + source_offset, count, cart_rom.begin() + slot * kSlot);
}

void m68k_map_reset_records_v024() {
    save_ram_v024               = SaveRamWindowV024{};
    cart_visible_v024           = 1;
    cart_banks_v024             = {0, 1, 2, 3, 4, 5, 6, 7};
    s32x_rom_bank_v024          = 0;
    z80_busreq_v024             = 1;
    z80_reset_line_v024         = 0;
    scd_word_ram_main_owns_v024 = nullptr;
    m68k_s32x_sets_v024         = {m68k_unmapped_set, m68k_unmapped_set, m68k_unmapped_set,
                                   m68k_unmapped_set};
    bank_source.clear();
    m68k_build_memory_map_v024();
}

}  // namespace varn
