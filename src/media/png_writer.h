#pragma once
// PNG screenshots: the picture as 8-bit RGB without interlace, in one IDAT chunk that
// zlib's deflate compresses. The chunk framing and its CRC-32s are ours; only the
// compression is zlib's, which the program binds at run time, so there are no screenshots
// without it.
//
//   signature   0x89 "PNG" 0x0D 0x0A 0x1A 0x0A
//   IHDR        width, height, depth 8, colour type 2, compression 0, filter 0, interlace 0
//   IDAT        the zlib stream of the rows, each a filter byte (0) and R, G, B per pixel
//   IEND
//
// Every number is big-endian; each chunk is {length, type, data, CRC-32 of type and data}.

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

#include "base/types.h"
#include "media/media_file.h"

namespace varn {

// zlib's deflate as the program has bound it: the functions the writer calls, with zlib's
// own signatures. Null members mean zlib is not there.
struct DeflateCalls {
    decltype(&::deflateInit_) deflate_init  = nullptr;
    decltype(&::deflate) deflate            = nullptr;
    decltype(&::deflateEnd) deflate_end     = nullptr;
    decltype(&::deflateBound) deflate_bound = nullptr;
    explicit operator bool() const {
        return deflate_init != nullptr && deflate != nullptr && deflate_end != nullptr &&
               deflate_bound != nullptr;
    }
};

// The deflate calls screenshots use: zlib as the program has bound it (none without it).
DeflateCalls screenshot_deflate_calls();

// The largest picture the display gives.
inline constexpr u32 kScreenshotMaxWidth  = 640;
inline constexpr u32 kScreenshotMaxHeight = 480;

// A PNG of `rows`: `height` rows of a filter byte and 3 bytes a pixel. `level` 0-9 is the
// compression level. Fails, with the reason, when zlib is missing or refuses the data; the
// file image is never cut short.
MediaResult png_encode(std::span<const u8> rows, u32 width, u32 height, u32 level,
                       const DeflateCalls& zlib, std::vector<u8>& png);

// Writes the picture of a 16-bit surface (`pitch` pixels a row) as a PNG file.
MediaResult screenshot_save(const std::filesystem::path& path, const u16* pixels, u32 pitch,
                            u32 width, u32 height, u32 level, const DeflateCalls& zlib);

// The first of "GAME 000.PNG" to "GAME 999.PNG" in `folder` that does not exist yet; when
// all of them do, the last is taken (and replaced).
std::filesystem::path screenshot_automatic_name(const std::filesystem::path& folder,
                                                std::string_view game_name);

inline constexpr std::string_view kScreenshotExtension = ".PNG";

}  // namespace varn
