// The decoders: copier layouts and raw sectors, from plain files and in chunks, against the
// plain image.

#include <fcntl.h>
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "media/image_decoder.h"
#include "media/image_loader.h"
#include "media/load_detect.h"
#include "media_fixture.h"

namespace varn {
namespace {

using test::read_file;

// The decoded window [offset, offset + size) of `source`, fed in chunks of `chunk` bytes.
std::vector<u8> stream_decode(u32 type, const std::vector<u8>& source, std::size_t chunk,
                              std::size_t size, u64 offset = 0) {
    std::vector<u8> out(size, 0);
    ImageDecoder d;
    d.start(type, source.size(), out, offset);
    for (std::size_t at = 0; at < source.size(); at += chunk) {
        const std::size_t n = std::min(chunk, source.size() - at);
        if (!d.feed(std::span(source).subspan(at, n))) break;
    }
    EXPECT_TRUE(d.done());
    return out;
}

// The copier layout of `image` (whole or partial last block), with a 512-byte header.
std::vector<u8> interleave(const std::vector<u8>& image) {
    std::vector<u8> out(512, 0xEE);
    for (std::size_t base = 0; base < image.size(); base += kInterleavedBlock) {
        const std::size_t n     = std::min<std::size_t>(kInterleavedBlock, image.size() - base);
        const std::size_t split = n / 2;
        for (std::size_t q = 0; q < split; ++q) out.push_back(image[base + 2 * q + 1]);
        for (std::size_t q = 0; q < n - split; ++q) out.push_back(image[base + 2 * q]);
    }
    return out;
}

std::vector<u8> counting(std::size_t n) {
    std::vector<u8> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<u8>(i * 7 + i / 251);
    return v;
}

class Decoder : public test::MediaTest {
  protected:
    // Loads `path` as a plain file of layout `type` through the file readers.
    std::vector<u8> file_decode(const std::filesystem::path& path, u32 type, std::size_t size,
                                u64 offset = 0) {
        image_loader.image_source    = kSourceFile;
        image_loader.image_file      = ::open(path.c_str(), O_RDONLY);
        image_loader.image_file_size = std::filesystem::file_size(path);
        image_loader.load_type       = type;
        std::vector<u8> out(size, 0);
        EXPECT_EQ(rom_stream_file(out, offset), 1u);
        rom_release_source();
        return out;
    }
};

TEST_F(Decoder, DerivedFixturesDecodeToThePlainImage) {
    VARN_FIXTURE(plain_path, "roms/genesis/sgdk-joy-test.bin");
    VARN_FIXTURE(smd_path, "fixtures/derived/joy-test.smd");
    VARN_FIXTURE(md_path, "fixtures/derived/joy-test.md");
    const auto plain = read_file(plain_path);
    struct Case {
        std::filesystem::path path;
        u32 type;
    };
    for (const Case& c : {Case{smd_path, kLoadInterleaved}, Case{md_path, kLoadHalfSplit}}) {
        EXPECT_EQ(file_decode(c.path, c.type, plain.size()), plain) << c.path;
        const auto source = read_file(c.path);
        for (const std::size_t chunk :
             {std::size_t{1}, std::size_t{7}, std::size_t{8192}, std::size_t{0x100000}}) {
            EXPECT_EQ(stream_decode(c.type, source, chunk, plain.size()), plain)
                << c.path << " in chunks of " << chunk;
        }
    }
    // A window inside the image, crossing blocks and halves.
    const auto smd = read_file(smd_path);
    const std::vector<u8> middle(plain.begin() + 20000, plain.begin() + 60000);
    EXPECT_EQ(stream_decode(kLoadInterleaved, smd, 4096, middle.size(), 20000), middle);
    EXPECT_EQ(file_decode(md_path, kLoadHalfSplit, middle.size(), 20000), middle);
}

TEST_F(Decoder, PartialLastBlockOfTheCopierLayout) {
    // Three blocks and 100 bytes: a plain file loads the three blocks, a stream also the
    // 100 trailing bytes (50 odd, 50 even).
    const auto image   = counting(3 * kInterleavedBlock + 100);
    const auto smd     = interleave(image);
    const auto path    = write("partial.smd", smd);
    const auto by_file = file_decode(path, kLoadInterleaved, image.size());
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 3 * kInterleavedBlock, by_file.begin()));
    EXPECT_TRUE(std::all_of(by_file.begin() + 3 * kInterleavedBlock, by_file.end(),
                            [](u8 b) { return b == 0; }));
    EXPECT_EQ(stream_decode(kLoadInterleaved, smd, 5000, image.size()), image);
}

TEST_F(Decoder, FullSizeCopierImageLoadsWholeFromAFile) {
    // The 4 MB limit applies after the header: 256 blocks, all of them.
    const auto image = counting(kCartImageLimit);
    const auto path  = write("full.smd", interleave(image));
    EXPECT_EQ(file_decode(path, kLoadInterleaved, kCartImageLimit), image);
    EXPECT_EQ(decoded_image_size(kLoadInterleaved, kCartImageLimit + 512 + 16384), kCartImageLimit);
}

TEST_F(Decoder, HalfSplitOfOddLength) {
    // The first half (rounded down) holds the odd bytes, the rest the even ones.
    const auto image = counting(1001);
    std::vector<u8> md;
    for (std::size_t i = 1; i < image.size(); i += 2) md.push_back(image[i]);
    for (std::size_t i = 0; i < image.size(); i += 2) md.push_back(image[i]);
    ASSERT_EQ(md.size(), image.size());
    EXPECT_EQ(stream_decode(kLoadHalfSplit, md, 100, image.size()), image);
    EXPECT_EQ(file_decode(write("odd.md", md), kLoadHalfSplit, image.size()), image);
}

TEST_F(Decoder, RawSectorsByLogicalOffset) {
    // Six sectors whose user bytes count on; the 16 header and 288 trailing bytes of each
    // are 0xFF and must never land.
    std::vector<u8> raw;
    std::vector<u8> user;
    for (u32 s = 0; s < 6; ++s) {
        raw.insert(raw.end(), kRawSectorDataStart, 0xFF);
        for (u32 i = 0; i < kCdSectorBytes; ++i) {
            const u8 b = static_cast<u8>(s * 31 + i * 3 + 1);
            raw.push_back(b);
            user.push_back(b);
        }
        raw.insert(raw.end(), kRawSectorBytes - kRawSectorDataStart - kCdSectorBytes, 0xFF);
    }
    const auto path = write("disc.raw", raw);
    // 1948 bytes from sector 3, 2048 from sector 4, 4 from sector 5.
    const u64 offset = 2048 * 3 + 100;
    const std::vector<u8> wanted(user.begin() + offset, user.begin() + offset + 4000);
    EXPECT_EQ(file_decode(path, kLoadRawCd, 4000, offset), wanted);
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{kRawSectorBytes},
                                    std::size_t{kRawSectorBytes * 2}, std::size_t{1000}}) {
        EXPECT_EQ(stream_decode(kLoadRawCd, raw, chunk, 4000, offset), wanted) << chunk;
    }
}

TEST(DecoderLimits, StopsOnceTheWindowIsIn) {
    // A source far larger than the window is read only as far as the window needs.
    std::vector<u8> out(0x1000);
    ImageDecoder d;
    d.start(kLoadPlain, u64{1} << 40, out, 0);
    EXPECT_EQ(d.needed(), 0x1000u);
    d.start(kLoadInterleaved, u64{1} << 40, out, 0);
    EXPECT_EQ(d.needed(), 512u + kInterleavedBlock);
    d.start(kLoadHalfSplit, u64{1} << 40, out, 0);
    EXPECT_EQ(d.needed(), u64{kCartImageLimit});  // both halves, of at most the cartridge
    const std::vector<u8> chunk(0x800, 1);
    EXPECT_TRUE(d.feed(chunk));
    d.start(kLoadPlain, 0x1800, out, 0);
    EXPECT_TRUE(d.feed(chunk));
    EXPECT_FALSE(d.feed(chunk));  // the window is in: stop
    EXPECT_FALSE(d.feed(chunk));
    EXPECT_EQ(d.consumed(), 0x1000u);
}

}  // namespace
}  // namespace varn
