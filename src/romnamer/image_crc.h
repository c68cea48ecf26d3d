#pragma once
// CRC-32 of a cartridge image in its canonical layout. Images reach us as the copier or
// the dumper left them: plain, with a 512-byte copier header and 16 KB interleaved blocks
// (odd bytes in the first 8 KB of a block, even bytes in the second), as two halves
// (odd bytes, then even bytes), or byte-swapped. Normalising first makes every layout of
// the same cartridge give the same CRC, which is what the catalogue lists.

#include <span>

#include "base/types.h"

namespace varn {

// The work image is never smaller than this, so every header probe reads inside it and
// sees zeros past the end of a short image.
inline constexpr std::size_t kNamerMinWorkSize = 65536;

// Smallest image (after rounding to even) that is looked at at all.
inline constexpr std::size_t kNamerMinImageSize = 1700;

// Blocks of the interleaved layout; de-interleaving and rejoining need more than one.
inline constexpr std::size_t kNamerBlockSize = 16384;

// The whole CRC call: copy rom (size bytes, rounded up to even with a 0) into a zeroed
// work image, swapping the bytes of every pair when swap is exactly 1, and normalise it.
// 0 for a null or empty image, an unrecognised layout or a failed allocation.
u32 namer_image_crc(const u8* rom, u32 size, int swap);

// CRC of the first n bytes of a work image (work.size() >= max(n, kNamerMinWorkSize)),
// after normalising them in place; 0 when the layout is not recognised.
u32 namer_rom_crc(std::span<u8> work, std::size_t n);

// The layout probes: header texts at fixed offsets, as the interleaved and the plain
// layouts hold them, plus the cartridges whose headers need a probe of their own.
bool namer_is_interleaved_image(std::span<const u8> base);
bool namer_has_plain_header(std::span<const u8> base);

// In-place conversions to the plain layout; false when data is 16,383 bytes or shorter
// or the scratch buffer cannot be had.
bool namer_deinterleave(std::span<u8> data);
bool namer_rejoin_half_split(std::span<u8> data);

}  // namespace varn
