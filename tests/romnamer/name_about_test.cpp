// The Name and About calls and the export lists of the built libraries, and the tables
// generated from the catalogue.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "romnamer/namer_library.h"

namespace varn {
namespace {

using test::kest32x;
using test::kestgen;
using test::NamerLibrary;

struct CatalogueRow {
    u32 crc;
    std::string name;
};

// The catalogue rows the tables were generated from; empty when the catalogue is absent.
std::vector<CatalogueRow> read_catalogue(const char* file) {
    std::vector<CatalogueRow> rows;
    std::ifstream in(std::filesystem::path(VARN_ROMNAMES_DIR) / file);
    std::string line;
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        rows.push_back(
            {static_cast<u32>(std::stoul(line.substr(0, tab), nullptr, 16)), line.substr(tab + 1)});
    }
    return rows;
}

const std::vector<CatalogueRow>& genesis_rows() {
    static const auto rows = read_catalogue("genesis.tsv");
    return rows;
}
const std::vector<CatalogueRow>& s32x_rows() {
    static const auto rows = read_catalogue("32x.tsv");
    return rows;
}

bool catalogue_present() { return !genesis_rows().empty() && !s32x_rows().empty(); }

constexpr const char* kNoCatalogue =
    "naming catalogue not found in " VARN_ROMNAMES_DIR " (the libraries have empty tables)";

// The call with a sentinel-filled buffer, so writes past the NUL show.
struct NameResult {
    int result;
    std::string buf;  // the whole buffer, NULs and sentinels included
};

NameResult call_name(const NamerLibrary& lib, unsigned len, u32 crc, std::size_t buf_size = 300) {
    NameResult r{0, std::string(buf_size, '#')};
    r.result = lib.name(r.buf.data(), len, static_cast<int>(crc));
    return r;
}

TEST(NamerLibraries, LoadWithTheirThreeCalls) {
    for (const NamerLibrary* lib : {&kestgen(), &kest32x()}) {
        SCOPED_TRACE(lib->prefix);
        ASSERT_NE(lib->handle, nullptr) << ::dlerror();
        EXPECT_NE(lib->crc, nullptr);
        EXPECT_NE(lib->name, nullptr);
        EXPECT_NE(lib->about, nullptr);
    }
}

TEST(NamerLibraries, KestgenCarriesItsTwoUnusedExports) {
    auto* fn  = reinterpret_cast<int (*)()>(kestgen().symbol("_ZN4varn9fnKestgenEv"));
    auto* var = static_cast<int*>(kestgen().symbol("_ZN4varn8nKestgenE"));
    ASSERT_NE(fn, nullptr);
    ASSERT_NE(var, nullptr);
    EXPECT_EQ(fn(), 42);
    EXPECT_EQ(*var, 0);
    EXPECT_EQ(kest32x().symbol("_ZN4varn9fnKestgenEv"), nullptr);
    EXPECT_EQ(kest32x().symbol("_ZN4varn8nKestgenE"), nullptr);
}

TEST(NamerName, EveryCatalogueRowIsNamedByItsOwnLibraryOnly) {
    if (!catalogue_present()) GTEST_SKIP() << kNoCatalogue;
    // Includes the first row, which the backward scan reaches last.
    const struct {
        const std::vector<CatalogueRow>& rows;
        const NamerLibrary& own;
        const NamerLibrary& other;
    } tables[] = {{genesis_rows(), kestgen(), kest32x()}, {s32x_rows(), kest32x(), kestgen()}};
    for (const auto& t : tables) {
        SCOPED_TRACE(t.own.prefix);
        for (const CatalogueRow& row : t.rows) {
            char buf[258];
            ASSERT_EQ(t.own.name(buf, 257, static_cast<int>(row.crc)), 1) << row.name;
            ASSERT_EQ(std::string(buf), row.name);
            ASSERT_EQ(t.other.name(buf, 257, static_cast<int>(row.crc)), 0) << row.name;
            ASSERT_EQ(buf[0], '\0');
        }
    }
}

TEST(NamerName, BufferRules) {
    if (!catalogue_present()) GTEST_SKIP() << kNoCatalogue;
    const CatalogueRow& row = genesis_rows().front();
    ASSERT_GT(row.name.size(), 5u);

    // len 5 on a longer name: five characters, the NUL at buf[5], nothing after it.
    NameResult r = call_name(kestgen(), 5, row.crc);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.buf.substr(0, 5), row.name.substr(0, 5));
    EXPECT_EQ(r.buf[5], '\0');
    EXPECT_EQ(r.buf[6], '#');

    // len exactly the name's length: the whole name and its NUL.
    r = call_name(kestgen(), static_cast<unsigned>(row.name.size()), row.crc);
    EXPECT_EQ(r.result, 1);
    EXPECT_STREQ(r.buf.c_str(), row.name.c_str());
    EXPECT_EQ(r.buf[row.name.size() + 1], '#');

    // Found with len 0: 0 and the buffer untouched.
    r = call_name(kestgen(), 0, row.crc);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.buf[0], '#');

    EXPECT_EQ(kestgen().name(nullptr, 257, static_cast<int>(row.crc)), 0);
}

TEST(NamerName, UnknownCrcGivesAnEmptyName) {
    for (const NamerLibrary* lib : {&kestgen(), &kest32x()}) {
        SCOPED_TRACE(lib->prefix);
        for (u32 crc : {0u, 0xDEADBEEFu}) {
            NameResult r = call_name(*lib, 257, crc);
            EXPECT_EQ(r.result, 0);
            EXPECT_EQ(r.buf[0], '\0');
            EXPECT_EQ(r.buf[1], '#');
            // With len 0 there is no room even for the empty text.
            r = call_name(*lib, 0, crc);
            EXPECT_EQ(r.result, 0);
            EXPECT_EQ(r.buf[0], '#');
        }
    }
}

TEST(NamerAbout, VersionTextAndBufferRules) {
    const struct {
        const NamerLibrary& lib;
        const char* text;
    } cases[] = {{kestgen(), "KestGen.DLL V 0.999.6 BETA"},
                 {kest32x(), "Kest32X.DLL V 0.999.6 BETA"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lib.prefix);
        std::string buf(300, '#');
        EXPECT_EQ(c.lib.about(buf.data(), 256), 1);
        EXPECT_STREQ(buf.c_str(), c.text);

        buf.assign(300, '#');
        EXPECT_EQ(c.lib.about(buf.data(), 3), 1);
        EXPECT_EQ(buf.substr(0, 4), std::string(c.text, 3) + '\0');
        EXPECT_EQ(buf[4], '#');

        buf.assign(300, '#');
        EXPECT_EQ(c.lib.about(buf.data(), 0), 1);
        EXPECT_EQ(buf[0], '\0');
        EXPECT_EQ(buf[1], '#');

        EXPECT_EQ(c.lib.about(nullptr, 256), 0);
    }
}

}  // namespace
}  // namespace varn
