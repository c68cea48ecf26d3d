#pragma once
// The memory arena: one array holding every image a 68000 can run code from, in the order
// the CPU core relies on, each group followed by guard bytes.
//
//   guard | boot ROM (2 KB) | cartridge ROM (4 MB) | guard
//         | work RAM (64 KB) | guard
//         | Sega CD BIOS (128 KB) | PRG-RAM (512 KB) | word RAM (256 KB) | guard
//         | 32X 68000-side BIOS (256 bytes) | guard
//
// Why one array: instruction fetch turns a 24-bit PC into a position in host memory with one
// addition (fetch page offset + PC). Keeping the images in one array lets those positions be
// plain u32 indices, and lets "the boot ROM runs on into the cartridge" and "BIOS, PRG-RAM and
// word RAM follow each other" hold by construction, without ever forming a pointer outside an
// array. The guard bytes (always zero) absorb the few bytes an instruction near the end of an
// image reads past it (its extension words), and code that runs off a group's end finds opcode
// 0x0000 there, whose handler re-resolves the fetch region (the core's dispatch step relies on
// this and makes no end test of its own).
//
// All images are held big-endian, as the console holds them. Other folders reach them through
// the spans below (`cart_rom`, `m68k_ram`, ...); the arena offsets are for the fetch pages.

#include <array>
#include <span>

#include "base/types.h"

namespace varn {

inline constexpr u32 kArenaGuardSize = 64;

inline constexpr u32 kBootRomSize      = 0x800;     // Genesis boot ROM, 2 KB
inline constexpr u32 kCartRomSize      = 0x400000;  // cartridge ROM, 4 MB
inline constexpr u32 kWorkRamSize      = 0x10000;   // 68000 work RAM, 64 KB
inline constexpr u32 kScdBiosSize      = 0x20000;   // Sega CD BIOS, 128 KB
inline constexpr u32 kScdPrgRamSize    = 0x80000;   // Sega CD PRG-RAM, 512 KB
inline constexpr u32 kScdWordRamSize   = 0x40000;   // Sega CD word RAM, 256 KB
inline constexpr u32 kS32xM68kBiosSize = 0x100;     // 32X 68000-side BIOS, 256 bytes

// Arena offsets of the images.
inline constexpr u32 kBootRomOffset      = kArenaGuardSize;
inline constexpr u32 kCartRomOffset      = kBootRomOffset + kBootRomSize;
inline constexpr u32 kWorkRamOffset      = kCartRomOffset + kCartRomSize + kArenaGuardSize;
inline constexpr u32 kScdBiosOffset      = kWorkRamOffset + kWorkRamSize + kArenaGuardSize;
inline constexpr u32 kScdPrgRamOffset    = kScdBiosOffset + kScdBiosSize;
inline constexpr u32 kScdWordRamOffset   = kScdPrgRamOffset + kScdPrgRamSize;
inline constexpr u32 kS32xM68kBiosOffset = kScdWordRamOffset + kScdWordRamSize + kArenaGuardSize;
inline constexpr u32 kArenaSize = kS32xM68kBiosOffset + kS32xM68kBiosSize + kArenaGuardSize;

alignas(64) extern u8 memory_arena[kArenaSize];

// The images. Each view covers exactly its image; the guard bytes belong to none.
inline constexpr std::span<u8, kBootRomSize> gen_boot_rom{memory_arena + kBootRomOffset,
                                                          kBootRomSize};
inline constexpr std::span<u8, kCartRomSize> cart_rom{memory_arena + kCartRomOffset, kCartRomSize};
inline constexpr std::span<u8, kWorkRamSize> m68k_ram{memory_arena + kWorkRamOffset, kWorkRamSize};
inline constexpr std::span<u8, kScdBiosSize> scd_bios{memory_arena + kScdBiosOffset, kScdBiosSize};
inline constexpr std::span<u8, kScdPrgRamSize> scd_prg_ram{memory_arena + kScdPrgRamOffset,
                                                           kScdPrgRamSize};
inline constexpr std::span<u8, kScdWordRamSize> scd_word_ram{memory_arena + kScdWordRamOffset,
                                                             kScdWordRamSize};
inline constexpr std::span<u8, kS32xM68kBiosSize> s32x_m68k_bios{memory_arena + kS32xM68kBiosOffset,
                                                                 kS32xM68kBiosSize};

// A fetch region: the arena indices [begin, end) that code, once started inside, may run
// through sequentially. The boot ROM runs on into the cartridge, and the Sega CD BIOS into
// PRG-RAM and word RAM, as on the original layout; every other image stands alone.
struct ArenaRegion {
    u32 begin = 0;
    u32 end   = 0;  // empty region (begin == end) = no image there

    constexpr bool empty() const { return begin == end; }
    constexpr bool contains(u32 index) const { return index >= begin && index < end; }
};

inline constexpr std::array<ArenaRegion, 4> kArenaFetchRegions{{
    {kBootRomOffset, kCartRomOffset + kCartRomSize},
    {kWorkRamOffset, kWorkRamOffset + kWorkRamSize},
    {kScdBiosOffset, kScdWordRamOffset + kScdWordRamSize},
    {kS32xM68kBiosOffset, kS32xM68kBiosOffset + kS32xM68kBiosSize},
}};

// The fetch region that holds arena index `index`, or an empty region for guard bytes and
// indices outside the arena.
constexpr ArenaRegion arena_fetch_region(u32 index) {
    for (const auto& r : kArenaFetchRegions) {
        if (r.contains(index)) return r;
    }
    return {};
}

// Zeroes every image (power-on clearing is the machine's business; tests start clean with it).
void memory_clear();

}  // namespace varn
