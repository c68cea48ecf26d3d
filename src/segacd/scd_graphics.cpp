// The graphics unit: each line of the destination walks the stamp map along its own trace
// vector (a start point and a step per dot, in fixed point), picks the stamp under each dot,
// turns it by the map entry's orientation bits and takes the dot's 4-bit colour; the lines
// go into a line buffer, which is then written into the image buffer in cell columns.

#include "segacd/scd_graphics.h"

#include <algorithm>
#include <utility>

#include "base/host.h"
#include "genesis/memory/memory.h"
#include "genesis/runtime/thread_link.h"
#include "segacd/segacd.h"

namespace varn {

std::array<u8, kScdLineBufferWidth * kScdLineBufferRows> scd_gfx_line_buffer{};
std::atomic<u32> scd_pause_after_graphics{0};

namespace {

// The unit addresses word RAM as one 256 KB memory; every offset wraps inside it.
constexpr u32 kWordRamMask  = 0x3FFFF;
constexpr u32 kPositionMask = 0xFFFFFF;  // trace positions: 24 bits, 11 of them fraction

u32 reg16(u32 r) { return u32{scd_ga.regs[r]} << 8 | scd_ga.regs[r + 1]; }
u8 wram8(u32 at) { return scd_word_ram[at & kWordRamMask]; }
u32 wram16(u32 at) { return u32{wram8(at)} << 8 | wram8(at + 1); }
u32 wram32(u32 at) { return wram16(at) << 16 | wram16(at + 2); }
void wram32_store(u32 at, u32 v) {
    for (u32 i = 0; i < 4; ++i)
        scd_word_ram[(at + i) & kWordRamMask] = static_cast<u8>(v >> (24 - 8 * i));
}

// The stamp map's shape, from the stamp data size register.
struct StampMap {
    u32 base;       // byte offset of the map in word RAM
    u32 stamp;      // stamp size in dots: 16 or 32
    u32 dot_mask;   // map size in dots less one: 0xFF or 0xFFF
    u32 col_shift;  // (X - X mod stamp) >> col_shift: byte offset of the map column
    u32 row_shift;  // ((Y - Y mod stamp) >> 1) << row_shift: byte offset of the map row
    u32 col_bytes;  // a stamp column of 8 dots is stamp x 4 bytes: (dx - dx mod 8) x this
    bool repeat;    // coordinates off the map wrap; else they draw dot 0
};

StampMap stamp_map() {
    const u8 size                        = scd_ga.regs[0x59];
    const bool big                       = (size & 2) != 0;
    const bool large                     = (size & 4) != 0;
    static constexpr u32 kBaseMask[2][2] = {{0xFF80, 0x8000}, {0xFFE0, 0xE000}};
    StampMap m;
    m.base      = (reg16(0x5A) & kBaseMask[big][large]) * 4;
    m.stamp     = big ? 32 : 16;
    m.dot_mask  = large ? 0xFFF : 0xFF;
    m.col_shift = big ? 4 : 3;
    m.row_shift = large ? (big ? 4 : 6) : (big ? 0 : 2);
    m.col_bytes = big ? 16 : 8;
    m.repeat    = (size & 1) != 0;
    return m;
}

// The colour of the map's dot at (X, Y).
u8 map_dot(const StampMap& m, u32 x, u32 y) {
    const bool outside = ((x | y) & ~m.dot_mask) != 0;
    if (outside && !m.repeat) return 0;
    x &= m.dot_mask;
    y &= m.dot_mask;
    const u32 s = m.stamp;
    const u32 entry =
        wram16(m.base + ((x - x % s) >> m.col_shift) + (((y - y % s) >> 1) << m.row_shift));
    u32 dx = x % s;
    u32 dy = y % s;
    if (((entry >> 15 ^ entry >> 14 ^ entry >> 13) & 1) != 0) dx = s - 1 - dx;
    if ((entry & 0x4000) != 0) dy = s - 1 - dy;
    if ((entry & 0x2000) != 0) std::swap(dx, dy);
    u32 number = entry & 0x7FF;
    if (s == 32) number &= ~3u;
    const u8 b = wram8(number * 128 + (dx - dx % 8) * m.col_bytes + dy * 4 + (dx % 8) / 2);
    return (dx & 1) != 0 ? b & 0x0F : b >> 4;
}

s32 signed16(u32 v) { return static_cast<s16>(static_cast<u16>(v)); }

// One destination line: the trace entry's start and steps, dots in groups of four, the
// positions kept to 24 bits after each group.
void draw_line(const StampMap& m, u32 trace, u8* row, u32 groups) {
    u32 x        = wram16(trace) << 8;
    u32 y        = wram16(trace + 2) << 8;
    const u32 sx = static_cast<u32>(signed16(wram16(trace + 4)));
    const u32 sy = static_cast<u32>(signed16(wram16(trace + 6)));
    for (u32 g = 0; g < groups; ++g) {
        for (u32 p = 0; p < 4; ++p) {
            row[4 * g + p] = map_dot(m, x >> 11, y >> 11);
            x += sx;
            y += sy;
        }
        x &= kPositionMask;
        y &= kPositionMask;
    }
}

// New dots over old ones, nibble by nibble, by the priority mode: 0 the new dot; 1 and 3
// the old dot where it is not 0 (underwrite); 2 the new dot where it is not 0 (overwrite).
u32 combine(u32 old_dots, u32 new_dots, u32 priority) {
    if (priority == 0) return new_dots;
    u32 out = 0;
    for (u32 i = 0; i < 32; i += 4) {
        const u32 o = old_dots >> i & 0xF;
        const u32 n = new_dots >> i & 0xF;
        const u32 d = priority == 2 ? (n != 0 ? n : o) : (o != 0 ? o : n);
        out |= d << i;
    }
    return out;
}

// The user pause that the front end's check item asks for after each operation: held here,
// in the middle of the sub-CPU's slice, until the user resumes (or stops) the machine.
void pause_after_operation() {
    emu_host().sound_pause();
    emu_pause_req.fetch_or(kPauseUser);
    emu_state_flags.fetch_or(kStatePaused);
    // A stop request ends the wait; the frame loop's own check then ends the run.
    (void)emu_check_pause_stop();
}

}  // namespace

void scd_graphics_start() {
    const u32 h     = reg16(0x62) & 0x1FF;
    const u32 v     = scd_ga.regs[0x65];
    const u32 cells = (scd_ga.regs[0x5D] & 0x1F) + 1;
    const u32 rows  = cells * 8;
    // No dots or no lines: nothing is drawn, but the operation still completes.
    if (h != 0 && v != 0) {
        const StampMap m = stamp_map();
        u8* const buffer = scd_gfx_line_buffer.data();
        const u32 trace  = reg16(0x66) * 4;
        for (u32 r = v; r < rows; ++r)
            std::fill_n(buffer + r * kScdLineBufferWidth, kScdLineBufferWidth, u8{0});
        for (u32 l = 0; l < v; ++l)
            draw_line(m, trace + 8 * l, buffer + l * kScdLineBufferWidth, (h + 3) / 4);

        // Cell columns of `rows` rows, 8 dots (32 bits) a row, one after the other.
        u32 dest       = (reg16(0x5E) & 0xFFF8) * 4;
        const u32 cols = (h + 7) / 8;
        for (u32 c = 0; c < cols; ++c) {
            for (u32 r = 0; r < rows; ++r, dest += 4) {
                const u8* dots = buffer + r * kScdLineBufferWidth + 8 * c;
                u32 packed     = 0;
                for (u32 i = 0; i < 8; ++i) packed = packed << 4 | (dots[i] & 0x0F);
                wram32_store(dest, combine(wram32(dest), packed, scd_ga.priority));
            }
        }
    }
    scd_ga.regs[0x64] = 0;
    scd_ga.regs[0x65] = 0;
    if (scd_pause_after_graphics.load() != 0) pause_after_operation();
}

}  // namespace varn
