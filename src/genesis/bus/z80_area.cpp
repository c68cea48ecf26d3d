// The 68000's window onto the sound side, 0xA00000-0xA0FFFF: the Z80's 8 KB RAM, the YM2612
// ports and the PSG. The bank register at 0xA06000 is the Z80's alone.

#include "genesis/bus/bus_pages.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "genesis/z80/genesis_z80.h"

namespace varn {

namespace {

// ---- Z80 RAM, 0xA00000-0xA01FFF: big-endian as the 68000 sees it; each byte wraps ----
constexpr u32 kZ80RamMask = kZ80RamSize - 1;
u32 zram_read_byte(u32 a) { return z80_ram[a & kZ80RamMask]; }
void zram_write_byte(u32 a, u32 v) { z80_ram[a & kZ80RamMask] = static_cast<u8>(v); }
using ZramHandlers = BytewiseHandlers<zram_read_byte, zram_write_byte>;

// ---- YM2612, 0xA04000-0xA04FFF: address bits 0-1 pick the port ----
u32 ym_read_byte(u32) { return ym2612_read_status(); }
u32 ym_read_word(u32) { return ym2612_read_status_word(); }
u32 ym_read_long(u32) {
    const u32 w = ym2612_read_status_word();
    return w << 16 | w;
}

void ym_write_byte(u32 a, u32 v) {
    const u8 b = static_cast<u8>(v);
    switch (a & 3) {
        case 0:
            ym2612_latch_part1(b);
            break;
        case 1:
            ym2612_write_data_part1(b);
            break;
        case 2:
            ym2612_latch_part2(b);
            break;
        case 3:
            ym2612_write_data_part2(b);
            break;
    }
}

// A word carries register number (high byte) and data (low byte) for one part.
void ym_write_word(u32 a, u32 v) {
    if (a & 1) return;
    if ((a & 2) == 0) {
        ym2612_latch_part1(static_cast<u8>(v >> 8));
        ym2612_write_data_part1(static_cast<u8>(v));
    } else {
        ym2612_latch_part2(static_cast<u8>(v >> 8));
        ym2612_write_data_part2(static_cast<u8>(v));
    }
}

// A long at port 0 writes both parts; at port 2 only part II from its high word.
void ym_write_long(u32 a, u32 v) {
    switch (a & 3) {
        case 0:
            ym_write_word(a, v >> 16);
            ym_write_word(a + 2, v);
            break;
        case 2:
            ym_write_word(a, v >> 16);
            break;
        default:
            break;
    }
}

// ---- PSG, 0xA07000-0xA07FFF: every width writes the value's low byte ----
void psg_page_write(u32, u32 v) { psg_write(static_cast<u8>(v)); }

}  // namespace

const M68kHandlerSet m68k_z80_ram_set = ZramHandlers::kSet;
const M68kHandlerSet m68k_ym2612_set{ym_read_byte,  ym_read_word,  ym_read_long,
                                     ym_write_byte, ym_write_word, ym_write_long};
const M68kHandlerSet m68k_z80_psg_set{m68k_unmapped_read, m68k_unmapped_read, m68k_unmapped_read,
                                      psg_page_write,     psg_page_write,     psg_page_write};

}  // namespace varn
