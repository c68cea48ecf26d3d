// IPS patches: the shared fixtures with their expected outputs, and patches built to break a
// careless reader.

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "files_fixture.h"
#include "media/ips_patch.h"
#include "settings/lang_texts.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

using test::read_file;
using test::testdata_file;

constexpr u32 kImageBuffer = 0x400000;  // the cartridge buffer's size

// An image buffer as the cartridge area holds it: the image, then zeros.
struct Image {
    std::vector<u8> buffer = std::vector<u8>(kImageBuffer, 0);
    u32 size               = 0;
    explicit Image(const std::vector<u8>& bytes) {
        std::copy(bytes.begin(), bytes.end(), buffer.begin());
        size = static_cast<u32>(bytes.size());
    }
    std::vector<u8> bytes() const { return {buffer.begin(), buffer.begin() + size}; }
};

std::vector<u8> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

TEST(IpsPatch, SharedFixturesGiveTheirExpectedOutputs) {
    struct Case {
        const char* source;
        const char* patch;
        const char* expected;
    };
    const Case cases[] = {
        {"fixtures/ips/ips.js/smiley-x.txt", "fixtures/ips/ips.js/smiley-to-frowny-x.ips",
         "fixtures/ips/ips.js/frowny-x.txt"},
        {"fixtures/ips/ips.js/smiley-x.txt", "fixtures/ips/ips.js/smiley-x-to-m.ips",
         "fixtures/ips/ips.js/smiley-m.txt"},
        {"fixtures/ips/ips.js/blank.txt", "fixtures/ips/ips.js/smiley-x-to-m.ips",
         "fixtures/ips/ips.js/smiley-m.txt"},
        {"fixtures/ips/ips.js/smiley-m.txt", "fixtures/ips/ips.js/smiley-to-frowny-x.ips",
         "fixtures/ips/ips.js/smiley-m-patched-to-frowny-x.txt"},
        {"fixtures/ips/ips.js/frowny-x.txt", "fixtures/ips/ips.js/smiley-x-to-m.ips",
         "fixtures/ips/ips.js/frowny-x-patched-to-m.txt"},
        {"fixtures/ips/ipsy/patch_test/rom", "fixtures/ips/ipsy/patch_test/patch",
         "fixtures/ips/ipsy/patch_test/output3"},
        {"fixtures/ips/ipsy/diff_test/rom", "fixtures/ips/ipsy/diff_test/output1",
         "fixtures/ips/ipsy/diff_test/patched_rom"},
        {"fixtures/ips/ipsy/diff_test/rom", "fixtures/ips/ipsy/diff_test/output2",
         "fixtures/ips/ipsy/diff_test/patched_rom"},
        // Literal and run records and the cut to 131,071 bytes.
        {"roms/genesis/sgdk-joy-test.bin", "fixtures/derived/title-patch.ips",
         "fixtures/derived/title-patched.bin"},
    };
    for (const Case& c : cases) {
        const auto source = testdata_file(c.source), patch = testdata_file(c.patch),
                   expected = testdata_file(c.expected);
        if (source.empty() || patch.empty() || expected.empty()) {
            GTEST_SKIP() << "shared fixtures absent";
        }
        Image image(read_file(source));
        const auto r = ips_patch_file(patch, image.buffer, image.size);
        ASSERT_TRUE(r) << c.patch << ": " << r.message;
        EXPECT_EQ(image.bytes(), read_file(expected)) << c.patch;
        EXPECT_TRUE(std::all_of(image.buffer.begin() + image.size, image.buffer.end(),
                                [](u8 b) { return b == 0; }))
            << c.patch << ": the buffer past the image stays clear";
    }
}

TEST(IpsPatch, RecordsRunsAndCutsAtTheBufferEdges) {
    struct Case {
        const char* what;
        std::string patch;
        u32 size_after;
        std::vector<std::pair<u32, u8>> bytes;  // offsets and the values they must hold
    };
    const std::string rec = std::string("\x00\x02\x00\x00\x02\xAA\xBB", 7);
    const Case cases[]    = {
           {"no records", "PATCHEOF", 0x1000, {{0x200, 0x11}}},
           {"two bytes at 0x200",
            "PATCH" + rec + "EOF",
            0x1000,
            {{0x200, 0xAA}, {0x201, 0xBB}, {0x202, 0x11}}},
           {"a run of 0x10",
            "PATCH" + std::string("\x00\x03\x00\x00\x00\x00\x10\xCD", 8) + "EOF",
            0x1000,
            {{0x2FF, 0x11}, {0x300, 0xCD}, {0x30F, 0xCD}, {0x310, 0x11}}},
           {"an empty run",
            "PATCH" + std::string("\x00\x03\x00\x00\x00\x00\x00\xCD", 8) + "EOF",
            0x1000,
            {{0x300, 0x11}}},
           {"a record past the image grows it",
            "PATCH" + std::string("\x00\x20\x00\x00\x01\x77", 6) + "EOF",
            0x2001,
            {{0x2000, 0x77}}},
           {"a record across the buffer's end is cut",
            "PATCH" + std::string("\x3F\xFF\xFE\x00\x04\x01\x02\x03\x04", 9) + "EOF",
            kImageBuffer,
            {{kImageBuffer - 2, 0x01}, {kImageBuffer - 1, 0x02}}},
           {"a run across the buffer's end is cut",
            "PATCH" + std::string("\x3F\xFF\x00\x00\x00\xFF\xFF\x09", 8) + "EOF",
            kImageBuffer,
            {{kImageBuffer - 1, 0x09}}},
           {"a cut length shortens the image and clears the rest",
            "PATCH" + rec + "EOF" + std::string("\x00\x08\x00", 3),
            0x800,
            {{0x200, 0xAA}, {0x800, 0}}},
           {"bytes after EOF when the file ends in EOF",
            "PATCH" + rec + "EOFjunkEOF",
            0x1000,
            {{0x200, 0xAA}}},
    };
    for (const Case& c : cases) {
        Image image(std::vector<u8>(0x1000, 0x11));
        const auto r = ips_apply(bytes_of(c.patch), image.buffer, image.size);
        ASSERT_TRUE(r) << c.what << ": " << r.message;
        EXPECT_EQ(image.size, c.size_after) << c.what;
        for (const auto& [offset, value] : c.bytes) {
            EXPECT_EQ(image.buffer[offset], value) << c.what << " at " << offset;
        }
    }
}

TEST(IpsPatch, BrokenPatchesAreRefusedBeforeAnyByteChanges) {
    const std::string rec = std::string("\x00\x02\x00\x00\x02\xAA\xBB", 7);
    const std::pair<const char*, std::string> cases[] = {
        {"no magic", "PATCX" + rec + "EOF"},
        {"empty file", ""},
        {"magic only", "PATCH"},
        {"no trailer", "PATCH" + rec},
        {"a trailer other than EOF", "PATCH" + rec + "EOX"},
        {"a record whose data run past the end, eating the trailer",
         "PATCH" + rec + std::string("\x00\x03\x00\xFF\xFF\x01\x02", 7) + "EOF"},
        {"a record cut in its length", "PATCH" + rec + std::string("\x00\x03\x00\x00", 4)},
        {"a run cut in its count", "PATCH" + rec + std::string("\x00\x03\x00\x00\x00\x00", 6)},
        {"EOF followed by two bytes", "PATCH" + rec + "EOF\x01\x02"},
    };
    for (const auto& [what, patch] : cases) {
        Image image(std::vector<u8>(0x1000, 0x11));
        const auto r = ips_apply(bytes_of(patch), image.buffer, image.size);
        EXPECT_EQ(r.status, MediaStatus::kFailed) << what;
        EXPECT_EQ(r.message, std::string(lang_text(lang::ERM_FIO_IP))) << what;
        EXPECT_EQ(image.size, 0x1000u) << what;
        EXPECT_EQ(image.buffer[0x200], 0x11) << what;
    }
}

TEST(IpsPatch, AnEndlessStreamOfRecordsEndsWithTheFile) {
    // Thousands of records and no trailer: the reader must stop at the end of the data.
    std::string patch = "PATCH";
    for (u32 i = 0; i < 20000; ++i) patch += std::string("\x00\x10\x00\x00\x01\x5A", 6);
    Image image(std::vector<u8>(0x1000, 0x11));
    EXPECT_EQ(ips_apply(bytes_of(patch), image.buffer, image.size).message,
              std::string(lang_text(lang::ERM_FIO_IP)));
    EXPECT_EQ(image.buffer[0x1000], 0);
}

TEST(IpsPatch, AMissingFileIsNotOpened) {
    Image image(std::vector<u8>(16, 0));
    EXPECT_EQ(ips_patch_file("/nonexistent/x.ips", image.buffer, image.size).status,
              MediaStatus::kNotOpened);
}

}  // namespace
}  // namespace varn
