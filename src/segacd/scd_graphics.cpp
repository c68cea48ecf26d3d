// The graphics unit: each line of the destination walks the stamp map along its own trace
// vector (a start point and a step per dot, in fixed point), picks the stamp under each dot,
// turns it by the map entry's orientation bits and takes the dot's 4-bit colour; the lines
// go into a line buffer, which is then written into the image buffer in cell columns.

#include "segacd/scd_graphics.h"

#include <algorithm>
#include <utility>

#include "base/host.h"
#include "memory/memory.h"
#include "runtime/thread_link.h"
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

// The stamp map's shape: stamps of 16 or 32 dots, a map of 256 or 4096 dots a side.
template <bool kBig, bool kLarge>
struct MapShape {
    static constexpr u32 kStamp    = kBig ? 32 : 16;
    static constexpr u32 kStampEnd = kStamp - 1;
    static constexpr u32 kDotMask  = kLarge ? 0xFFF : 0xFF;
    // Byte offset of the map entry: (X - X mod stamp) >> kColShift for the column,
    // ((Y - Y mod stamp) >> 1) << kRowShift for the row (maps 16, 8, 256 or 128 stamps wide).
    static constexpr u32 kColShift = kBig ? 4 : 3;
    static constexpr u32 kRowShift = kLarge ? (kBig ? 4 : 6) : (kBig ? 0 : 2);
    // A stamp is stored in columns of 8 dots, stamp x 4 bytes each.
    static constexpr u32 kColumnScale = kBig ? 16 : 8;
    static constexpr u32 kBaseMask = kLarge ? (kBig ? 0xE000 : 0x8000) : (kBig ? 0xFFE0 : 0xFF80);
};

// The colour of the map's dot at (X, Y); off the map it is 0 unless the map repeats.
template <typename Shape>
u8 map_dot(u32 base, bool repeat, u32 x, u32 y) {
    if (((x | y) & ~Shape::kDotMask) != 0 && !repeat) return 0;
    x &= Shape::kDotMask;
    y &= Shape::kDotMask;
    const u32 entry = wram16(base + ((x & ~Shape::kStampEnd) >> Shape::kColShift) +
                             (((y & ~Shape::kStampEnd) >> 1) << Shape::kRowShift));
    u32 dx          = x & Shape::kStampEnd;
    u32 dy          = y & Shape::kStampEnd;
    if (((entry >> 15 ^ entry >> 14 ^ entry >> 13) & 1) != 0) dx = Shape::kStampEnd - dx;
    if ((entry & 0x4000) != 0) dy = Shape::kStampEnd - dy;
    if ((entry & 0x2000) != 0) std::swap(dx, dy);
    const u32 number = entry & (Shape::kStamp == 32 ? 0x7FC : 0x7FF);
    const u8 b = wram8(number * 128 + (dx & ~7u) * Shape::kColumnScale + dy * 4 + (dx & 7) / 2);
    return (dx & 1) != 0 ? b & 0x0F : b >> 4;
}

s32 signed16(u32 v) { return static_cast<s16>(static_cast<u16>(v)); }

// The lines: each trace entry's start and steps, dots in groups of four, the positions kept
// to 24 bits after each group.
template <typename Shape>
void draw_lines(u8* buffer, u32 trace, u32 lines, u32 groups) {
    const u32 base    = (reg16(0x5A) & Shape::kBaseMask) * 4;
    const bool repeat = (scd_ga.regs[0x59] & 1) != 0;
    for (u32 l = 0; l < lines; ++l, trace += 8) {
        u8* row      = buffer + l * kScdLineBufferWidth;
        u32 x        = wram16(trace) << 8;
        u32 y        = wram16(trace + 2) << 8;
        const u32 sx = static_cast<u32>(signed16(wram16(trace + 4)));
        const u32 sy = static_cast<u32>(signed16(wram16(trace + 6)));
        for (u32 g = 0; g < groups; ++g) {
            for (u32 p = 0; p < 4; ++p) {
                row[4 * g + p] = map_dot<Shape>(base, repeat, x >> 11, y >> 11);
                x += sx;
                y += sy;
            }
            x &= kPositionMask;
            y &= kPositionMask;
        }
    }
}

void draw_lines(u8* buffer, u32 trace, u32 lines, u32 groups) {
    switch (scd_ga.regs[0x59] & 6) {
        case 0:
            return draw_lines<MapShape<false, false>>(buffer, trace, lines, groups);
        case 2:
            return draw_lines<MapShape<true, false>>(buffer, trace, lines, groups);
        case 4:
            return draw_lines<MapShape<false, true>>(buffer, trace, lines, groups);
        default:
            return draw_lines<MapShape<true, true>>(buffer, trace, lines, groups);
    }
}

// All ones in each nibble of v that is not 0.
u32 nonzero_nibbles(u32 v) { return ((v | v >> 1 | v >> 2 | v >> 3) & 0x11111111) * 0xF; }

// New dots over old ones, nibble by nibble, by the priority mode: 0 the new dot; 1 and 3
// the old dot where it is not 0 (underwrite); 2 the new dot where it is not 0 (overwrite).
u32 combine(u32 old_dots, u32 new_dots, u32 priority) {
    switch (priority) {
        case 0:
            return new_dots;
        case 2: {
            const u32 keep_new = nonzero_nibbles(new_dots);
            return (new_dots & keep_new) | (old_dots & ~keep_new);
        }
        default: {
            const u32 keep_old = nonzero_nibbles(old_dots);
            return (old_dots & keep_old) | (new_dots & ~keep_old);
        }
    }
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
        u8* const buffer = scd_gfx_line_buffer.data();
        const u32 trace  = reg16(0x66) * 4;
        for (u32 r = v; r < rows; ++r)
            std::fill_n(buffer + r * kScdLineBufferWidth, kScdLineBufferWidth, u8{0});
        draw_lines(buffer, trace, v, (h + 3) / 4);

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
