#include "settings/text_helpers.h"

#include <gtest/gtest.h>

#include <string>

namespace varn {
namespace {

using namespace std::string_literals;

TEST(TextHelpers, FixedWidthNumbersFormat) {
    EXPECT_EQ(format_hex_digits(42, 4), "002A");
    EXPECT_EQ(format_hex_digits(42, 1), "A");
    EXPECT_EQ(format_hex_digits(0xCA, 2), "CA");
    EXPECT_EQ(format_hex_digits(0xDEADBEEF, 8), "DEADBEEF");
    EXPECT_EQ(format_decimal_digits(640, 4), "0640");
    EXPECT_EQ(format_decimal_digits(12345, 4), "2345");
}

TEST(TextHelpers, HexReadsExactlyNCharactersAndNonDigitsCountZero) {
    struct Case {
        std::string text;
        int n;
        u32 value;
    } cases[] = {
        {"1F", 2, 0x1F},
        {"0\r", 2, 0},
        {"a", 1, 10},
        {"5\n", 2, 0x50},
        {"5", 2, 0x50},
        {"10", 1, 1},
        {"G7", 2, 0x07},
        {" 9", 2, 0x09},
        {"", 2, 0},
        {"fF", 2, 0xFF},
        {"1\0"
         "2"s,
         3, 0x102},
    };
    for (const Case& c : cases) EXPECT_EQ(parse_hex_u32(c.text, c.n), c.value) << c.text;
    EXPECT_EQ(parse_hex_u8("123", 3), 0x23);
}

TEST(TextHelpers, DecimalStopsAtTheFirstNonDigit) {
    EXPECT_EQ(parse_decimal("0640x", 4), 640u);
    EXPECT_EQ(parse_decimal("x640", 4), 0u);
    EXPECT_EQ(parse_decimal("99999", 4), 9999u);
    EXPECT_EQ(parse_decimal("32\r\n", 4), 32u);
    EXPECT_EQ(parse_decimal("", 4), 0u);
}

TEST(TextHelpers, PathsCutAfterTheirLastSeparator) {
    std::string path = "ab\\de\\file.bin";
    path_strip_file_name(path);
    EXPECT_EQ(path, "ab\\de\\");
    std::string plain = "file.bin";
    path_strip_file_name(plain);
    EXPECT_EQ(plain, "file.bin");
    std::string folder_dot = "my.dir\\game";
    path_strip_extension(folder_dot);
    EXPECT_EQ(folder_dot, "my.");
    EXPECT_EQ(path_file_name_index("a\\b\\c"), 4);
    EXPECT_EQ(path_file_name_index("abc"), -1);
    EXPECT_EQ(path_extension_index("x.y.bin"), 4);
    std::string trimmed = "name \t ";
    str_trim_right(trimmed);
    EXPECT_EQ(trimmed, "name");
    std::string blank = "   ";
    str_trim_right(blank);
    EXPECT_EQ(blank, "");
    std::string cr = "name\r";
    str_trim_right(cr);
    EXPECT_EQ(cr, "name\r");
    EXPECT_EQ(swap_bytes32(0x11223344), 0x44332211u);
}

TEST(TextHelpers, SearchesStayInsideTheText) {
    EXPECT_EQ(text_find("01234KEY=9", "KEY="), 9);
    EXPECT_EQ(text_find("0123456789", "KEY="), -1);
    // A key that would run past the end of the data is not there.
    EXPECT_EQ(text_find("xxKE", "KEY="), -1);
    EXPECT_EQ(text_find("", "K"), -1);
    EXPECT_EQ(text_find_nocase("romPATH=", "ROMPath="), 8);
    EXPECT_TRUE(str_equal_nocase("Game.BIN", "gAME.bin"));
    EXPECT_FALSE(str_equal_nocase("Game.BIN", "Game.BI"));
    EXPECT_TRUE(str_equal_nocase("", ""));
    EXPECT_EQ(char_to_lower('Q'), 'q');
    EXPECT_EQ(char_to_lower('['), '[');
}

TEST(TextHelpers, CopiesEndAtTheirStopOrTheEndOfTheData) {
    EXPECT_EQ(text_copy_line("value\r\nnext"), "value");
    EXPECT_EQ(text_copy_line("last"), "last");
    EXPECT_EQ(text_copy_line("a\0b"s), "a");
    EXPECT_EQ(text_copy_line("abcdef", 3), "abc");
    EXPECT_EQ(text_copy_until_space("FILE \"x\""), "FILE");
    EXPECT_EQ(text_copy_until_quote("name.bin\" BINARY"), "name.bin");
    EXPECT_EQ(text_copy_until_quote("no quote"), "no quote");
}

TEST(TextHelpers, StringListKeepsCopiesInOrder) {
    StringList list;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Count(), 0u);
    list.PopFront();  // nothing to pop
    std::string source = "first";
    const char* first  = list.PushBack(source);
    source[0]          = 'X';
    const char* second = list.PushBack("second");
    EXPECT_STREQ(first, "first");
    EXPECT_EQ(list.Count(), 2u);
    list.PopFront();
    EXPECT_STREQ(second, "second");
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Clear(), 1);
    EXPECT_TRUE(list.IsEmpty());
}

}  // namespace
}  // namespace varn
