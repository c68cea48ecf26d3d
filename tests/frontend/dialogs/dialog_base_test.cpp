// Hexadecimal items and the About box.

#include <gtest/gtest.h>

#include "frontend/dialogs/about_dialog.h"
#include "frontend/dialogs/dialog_base.h"
#include "settings/lang_texts.h"
#include "support/qt_offscreen.h"

namespace varn {
namespace {

class DialogBaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::qt_offscreen_app();
        lang_texts_reset();
        beeps       = 0;
        dialog_beep = [this] { ++beeps; };
    }
    void TearDown() override { lang_texts_reset(); }
    int beeps = 0;
};

TEST_F(DialogBaseTest, HexItemsReadDigitsAndCutTheRest) {
    struct Case {
        const char* text;
        int width;  // 2, 4 or 8 digits
        u32 value;
        const char* shown_after;
        int beeps;
    };
    const Case cases[] = {
        {"3F", 2, 0x3F, "3F", 0},
        {"3f", 2, 0x3, "3", 1},  // lower case is not a digit
        {"", 2, 0, "", 0},
        {"G1", 2, 0, "", 1},
        {"C8", 2, 0xC8, "C8", 0},
        {"123", 2, 0x12, "123", 0},  // only the first two characters count
        {"??", 2, 0, "", 1},
        {"00A5", 4, 0xA5, "00A5", 0},
        {"7F0-", 4, 0x7F0, "7F0", 1},
        {"DEADBEEF", 8, 0xDEADBEEF, "DEADBEEF", 0},
        {"12 4", 8, 0x12, "12", 1},
    };
    for (const Case& c : cases) {
        QLabel item(c.text);
        beeps   = 0;
        u32 got = 0;
        if (c.width == 2) got = dialog_get_hex8(&item);
        if (c.width == 4) got = dialog_get_hex16(&item);
        if (c.width == 8) got = dialog_get_hex32(&item);
        EXPECT_EQ(got, c.value) << c.text;
        EXPECT_EQ(item.text().toStdString(), c.shown_after) << c.text;
        EXPECT_EQ(beeps, c.beeps) << c.text;
    }

    QLabel item;
    dialog_set_hex16(&item, 0xA5);
    EXPECT_EQ(item.text(), "00A5");
    dialog_set_hex8(&item, 0);
    EXPECT_EQ(item.text(), "00");
    dialog_set_hex32(&item, 0xC0FFEE);
    EXPECT_EQ(item.text(), "00C0FFEE");
}

TEST_F(DialogBaseTest, AboutBoxLinesWithAndWithoutLanguageFile) {
    {
        AboutDialog about(nullptr);
        EXPECT_EQ(about.windowTitle(), "About Varn...");
        EXPECT_TRUE(about.line(0)->text().startsWith("WinVARN "));
        EXPECT_TRUE(about.line(0)->text().endsWith(" (Tandor)"));
        EXPECT_EQ(about.line(1)->text(), "");
        EXPECT_EQ(about.line(2)->text(), "Written by Ostrelan");
        EXPECT_EQ(about.line(3)->text(), "");
        EXPECT_EQ(about.line(4)->text(), AboutDialog::kWebPage);
    }
    // Any language file, even one that changes nothing, moves the credit up a line and
    // gives the last two lines to the translator.
    lang_file_loaded = 1;
    lang_set_text(lang::DBX_ABT_TRU, "https://translator.example/");
    AboutDialog about(nullptr);
    EXPECT_EQ(about.windowTitle(), "About Varn");
    EXPECT_EQ(about.line(0)->text(), AboutDialog::version_line());
    EXPECT_EQ(about.line(1)->text(), "Written by Ostrelan");
    EXPECT_EQ(about.line(2)->text(), AboutDialog::kWebPage);
    EXPECT_EQ(about.line(3)->text(), "Translated by <YOUR NAME HERE>");
    EXPECT_EQ(about.line(4)->text(), "https://translator.example/");
}

}  // namespace
}  // namespace varn
