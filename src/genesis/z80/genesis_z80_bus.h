#pragma once
// Binds the Z80 core to the Genesis sound CPU's map (internal to this folder).

#include <cstddef>

#include "base/endian.h"
#include "genesis/z80/genesis_z80.h"
#include "z80/z80_core.h"

namespace varn {

struct GenesisZ80Bus {
    // The sound driver's own RAM (0x0000-0x3FFF, the 8 KB twice) is most of what the Z80
    // touches: it is reached directly, everything else through the page handlers.
    static constexpr u32 kRamEnd = 0x4000;
    static u8 read_byte(u16 a) { return a < kRamEnd ? z80_ram_read_byte(a) : z80_read_byte(a); }
    static u16 read_word(u16 a) { return a < kRamEnd ? z80_ram_read_word(a) : z80_read_word(a); }
    static void write_byte(u16 a, u8 v) {
        if (a < kRamEnd) {
            z80_ram_write_byte(a, v);
        } else {
            z80_write_byte(a, v);
        }
    }
    static void write_word(u16 a, u16 v) {
        if (a < kRamEnd) {
            z80_ram_write_word(a, v);
        } else {
            z80_write_word(a, v);
        }
    }
    static u8 port_in(u8 port) { return z80_port_read(port); }
    static void port_out(u8 port, u8 v) { z80_port_write(port, v); }

    // Code runs only from the RAM pages; each 4 KB page is its own window.
    static bool fetch_window(u16 pc, Z80FetchWindow& w) {
        const u32 page = pc >> 12;
        const u32 off  = z80_page_table[page];
        if (off == kZ80NoCode || off > kZ80RamSize - 0x1000) return false;
        w = {z80_ram.data() + off, page << 12, 0x1000};
        return true;
    }

    // The run loop's fetch: the four bytes at a PC in the RAM pages, wherever they do not
    // run past the 8 KB (a PC from 0x2000 reads the same RAM again). Elsewhere the code
    // window decides, byte by byte across the wrap, or stops the core where there is no code.
    [[gnu::always_inline]] static bool fetch_direct(u16 pc, u32& op) {
        const std::size_t a = pc & ~std::size_t{0x2000};  // in range for 0-0x1FFC, mirror
        if (a > kZ80RamSize - 4) return false;
        op = load_le32(z80_ram.data() + a);
        return true;
    }

    // Any PC in the RAM pages runs: fetch_direct reads it, and the window the few bytes at
    // the RAM's end.
    static bool code_direct(u32 pc) { return pc < kRamEnd; }

    // The Genesis has one Z80 and one context for it.
    static z80_cpu_context& record() { return z80_context; }

    // The VDP raises the line by writing 1 into the check flag.
    static constexpr bool kIrqCheckExact     = true;
    static constexpr bool kCountInstructions = false;
    static void add_instructions(u64) {}
    static void on_stop() {
        if (z80_halt_slot) z80_halt_slot();
    }
};

using GenesisZ80 = Z80Core<GenesisZ80Bus>;

}  // namespace varn
