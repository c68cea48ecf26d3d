// The CRC call of the naming libraries, through the built libraries: every dump layout of
// one cartridge gives the CRC of its plain image; images that are too short or not
// recognised give 0.

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "base/crc32.h"
#include "romnamer/namer_library.h"
#include "support/test_files.h"

namespace varn {
namespace {

using test::kest32x;
using test::kestgen;

constexpr std::size_t kHeader = 512;
constexpr std::size_t kBlock  = 16384;

void put(std::vector<u8>& image, std::size_t offset, std::string_view text) {
    std::copy(text.begin(), text.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

// A cartridge image: deterministic filler with the header text at 0x100.
std::vector<u8> plain_image(std::size_t size, u32 seed = 1) {
    std::vector<u8> image(size);
    u32 x = seed;
    for (u8& b : image) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<u8>(x >> 24);
    }
    if (size >= 0x110) put(image, 0x100, "SEGA MEGA DRIVE ");
    return image;
}

// The copier layout: a 512-byte header, then 16 KB blocks holding the odd bytes of the
// cartridge in their first half and the even bytes in their second.
std::vector<u8> copier_image(const std::vector<u8>& plain) {
    std::vector<u8> out(kHeader + plain.size());
    out[0]   = static_cast<u8>(plain.size() / kBlock);
    out[1]   = 3;
    u8* data = out.data() + kHeader;
    for (std::size_t o = 0; o < plain.size(); o += kBlock) {
        for (std::size_t i = 0; i < kBlock / 2; ++i) {
            data[o + i]              = plain[o + 2 * i + 1];
            data[o + kBlock / 2 + i] = plain[o + 2 * i];
        }
    }
    return out;
}

// The half-split layout: all odd bytes, then all even bytes.
std::vector<u8> half_split_image(const std::vector<u8>& plain) {
    const std::size_t half = plain.size() / 2;
    std::vector<u8> out(plain.size());
    for (std::size_t i = 0; i < half; ++i) {
        out[i]        = plain[2 * i + 1];
        out[half + i] = plain[2 * i];
    }
    return out;
}

std::vector<u8> swapped_image(const std::vector<u8>& plain) {
    std::vector<u8> out(plain);
    for (std::size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
    return out;
}

std::vector<u8> drop_last(std::vector<u8> image) {
    image.pop_back();
    return image;
}

struct CrcCase {
    const char* what;
    std::vector<u8> image;
    int swap;
    u32 expected;
};

TEST(NamerCrc, EveryLayoutGivesThePlainImageCrc) {
    const std::vector<u8> cart = plain_image(4 * kBlock);
    const u32 cart_crc         = crc32(cart);

    // An image whose last byte is 0 stands for the same image one byte shorter: the call
    // pads an odd size with a 0.
    std::vector<u8> odd_cart     = plain_image(2002, 7);
    odd_cart.back()              = 0;
    std::vector<u8> at_threshold = plain_image(1700, 8);
    at_threshold.back()          = 0;
    // Swapped and odd: the odd last byte pairs with the padding 0, so the plain image ends
    // in (0, that byte).
    std::vector<u8> odd_swapped_cart = plain_image(2002, 9);
    odd_swapped_cart[2000]           = 0;
    // Interleaved with one block, short by one byte: the missing even byte counts as 0.
    std::vector<u8> one_block = plain_image(kBlock, 10);
    one_block[kBlock - 2]     = 0;
    // A header that also holds "SEGA" at 0x100: the interleaved layout is tried first.
    std::vector<u8> both = copier_image(cart);
    put(both, 0x100, "SEGA");
    std::vector<u8> unknown(2 * kBlock, 0);

    const std::vector<CrcCase> cases = {
        {"plain", cart, 0, cart_crc},
        {"copier header + interleaved blocks", copier_image(cart), 0, cart_crc},
        {"half-split", half_split_image(cart), 0, cart_crc},
        {"byte-swapped, swap 1", swapped_image(cart), 1, cart_crc},
        {"byte-swapped, swap 0", swapped_image(cart), 0, 0},
        {"byte-swapped, swap 2 does not swap", swapped_image(cart), 2, 0},
        {"byte-swapped, swap -1 does not swap", swapped_image(cart), -1, 0},
        {"plain, swap 2", cart, 2, cart_crc},
        {"plain and interleaved probes both hold", both, 0, cart_crc},
        {"odd size 2001 counts as 2002 ending in 0", drop_last(odd_cart), 0, crc32(odd_cart)},
        {"odd size, swap 1", drop_last(swapped_image(odd_swapped_cart)), 1,
         crc32(odd_swapped_cart)},
        {"1,698 bytes: too short", plain_image(1698), 0, 0},
        {"1,699 bytes round up to 1,700", drop_last(at_threshold), 0, crc32(at_threshold)},
        {"1,700 bytes", at_threshold, 0, crc32(at_threshold)},
        {"interleaved, 16,384 bytes after the header", copier_image(plain_image(kBlock, 11)), 0,
         crc32(plain_image(kBlock, 11))},
        {"interleaved, 16,383 bytes after the header round up", drop_last(copier_image(one_block)),
         0, crc32(one_block)},
        {"interleaved, 16,382 bytes after the header",
         drop_last(drop_last(copier_image(plain_image(kBlock, 12)))), 0, 0},
        {"half-split below 16,384 bytes", half_split_image(plain_image(16382)), 0, 0},
        {"no header text", unknown, 0, 0},
    };
    for (const CrcCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(kestgen().crc_of(c.image, c.swap), c.expected);
    }
}

TEST(NamerCrc, NullOrEmptyImageGivesZero) {
    const u8 byte = 0;
    EXPECT_EQ(kestgen().crc(nullptr, 100000, 0), 0);
    EXPECT_EQ(kestgen().crc(&byte, 0, 0), 0);
}

TEST(NamerCrc, BothLibrariesComputeTheSameCrc) {
    const std::vector<u8> image = copier_image(plain_image(2 * kBlock, 3));
    EXPECT_EQ(kest32x().crc_of(image), kestgen().crc_of(image));
    EXPECT_EQ(kest32x().crc_of(image), crc32(plain_image(2 * kBlock, 3)));
}

// Cartridges whose header lacks the usual text are recognised by a text of their own.
// Each probe is planted alone in an image of zeros.
struct ProbeCase {
    std::size_t offset;
    std::string_view text;
};

TEST(NamerCrc, PlainHeaderProbes) {
    using namespace std::string_view_literals;
    const ProbeCase probes[] = {
        {0x100, "SEGA"sv},           {0x1E0, "QUIZ (G-3051"sv}, {0x101, "SEGA"sv},
        {0x1E0, "WORLD PRO-B"sv},    {0x120, "DEVILISH MAH"sv}, {0xE40A, "SEGA"sv},
        {0x120, " OMEGA RAC"sv},     {0x4E18, "BUDOKAN."sv},    {0x588, " CDX PRO"sv},
        {0x120, "Ishido - "sv},      {0x118, "(C)ACLD 1991"sv}, {0x2C70, "DREAMWORK"sv},
        {0xF, "\x1C\x00\x0A\x5C"sv}, {0x397F, "TETRIS"sv},
    };
    for (const ProbeCase& p : probes) {
        SCOPED_TRACE(testing::Message() << "probe at 0x" << std::hex << p.offset);
        std::vector<u8> image(0x10000, 0);
        put(image, p.offset, p.text);
        EXPECT_EQ(kestgen().crc_of(image), crc32(image));
        // One byte off is not enough.
        image[p.offset + p.text.size() - 1] ^= 0x01;
        EXPECT_EQ(kestgen().crc_of(image), 0u);
    }
    // A probe beyond the end of a short image sees the zero padding, not stale memory.
    std::vector<u8> short_image(0x2000, 0);
    EXPECT_EQ(kestgen().crc_of(short_image), 0u);
}

TEST(NamerCrc, InterleavedBlockProbes) {
    using namespace std::string_view_literals;
    // Offsets from the first byte after the copier header.
    const std::vector<std::vector<ProbeCase>> probes = {
        {{0x80, "EA"sv}, {0x2080, "SG"sv}},
        {{0xF0, "UZ(-01  "sv}},
        {{0x80, "SG"sv}, {0x2080, " E"sv}},
        {{0xF0, "OL R-AEAL"sv}},
        {{0xF3, "optrEtranet"sv}},
        {{0x100, "<\0\0<"sv}},
        {{0x90, "OEARC   "sv}},
        {{0x6708, " NTEBDKN"sv}},
        {{0x2C0, "so fCXP"sv}},
        {{0x90, "sio-Wyo "sv}},
        {{0x88, "SS  CAL "sv}},
        {{0x3648, "SG NEPIE"sv}},
        {{0x7, "\x1C\x0A\xB8\x0A"sv}},
        {{0x1CBE, "@TTI>"sv}},
    };
    for (const auto& pieces : probes) {
        SCOPED_TRACE(testing::Message() << "probe at 0x" << std::hex << pieces.front().offset);
        // Build the plain cartridge first and interleave it, so the expected CRC does not
        // depend on the de-interleaving under test.
        std::vector<u8> image(kHeader + 2 * kBlock, 0);
        for (const ProbeCase& p : pieces) put(image, kHeader + p.offset, p.text);
        std::vector<u8> plain(2 * kBlock, 0);
        for (std::size_t o = 0; o < plain.size(); o += kBlock) {
            for (std::size_t i = 0; i < kBlock / 2; ++i) {
                plain[o + 2 * i + 1] = image[kHeader + o + i];
                plain[o + 2 * i]     = image[kHeader + o + kBlock / 2 + i];
            }
        }
        const std::vector<u8> dumped = copier_image(plain);
        ASSERT_TRUE(std::equal(image.begin() + kHeader, image.end(), dumped.begin() + kHeader));
        EXPECT_EQ(kestgen().crc_of(image), crc32(plain));
    }
}

// The shared test fixtures are the same homebrew cartridge in three layouts.
TEST(NamerCrc, FixtureLayoutsGiveThePlainCrc) {
    const auto smd     = test::testdata_file("fixtures/derived/joy-test.smd");
    const auto md      = test::testdata_file("fixtures/derived/joy-test.md");
    const auto swapped = test::testdata_file("fixtures/derived/joy-test.swapped.bin");
    const auto plain   = test::testdata_file("roms/genesis/sgdk-joy-test.bin");
    if (smd.empty() || md.empty() || swapped.empty() || plain.empty()) {
        GTEST_SKIP() << "shared test data not found under " << test::testdata_dir();
    }
    constexpr u32 kJoyTestCrc = 0x785B3A7C;
    EXPECT_EQ(kestgen().crc_of(test::read_file(plain)), kJoyTestCrc);
    EXPECT_EQ(kestgen().crc_of(test::read_file(smd)), kJoyTestCrc);
    EXPECT_EQ(kestgen().crc_of(test::read_file(md)), kJoyTestCrc);
    EXPECT_EQ(kestgen().crc_of(test::read_file(swapped), 1), kJoyTestCrc);
    EXPECT_EQ(kestgen().crc_of(test::read_file(swapped), 0), 0u);
}

}  // namespace
}  // namespace varn
