#pragma once
// Turning the bytes of an image file, in file order, into the image as the console sees it.
//
// Layouts:
// - plain: byte n of the file is byte n of the image;
// - interleaved (copier layout): a 512-byte header, then blocks of 16 KB whose first half
//   holds the block's odd image bytes and whose second half its even bytes;
// - half-split: the first half of the file holds the odd image bytes, the second half the
//   even ones;
// - raw CD sectors: 2352-byte sectors of which bytes 16-2063 are the 2048 user bytes.
//
// The same decoder serves archive entries (fed in chunks as they are unpacked) and plain
// files. The caller asks for a window of the decoded image (offset and length); the
// decoder says when every byte of the window is in, so a reader can stop early.

#include <span>

#include "base/types.h"

namespace varn {

inline constexpr u32 kCartImageLimit     = 0x400000;  // the 4 MB cartridge area
inline constexpr u32 kInterleavedHeader  = 512;
inline constexpr u32 kInterleavedBlock   = 0x4000;
inline constexpr u32 kRawSectorBytes     = 2352;
inline constexpr u32 kRawSectorDataStart = 16;
inline constexpr u32 kCdSectorBytes      = 2048;

class ImageDecoder {
  public:
    // `source_size` is the size of the file or entry as stored (header included). Decoded
    // byte `offset` lands at dest[0]; at most dest.size() bytes are stored. With
    // `whole_blocks_only` an interleaved image's last, partial block is left out (the plain
    // file reader reads whole blocks only).
    void start(u32 type, u64 source_size, std::span<u8> dest, u64 offset,
               bool whole_blocks_only = false);

    // Places the next bytes of the source. Returns false once every wanted byte is in (the
    // caller stops reading); the rest of the chunk is then ignored.
    bool feed(std::span<const u8> chunk);

    bool done() const { return consumed_ >= needed_; }
    // Source bytes the window needs in all (the reader never reads past them).
    u64 needed() const { return needed_; }
    u64 consumed() const { return consumed_; }

  private:
    // Decoded position of source byte `pos`, or -1 when the byte is not image data.
    s64 decoded_position(u64 pos) const;
    void compute_needed();

    u32 type_        = 0;
    u64 source_size_ = 0;
    u64 data_size_   = 0;  // interleaved: bytes after the header; half-split: the image size
    std::span<u8> dest_;
    u64 offset_   = 0;
    u64 consumed_ = 0;
    u64 needed_   = 0;
};

// The decoded size of an image as the naming step sees it (interleaved: the header taken
// off; the cartridge layouts no larger than the cartridge area).
u64 decoded_image_size(u32 type, u64 source_size);

}  // namespace varn
