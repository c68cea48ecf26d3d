#pragma once
// The SH-2 buses: the memories the two SH-2s share, and each core's page tables of plain
// handler functions with the six accessors that dispatch through them.
//
// Each core has its own tables over the same memories: its own boot ROM, cache data array,
// system-register view and on-chip modules, the same SDRAM, palette, frame buffers and
// cartridge. Instruction fetch does not use the bus; the core reads code straight from the
// images (src/sh2/sh2.h, fetch regions).
//
// Contract of every handler and accessor:
// - The address is the full 32-bit SH-2 address; the accessor picks the page by bits 20-31
//   (1 MB pages) and hands the address on unchanged.
// - Reads give the byte, word or long in the low 8, 16 or 32 bits of the result, in the
//   SH-2's (big-endian) order; bits above a byte or word are zero. Writes store the low 8, 16
//   or 32 bits of the value.
// - No alignment check: a word or long at an unaligned address is read or written as the
//   bytes found there (each image is followed by guard bytes, so it never leaves its array).
// - Unmapped: reads give 0, writes are ignored.
//
// Map, per 1 MB page (the map repeats at +0x20000000, the cache-through addresses):
//   0x000          page 0: boot ROM, system registers, 32X VDP registers, palette
//   0x020-0x023    cartridge ROM (read only), the loaded image; zeros past its end
//   0x040-0x05F    0x04000000-0x0401FFFF the frame buffer not displayed, 0x04020000-0x0403FFFF
//                  the same buffer as overwrite image (bytes of 0 are not written)
//   0x060, 0x0C0   SDRAM, 256 KB mirrored through the page
//   0xC00          cache data array, 2 KB (no cache-through mirror)
//   0xFFF          on-chip registers 0xFFFFFE00-0xFFFFFFFF
//
// Page 0: an address with bit 11 or any of bits 15-19 set (on the slave also bit 10) is
// unmapped. Otherwise bit 14 clear is the boot ROM (repeating through bits 12-13); bit 14 set
// selects by bits 8-9 the system registers 0x4000-0x403F, the 32X VDP registers 0x4100-0x410F
// or the palette 0x4200-0x43FF (512 bytes, repeating through bits 10, 12 and 13).
//
// The system registers, the 32X VDP registers and the on-chip registers belong to the 32X
// unit and the on-chip modules: they are reached through per-core register tables (below)
// that their owners fill; at start-up every entry is unmapped.

#include <array>
#include <span>

#include "base/types.h"

namespace varn {

using Sh2ReadFn  = u32 (*)(u32 addr);
using Sh2WriteFn = void (*)(u32 addr, u32 value);

inline u32 sh2_unmapped_read(u32) { return 0; }
inline void sh2_unmapped_write(u32, u32) {}

// Six tables of N handlers, one per access kind.
template <std::size_t N>
struct Sh2HandlerTables {
    std::array<Sh2ReadFn, N> read_byte;
    std::array<Sh2ReadFn, N> read_word;
    std::array<Sh2ReadFn, N> read_long;
    std::array<Sh2WriteFn, N> write_byte;
    std::array<Sh2WriteFn, N> write_word;
    std::array<Sh2WriteFn, N> write_long;

    // Every entry unmapped.
    void clear() {
        read_byte.fill(&sh2_unmapped_read);
        read_word.fill(&sh2_unmapped_read);
        read_long.fill(&sh2_unmapped_read);
        write_byte.fill(&sh2_unmapped_write);
        write_word.fill(&sh2_unmapped_write);
        write_long.fill(&sh2_unmapped_write);
    }
};

inline constexpr u32 kSh2BusPages = 4096;  // 1 MB pages, address bits 20-31

using Sh2PageTables   = Sh2HandlerTables<kSh2BusPages>;
using Sh2SysRegTables = Sh2HandlerTables<64>;   // 0x4000-0x403F by address bits 0-5
using Sh2VdpRegTables = Sh2HandlerTables<16>;   // 0x4100-0x410F by address bits 0-3
using Sh2OnChipTables = Sh2HandlerTables<512>;  // 0xFFFFFE00-0xFFFFFFFF by bits 0-8

// Each core's page tables (master, slave).
extern Sh2PageTables sh2_page_tables;
extern Sh2PageTables sh2s_page_tables;

// The register tables each core's page 0 and on-chip page reach.
struct Sh2RegisterTables {
    Sh2SysRegTables sysregs;
    Sh2VdpRegTables vdpregs;
    Sh2OnChipTables onchip;
};
extern Sh2RegisterTables sh2_register_tables;
extern Sh2RegisterTables sh2s_register_tables;

// ---------------------------------------------------------------------------------------
// Memories (big-endian images, as the SH-2 sees them)
// ---------------------------------------------------------------------------------------

inline constexpr u32 kSh2GuardSize        = 16;
inline constexpr u32 kSh2BootRomSize      = 0x800;  // master boot ROM, 2 KB
inline constexpr u32 kSh2sBootRomSize     = 0x400;  // slave boot ROM, 1 KB
inline constexpr u32 kSh2CacheArraySize   = 0x800;  // cache data array, 2 KB per core
inline constexpr u32 kS32xSdramSize       = 0x40000;
inline constexpr u32 kS32xPaletteSize     = 0x200;
inline constexpr u32 kS32xFrameBufferSize = 0x20000;  // each of the two

// The images in one array, each followed by guard bytes (always zero) that absorb the bytes
// an unaligned access or an instruction at an image's last byte reads past it.
inline constexpr u32 kSh2BootRomOffset   = 0;
inline constexpr u32 kSh2sBootRomOffset  = kSh2BootRomOffset + kSh2BootRomSize + kSh2GuardSize;
inline constexpr u32 kSh2CacheOffset     = kSh2sBootRomOffset + kSh2sBootRomSize + kSh2GuardSize;
inline constexpr u32 kSh2sCacheOffset    = kSh2CacheOffset + kSh2CacheArraySize + kSh2GuardSize;
inline constexpr u32 kS32xSdramOffset    = kSh2sCacheOffset + kSh2CacheArraySize + kSh2GuardSize;
inline constexpr u32 kS32xPaletteOffset  = kS32xSdramOffset + kS32xSdramSize + kSh2GuardSize;
inline constexpr u32 kS32xFrameBufOffset = kS32xPaletteOffset + kS32xPaletteSize + kSh2GuardSize;
inline constexpr u32 kSh2MemorySize =
    kS32xFrameBufOffset + 2 * kS32xFrameBufferSize + kSh2GuardSize;

alignas(64) extern u8 sh2_memory[kSh2MemorySize];

inline constexpr std::span<u8, kSh2BootRomSize> sh2_boot_rom{sh2_memory + kSh2BootRomOffset,
                                                             kSh2BootRomSize};
inline constexpr std::span<u8, kSh2sBootRomSize> sh2s_boot_rom{sh2_memory + kSh2sBootRomOffset,
                                                               kSh2sBootRomSize};
inline constexpr std::span<u8, kSh2CacheArraySize> sh2_cache_array{sh2_memory + kSh2CacheOffset,
                                                                   kSh2CacheArraySize};
inline constexpr std::span<u8, kSh2CacheArraySize> sh2s_cache_array{sh2_memory + kSh2sCacheOffset,
                                                                    kSh2CacheArraySize};
inline constexpr std::span<u8, kS32xSdramSize> s32x_sdram{sh2_memory + kS32xSdramOffset,
                                                          kS32xSdramSize};
inline constexpr std::span<u8, kS32xPaletteSize> s32x_palette{sh2_memory + kS32xPaletteOffset,
                                                              kS32xPaletteSize};
inline constexpr std::span<u8, 2 * kS32xFrameBufferSize> s32x_frame_buffers{
    sh2_memory + kS32xFrameBufOffset, 2 * kS32xFrameBufferSize};

// The displayed frame buffer (0 or 1); the SH-2s reach the other one. Written by the 32X VDP.
extern u32 s32x_fb_display;

// Bytes of `cart_rom` (src/memory/memory.h) that hold the loaded cartridge, at most
// its 4 MB: the SH-2s read zeros past it and cannot run code there. Set when a cartridge is
// loaded; 0 at start-up.
extern u32 sh2_cart_size;
inline void sh2_set_cart_size(u32 bytes) { sh2_cart_size = bytes < 0x400000u ? bytes : 0x400000u; }

// Zeroes every SH-2 memory and the frame-buffer select (tests start clean with it).
void sh2_memory_clear();

// ---------------------------------------------------------------------------------------
// Building the maps and the accessors
// ---------------------------------------------------------------------------------------

// Fills both cores' page tables with the map above and clears their register tables to
// unmapped; once at program start (tests call it again to start clean).
void sh2_build_memory_map();
void sh2s_build_memory_map();

inline u32 sh2_read_byte(u32 a) { return sh2_page_tables.read_byte[a >> 20](a); }
inline u32 sh2_read_word(u32 a) { return sh2_page_tables.read_word[a >> 20](a); }
inline u32 sh2_read_long(u32 a) { return sh2_page_tables.read_long[a >> 20](a); }
inline void sh2_write_byte(u32 a, u32 v) { sh2_page_tables.write_byte[a >> 20](a, v); }
inline void sh2_write_word(u32 a, u32 v) { sh2_page_tables.write_word[a >> 20](a, v); }
inline void sh2_write_long(u32 a, u32 v) { sh2_page_tables.write_long[a >> 20](a, v); }

inline u32 sh2s_read_byte(u32 a) { return sh2s_page_tables.read_byte[a >> 20](a); }
inline u32 sh2s_read_word(u32 a) { return sh2s_page_tables.read_word[a >> 20](a); }
inline u32 sh2s_read_long(u32 a) { return sh2s_page_tables.read_long[a >> 20](a); }
inline void sh2s_write_byte(u32 a, u32 v) { sh2s_page_tables.write_byte[a >> 20](a, v); }
inline void sh2s_write_word(u32 a, u32 v) { sh2s_page_tables.write_word[a >> 20](a, v); }
inline void sh2s_write_long(u32 a, u32 v) { sh2s_page_tables.write_long[a >> 20](a, v); }

}  // namespace varn
