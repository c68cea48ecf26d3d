#include "media/png_writer.h"

#include <array>
#include <cstdio>

#include "base/byte_io.h"
#include "base/crc32.h"
#include "base/file_write.h"
#include "genesis/vdp/render_output.h"
#include "media/optional_libs.h"
#include "settings/lang_texts.h"

namespace varn {

namespace {

constexpr std::array<u8, 8> kSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr u32 kIhdrBytes               = 13;
// Signature, and the length, type and CRC of three chunks, and IHDR's data.
constexpr u32 kFramingBytes = 8 + 3 * 12 + kIhdrBytes;

void put_chunk(ByteWriter& out, const char (&type)[5], std::span<const u8> data) {
    out.write_be32(static_cast<u32>(data.size()));
    const std::size_t from = out.position();
    out.write_bytes(std::span<const u8>(reinterpret_cast<const u8*>(type), 4));
    out.write_bytes(data);
    out.write_be32(crc32(out.written().subspan(from)));
}

// The file image around the compressed rows.
std::vector<u8> png_file_image(u32 width, u32 height, std::span<const u8> compressed) {
    std::vector<u8> file(kFramingBytes + compressed.size());
    ByteWriter out(file);
    out.write_bytes(kSignature);
    std::array<u8, kIhdrBytes> ihdr{};
    ByteWriter h(ihdr);
    h.write_be32(width);
    h.write_be32(height);
    h.write_u8(8);  // bits a sample
    h.write_u8(2);  // colour type: RGB
    h.write_u8(0);  // deflate
    h.write_u8(0);  // adaptive filtering, each row with its filter byte
    h.write_u8(0);  // no interlace
    put_chunk(out, "IHDR", ihdr);
    put_chunk(out, "IDAT", compressed);
    put_chunk(out, "IEND", {});
    return file;
}

// One deflate of the whole input into a buffer that zlib itself says is large enough, so
// Z_FINISH must end the stream; anything else is a failure, never a cut-short file.
MediaResult deflate_all(std::span<const u8> input, u32 level, const DeflateCalls& zlib,
                        std::vector<u8>& out) {
    z_stream stream{};
    if (zlib.deflate_init(&stream, static_cast<int>(level > 9 ? 6 : level), ZLIB_VERSION,
                          static_cast<int>(sizeof stream)) != Z_OK) {
        return MediaResult::failed("cannot start the PNG compression");
    }
    out.resize(zlib.deflate_bound(&stream, static_cast<uLong>(input.size())));
    stream.next_in   = const_cast<Bytef*>(input.data());
    stream.avail_in  = static_cast<uInt>(input.size());
    stream.next_out  = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = zlib.deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    zlib.deflate_end(&stream);
    if (status != Z_STREAM_END) return MediaResult::failed("cannot compress the PNG picture");
    return MediaResult::ok();
}

}  // namespace

DeflateCalls screenshot_deflate_calls() {
    if (zlib_available == 0) return {};
    return {zlib_lib.deflateInit_, zlib_lib.deflate, zlib_lib.deflateEnd, zlib_lib.deflateBound};
}

MediaResult png_encode(std::span<const u8> rows, u32 width, u32 height, u32 level,
                       const DeflateCalls& zlib, std::vector<u8>& png) {
    png.clear();
    if (!zlib) return MediaResult::failed(lang_text(lang::ERM_FIO_SHT));
    if (width == 0 || height == 0 || width > kScreenshotMaxWidth || height > kScreenshotMaxHeight ||
        rows.size() != (u64{width} * 3 + 1) * height) {
        return MediaResult::failed("no picture to save");
    }
    std::vector<u8> compressed;
    if (auto deflated = deflate_all(rows, level, zlib, compressed); !deflated) return deflated;
    png = png_file_image(width, height, compressed);
    return MediaResult::ok();
}

MediaResult screenshot_save(const std::filesystem::path& path, const u16* pixels, u32 pitch,
                            u32 width, u32 height, u32 level, const DeflateCalls& zlib) {
    if (!zlib) return MediaResult::failed(lang_text(lang::ERM_FIO_SHT));
    if (width > kScreenshotMaxWidth || height > kScreenshotMaxHeight) {
        return MediaResult::failed("no picture to save");
    }
    std::vector<u8> rows((u64{width} * 3 + 1) * height);
    if (!png_convert_surface_rows(pixels, pitch, width, height, rows)) {
        return MediaResult::failed("no picture to save");
    }
    std::vector<u8> png;
    if (auto encoded = png_encode(rows, width, height, level, zlib, png); !encoded) return encoded;
    if (auto written = write_file_replacing(path, png); !written) {
        return MediaResult::failed(written.error);
    }
    return MediaResult::ok();
}

std::filesystem::path screenshot_automatic_name(const std::filesystem::path& folder,
                                                std::string_view game_name) {
    std::filesystem::path name;
    for (u32 n = 0; n < 1000; ++n) {
        char number[8];
        std::snprintf(number, sizeof number, " %03u", n);
        name = automatic_file_name(folder, std::string(game_name) + number, kScreenshotExtension);
        std::error_code ec;
        if (!std::filesystem::exists(name, ec)) break;
    }
    return name;
}

}  // namespace varn
