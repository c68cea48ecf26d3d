#pragma once
// IPS patches, applied in place to the loaded cartridge image. The format:
//
//   "PATCH"
//   records   offset (3 bytes) and length (2 bytes), big-endian, then `length` bytes; a
//             length of 0 is a run: a 2-byte count and the one byte to repeat
//   "EOF"
//   [3 bytes] optional: the length the image is cut to
//
// A patch is checked whole before any byte changes: one that does not start with "PATCH",
// whose records run past the end of the file or that does not end in "EOF" (or "EOF" and
// the cut length) is refused and the image is left as it was. Records are cut at the end of
// the image buffer; nothing is written outside it.

#include <filesystem>
#include <span>

#include "base/types.h"
#include "media/media_file.h"

namespace varn {

// The most a patch file may hold: "PATCH", records reaching every byte of a 16 MB space
// with some headroom, "EOF" and the cut.
inline constexpr u32 kIpsFileCap = 32u << 20;

// Applies `patch` to `image` (the whole buffer), whose first `image_size` bytes are the
// loaded image. On success `image_size` becomes the patched image's size: grown to the end
// of the last record that passes it, or the cut length when the patch has one (the bytes
// after it are cleared, as after a shorter image), never more than the buffer.
MediaResult ips_apply(std::span<const u8> patch, std::span<u8> image, u32& image_size);

// Reads the patch file at `path` and applies it as ips_apply does.
MediaResult ips_patch_file(const std::filesystem::path& path, std::span<u8> image, u32& image_size);

}  // namespace varn
