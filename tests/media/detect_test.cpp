// Which console and layout a file is taken for: the extension and filter table, the header
// tests on files and on chunks, and the archive entry filter.

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "media/image_loader.h"
#include "media/load_detect.h"
#include "settings/lang_texts.h"

namespace varn {
namespace {

using namespace lang;

TEST(DetectLoadKind, ExtensionAndFilterTable) {
    struct Case {
        const char* extension;
        u32 filter;
        LoadKind expected;
    };
    const Case cases[] = {
        {"BIN", kFilterGenesis, {kLoadPlain, kModeGenesis}},
        {"bin", kFilterGenesis, {kLoadPlain, kModeGenesis}},
        {"BIN", kFilterSegaCd, {kLoadRawCd, kModeSegaCd}},  // raw sectors under the CD filter
        {"BIN", kFilter32x, {}},
        {"SMD", kFilterGenesis, {kLoadInterleaved, kModeGenesis}},
        {"SMD", kFilter32x, {kLoadInterleaved, kModeUnknown}},  // layout under any filter
        {"Md", kFilterGenesis, {kLoadHalfSplit, kModeGenesis}},
        {"MD", kFilterSms, {kLoadHalfSplit, kModeUnknown}},
        {"GEN", kFilterGenesis, {kLoadPlain, kModeGenesis}},
        {"GEN", kFilterCue, {kLoadPlain, kModeUnknown}},
        {"32X", kFilter32x, {kLoadPlain, kMode32x}},
        {"32x", kFilterGenesis, {kLoadPlain, kModeUnknown}},
        {"CUE", kFilterCue, {kLoadCueSheet, kModeSegaCd}},
        {"CUE", kFilterSegaCd, {}},
        {"ISO", kFilterSegaCd, {kLoadPlain, kModeSegaCd}},
        {"RAW", kFilterSegaCd, {kLoadRawCd, kModeSegaCd}},
        {"SMS", kFilterSms, {kLoadPlain, kModeSms}},
        {"SMS", kFilterGenesis, {}},
        {"TXT", kFilterGenesis, {}},
        {"", kFilterGenesis, {}},
        {"BINX", kFilterGenesis, {}},
    };
    for (const auto& c : cases) {
        const LoadKind got = detect_load_kind(c.extension, c.filter);
        EXPECT_EQ(got.type, c.expected.type) << c.extension << " filter " << c.filter;
        EXPECT_EQ(got.mode, c.expected.mode) << c.extension << " filter " << c.filter;
    }
}

TEST(DetectLoadKind, DecisionsAgreeByTheirCombinedBits) {
    EXPECT_TRUE((LoadKind{kLoadPlain, kModeGenesis}).agrees_with({kLoadPlain, kModeGenesis}));
    EXPECT_FALSE((LoadKind{kLoadRawCd, kModeSegaCd}).agrees_with({kLoadPlain, kModeGenesis}));
    EXPECT_FALSE((LoadKind{kLoadPlain, kModeGenesis}).known() &&
                 (LoadKind{kLoadPlain, kModeUnknown}).known());
}

// An image of `size` zero bytes with `text` at `offset`.
std::vector<u8> with_text(std::size_t size, u32 offset, const char* text) {
    std::vector<u8> image(size, 0);
    std::memcpy(image.data() + offset, text, std::strlen(text));
    return image;
}

// The four tests in order on a chunk and on the same bytes as a file; both must agree.
LoadKind probe_both(const std::vector<u8>& bytes) {
    const LoadKind chunk = probe_all(SpanProbeSource(bytes));
    const int fd         = memfd_create("probe", 0);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    const LoadKind file = probe_all(FileProbeSource(fd, bytes.size()));
    ::close(fd);
    EXPECT_EQ(chunk, file);
    return chunk;
}

TEST(HeaderProbes, SignaturesOnFilesAndChunks) {
    struct Case {
        u32 offset;
        const char* text;
        LoadKind expected;
    };
    const Case cases[] = {
        {0x004, "DISC", {kLoadPlain, kModeSegaCd}},
        {0x105, "32X ", {kLoadPlain, kMode32x}},
        {0x100, "SEGA GENESIS", {kLoadPlain, kModeGenesis}},
        {0x100, "SEGA MEGA DRIVE", {kLoadPlain, kModeGenesis}},
        {0x7FF4, "SEGA", {kLoadPlain, kModeSms}},
        {0x280, "EA3X", {kLoadInterleaved, kMode32x}},
        {0x280, "EAGN", {kLoadInterleaved, kModeGenesis}},
        {0x280, "EAMG", {kLoadInterleaved, kModeGenesis}},
        {0x080, "EA3X", {kLoadHalfSplit, kMode32x}},
        {0x080, "EAMG", {kLoadHalfSplit, kModeGenesis}},
        {0x014, "DISC", {kLoadRawCd, kModeSegaCd}},
        {0x105, "GEN", {}},   // a NUL inside the four bytes fails the test
        {0x105, "gene", {}},  // the texts are compared exactly
        {0x106, "GENE", {}},  // one byte off
    };
    for (const auto& c : cases) {
        const LoadKind got = probe_both(with_text(0x8000, c.offset, c.text));
        EXPECT_EQ(got.type, c.expected.type) << c.text << " at " << c.offset;
        EXPECT_EQ(got.mode, c.expected.mode) << c.text << " at " << c.offset;
    }
    // The header test wins over a later one when both match.
    auto both = with_text(0x8000, 0x100, "SEGA GENESIS");
    std::memcpy(both.data() + 0x280, "EAGN", 4);
    EXPECT_EQ(probe_both(both).type, kLoadPlain);
}

TEST(HeaderProbes, ReadOnlyBytesThatExist) {
    // A signature cut by the end of the data is no signature, and nothing past the end is
    // read (the sanitizers watch the chunk's bounds).
    const auto full = with_text(0x8000, 0x7FF4, "SEGA");
    for (const std::size_t size : {std::size_t{0}, std::size_t{3}, std::size_t{0x108},
                                   std::size_t{0x7FF6}, std::size_t{0x7FF7}}) {
        const std::vector<u8> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(probe_both(cut), LoadKind{}) << size;
    }
    const std::vector<u8> exact(full.begin(), full.begin() + 0x7FF8);
    EXPECT_EQ(probe_both(exact), (LoadKind{kLoadPlain, kModeSms}));
}

TEST(EntryFilter, ExtensionMustBeOneOfThePatterns) {
    const char* genesis = "*.BIN;*.SMD;*.MD;*.GEN";
    struct Case {
        const char* name;
        bool expected;
    };
    const Case cases[] = {
        {"A.BIN", true},      {"dir/game.smd", true}, {"x.Md", true},    {"B.TXT", false},
        {"BIN", false},       {"a.BI", false},        {"a.BINX", false}, {"folder.bin/", false},
        {"a.gen.txt", false}, {"../../x.bin", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(entry_matches_filter(c.name, genesis), c.expected) << c.name;
    }
    EXPECT_TRUE(entry_matches_filter("a.SMS", "*.SMS"));
    EXPECT_FALSE(entry_matches_filter("a.SMS", ""));
}

}  // namespace
}  // namespace varn
