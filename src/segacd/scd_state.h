#pragma once
// The Sega CD's block of a saved state (block id 3), in the container's form: id, u32
// length, then chunks {id, u32 length, data}, numbers little-endian, ids as wide as the
// stream's header says.
//
//   0x01  76 bytes   sub-CPU registers (the 68000 core's chunk)
//   0x80  128 KB     BIOS image          0x81  34 bytes   BIOS identity (must match)
//   0x82  512 KB     PRG-RAM             0x83  256 KB     word RAM
//   0x84  64 KB      PCM wave RAM        0x85  64 KB      CD controller buffer
//   0x86  any        skipped             0x89  74 bytes   PCM registers
//   0x8A  8 KB       backup RAM (taken only with "use BRMs in states" on)
//   0x8B  n bytes    RAM cartridge: its size taken (at most 64 KB), its data only with
//                    both "use BRMs in states" and "use RAM cartridges" on
//   0x8C             gate array and tick        0x8D   CD drive and CD controller
//   0x8E  256 KB     graphics unit's dot rows   0x8F   PCM play positions
//
// A state of a running Sega CD is the Genesis block followed by this block (readers that
// know only the Genesis block ignore what follows it). A stream may also hold this block
// alone. A load is checked whole before anything changes: a damaged or unknown chunk fails
// with -1, a state made with another BIOS with -2, and the machine stays as it was.

#include <span>

#include "base/types.h"

namespace varn {

inline constexpr u8 kScdStateBlockId = 3;

// The largest block the writer makes.
extern const u32 kScdStateMaxBytes;

// Writes block 3 (id width 1) at the start of `out`; the bytes written, 0 when `out` is too
// small (nothing meaningful written then).
u32 scd_state_save_block(std::span<u8> out);

// Loads block 3, given from its id on, with ids `width` bytes wide. 0 success, -1 damaged
// or unknown chunk, -2 another BIOS; on failure nothing changes.
s32 scd_state_load_block(std::span<const u8> block, u32 width);

// Writes a whole state: the Genesis block, then block 3. The bytes written, or 0.
u32 scd_state_save(std::span<u8> out);

// Loads a whole stream: a Genesis block with or without block 3 after it, or block 3 alone.
// 0 success, -1 not a loadable state (also a stream with block 3 while the running machine
// is not a Sega CD), -2 another BIOS; on failure nothing changes.
s32 scd_state_load(std::span<const u8> in);

}  // namespace varn
