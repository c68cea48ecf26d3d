// Scanline renderers of the Genesis VDP. Every VRAM byte address wraps at 64 KB, as on the
// console, so no renderer reads outside VRAM whatever the tables hold.

#include "genesis/vdp/vdp_render.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

#include "base/config.h"
#include "base/speed_paths.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_internal.h"

namespace varn {

std::array<u8, kLineBufferRows * kLineBufferPitch> vdp_line_buffer{};
u32 vdp_render_line_number           = 0;
bool vdp_sprite_limit_always         = false;
bool vdp_interlace_one_field         = false;
const VdpWindowRect* vdp_window_rect = nullptr;

namespace {

// A plane line is drawn in place, 41 tiles from the fine scroll offset on: the last tile
// may write up to 7 bytes past pixel 320 (rows of the line buffers have room there).
constexpr u32 kLineTiles = kLineWidth / 8 + 1;
// Sprite line: 320 visible pixels with margins so that sprites partly off screen need no
// clipping (X runs from -127 to 383, a sprite is at most 32 pixels wide).
constexpr u32 kSpriteLeft = 128;
constexpr u32 kSpriteSpan = kSpriteLeft + kLineWidth + 128;
constexpr u32 kMaxSprites = 80;

std::array<u8, kLineWidth + 8> plane_a_line{};  // plane A with the window over it (from 0)
std::array<u8, kSpriteSpan> sprite_line{};
bool sprite_line_touched = false;
// The part of the sprite line that sprites have drawn into since it was last cleared: on a
// line a sprite touched, exactly where that line's sprites lie.
u32 sprite_drawn_begin = 0, sprite_drawn_end = 0;

const VdpControlState& st() { return vdp_control_state; }

// The VRAM blocks the current line has read (see vdp_line_vram_reads).
u64 line_reads = 0;
void mark_read(u32 byte_address) {
    line_reads |= u64{1} << ((byte_address & 0xFFFF) >> kVramBlockShift);
}

u16 vram_word(u32 byte_address) { return vdp_vram[(byte_address & 0xFFFF) >> 1]; }

// Line y's H-scroll entry: plane A's word, then plane B's.
u32 hscroll_entry_address(u32 y) {
    return vdp_control_state.hscroll_base + (y & vdp_control_state.hscroll_line_mask) * 4;
}

// A plane line takes its V-scroll values from 21 column pairs (the first one partly shown),
// or from pair 0 for the whole line; `scroll_word` 0 for plane A, 2 for plane B.
constexpr u32 kScrollPairs = kLineWidth / 16 + 1;
u32 vscroll_index(u32 pair, u32 scroll_word) {
    return (((pair * 4) & vdp_control_state.vscroll_column_mask) + scroll_word) >> 1;
}
u32 vscroll_pairs() { return vdp_control_state.vscroll_column_mask != 0 ? kScrollPairs : 1; }

// Eight pixels are handled together in a 64-bit word, pixel 0 in the lowest byte. Pixel
// bytes of the planes and sprites are at most 0x7F, so per-byte sums below never carry into
// the next byte.
constexpr u64 kBytes01 = 0x0101010101010101ull;
constexpr u64 kBytes3F = 0x3F3F3F3F3F3F3F3Full;
constexpr u64 kBytes40 = 0x4040404040404040ull;
constexpr u64 kBytes42 = 0x4242424242424242ull;
constexpr u64 kBytes7F = 0x7F7F7F7F7F7F7F7Full;
constexpr u64 kBytes80 = 0x8080808080808080ull;

u64 byte_reverse(u64 v) {
    v = (v & 0x00FF00FF00FF00FFull) << 8 | ((v >> 8) & 0x00FF00FF00FF00FFull);
    v = (v & 0x0000FFFF0000FFFFull) << 16 | ((v >> 16) & 0x0000FFFF0000FFFFull);
    return v << 32 | v >> 32;
}

void store8(u8* dst, u64 v) {
    if constexpr (std::endian::native == std::endian::big) v = byte_reverse(v);
    std::memcpy(dst, &v, 8);
}
template <class T>
u64 load8(const T* src) {
    u64 v;
    std::memcpy(&v, src, 8);
    if constexpr (std::endian::native == std::endian::big) v = byte_reverse(v);
    return v;
}

// The merge works on sixteen pixels at a time: two 64-bit lanes in one vector register.
// Every step below acts on each byte alone, so it serves a u64 and a lane pair alike, in
// any byte order.
typedef u64 PixelLanes __attribute__((vector_size(16)));

// Per-byte flags (0x80 where true) of pixel bytes.
template <class V>
V opaque_flags(V px) {  // colour != 0
    return ((px & kBytes3F) + kBytes7F) & kBytes80;
}
template <class V>
V high_flags(V px) {  // bit 0x40
    return (px << 1) & kBytes80;
}
// 0xFF in each byte whose flag is set; for a lane pair one signed byte compare.
template <class V>
V flag_mask(V flags) {
    if constexpr (std::is_same_v<V, PixelLanes>) {
        typedef s8 SignedBytes __attribute__((vector_size(16)));
        return (V)((SignedBytes)flags < SignedBytes{});
    } else {
        return flags | (flags - (flags >> 7));
    }
}
template <class V>
V select_bytes(V flags, V if_set, V if_clear) {
    const V m = flag_mask(flags);
    return (if_set & m) | (if_clear & ~m);
}

// The 8 pixel bytes of one pattern row (4 bytes at the even VRAM byte address `address`,
// which the callers keep inside VRAM) as the name-table or sprite entry shows them: colour
// 0 gives 0 for a sprite and the priority bit (0x40) for a plane, any other colour
// palette << 4 | colour | 0x40 for priority.
template <bool kPlane>
inline u64 pattern_row(u32 address, u16 entry) {
    // The row's two words (first word high) in one read; the row lies inside VRAM.
    u32 words;
    std::memcpy(&words, &vdp_vram[address >> 1], sizeof words);
    if constexpr (std::endian::native == std::endian::little) words = words << 16 | words >> 16;
    // Spread the eight nibbles into bytes: the last pixel of the row lands in byte 0, which
    // is the order a horizontally flipped tile shows.
    u64 px = words;
    px     = (px | px << 16) & 0x0000FFFF0000FFFFull;
    px     = (px | px << 8) & 0x00FF00FF00FF00FFull;
    px     = (px | px << 4) & 0x0F0F0F0F0F0F0F0Full;
    if ((entry & 0x800) == 0) px = byte_reverse(px);
    // 0x70 in each byte whose colour is not 0 (colours are 0-15 here), then the palette
    // line and priority bits of the entry there.
    const u64 opaque     = ((px + 0x0F0F0F0F0F0F0F0Full) & 0x1010101010101010ull) * 7;
    const u64 attributes = u64{(entry >> 9) & 0x70u} * kBytes01;
    px |= attributes & opaque;
    return kPlane ? px | (attributes & kBytes40) : px;
}

// Pattern row `prow` of the tile an entry names (vertical flip applied); tiles are 8 rows
// of 32 bytes, or 16 rows of 64 bytes in double resolution.
template <bool kDouble>
u32 tile_row_address(u16 entry, u32 prow) {
    constexpr u32 kLastRow = kDouble ? 15 : 7;
    prow ^= ((entry >> 12) & 1u) * kLastRow;  // last row - row
    return kDouble ? (entry & 0x3FFu) * 64 + prow * 4 : (entry & 0x7FFu) * 32 + prow * 4;
}

template <bool kDouble>
u64 plane_tile_row(u16 entry, u32 prow) {
    const u32 address = tile_row_address<kDouble>(entry, prow);
    mark_read(address);
    return pattern_row<true>(address, entry);
}

// Decoded rows of the tiles met so far on a line, by name-table entry, in 16 slots chosen
// by the low pattern index bits: a plane line meets few different tiles (empty or filled
// areas, repeated blocks), so most tiles are taken from here instead of being decoded.
// VRAM does not change while a line is drawn. The rows are of one pattern row `prow`; a
// new pattern row empties the cache.
template <bool kDouble>
class TileRowCache {
  public:
    explicit TileRowCache(u32 prow) { use_row(prow); }

    void use_row(u32 prow) {
        if (prow == prow_) return;
        prow_ = prow;
        std::fill(std::begin(keys_), std::end(keys_), ~0u);  // no entry matches
    }

    u64 row(u32 entry) {
        const u32 slot = entry & 15;
        if (keys_[slot] != entry) {
            keys_[slot] = entry;
            rows_[slot] = plane_tile_row<kDouble>(static_cast<u16>(entry), prow_);
        }
        return rows_[slot];
    }

  private:
    u32 prow_ = ~0u;
    u32 keys_[16];
    u64 rows_[16]{};
};

// `count` tiles whose name-table entries lie one after the other from VRAM word `word` on
// (wrapping at the end of VRAM), 8 bytes a tile from `out` on; returns the end.
template <bool kDouble>
u8* draw_entries(u8* out, u32 word, u32 count, TileRowCache<kDouble>& cache) {
    while (count != 0) {
        word &= kVramWords - 1;
        const u32 run = std::min(count, kVramWords - word);
        // A run of one entry (empty or filled areas) takes the row of the tile before; inside
        // a run, four tiles a step while the next four entries match.
        u32 last = 0x10000;
        u64 row  = 0;
        for (const u16 *e = &vdp_vram[word], *end = e + run; e != end; ++e, out += 8) {
            if (*e != last) {
                last = *e;
                row  = cache.row(last);
            } else if (end - e > 4 && e[1] == last) {  // a longer run: the next one matches
                const u64 four = u64{last} * 0x0001000100010001ull;  // in each 16-bit lane
                u64 next;
                while (end - e > 4 && (std::memcpy(&next, e + 1, sizeof next), next == four)) {
                    for (u32 k = 0; k < 4; ++k) store8(out + 8 * k, row);
                    e += 4;
                    out += 32;
                }
            }
            store8(out, row);
        }
        word += run;
        count -= run;
    }
    return out;
}

u8* output_line(u32 row) { return vdp_line_buffer.data() + row * kLineBufferPitch; }

// The name-table row (as a VRAM word index) and pattern row that a plane shows on plane line
// `plane_line` (y, or 2y + field in double resolution) in column pair `pair`. Name-table rows
// start on even addresses, so entries are taken by word index.
struct PlaneRowAt {
    u32 row_words, prow;
};
template <bool kDouble>
PlaneRowAt plane_row_at(bool plane_b, u32 plane_line, u32 pair) {
    const auto& s   = st();
    const u32 base  = plane_b ? s.plane_b_base : s.plane_a_base;
    const u32 vwrap = kDouble ? (static_cast<u32>(s.plane_vwrap_mask) * 2 + 1) : s.plane_vwrap_mask;
    const u32 v     = vdp_vsram[vscroll_index(pair, plane_b ? 2 : 0)];
    const u32 r     = (v + plane_line) & vwrap;
    const u32 row_start = base + ((r >> (kDouble ? 4 : 3)) << (s.plane_row_shift + 3u));
    // A row (64 to 256 bytes) starts on a multiple of its size from the 8 KB-aligned table
    // base, so it lies inside one block.
    mark_read(row_start);
    return {row_start >> 1, r & (kDouble ? 15 : 7)};
}

// One plane line. `y` picks the H-scroll entry, `plane_line` the plane row before scroll
// (y, or 2y + field in double resolution).
template <bool kDouble>
void render_plane(bool plane_b, u8* out, u32 y, u32 plane_line) {
    const auto& s         = st();
    const u32 scroll_word = plane_b ? 2 : 0;
    const u32 h           = vram_word(hscroll_entry_address(y) + scroll_word);
    const u32 x           = 0u - h;  // plane x of screen column 0
    // The wrap mask has its low three bits clear, so the tile column is taken from x / 8.
    const u32 first_column = x >> 3;
    const u32 fine         = x & 7;
    const u32 column_mask  = s.plane_hwrap_mask >> 3u;
    const u32 vscroll_mask = s.vscroll_column_mask;
    // The plane row comes from the V-scroll value of each column pair, or of the whole line.
    u32 row_words = 0, prow = 0;
    auto plane_row = [&](u32 pair) {
        const PlaneRowAt at = plane_row_at<kDouble>(plane_b, plane_line, pair);
        row_words           = at.row_words;
        prow                = at.prow;
    };
    plane_row(0);
    TileRowCache<kDouble> cache(prow);
    auto entry = [&](u32 t) {
        return vdp_vram[(row_words + ((first_column + t) & column_mask)) & (kVramWords - 1)];
    };
    // Tile 0 is cut to its pixels from `fine` on; tile t >= 1 lands at 8 t - fine.
    store8(out, cache.row(entry(0)) >> (8 * fine));
    u8* dst = out + 8 - fine;
    if (vscroll_mask == 0) {
        // One row for the line: the entries run along it up to the column wrap.
        for (u32 t = 1; t < kLineTiles;) {
            const u32 column = (first_column + t) & column_mask;
            const u32 run    = std::min(kLineTiles - t, column_mask + 1 - column);
            dst              = draw_entries(dst, row_words + column, run, cache);
            t += run;
        }
        return;
    }
    for (u32 t = 1; t < kLineTiles; ++t, dst += 8) {
        if ((t & 1) == 0) {
            plane_row(t / 2);
            cache.use_row(prow);
        }
        store8(dst, cache.row(entry(t)));
    }
}

// Runs `draw` and returns the VRAM blocks it read; the line's reads include them too.
template <class Draw>
u64 reads_of(Draw draw) {
    const u64 before = line_reads;
    line_reads       = 0;
    draw();
    const u64 reads = line_reads;
    line_reads |= before;
    return reads;
}

// A plane's line as last drawn, with what it was drawn from: its H-scroll and V-scroll words
// (compared by content, as games change the words of other lines and planes beside them)
// and the rest of its inputs. Games often scroll one plane and leave the other still.
struct PlaneLine {
    vdp_detail::DrawnInputs inputs;
    u16 hscroll = 0;
    u16 vscroll[kScrollPairs]{};
    u8 pixels[kLineTiles * 8]{};  // all that render_plane writes

    bool scroll_current(u16 h, u32 scroll_word) const {
        if (h != hscroll) return false;
        for (u32 pair = 0, pairs = vscroll_pairs(); pair < pairs; ++pair) {
            if (vscroll[pair] != vdp_vsram[vscroll_index(pair, scroll_word)]) return false;
        }
        return true;
    }
    void take_scroll(u16 h, u32 scroll_word) {
        hscroll = h;
        for (u32 pair = 0, pairs = vscroll_pairs(); pair < pairs; ++pair)
            vscroll[pair] = vdp_vsram[vscroll_index(pair, scroll_word)];
    }
};
std::array<std::array<PlaneLine, 224>, 2> plane_lines;  // plane A, plane B

// A plane line with one V-scroll value for the line on a plane 32, 64 or 128 cells wide
// comes from its plane pixel row, kept with what it was drawn from. A row that changed is
// drawn as the line alone (at its H scroll); a row found as it was but scrolled sideways is
// drawn whole, from column 0 and followed by its start again, and the line at any H scroll
// is then a plain copy from it. So a plane scrolled either way is not drawn again while the
// row's inputs are as they were.
constexpr u32 kMaxPlanePixels = 128 * 8;
constexpr u32 kMaxPlaneRows   = 128 * 8;
struct PlaneRow {
    vdp_detail::DrawnInputs inputs;
    bool whole  = false;  // `pixels` hold the whole row; else the line at H scroll `hscroll`
    u16 hscroll = 0;
    u8 pixels[kMaxPlanePixels + kLineTiles * 8]{};
};
std::array<std::array<PlaneRow, kMaxPlaneRows>, 2> plane_rows;  // plane A, plane B

bool whole_row_plane() {
    const u32 columns = (st().plane_hwrap_mask >> 3) + 1u;
    return st().vscroll_column_mask == 0 && (columns & (columns - 1)) == 0;
}

[[gnu::always_inline]] inline void plane_line_from_row(bool plane_b, u8* out, u32 y) {
    const u32 scroll_word = plane_b ? 2 : 0;
    const u32 width       = ((st().plane_hwrap_mask >> 3) + 1u) * 8;  // pixels
    const u32 row         = (vdp_vsram[vscroll_index(0, scroll_word)] + y) & st().plane_vwrap_mask;
    PlaneRow& kept        = plane_rows[plane_b ? 1 : 0][row];
    const u16 h           = vram_word(hscroll_entry_address(y) + scroll_word);
    if (!kept.inputs.current()) {
        kept.inputs.take(reads_of([&] { render_plane<false>(plane_b, out, y, y); }));
        kept.whole   = false;
        kept.hscroll = h;
        std::memcpy(kept.pixels, out, kLineTiles * 8);
        return;
    }
    if (!kept.whole && kept.hscroll != h) {
        kept.inputs.take(reads_of([&] {
            const PlaneRowAt at = plane_row_at<false>(plane_b, y, 0);
            TileRowCache<false> cache(at.prow);
            draw_entries(kept.pixels, at.row_words, width / 8, cache);
        }));
        // The row's start again after its end, for lines that wrap (twice for 32 cells).
        for (u32 done = width; done < width + kLineTiles * 8; done += width) {
            std::memcpy(kept.pixels + done, kept.pixels,
                        std::min(width, width + kLineTiles * 8 - done));
        }
        kept.whole = true;
    } else {
        line_reads |= kept.inputs.reads();
    }
    std::memcpy(out, kept.pixels + (kept.whole ? (0u - h) & (width - 1) : 0), kLineTiles * 8);
}

// Plane B or A of line y into `out`, drawn or taken over from the line kept (drawn afresh
// with the speed paths off).
void plane_line(bool plane_b, u8* out, u32 y) {
    if (!speed_paths_enabled()) {
        render_plane<false>(plane_b, out, y, y);
        return;
    }
    if (whole_row_plane()) {
        plane_line_from_row(plane_b, out, y);
        return;
    }
    PlaneLine& kept       = plane_lines[plane_b ? 1 : 0][y];
    const u32 scroll_word = plane_b ? 2 : 0;
    const u16 h           = vram_word(hscroll_entry_address(y) + scroll_word);
    if (kept.scroll_current(h, scroll_word) && kept.inputs.current()) {
        std::memcpy(out, kept.pixels, sizeof kept.pixels);
        line_reads |= kept.inputs.reads();
        return;
    }
    kept.inputs.take(reads_of([&] { render_plane<false>(plane_b, out, y, y); }));
    kept.take_scroll(h, scroll_word);
    std::memcpy(kept.pixels, out, sizeof kept.pixels);
}

// Window tiles of screen columns `first` up to `end` (exclusive, at most 40) of line y,
// over the plane-A line.
void window_tiles(u32 first, u32 end, u32 y) {
    if (first >= end) return;
    const auto& s      = st();
    const u32 row_base = s.window_base + (y >> 3) * (1u << (s.window_row_shift + 3));
    TileRowCache<false> cache(y & 7);
    mark_read(row_base + 2 * first);
    mark_read(row_base + 2 * end - 1);
    draw_entries(plane_a_line.data() + 8 * first, (row_base >> 1) + first, end - first, cache);
}

template <bool kDouble>
void draw_sprite(u32 at, u32 line) {
    constexpr u32 kCellRows = kDouble ? 16 : 8;
    const u16 w0            = vdp_vram[at & (kVramWords - 1)];
    const u16 w1            = vdp_vram[(at + 1) & (kVramWords - 1)];
    const u16 w2            = vdp_vram[(at + 2) & (kVramWords - 1)];
    const u32 x_raw         = vdp_vram[(at + 3) & (kVramWords - 1)] & 0x1FFu;
    const u32 height_cells  = ((w1 >> 8) & 3) + 1;
    const u32 width_cells   = ((w1 >> 10) & 3) + 1;
    const u32 top           = kDouble ? (w0 & 0x3FFu) - 256u : (w0 & 0x1FFu) - 128u;
    const u32 row0          = line - top;
    const u32 row           = (w2 & 0x1000) ? height_cells * kCellRows - 1 - row0 : row0;
    const u32 prow          = (row & (kCellRows - 1)) * 4;
    // The cells of a sprite run down each column first; a flipped sprite draws its columns
    // from the right.
    u32 pattern      = (w2 & 0x7FFu) + row / kCellRows;
    const bool hflip = (w2 & 0x0800) != 0;
    u8* dst = sprite_line.data() + x_raw - 128 + kSpriteLeft + (hflip ? 8 * (width_cells - 1) : 0);
    const s32 step = hflip ? -8 : 8;
    for (u32 col = 0; col < width_cells; ++col, pattern += height_cells, dst += step) {
        const u32 index   = pattern & (kDouble ? 0x3FFu : 0x7FFu);
        const u32 address = index * (kCellRows * 4) + prow;
        mark_read(address);
        const u64 src = pattern_row<false>(address, w2);
        // A pixel lands only where it is opaque and the line is still empty there: the
        // earlier sprite in the list wins. Pixel bytes are at most 0x7F.
        const u64 old = load8(dst);
        store8(dst, old == 0 ? src : old | (src & ~flag_mask(opaque_flags(old))));
    }
}

// The walk down the sprite list, the same for every line: the sprites visited in list order
// with what each line's test needs. It is taken again only when the table entries it read
// (the entries from 0 up to the highest one visited) or the walk's settings change, so a
// line tests its sprites without following the links.
struct SpriteWalk {
    // What the walk was taken from.
    bool valid      = false;
    bool double_res = false;
    u32 table_words = 0, max_visits = 0, span = 0;  // span: entries 0 to span - 1 were read
    std::array<u16, kMaxSprites * 4> entries{};
    // The visits in order: entry (VRAM word index), first line, lines, X, width in pixels.
    u32 count = 0;
    u32 at[kMaxSprites], top[kMaxSprites], lines[kMaxSprites], x[kMaxSprites], width[kMaxSprites];
    // For each sprite line (448 in double resolution), the visits that cross it, in order:
    // a line looks only at its own sprites.
    static constexpr u32 kLines = 448;
    u8 crossing_count[kLines];
    u8 crossing[kLines][kMaxSprites];
};
SpriteWalk sprite_walk;

// True when the `entries` sprite entries (4 words each) from VRAM word `word` on (wrapping
// at the end of VRAM) equal `copy`.
bool vram_entries_equal(u32 word, const u16* copy, u32 entries) {
    u64 diff = 0;
    if (word + entries * 4 <= kVramWords) {
        // A long table is compared by the library; a few entries are quicker inline.
        if (entries >= 16) return std::memcmp(&vdp_vram[word], copy, entries * 8) == 0;
        for (u32 k = 0; k < entries * 4; k += 4)
            diff |= load8(copy + k) ^ load8(&vdp_vram[word + k]);
    } else {
        for (u32 k = 0; k < entries * 4; ++k)
            diff |= copy[k] ^ vdp_vram[(word + k) & (kVramWords - 1)];
    }
    return diff == 0;
}

template <bool kDouble>
const SpriteWalk& walk_sprite_list(u32 table_words, u32 max_visits) {
    SpriteWalk& w = sprite_walk;
    if (speed_paths_enabled() && w.valid && w.double_res == kDouble &&
        w.table_words == table_words && w.max_visits == max_visits &&
        vram_entries_equal(table_words, w.entries.data(), w.span))
        return w;
    constexpr u32 kCellRows = kDouble ? 16 : 8;
    w.valid                 = true;
    w.double_res            = kDouble;
    w.table_words           = table_words;
    w.max_visits            = max_visits;
    w.count                 = 0;
    u32 highest = 0, i = 0;
    for (;;) {
        const u32 at = table_words + i * 4;
        const u16 w0 = vdp_vram[at & (kVramWords - 1)];
        const u16 w1 = vdp_vram[(at + 1) & (kVramWords - 1)];
        const u32 n  = w.count++;
        w.at[n]      = at;
        w.top[n]     = kDouble ? (w0 & 0x3FFu) - 256u : (w0 & 0x1FFu) - 128u;
        w.lines[n]   = (((w1 >> 8) & 3) + 1) * kCellRows;
        w.x[n]       = vdp_vram[(at + 3) & (kVramWords - 1)] & 0x1FFu;
        w.width[n]   = (((w1 >> 10) & 3) + 1) * 8;
        highest      = std::max(highest, i);
        if (w.count >= max_visits) break;
        const u32 link = w1 & 0xFF;
        if (link - 1 >= kMaxSprites - 1) break;  // 0 or 80 and above end the list
        i = link;
    }
    w.span = highest + 1;
    for (u32 k = 0; k < w.span * 4; ++k)
        w.entries[k] = vdp_vram[(table_words + k) & (kVramWords - 1)];
    std::fill(std::begin(w.crossing_count), std::end(w.crossing_count), 0);
    for (u32 k = 0; k < w.count; ++k) {
        for (u32 j = 0; j < w.lines[k]; ++j) {
            const u32 line = w.top[k] + j;  // unsigned: a sprite above line 0 wraps
            if (line < SpriteWalk::kLines)
                w.crossing[line][w.crossing_count[line]++] = static_cast<u8>(k);
        }
    }
    return w;
}

template <bool kDouble>
void render_sprites(u32 line) {
    const auto& s    = st();
    const bool limit = vdp_sprite_limit_always || cfg(cfg_gen_sprite_limit) != 0;
    const u32 table  = s.sprite_table_size;
    // A link back to a sprite already visited ends the list. The walk does not keep track:
    // from such a link on it would only visit sprites again, and a sprite drawn again adds
    // nothing (its opaque pixels are taken already), so it stops after as many visits as
    // there are sprites instead, or at the table size with the limit on.
    const u32 max_visits = limit ? std::min(table, kMaxSprites) : kMaxSprites;
    const u32 max_line   = limit ? table / 4 : ~0u;       // 16 or 20 sprites a line
    const u32 max_pixels = limit ? table / 4 * 16 : ~0u;  // 256 or 320 pixels a line
    // First the visits (of the walk; its entries are VRAM word indices, the table starts on
    // an even address) of the sprites that cross the line, in list order...
    const SpriteWalk& walk = walk_sprite_list<kDouble>(s.sprite_base >> 1, max_visits);
    mark_read(s.sprite_base);  // the whole table: 640 bytes
    mark_read(s.sprite_base + kMaxSprites * 8 - 1);
    u32 found[kMaxSprites];
    u32 found_count = 0, pixels = 0;
    bool touched       = false;
    const u32 crossing = line < SpriteWalk::kLines ? walk.crossing_count[line] : 0;
    for (u32 n = 0; n < crossing; ++n) {
        const u32 k = walk.crossing[line][n];
        touched     = true;
        // X = 0 masks this sprite and every later one on the line.
        if (walk.x[k] == 0) break;
        found[found_count++] = k;
        pixels += walk.width[k];
        if (found_count >= max_line || pixels >= max_pixels) break;
    }
    // ...then their pixels.
    sprite_line_touched = touched;
    if (!touched) return;
    std::fill(sprite_line.begin() + sprite_drawn_begin, sprite_line.begin() + sprite_drawn_end, 0);
    sprite_drawn_begin = kSpriteSpan;
    sprite_drawn_end   = 0;
    for (u32 n = 0; n < found_count; ++n) {
        // A sprite covers its width from X on (the line's left margin is X's offset of 128).
        const u32 k        = found[n];
        sprite_drawn_begin = std::min(sprite_drawn_begin, walk.x[k]);
        sprite_drawn_end   = std::max(sprite_drawn_end, walk.x[k] + walk.width[k]);
        draw_sprite<kDouble>(walk.at[k], line);
    }
    if (found_count == 0) sprite_drawn_begin = sprite_drawn_end = 0;  // all masked
    static_assert(kSpriteLeft == 128);
}

// The merge by priority of plane B and plane A (window included), byte by byte: the plane
// pixel that shows, and the priority flags of both planes.
template <class V>
struct PlaneMerge {
    V plane, b_opaque, b_high, a_opaque, a_high;
};
template <class V>
[[gnu::always_inline]] inline PlaneMerge<V> merge_planes(V b, V a) {
    const V b_opaque = opaque_flags(b), b_high = high_flags(b);
    const V a_opaque = opaque_flags(a), a_high = high_flags(a);
    // Plane B shows where it is opaque with priority over a low plane A, or where A is
    // transparent.
    const V b_wins = (b_opaque & b_high & ~a_high) | (~a_opaque & kBytes80);
    return {select_bytes(b_wins, b, a), b_opaque, b_high, a_opaque, a_high};
}

// The planes' pixels where no sprite pixel lies: the high block where a plane has priority,
// else shadow. On a line a sprite touched the intensity takes the form of the merge with
// sprites (0x40 for the normal block, `high_shift` 1; else 0x80, `high_shift` 0).
template <class V>
V plane_pixels(const PlaneMerge<V>& m, u32 high_shift) {
    return (m.plane & kBytes3F) | ((m.a_high | m.b_high) >> high_shift);
}

// The merge with the sprite pixels, byte by byte. `sprites`: a sprite touched the line;
// `operators`: all ones when shadow/highlight is on, else 0.
template <class V>
V merge_pixels(V b, V a, V s, bool sprites, u64 operators) {
    const PlaneMerge<V> m = merge_planes(b, a);
    if (!sprites) return plane_pixels(m, 0);
    const V s_opaque = opaque_flags(s), s_high = high_flags(s);
    // An opaque sprite pixel shows unless an opaque plane pixel with priority covers a low
    // one.
    const V visible = s_opaque & (s_high | (~(m.b_opaque & m.b_high) & ~(m.a_opaque & m.a_high)));
    // Colours 0x3E (highlight) and 0x3F (shadow) of the last palette line.
    const V op_colour  = ((s & kBytes3F) + kBytes42) & kBytes80;
    const V odd        = (s << 7) & kBytes80;
    const V shadow_op  = visible & op_colour & odd;
    const V lighten_op = visible & op_colour & ~odd;
    // With shadow/highlight on, an operator pixel changes the intensity and shows the plane.
    const V sprite_wins = visible & ~(op_colour & operators);
    const V colour      = select_bytes(sprite_wins, s, m.plane) & kBytes3F;
    const V any_high    = (s_high | m.a_high | m.b_high) >> 1;  // 0x40: normal block
    return colour | (any_high & ~(shadow_op >> 1)) | lighten_op;
}

// Merges pixels `begin` up to `end` (multiples of 16) of the line `out` holds plane B of;
// `with_sprites`: sprite pixels may lie there.
template <bool kWithSprites>
void mix_range(u8* out, u32 begin, u32 end, u32 high_shift, u64 operators) {
    const u8* a_line = plane_a_line.data();
    const u8* s_line = sprite_line.data() + kSpriteLeft;
    for (u32 p = begin; p < end; p += sizeof(PixelLanes)) {
        PixelLanes b, a, merged;
        std::memcpy(&b, out + p, sizeof b);
        std::memcpy(&a, a_line + p, sizeof a);
        if constexpr (kWithSprites) {
            PixelLanes s;
            std::memcpy(&s, s_line + p, sizeof s);
            merged = merge_pixels(b, a, s, true, operators);
        } else if (load8(a_line + p) == 0 && load8(a_line + p + 8) == 0) {
            // Plane A empty and low here (the commonest case): plane B shows.
            merged = (b & kBytes3F) | (high_flags(b) >> high_shift);
        } else {
            merged = plane_pixels(merge_planes(b, a), high_shift);
        }
        std::memcpy(out + p, &merged, sizeof merged);
    }
}

void mix(u8* out) {
    constexpr u32 kGroup = sizeof(PixelLanes);
    static_assert(kLineWidth % kGroup == 0);
    const bool touched = sprite_line_touched;
    // Only the groups of pixels that the line's sprites reach take the merge with sprites.
    u32 begin = kLineWidth, end = kLineWidth;
    if (touched && sprite_drawn_begin < sprite_drawn_end) {
        auto screen = [](u32 at) {
            return std::clamp(at, kSpriteLeft, kSpriteLeft + kLineWidth) - kSpriteLeft;
        };
        begin = screen(sprite_drawn_begin) / kGroup * kGroup;
        end   = (screen(sprite_drawn_end) + kGroup - 1) / kGroup * kGroup;
    }
    const u32 high_shift = touched ? 1 : 0;
    const u64 operators  = st().shadow_highlight ? ~u64{0} : 0;
    mix_range<false>(out, 0, begin, high_shift, operators);
    mix_range<true>(out, begin, end, high_shift, operators);
    mix_range<false>(out, end, kLineWidth, high_shift, operators);
}

// Outside the band of non-window lines the window covers the whole plane-A line.
bool window_covers_line(u32 y) {
    const auto& s = st();
    return y < s.window_line_start || y - s.window_line_start >= s.window_line_count;
}

u32 field() { return st().odd_field && !vdp_interlace_one_field ? 1 : 0; }

// The window rectangle's cells over plane A on its lines.
void rect_window(const VdpWindowRect& w, u32 y) {
    const u32 cols = screen_width == 320 ? 40 : 32;
    if (y - w.first_line < w.line_count) {
        window_tiles(w.first_col, std::min<u32>(w.first_col + w.col_count, cols), y);
    }
}

// The plane row and sprite line of the current line in double resolution.
u32 double_line() { return 2 * vdp_render_line_number + field(); }

}  // namespace

u64 vdp_mix_pixels(u64 b, u64 a, u64 s, bool sprites, bool operators) {
    return merge_pixels(b, a, s, sprites, operators ? ~u64{0} : 0);
}

u32 vdp_output_row() { return vdp_render_line_number; }

u32 vdp_output_row_interlace() {
    if (vdp_interlace_one_field) return vdp_render_line_number;
    return cfg(cfg_squash_interlace) != 0 ? vdp_render_line_number : double_line();
}

void vdp_render_plane_b() {
    render_plane<false>(true, output_line(vdp_output_row()), vdp_render_line_number,
                        vdp_render_line_number);
}

void vdp_render_plane_a() {
    render_plane<false>(false, plane_a_line.data(), vdp_render_line_number, vdp_render_line_number);
}

void vdp_render_window() {
    const auto& s  = st();
    const u32 y    = vdp_render_line_number;
    const u32 cols = screen_width == 320 ? 40 : 32;
    if (window_covers_line(y)) {
        window_tiles(0, 40, y);
        return;
    }
    if (s.window_col_count >= cols) return;
    if ((vdp_registers[17] & 0x80) == 0) {
        window_tiles(0, std::min<u32>(s.window_col_start, cols), y);
    } else {
        window_tiles(s.window_col_start + s.window_col_count, cols, y);
    }
}

void vdp_render_sprites() { render_sprites<false>(vdp_render_line_number); }

void vdp_mix_line() { mix(output_line(vdp_output_row())); }

void vdp_clear_line() { std::memset(output_line(vdp_output_row()), 0, kLineWidth); }

void vdp_render_plane_b_interlace() {
    render_plane<true>(true, output_line(vdp_output_row_interlace()), vdp_render_line_number,
                       double_line());
}

void vdp_render_plane_a_interlace() {
    render_plane<true>(false, plane_a_line.data(), vdp_render_line_number, double_line());
}

void vdp_render_sprites_interlace() { render_sprites<true>(double_line()); }

void vdp_mix_line_interlace() { mix(output_line(vdp_output_row_interlace())); }

u64 vdp_line_vram_reads() { return line_reads; }

void vdp_render_genesis_line() {
    line_reads = 0;
    if (!st().display_enabled) {
        vdp_clear_line();
        return;
    }
    const u32 y = vdp_render_line_number;
    mark_read(hscroll_entry_address(y));  // for the whole line the entry's block counts
    plane_line(true, output_line(vdp_output_row()), y);
    if (vdp_window_rect != nullptr) [[unlikely]] {
        // A rectangle: plane A everywhere, the window's cells over it on its lines.
        plane_line(false, plane_a_line.data(), y);
        rect_window(*vdp_window_rect, y);
    } else {
        // Plane A is not seen where the window covers all of it.
        if (!window_covers_line(y)) plane_line(false, plane_a_line.data(), y);
        vdp_render_window();
    }
    vdp_render_sprites();
    vdp_mix_line();
}

void vdp_render_genesis_line_interlace() {
    if (!st().display_enabled) {
        std::memset(output_line(vdp_output_row_interlace()), 0, kLineWidth);
        return;
    }
    vdp_render_plane_b_interlace();
    vdp_render_plane_a_interlace();
    if (vdp_window_rect != nullptr) [[unlikely]]
        rect_window(*vdp_window_rect, vdp_render_line_number);
    vdp_render_sprites_interlace();
    vdp_mix_line_interlace();
}

}  // namespace varn
