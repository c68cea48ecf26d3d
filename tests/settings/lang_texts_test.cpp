#include "settings/lang_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace varn {
namespace {

TEST(LangTexts, GroupsSitAtTheirSlots) {
    EXPECT_STREQ(lang_default_texts[lang::MEN_FIL_LRM], "&Load ROM");
    EXPECT_STREQ(lang_default_texts[77], "&ROM Namer");
    EXPECT_STREQ(lang_default_texts[79], "&Filename");
    EXPECT_STREQ(lang_default_texts[96], "&USA");
    EXPECT_STREQ(lang_default_texts[98], "&Japan");
    EXPECT_STREQ(lang_default_texts[144], "&About VARN");
    EXPECT_STREQ(lang_default_texts[145], "VARN requires MMX.");
    EXPECT_STREQ(lang_default_texts[159], "Error loading state, file is damaged or invalid.");
    EXPECT_STREQ(lang_default_texts[174], "Could not initialize joystick.");
    EXPECT_STREQ(lang_default_texts[175], "About Varn");
    EXPECT_STREQ(lang_default_texts[184], "Change");
    for (const char* text : lang_default_texts) ASSERT_NE(text, nullptr);
}

TEST(LangTexts, FiltersByIndexAndOutOfRangeFallsBackToGenesis) {
    EXPECT_STREQ(lang_filter_description(2), "32X ROM (*.32X)");
    EXPECT_STREQ(lang_filter_pattern(2), "*.32X");
    EXPECT_STREQ(lang_filter_pattern(5), "*.SMS");
    for (u32 bad : {0u, 6u, 0xFFFFFFFFu}) {
        EXPECT_STREQ(lang_filter_description(bad), "Genesis ROM (*.BIN;*.SMD;*.MD;*.GEN)");
        EXPECT_STREQ(lang_filter_pattern(bad), "*.BIN;*.SMD;*.MD;*.GEN");
    }
}

TEST(LangTexts, ReplacementsStayValidUntilReset) {
    lang_set_text(lang::ERM_FIO_COF, "Impossible d'ouvrir le fichier.");
    const char* first = lang_text(lang::ERM_FIO_COF);
    for (int i = 0; i < 1000; ++i) lang_set_text(lang::DBX_ABT, std::to_string(i).c_str());
    EXPECT_STREQ(first, "Impossible d'ouvrir le fichier.");
    EXPECT_STREQ(lang_text(lang::DBX_ABT), "999");
    lang_texts_reset();
    EXPECT_STREQ(lang_text(lang::ERM_FIO_COF), "Couldn't open file.");
    EXPECT_EQ(lang_file_loaded, 0u);
}

}  // namespace
}  // namespace varn
