// The earlier machine's Z80: its map, run loop and the instructions of the older design.

#include "legacy/z80_v024.h"

#include "base/endian.h"
#include "genesis/z80/genesis_z80.h"
#include "legacy/m68k/m68k_v024.h"
#include "legacy/ym2612_v024.h"
#include "legacy/z80_v024_ops.h"

namespace varn {

z80_cpu_context z80_context_v024 = [] {
    z80_cpu_context c = z80_initial_context();
    c.slice_budget    = kZ80SliceCyclesV024;
    return c;
}();
u32 z80_bank_v024            = 0;
void (*z80_halt_slot_v024)() = nullptr;

namespace {

using C = z80_cpu_context;

// ---- The map -------------------------------------------------------------------------

u32 bank_address(u32 a) { return z80_bank_v024 | (a & 0x7FFF); }

struct LegacyZ80Bus {
    static u8 read_byte(u16 a) { return z80_read_byte_v024(a); }
    static u16 read_word(u16 a) { return z80_read_word_v024(a); }
    static void write_byte(u16 a, u8 v) { z80_write_byte_v024(a, v); }
    static void write_word(u16 a, u16 v) { z80_write_word_v024(a, v); }
    static u8 port_in(u8 port) { return z80_port_read(port); }
    static void port_out(u8 port, u8 v) { z80_port_write(port, v); }
    // Code runs from the two RAM pages only.
    static bool fetch_window(u16 pc, Z80FetchWindow& w) {
        const u32 page = pc >> 12;
        if (page > 1) return false;
        w = {z80_ram.data() + page * 0x1000, page << 12, 0x1000};
        return true;
    }
    static constexpr bool kIrqCheckExact     = true;
    static constexpr bool kCountInstructions = false;
    static void add_instructions(u64) {}
    static void on_stop() {
        if (z80_halt_slot_v024) z80_halt_slot_v024();
    }
};
using Core = Z80Core<LegacyZ80Bus>;

using Older = Z80OlderSet<LegacyZ80Bus>;

}  // namespace

// ---- Bus -------------------------------------------------------------------------------

u8 z80_read_byte_v024(u32 addr) {
    const u32 a = addr & 0xFFFF;
    if (a < 0x2000) return z80_ram[a];
    if ((a >> 12) == 4) return ym2612_status_v024();
    if (a >= 0x8000) return static_cast<u8>(m68k_read_byte_v024(bank_address(a)));
    return static_cast<u8>(a);
}

u16 z80_read_word_v024(u32 addr) {
    const u32 a = addr & 0xFFFF;
    if (a < 0x2000) {  // the byte after the RAM's last is taken where it lies
        return static_cast<u16>(z80_ram[a] | z80_read_byte_v024(a + 1) << 8);
    }
    if ((a >> 12) == 4) return static_cast<u16>(ym2612_status_v024() * 0x101u);
    if (a >= 0x8000) {
        const u32 w = m68k_read_word_v024(bank_address(a));
        return static_cast<u16>(((w & 0xFF) << 8) | ((w >> 8) & 0xFF));
    }
    return static_cast<u16>(a);
}

void z80_write_byte_v024(u32 addr, u8 value) {
    const u32 a = addr & 0xFFFF;
    if (a < 0x2000) {
        z80_ram[a] = value;
    } else if (a >= 0x4000 && a < 0x4004) {
        ym2612_port_write_v024(a & 3, value);
    } else if ((a >> 12) == 6) {
        z80_bank_v024 = ((z80_bank_v024 >> 1) | (static_cast<u32>(value & 1) << 23)) & 0xFF8000;
    } else if (a >= 0x8000) {
        m68k_write_byte_v024(bank_address(a), value);
    }
}

void z80_write_word_v024(u32 addr, u16 value) {
    const u32 a = addr & 0xFFFF;
    if (a < 0x2000) {
        z80_ram[a] = static_cast<u8>(value);
        z80_write_byte_v024(a + 1, static_cast<u8>(value >> 8));
    } else if (a == 0x4000 || a == 0x4002) {
        // The low byte is the latch, the high byte the data.
        ym2612_port_write_v024(a & 3, static_cast<u8>(value));
        ym2612_port_write_v024((a & 3) + 1, static_cast<u8>(value >> 8));
    } else if ((a >> 12) == 6) {
        z80_write_byte_v024(a, static_cast<u8>(value));
    } else if (a >= 0x8000) {
        m68k_write_word_v024(bank_address(a), static_cast<u32>((value & 0xFF) << 8 | value >> 8));
    }
}

// ---- Tables ------------------------------------------------------------------------------

void z80_build_tables_v024() { Older::build(); }

u32 z80_overridden_entries_v024() { return Older::overridden(); }

// ---- Run loop ------------------------------------------------------------------------------

void z80_run_v024() { Older::run(z80_context_v024); }

void z80_reset_v024() {
    C& c           = z80_context_v024;
    c.last_tstates = 0;
    c.iff1 = c.iff2 = 0;
    c.pc            = 0;
    c.sp            = 0;
    c.i             = 0;
    c.halted        = 0;
    Core::refresh_fetch(c);
}

bool z80_load_gs_registers_v024(std::span<const u8> image) {
    if (image.size() < 0x438) return false;
    C& c = z80_context_v024;
    z80_read_gs_registers(c, image);
    Core::refresh_fetch(c);  // a PC without code stops the machine
    return true;
}

void z80_reset_records_v024() {
    z80_context_v024              = z80_initial_context();
    z80_context_v024.slice_budget = kZ80SliceCyclesV024;
    z80_bank_v024                 = 0;
    z80_halt_slot_v024            = nullptr;
    Core::refresh_fetch(z80_context_v024);
}

}  // namespace varn
