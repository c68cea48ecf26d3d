#pragma once
// Saved states: a small container of tagged chunks holding one machine block.
//
//   header   "SS!", id width W (1 to 4), four zero bytes
//   block    id (W bytes), u32 length, then chunks filling exactly that length
//   chunk    id (W bytes), u32 length, data
//
// Numbers are little-endian; an id is read by its first byte, and written as a W-byte
// little-endian number. Bytes after the block are ignored. Only the Genesis block (id 1) is
// written, whatever machine runs; it holds the memories, both CPUs, the video and sound
// chips, the Z80 bus lines, the I/O registers, the cartridge bank registers and, when the
// option asks for it, the cartridge save RAM.
//
// Loading checks the whole framing before anything changes: a load that fails leaves the
// machine exactly as it was. Both calls run while the emulation thread is paused.

#include <span>

#include "base/types.h"

namespace varn {

inline constexpr u32 kStateHeaderBytes = 8;

// Block ids.
inline constexpr u8 kStateBlockGenesis = 1;
inline constexpr u8 kStateBlock32x     = 2;
inline constexpr u8 kStateBlockSegaCd  = 3;
inline constexpr u8 kStateBlockSms     = 4;

// Genesis block chunk ids that the container itself writes (the CPUs and chips write
// 0x01, 0x02, 0x87, 0x88 and 0x89).
inline constexpr u8 kStateChunkWorkRam   = 0x80;
inline constexpr u8 kStateChunkVram      = 0x81;
inline constexpr u8 kStateChunkCram      = 0x82;
inline constexpr u8 kStateChunkVsram     = 0x83;
inline constexpr u8 kStateChunkZ80Ram    = 0x84;
inline constexpr u8 kStateChunkCartSram  = 0x85;
inline constexpr u8 kStateChunkZ80Bus    = 0x86;
inline constexpr u8 kStateChunkIo        = 0x8A;
inline constexpr u8 kStateChunkCartBanks = 0x8B;

// Size of a Genesis block's chunks without save RAM, and of the whole stream then; with save
// RAM the stream grows by at most 5 + 64 KB. kStateMaxBytes always suffices.
inline constexpr u32 kStateGenesisBlockLength = 139921;
inline constexpr u32 kStateBytesWithoutSram   = kStateHeaderBytes + 5 + kStateGenesisBlockLength;
inline constexpr u32 kStateMaxBytes           = kStateBytesWithoutSram + 5 + 0x10000;

// The id width of the stream being written or loaded (1 for every stream written).
extern u32 state_id_width;

// Writes the header and the Genesis block into `out`. Returns the number of bytes written,
// or 0 (nothing meaningful written) when `out` is smaller than the state.
u32 state_save(std::span<u8> out);

// Loads a state. 0 on success; -1 when the data are not a state, the framing is damaged, the
// block is not a Genesis block or a chunk id is unknown. On failure nothing changes.
s32 state_load(std::span<const u8> in);

// Text shown when a state or a Genecyst state cannot be loaded.
inline constexpr const char* kStateLoadErrorText =
    "Error loading state, file is damaged or invalid.";

// Loads the registers of the 68000, the Z80 and the VDP from a Genecyst state image (the
// caller has copied its memory images already). False, with nothing changed, when the image
// is too short to hold them or its 68000 PC points at memory without code (such a state
// could only halt the machine).
inline constexpr u32 kGsRegistersImageBytes = 0x438;
bool gs_state_load_registers(std::span<const u8> image);

}  // namespace varn
