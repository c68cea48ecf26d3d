// The table generator refuses a catalogue that breaks the table's rules, so a bad row
// fails the build instead of shipping in a library.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_files.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

struct GenResult {
    int exit_code;
    std::string output;  // stdout and stderr
    bool table_written;
    std::string table;
};

// Runs the generator on a catalogue with the given text, in a folder of this test's own.
GenResult run_generator(const std::string& catalogue) {
    const auto* info   = testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::temp_directory_path() /
                         ("romnamer_gen_" + std::to_string(::getpid()) + "_" + info->name());
    fs::create_directories(dir);
    const fs::path tsv = dir / "catalogue.tsv";
    const fs::path out = dir / "table.cpp";
    std::ofstream(tsv, std::ios::binary) << catalogue;
    fs::remove(out);

    const std::string command = std::string("'") + VARN_TABLE_GEN_PATH +
                                "' --table test_table --out '" + out.string() + "' --tsv '" +
                                tsv.string() + "' 2>&1";
    GenResult r{-1, {}, false, {}};
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, pipe) != nullptr) r.output += buf;
        const int status = ::pclose(pipe);
        r.exit_code      = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    r.table_written = fs::exists(out);
    if (r.table_written) {
        const auto bytes = test::read_file(out);
        r.table.assign(bytes.begin(), bytes.end());
    }
    fs::remove_all(dir);
    return r;
}

TEST(NamerTableGen, RefusesBrokenRows) {
    const struct {
        const char* what;
        std::string catalogue;
        const char* message;
    } cases[] = {
        {"duplicate CRC", "0000abcd\tOne (U)\n12345678\tTwo (J)\n0000ABCD\tThree (E)\n",
         "catalogue.tsv:3: duplicate CRC 0x0000ABCDu (first on line 1)"},
        {"CRC 0", "00000000\tZero (U)\n", "catalogue.tsv:1: CRC 0 is reserved"},
        {"control character", "12345678\tTab\there (U)\n", "not printable ASCII"},
        {"non-ASCII", "12345678\tCaf\xC3\xA9 (F)\n", "not printable ASCII"},
        {"short CRC", "1234567\tName (U)\n", "expected 8 hexadecimal digits"},
        {"not hexadecimal", "1234567g\tName (U)\n", "expected 8 hexadecimal digits"},
        {"no tab", "12345678 Name (U)\n", "expected 8 hexadecimal digits"},
        {"empty name", "12345678\t\n", "name must be 1 to 256 characters"},
        {"name too long", "12345678\t" + std::string(257, 'x') + "\n",
         "name must be 1 to 256 characters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const GenResult r = run_generator(c.catalogue);
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
        EXPECT_FALSE(r.table_written);
    }
}

TEST(NamerTableGen, WritesRecordsIntoOneNameBlock) {
    // CRLF line ends and an empty line are tolerated; quotes and backslashes are escaped.
    const GenResult r = run_generator("0000abcd\tSay \"hi\" \\ bye (U)\r\n\r\n12345678\t" +
                                      std::string(256, 'n') + "\r\n");
    ASSERT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.table.find(R"("Say \"hi\" \\ bye (U)\0")"), std::string::npos) << r.table;
    EXPECT_NE(r.table.find("{0x0000ABCDu, kNames + 0},"), std::string::npos);
    EXPECT_NE(r.table.find("{0x12345678u, kNames + 19},"), std::string::npos);
    EXPECT_NE(r.table.find("kRecords[2]"), std::string::npos);
    EXPECT_NE(r.table.find("test_table{kRecords}"), std::string::npos);
}

}  // namespace
}  // namespace varn
