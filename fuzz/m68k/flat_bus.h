#pragma once
// The flat 68000 test bus for the fuzz targets, noting what each input writes so that the
// next input starts from clean memory.

#include <algorithm>
#include <span>
#include <vector>

#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"
#include "memory/memory.h"
#include "support/m68k_flat_bus.h"

namespace varn::fuzz {

using test::flat_memory;

// Clearing 21 MB for every input would cost more than running it: writes note the 4 KB
// blocks they touch (arena blocks first, then the flat array's), and the next input clears
// only those.
inline constexpr u32 kBlock       = 0x1000;
inline constexpr u32 kArenaBlocks = (kArenaSize + kBlock - 1) / kBlock;
inline constexpr u32 kBlocks      = kArenaBlocks + 0x1000000 / kBlock;
struct DirtyBlocks {
    std::vector<u8> marked = std::vector<u8>(kBlocks);
    std::vector<u32> list;
};
inline DirtyBlocks& dirty() {
    static DirtyBlocks d;
    return d;
}
inline void mark(const u8* p) {
    const bool in_arena = p >= memory_arena && p < memory_arena + kArenaSize;
    const u32 block     = in_arena ? static_cast<u32>(p - memory_arena) / kBlock
                                   : kArenaBlocks + static_cast<u32>(p - flat_memory().data()) / kBlock;
    DirtyBlocks& d      = dirty();
    if (d.marked[block]) return;
    d.marked[block] = 1;
    d.list.push_back(block);
}
inline void mark_range(const u8* p, std::size_t n) {
    for (std::size_t i = 0; i < n; i += kBlock) mark(p + i);
    if (n != 0) mark(p + n - 1);
}
inline void clear_dirty() {
    DirtyBlocks& d = dirty();
    for (u32 block : d.list) {
        if (block < kArenaBlocks) {
            const u32 begin = block * kBlock;
            std::fill(memory_arena + begin, memory_arena + std::min(begin + kBlock, kArenaSize),
                      u8{0});
        } else {
            std::fill_n(flat_memory().data() + (block - kArenaBlocks) * kBlock, kBlock, u8{0});
        }
        d.marked[block] = 0;
    }
    d.list.clear();
}

// A digest of every byte written since the input was loaded, in order.
inline u64& write_digest() {
    static u64 h = 0;
    return h;
}

// The flat bus, marking the blocks it writes.
struct MarkingBus {
    template <u8* (*At)(u32), u32 N>
    static u32 read(u32 a) {
        return test::read_n<At>(a, N);
    }
    template <u8* (*At)(u32), u32 N>
    static void write(u32 a, u32 v) {
        for (u32 i = 0; i < N; ++i) {
            u8* p = At(a + i);
            mark(p);
            *p             = static_cast<u8>(v >> (8 * (N - 1 - i)));
            write_digest() = (write_digest() ^ (u64{a + i} << 8 | *p)) * 0x100000001B3u;
        }
    }
};

// Clean records and clean memory; the flat buses are installed once.
inline void reset_machine() {
    static const bool ready = [] {
        m68k_build_jump_table();
        s68k_build_jump_table();
        memory_clear();
        test::install_flat_buses<MarkingBus>();
        return true;
    }();
    (void)ready;
    clear_dirty();
    write_digest() = 0;
    m68k_reset_records();
    m68k_clear_slots();
}

// Copies input bytes into an image and marks them for clearing.
inline void load_image(std::span<u8> image, const u8* data, std::size_t n) {
    n = std::min(n, image.size());
    std::copy_n(data, n, image.begin());
    mark_range(image.data(), n);
}

// Runs up to `slices` slices of one instance; stops early once it halts.
inline void run_slices(bool sub, u32 slices) {
    const M68kCpuContext& c = sub ? s68k_context : m68k_context;
    for (u32 i = 0; i < slices && !(c.status & kM68kStatusHalted); ++i) {
        if (sub) {
            s68k_run_slice();
        } else {
            m68k_run_slice();
        }
    }
}

}  // namespace varn::fuzz
