#pragma once
// Binds the Z80 core to the Master System's bus (internal to this folder): the frame loop
// runs the core's slice inline through it.

#include "base/config.h"
#include "genesis/bus/save_ram.h"
#include "memory/memory.h"
#include "runtime/thread_link.h"
#include "sms/sms.h"
#include "sms/sms_bus.h"
#include "z80/z80_core.h"

namespace varn {

struct SmsZ80Bus {
    // Work RAM is what the game touches most: reached directly, the rest through the pages.
    static u8 read_byte(u16 a) {
        if (a >= 0xC000) return sms_work_ram()[a & (kSmsWorkRamSize - 1)];
        if (const u8* base = sms_paging.read_base[a >> 14]) [[likely]]
            return base[a & 0x3FFF];
        return sms_page_read_byte[a >> 12](a);
    }
    static u16 read_word(u16 a) {
        return static_cast<u16>(read_byte(a) | (read_byte(static_cast<u16>(a + 1)) << 8));
    }
    static void write_byte(u16 a, u8 v) {
        if (a >= 0xC000 && a < 0xFFFC) {
            sms_work_ram()[a & (kSmsWorkRamSize - 1)] = v;
        } else {
            sms_page_write_byte[a >> 12](a, v);
        }
    }
    static void write_word(u16 a, u16 v) {
        write_byte(a, static_cast<u8>(v));
        write_byte(static_cast<u16>(a + 1), static_cast<u8>(v >> 8));
    }
    static u8 port_in(u8 port) { return sms_port_in_table[port](port); }
    static void port_out(u8 port, u8 v) { sms_port_out_table[port](port, v); }

    // Code windows follow the paging: the system ROM below 0x2000 while it is mapped (its
    // mirror above), the cartridge's first 1 KB, the rest of slot 0, slots 1 and 2 (ROM page
    // or cartridge RAM), and the work RAM with its mirror. Every window lies inside its
    // image, so a fetch near a window's end reads its bytes one by one through here.
    static bool fetch_window(u16 pc, Z80FetchWindow& w) {
        const SmsPaging& p = sms_paging;
        if (pc < 0x4000 && cfg(cfg_sms_use_bios) != 0 && p.bios_off == 0) {
            w = {sms_bios.data(), pc & 0x2000u, kSmsBiosSize};
            return true;
        }
        if (pc < 0x400) {
            w = {cart_rom.data(), 0, 0x400};
        } else if (pc < 0x4000) {
            w = {cart_rom.data() + p.slot0_offset + 0x400, 0x400, 0x3C00};
        } else if (pc < 0x8000) {
            w = {cart_rom.data() + (p.slot1_offset + 0x4000), 0x4000, 0x4000};
        } else if (pc < 0xC000) {
            if (p.ram_bank != 0) {
                w = {cart_sram + p.ram_offset, 0x8000, 0x4000};
            } else {
                w = {cart_rom.data() + (p.slot2_offset + 0x8000), 0x8000, 0x4000};
            }
        } else {
            w = {sms_work_ram(), pc & 0xE000u, kSmsWorkRamSize};
        }
        return true;
    }

    static z80_cpu_context& record() { return sms_z80_context; }

    static constexpr bool kIrqCheckExact     = false;
    static constexpr bool kCountInstructions = false;
    static void add_instructions(u64) {}
    // An emulation error withdraws the run entry; the frame loop sees the stopped core.
    static void on_stop() { emu_thread_target.store(nullptr); }
};

using SmsZ80 = Z80Core<SmsZ80Bus>;

}  // namespace varn
