// The sub-CPU's bus and the gate array's register page, both sides.

#include <algorithm>

#include "genesis/vdp/vdp.h"
#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"
#include "memory/memory.h"
#include "segacd/scd_internal.h"
#include "segacd/segacd.h"

namespace varn {

namespace {

auto& R = scd_ga.regs;

// ---- memories ----

u32 prg_read_byte(u32 a) { return scd_prg_ram[a & 0x7FFFF]; }
u32 prg_read_word(u32 a) { return scd_be16(scd_prg_ram, a & 0x7FFFF, 0x7FFFF); }
u32 prg_read_long(u32 a) { return prg_read_word(a) << 16 | prg_read_word(a + 2); }
void prg_write_byte(u32 a, u32 v) { scd_prg_ram[a & 0x7FFFF] = static_cast<u8>(v); }
void prg_write_word(u32 a, u32 v) {
    prg_write_byte(a, v >> 8);
    prg_write_byte(a + 1, v);
}
void prg_write_long(u32 a, u32 v) {
    prg_write_word(a, v >> 16);
    prg_write_word(a + 2, v);
}

// Word RAM: 2 Mbit mode at 0x080000 (the whole 256 KB), 1 Mbit mode at 0x0C0000 (the bank
// the main CPU does not have). The other window reads as unmapped.
bool wram_index(u32 a, u32& i) {
    if (scd_ga.wram_1m == 0) {
        if (a >= 0x0C0000) return false;
        i = a - 0x080000;
        return true;
    }
    if (a < 0x0C0000) return false;
    i = (a - 0x0C0000) + (scd_ga.return_bit ^ 1u) * 0x20000;
    return true;
}
u32 wram_read_byte(u32 a) {
    u32 i = 0;
    return wram_index(a, i) ? scd_word_ram[i] : a & 0xFF;
}
u32 wram_read_word(u32 a) {
    u32 i = 0;
    return wram_index(a, i) ? scd_be16(scd_word_ram, i, 0x3FFFF) : a & 0xFFFF;
}
u32 wram_read_long(u32 a) {
    u32 i = 0;
    if (!wram_index(a, i)) return a;
    return scd_be16(scd_word_ram, i, 0x3FFFF) << 16 | scd_be16(scd_word_ram, i + 2, 0x3FFFF);
}
void wram_write_byte(u32 a, u32 v) {
    u32 i = 0;
    if (wram_index(a, i)) scd_word_ram[i] = static_cast<u8>(v);
}
void wram_write_word(u32 a, u32 v) {
    u32 i = 0;
    if (!wram_index(a, i)) return;
    scd_word_ram[i]                 = static_cast<u8>(v >> 8);
    scd_word_ram[(i + 1) & 0x3FFFF] = static_cast<u8>(v);
}
void wram_write_long(u32 a, u32 v) {
    wram_write_word(a, v >> 16);
    wram_write_word(a + 2, v);
}

// Backup RAM: one byte per word address, 0xFE0000-0xFE3FFF. A long reaches the byte after
// the addressed one; the last byte's successor is the first (the 8 KB wraps).
u32 bram_index(u32 a) { return (a & 0x3FFF) >> 1; }
bool bram_mapped(u32 a) { return (a & 0xFFFF) < 0x4000; }
u32 bram_read_byte(u32 a) { return bram_mapped(a) ? scd_backup_ram[bram_index(a)] : a & 0xFF; }
u32 bram_read_word(u32 a) { return bram_mapped(a) ? scd_backup_ram[bram_index(a)] : a & 0xFFFF; }
u32 bram_read_long(u32 a) {
    if (!bram_mapped(a)) return a;
    const u32 i = bram_index(a);
    return u32{scd_backup_ram[i]} << 16 | scd_backup_ram[(i + 1) & (kScdBackupRamSize - 1)];
}
void bram_write_byte(u32 a, u32 v) {
    if (bram_mapped(a)) scd_backup_ram[bram_index(a)] = static_cast<u8>(v);
}
void bram_write_long(u32 a, u32 v) {
    if (!bram_mapped(a)) return;
    const u32 i                                       = bram_index(a);
    scd_backup_ram[i]                                 = static_cast<u8>(v >> 16);
    scd_backup_ram[(i + 1) & (kScdBackupRamSize - 1)] = static_cast<u8>(v);
}

// ---- block 0xFF: PCM chip, its wave-RAM window, the gate array ----

u32 wave_index(u32 a) { return ((a & 0x1FFF) >> 1) + pcm.bank * 0x1000u; }
u32 wave_next(u32 k) { return (k & ~0xFFFu) | ((k + 1) & 0xFFF); }

// A PCM register access: `a` & 0x3F odd reaches register a >> 1.
bool pcm_reg(u32 a, u32& reg) {
    if ((a & 0xFFFF) >= 0x40 || (a & 1) == 0) return false;
    reg = (a & 0x3F) >> 1;
    return true;
}

u32 ga_read_byte(u32 a);
u32 ga_read_word(u32 a);
void ga_write_byte(u32 a, u32 v);
void ga_write_word(u32 a, u32 v);

u32 ff_read_byte(u32 a) {
    const u32 o = a & 0xFFFF;
    u32 reg     = 0;
    if (o >= 0x8000) return o < 0x8080 ? ga_read_byte(a) : a & 0xFF;
    if (o >= 0x2000) return scd_wave_ram[wave_index(a)];
    if (pcm_reg(a, reg)) return pcm_read_register(reg);
    return a & 0xFF;
}
u32 ff_read_word(u32 a) {
    const u32 o = a & 0xFFFF;
    u32 reg     = 0;
    if (o >= 0x8000) return o < 0x8080 ? ga_read_word(a) : a & 0xFFFF;
    if (o >= 0x2000) return scd_wave_ram[wave_index(a)];
    if (pcm_reg(a | 1, reg)) return pcm_read_register(reg);
    return a & 0xFFFF;
}
u32 ff_read_long(u32 a) {
    const u32 o = a & 0xFFFF;
    if (o >= 0x8000) {
        // Only the communication words read as longs.
        if (o >= 0x8010 && o <= 0x802C) return ga_read_word(a) << 16 | ga_read_word(a + 2);
        return a;
    }
    if (o >= 0x2000) {
        const u32 k = wave_index(a);
        return u32{scd_wave_ram[k]} << 16 | scd_wave_ram[wave_next(k)];
    }
    if (o < 0x0C && (o & 1) == 0) {
        const u32 j = o >> 1;
        return u32{pcm_read_register(j)} << 16 | pcm_read_register(j + 1);
    }
    if (o == 0x0C) return pcm_read_register(6);
    if (o >= 0x20 && o < 0x40 && (o & 3) == 0) {
        const u32 j = o >> 1;
        return u32{pcm_read_register(j)} << 16 | pcm_read_register(j + 1);
    }
    return a;
}
void ff_write_byte(u32 a, u32 v) {
    const u32 o = a & 0xFFFF;
    u32 reg     = 0;
    if (o >= 0x8000) {
        if (o < 0x8080) ga_write_byte(a, v);
    } else if (o >= 0x2000) {
        scd_wave_ram[wave_index(a)] = static_cast<u8>(v);
    } else if (pcm_reg(a, reg)) {
        pcm_write_register(reg, static_cast<u8>(v));
    }
}
void ff_write_word(u32 a, u32 v) {
    const u32 o = a & 0xFFFF;
    u32 reg     = 0;
    if (o >= 0x8000) {
        if (o < 0x8080) ga_write_word(a, v);
    } else if (o >= 0x2000) {
        scd_wave_ram[wave_index(a)] = static_cast<u8>(v);
    } else if (pcm_reg(a | 1, reg)) {
        pcm_write_register(reg, static_cast<u8>(v));
    }
}
void ff_write_long(u32 a, u32 v) {
    const u32 o = a & 0xFFFF;
    if (o >= 0x8000) {
        const bool stored = (o >= 0x8020 && o <= 0x802C) || (o >= 0x8038 && o <= 0x8048);
        if (stored && (o & 1) == 0) {
            ga_write_word(a, v >> 16);
            ga_write_word(a + 2, v);
        }
    } else if (o >= 0x2000) {
        const u32 k                = wave_index(a);
        scd_wave_ram[k]            = static_cast<u8>(v >> 16);
        scd_wave_ram[wave_next(k)] = static_cast<u8>(v);
    } else if (o < 0x0C && (o & 1) == 0) {
        pcm_write_register(o >> 1, static_cast<u8>(v >> 16));
        pcm_write_register((o >> 1) + 1, static_cast<u8>(v));
    } else if (o == 0x0C) {
        pcm_write_register(6, static_cast<u8>(v));
    }
}

// ---- gate array, sub side ----

u8 drive_bit() {
    return scd_disc_slots.drive_status_bit != nullptr ? scd_disc_slots.drive_status_bit() : 1;
}

// Font data: 16 pixels of 4 bits from the 16 font bits, bit 15 first, two to a byte.
void font_recompute() {
    const u32 bits   = u32{R[0x4E]} << 8 | R[0x4F];
    const u8 colours = R[0x4D];
    for (u32 p = 0; p < 16; ++p) {
        const u8 pix = ((bits >> (15 - p)) & 1) != 0 ? colours >> 4 : colours & 0x0F;
        u8& cell     = R[0x50 + p / 2];
        cell         = (p & 1) == 0 ? static_cast<u8>((cell & 0x0F) | pix << 4)
                                    : static_cast<u8>((cell & 0xF0) | pix);
    }
}

void sub_memory_mode_write(u8 v) {
    scd_ga.priority = (v >> 3) & 3;
    scd_ga.wram_1m  = (v >> 2) & 1;
    if (scd_ga.wram_1m == 0) {
        if ((v & 1) != 0) {
            R[3]              = v & ~2u;
            scd_ga.return_bit = 1;
        } else {
            R[3] = static_cast<u8>((v & ~3u) | (R[3] & 3));
        }
    } else {
        R[3]              = v & ~2u;
        scd_ga.return_bit = v & 1;
    }
    scd_apply_main_maps();
}

u32 ga_read_byte(u32 a) {
    const u32 r = a & 0x7F;
    switch (r) {
        case 0x03:
            return (R[3] & 0x23) | scd_ga.prg_bank << 6 | scd_ga.priority << 3 |
                   scd_ga.wram_1m << 2;
        case 0x04:
            return (R[4] & 0x3F) | scd_ga.cdc_end_of_transfer << 7 | scd_ga.cdc_data_ready << 6;
        case 0x06:
            return 0;
        case 0x07:
            return scd_disc_slots.cdc_register_read != nullptr ? scd_disc_slots.cdc_register_read()
                                                               : R[7];
        case 0x08:
        case 0x09:
        case 0x66:
        case 0x67:
            return a & 0xFF;
        case 0x0C:
            return scd_ga.stopwatch >> 28;
        case 0x0D:
            return (scd_ga.stopwatch >> 20) & 0xFF;
        case 0x30:
            return 0;
        case 0x31:
            return scd_ga.timer_value;
        case 0x37:
            return R[0x37] | drive_bit();
        case 0x58:
            return R[0x58] | (scd_ga.gfx_busy != 0 ? 0x80 : 0);
        default:
            break;
    }
    if (r <= 0x69) return R[r];
    return a & 0xFF;
}

u32 ga_read_word(u32 a) {
    const u32 r = a & 0x7E;
    switch (r) {
        case 0x04:
            return (R[5] & 0x3F) | scd_ga.cdc_end_of_transfer << 15 | scd_ga.cdc_data_ready << 14;
        case 0x08:
            return scd_disc_slots.cdc_host_data != nullptr ? scd_disc_slots.cdc_host_data()
                                                           : u32{R[8]} << 8 | R[9];
        case 0x0C:
            return (scd_ga.stopwatch >> 20) & 0xFFF;
        case 0x36:
            return (u32{R[0x36]} | drive_bit()) << 8 | R[0x37];
        case 0x66:
            return u32{R[0x66]} << 8 | R[0x67];
        default:
            break;
    }
    if (r > 0x68) return a & 0xFFFF;
    return ga_read_byte(a & ~1u) << 8 | ga_read_byte(a | 1);
}

void ga_write_byte(u32 a, u32 value) {
    const u32 r = a & 0x7F;
    const u8 v  = static_cast<u8>(value);
    switch (r) {
        case 0x03:
            sub_memory_mode_write(v);
            return;
        case 0x05:
            R[5] = v;
            if (scd_disc_slots.cdc_pointer_write != nullptr) scd_disc_slots.cdc_pointer_write(v);
            return;
        case 0x07:
            if (scd_disc_slots.cdc_register_write != nullptr)
                scd_disc_slots.cdc_register_write(v);
            else
                R[7] = v;
            return;
        case 0x0C:
        case 0x0D:
        case 0x0E:
        case 0x66:
        case 0x67:
            return;
        case 0x30:
            return;
        case 0x31:
            scd_ga.timer_value     = v;
            scd_ga.timer_countdown = u32{v} << 24;
            return;
        case 0x37: {
            const bool rising = (v & 4) != 0 && (R[0x37] & 4) == 0;
            R[0x37]           = v;
            if (rising && (R[0x33] & 0x10) != 0 && scd_disc_slots.command_latched != nullptr)
                scd_disc_slots.command_latched();
            return;
        }
        case 0x4B:
            R[0x4B] = v;
            if (scd_disc_slots.command_latched != nullptr) scd_disc_slots.command_latched();
            return;
        case 0x4D:
        case 0x4E:
        case 0x4F:
            R[r] = v;
            font_recompute();
            return;
        default:
            break;
    }
    if ((r >= 0x10 && r <= 0x1F) || (r >= 0x50 && r <= 0x57) || r > 0x69) return;
    R[r] = v;
}

void ga_write_word(u32 a, u32 v) {
    const u32 r = a & 0x7E;
    if (r == 0x0C) {
        if ((v & 0xFFFF) == 0) scd_ga.stopwatch = 0;
        return;
    }
    if (r == 0x66) {
        R[0x66]              = static_cast<u8>(v >> 8);
        R[0x67]              = static_cast<u8>(v);
        scd_ga.gfx_busy      = 1;
        scd_ga.gfx_countdown = -4;
        if (scd_disc_slots.graphics_start != nullptr) scd_disc_slots.graphics_start();
        return;
    }
    if (r == 0x4C) {  // one recompute for the pair
        R[0x4C] = static_cast<u8>(v >> 8);
        ga_write_byte(a | 1, v);
        return;
    }
    ga_write_byte(a & ~1u, v >> 8);
    ga_write_byte(a | 1, v);
}

// ---- the six tables ----

// Unmapped: the address, cut to the width of the access.
u32 none_byte(u32 a) { return a & 0xFF; }
u32 none_word(u32 a) { return a & 0xFFFF; }

struct S68kRun {
    M68kReadFn rb, rw, rl;
    M68kWriteFn wb, ww, wl;
    u32 pages;
};

const S68kRun kSubMap[] = {
    {prg_read_byte, prg_read_word, prg_read_long, prg_write_byte, prg_write_word, prg_write_long,
     8},
    {wram_read_byte, wram_read_word, wram_read_long, wram_write_byte, wram_write_word,
     wram_write_long, 6},
    {none_byte, none_word, m68k_unmapped_read, m68k_unmapped_write, m68k_unmapped_write,
     m68k_unmapped_write, 240},
    {bram_read_byte, bram_read_word, bram_read_long, bram_write_byte, bram_write_byte,
     bram_write_long, 1},
    {ff_read_byte, ff_read_word, ff_read_long, ff_write_byte, ff_write_word, ff_write_long, 1},
};

// ---- main side ----

auto& M = scd_main_regs;

void main_memory_mode_write(u8 v) {
    scd_ga.prg_bank = v >> 6;
    scd_ga.wram_1m  = (v >> 2) & 1;
    if (scd_ga.wram_1m == 0) {
        if ((v & 2) != 0) {
            R[3]              = v & 0xFE;
            scd_ga.return_bit = 0;
        } else {
            R[3] = static_cast<u8>((v & 0xFC) | (R[3] & 3));
        }
    } else {
        const u8 bit0     = (v ^ (v >> 1)) & 1;
        R[3]              = static_cast<u8>((v & 0xFC) | 2 | bit0);
        scd_ga.return_bit = bit0;
    }
    scd_apply_main_maps();
}

}  // namespace

std::array<u8, 0x40> scd_main_regs{};

u32 scd_main_read_byte(u32 addr) {
    const u32 r = addr & 0x3F;
    switch (r) {
        case 0x00:
            return R[0];
        case 0x01:
            return (R[1] & ~1u) | (scd_ga.run_state != 0 ? 1 : 0);
        case 0x02:
            return R[2];
        case 0x03:
            return (R[3] & 0x23) | scd_ga.prg_bank << 6 | scd_ga.priority << 3 |
                   scd_ga.wram_1m << 2;
        case 0x0C:
            return (scd_ga.stopwatch >> 29) & 7;
        case 0x0D:
            return (scd_ga.stopwatch >> 21) & 0xFF;
        case 0x0E:
        case 0x0F:
            return R[r];
        default:
            break;
    }
    if (r >= 0x04 && r <= 0x09) return M[r];
    if (r >= 0x10 && r <= 0x2F) return R[r];
    return addr & 0xFF;
}

void scd_main_write_byte(u32 addr, u32 value) {
    const u32 r = addr & 0x3F;
    const u8 v  = static_cast<u8>(value);
    switch (r) {
        case 0x00:
            R[0]                = v;
            scd_ga.irq2_request = v;
            if ((v & 1) != 0) scd_raise_irq(2);
            return;
        case 0x01:
            R[1]               = v;
            scd_ga.bus_request = (v >> 1) & 1;
            if ((v & 1) != 0 && scd_ga.run_state == 0) scd_sub_cpu_start();
            return;
        case 0x02:
            R[2] = v;
            return;
        case 0x03:
            main_memory_mode_write(v);
            return;
        case 0x06:
        case 0x07:
            M[r]                   = v;
            scd_bios[0x72 + r - 6] = v;  // the level-4 vector's low word follows it
            return;
        case 0x0E:
            R[0x0E] = v;
            return;
        default:
            break;
    }
    if ((r >= 0x04 && r <= 0x09))
        M[r] = v;
    else if (r >= 0x10 && r <= 0x1F)
        R[r] = v;
}

namespace {

u32 main_read_word(u32 a) {
    if ((a & 1) != 0 || (a & 0x3F) >= 0x30) return a & 0xFFFF;
    return scd_main_read_byte(a) << 8 | scd_main_read_byte(a + 1);
}
u32 main_read_long(u32 a) { return main_read_word(a) << 16 | main_read_word(a + 2); }
void main_write_word(u32 a, u32 v) {
    if ((a & 1) != 0) return;
    scd_main_write_byte(a, v >> 8);
    scd_main_write_byte(a + 1, v);
}
void main_write_long(u32 a, u32 v) {
    main_write_word(a, v >> 16);
    main_write_word(a + 2, v);
}

// Main CPU windows: PRG-RAM bank at 0x020000, word RAM at 0x200000.
u32 main_prg_index(u32 a) { return ((a - 0x020000) & 0x1FFFF) + scd_ga.prg_bank * 0x20000u; }
u32 main_prg_read_byte(u32 a) { return scd_prg_ram[main_prg_index(a)]; }
u32 main_prg_read_word(u32 a) { return scd_be16(scd_prg_ram, main_prg_index(a), 0x7FFFF); }
u32 main_prg_read_long(u32 a) { return main_prg_read_word(a) << 16 | main_prg_read_word(a + 2); }
void main_prg_write_byte(u32 a, u32 v) { scd_prg_ram[main_prg_index(a)] = static_cast<u8>(v); }
void main_prg_write_word(u32 a, u32 v) {
    main_prg_write_byte(a, v >> 8);
    main_prg_write_byte(a + 1, v);
}
void main_prg_write_long(u32 a, u32 v) {
    main_prg_write_word(a, v >> 16);
    main_prg_write_word(a + 2, v);
}

bool main_wram_index(u32 a, u32& i) {
    const u32 o = (a - 0x200000) & 0x3FFFF;
    if (scd_ga.wram_1m == 0) {
        i = o;
        return true;
    }
    if (o >= 0x20000) return false;
    i = o + scd_ga.return_bit * 0x20000u;
    return true;
}
u32 main_wram_read_byte(u32 a) {
    u32 i = 0;
    return main_wram_index(a, i) ? scd_word_ram[i] : a & 0xFF;
}
u32 main_wram_read_word(u32 a) {
    u32 i = 0;
    return main_wram_index(a, i) ? scd_be16(scd_word_ram, i, 0x3FFFF) : a & 0xFFFF;
}
u32 main_wram_read_long(u32 a) { return main_wram_read_word(a) << 16 | main_wram_read_word(a + 2); }
void main_wram_write_byte(u32 a, u32 v) {
    u32 i = 0;
    if (main_wram_index(a, i)) scd_word_ram[i] = static_cast<u8>(v);
}
void main_wram_write_word(u32 a, u32 v) {
    main_wram_write_byte(a, v >> 8);
    main_wram_write_byte(a + 1, v);
}
void main_wram_write_long(u32 a, u32 v) {
    main_wram_write_word(a, v >> 16);
    main_wram_write_word(a + 2, v);
}

}  // namespace

const M68kHandlerSet scd_main_gate_array_set{scd_main_read_byte,  main_read_word,  main_read_long,
                                             scd_main_write_byte, main_write_word, main_write_long};
const M68kHandlerSet scd_main_prg_ram_set{main_prg_read_byte,  main_prg_read_word,
                                          main_prg_read_long,  main_prg_write_byte,
                                          main_prg_write_word, main_prg_write_long};
const M68kHandlerSet scd_main_word_ram_set{main_wram_read_byte,  main_wram_read_word,
                                           main_wram_read_long,  main_wram_write_byte,
                                           main_wram_write_word, main_wram_write_long};

void s68k_build_memory_map() {
    u32 page = 0;
    for (const S68kRun& run : kSubMap) {
        for (u32 i = 0; i < run.pages; ++i, ++page) {
            s68k_page_read_byte[page]  = run.rb;
            s68k_page_read_word[page]  = run.rw;
            s68k_page_read_long[page]  = run.rl;
            s68k_page_write_byte[page] = run.wb;
            s68k_page_write_word[page] = run.ww;
            s68k_page_write_long[page] = run.wl;
        }
    }
}

// The main CPU's code fetch and VDP DMA sources for the PRG-RAM bank and the word-RAM mode.
void scd_apply_main_maps() {
    const u32 prg = kScdPrgRamOffset + scd_ga.prg_bank * 0x20000u;
    for (u32 p = 0x02; p < 0x04; ++p)
        m68k_set_fetch_page(p, m68k_fetch_page(M68kFetchKind::kPlain, prg, 0x020000));
    vdp_dma_map_set(0x02, 0x02,
                    {scd_prg_ram.data(), kScdPrgRamSize, scd_ga.prg_bank * 0x20000u, 0x1FFFF});

    // DMA from word RAM runs one word behind: the image starts at the word below word RAM
    // (PRG-RAM's last, which lies just before it in the arena). The mask keeps every read
    // inside that image.
    const u32 below = kScdWordRamOffset - 2;
    if (scd_ga.wram_1m == 0) {
        for (u32 p = 0x20; p < 0x24; ++p)
            m68k_set_fetch_page(
                p, m68k_fetch_page(M68kFetchKind::kWordRam, kScdWordRamOffset, 0x200000));
        vdp_dma_map_set(0x20, 0x04, {memory_arena, kArenaSize, below, 0x3FFFF});
    } else {
        const u32 bank = scd_ga.return_bit * 0x20000u;
        for (u32 p = 0x20; p < 0x22; ++p)
            m68k_set_fetch_page(
                p, m68k_fetch_page(M68kFetchKind::kWordRam, kScdWordRamOffset + bank, 0x200000));
        for (u32 p = 0x22; p < 0x24; ++p) m68k_set_fetch_page(p, kM68kNoCodePage);
        vdp_dma_map_set(0x20, 0x02, {memory_arena, kArenaSize, below + bank, 0x1FFFF});
        // The upper half reads the fill page, which repeats through the window.
        vdp_dma_map_set(0x22, 0x02, {scd_fill_page.data(), kScdFillPageSize, 0, 0xFFF});
    }
}

}  // namespace varn
