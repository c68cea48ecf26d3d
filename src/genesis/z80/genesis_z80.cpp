// The Genesis Z80's memory map and ports.
//
//   0x0000-0x3FFF  Z80 RAM, 8 KB, mirrored once
//   0x4000-0x4FFF  YM2612: status on read; 0x4000-0x4003 latch / data of parts I and II
//   0x5000-0x5FFF  nothing (reads give the address)
//   0x6000-0x6FFF  bank register (write), a 9-bit shift register fed from the top
//   0x7000-0x7FFF  0x7F11 PSG (write); reads give the address
//   0x8000-0xFFFF  32 KB window onto the 68000 bus at z80_bank

#include "genesis/z80/genesis_z80.h"

#include "base/config.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "m68k/m68k_bus.h"

namespace varn {

std::array<u8, kZ80RamSize> z80_ram{};
u32 z80_bank         = 0;
u32 z80_busreq_latch = 0;
u32 z80_reset_latch  = 0;

std::array<Z80ReadByteHandler, kZ80Pages> z80_page_read_byte{};
std::array<Z80ReadWordHandler, kZ80Pages> z80_page_read_word{};
std::array<Z80WriteByteHandler, kZ80Pages> z80_page_write_byte{};
std::array<Z80WriteWordHandler, kZ80Pages> z80_page_write_word{};
std::array<u32, kZ80Pages> z80_page_table{};

namespace {

// YM2612.
u8 read_byte_ym(u32) { return ym2612_read_status(); }
u16 read_word_ym(u32) { return ym2612_read_status_word(); }
void write_byte_ym(u32 a, u8 v) {
    switch (a < 0x4004 ? (a & 3) : 7) {
        case 0:
            ym2612_latch_part1(v);
            break;
        case 1:
            ym2612_write_data_part1(v);
            break;
        case 2:
            ym2612_latch_part2(v);
            break;
        case 3:
            ym2612_write_data_part2(v);
            break;
        default:
            break;
    }
}
// A word lands its low byte at the address and its high byte at the next one: at the latch
// addresses that is register number then data.
void write_word_ym(u32 a, u16 v) {
    const u8 low = static_cast<u8>(v), high = static_cast<u8>(v >> 8);
    if (a == 0x4000) {
        ym2612_latch_part1(low);
        ym2612_write_data_part1(high);
    } else if (a == 0x4002) {
        ym2612_latch_part2(low);
        ym2612_write_data_part2(high);
    }
}

// Unmapped: reads give the address, writes are lost.
u8 read_byte_open(u32 a) { return static_cast<u8>(a); }
u16 read_word_open(u32 a) { return static_cast<u16>(a); }
void write_byte_none(u32, u8) {}
void write_word_none(u32, u16) {}

// Bank register: each write shifts bit 0 of the (low) byte in at 68000 address bit 23.
void bank_shift(u32 v) { z80_bank = ((z80_bank >> 1) | ((v & 1) << 23)) & 0xFF8000; }
void write_byte_bank(u32, u8 v) { bank_shift(v); }
void write_word_bank(u32, u16 v) { bank_shift(v); }

void write_byte_psg(u32 a, u8 v) {
    if (a == 0x7F11) psg_write(v);
}

// The 68000 window. The 68000 holds words big-endian; Z80 words are little-endian.
u32 m68k_addr(u32 a) { return (a & 0x7FFF) | z80_bank; }
u8 read_byte_m68k(u32 a) { return static_cast<u8>(m68k_read_byte(m68k_addr(a))); }
u16 read_word_m68k(u32 a) {
    const u32 w = m68k_read_word(m68k_addr(a));
    return static_cast<u16>(((w & 0xFF) << 8) | ((w >> 8) & 0xFF));
}
void write_byte_m68k(u32 a, u8 v) { m68k_write_byte(m68k_addr(a), v); }
void write_word_m68k(u32 a, u16 v) { m68k_write_word(m68k_addr(a), ((v & 0xFFu) << 8) | (v >> 8)); }

}  // namespace

void z80_map_init() {
    for (int p = 0; p < kZ80Pages; ++p) {
        Z80ReadByteHandler rb  = read_byte_open;
        Z80ReadWordHandler rw  = read_word_open;
        Z80WriteByteHandler wb = write_byte_none;
        Z80WriteWordHandler ww = write_word_none;
        if (p < 4) {
            rb = z80_ram_read_byte, rw = z80_ram_read_word, wb = z80_ram_write_byte,
            ww = z80_ram_write_word;
        } else if (p == 4) {
            rb = read_byte_ym, rw = read_word_ym, wb = write_byte_ym, ww = write_word_ym;
        } else if (p == 6) {
            wb = write_byte_bank, ww = write_word_bank;
        } else if (p == 7) {
            wb = write_byte_psg;
        } else if (p >= 8) {
            rb = read_byte_m68k, rw = read_word_m68k, wb = write_byte_m68k, ww = write_word_m68k;
        }
        z80_page_read_byte[p]  = rb;
        z80_page_read_word[p]  = rw;
        z80_page_write_byte[p] = wb;
        z80_page_write_word[p] = ww;
        // Pages 2 and 3 fetch the same 8 KB of RAM again.
        z80_page_table[p] = p < 4 ? static_cast<u32>((p & 1) * 0x1000) : kZ80NoCode;
    }
}

namespace {
// The tables are ready before any code runs.
[[maybe_unused]] const bool map_ready = (z80_map_init(), true);
}  // namespace

u8 z80_read_byte(u32 addr) {
    addr &= 0xFFFF;
    return z80_page_read_byte[addr >> 12](addr);
}
u16 z80_read_word(u32 addr) {
    addr &= 0xFFFF;
    return z80_page_read_word[addr >> 12](addr);
}
void z80_write_byte(u32 addr, u8 value) {
    addr &= 0xFFFF;
    z80_page_write_byte[addr >> 12](addr, value);
}
void z80_write_word(u32 addr, u16 value) {
    addr &= 0xFFFF;
    z80_page_write_word[addr >> 12](addr, value);
}

u8 z80_port_read(u8 port) { return port; }
void z80_port_write(u8, u8) {}

}  // namespace varn
