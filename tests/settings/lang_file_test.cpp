#include "settings/lang_file.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "config_fixture.h"

namespace varn::test {
namespace {

namespace fs = std::filesystem;

TEST(LangKeys, ListHoldsEveryMenuKeyOnceAndTheRegionNamesTwice) {
    u32 menu_entries = 0;
    std::set<std::string> names;
    for (const LangKey& k : lang_keys()) {
        if (std::string_view(k.name).starts_with("MEN_")) ++menu_entries;
        names.insert(k.name);
    }
    EXPECT_EQ(menu_entries, 149u);
    EXPECT_EQ(names.size(), 146u + 39u);  // menu keys, then the message and dialog keys
}

// A second menu over the same rows gets its key list from where it places them: a row
// named twice is renamed in both places, a row shown only as a name is not renamed by
// command, a row the menu leaves out keeps its key (and its absent id), and a row without
// a key gives none.
TEST(LangKeys, ComeFromTheEntriesThatNameTheRows) {
    const std::vector<MenuEntry> other = {
        menu::popup(text_row("MEN_FIL"),
                    {menu::item(text_row("MEN_FIL_LRM"), 1), menu::separator(),
                     menu::popup(text_row("MEN_CFG_MAC_MSC_ORD"),
                                 {menu::named(text_row("MEN_CFG_MAC_MSC_CTR_U"), 2)}),
                     menu::item(text_row("MEN_CFG_MAC_MSC_CTR_U"), 3),
                     menu::item(text_row("MEN_CFG_MAC_MSC_CTR_U"), 4, "USA (again)"),
                     menu::item(text_row("TXT_HELP_DATABASE"), 5)}),
        menu::popup(text_row("MEN_CFG_MAC_MSC_ORD"), {})};
    EXPECT_EQ(other[0].children[0].text, "&Load ROM...\tAlt L");

    const std::vector<LangKey> keys = lang_keys_for(kTextRows, other);
    auto find                       = [&](std::string_view name, int pass) -> const LangKey* {
        for (const LangKey& k : keys)
            if (name == k.name && pass-- == 0) return &k;
        return nullptr;
    };
    const LangKey* lrm = find("MEN_FIL_LRM", 0);
    ASSERT_NE(lrm, nullptr);
    EXPECT_EQ(lrm->commands, std::vector<u32>{1});
    EXPECT_STREQ(lrm->suffix, "...\tAlt L");
    const LangKey* order = find("MEN_CFG_MAC_MSC_ORD", 0);
    ASSERT_NE(order, nullptr);
    EXPECT_EQ(order->popups, (std::vector<std::vector<u32>>{{0, 2}, {1}}));
    const LangKey* usa = find("MEN_CFG_MAC_MSC_CTR_U", 0);
    ASSERT_NE(usa, nullptr);
    EXPECT_EQ(usa->commands, (std::vector<u32>{3, 4}));
    const LangKey* usa_name = find("MEN_CFG_MAC_MSC_CTR_U", 1);
    ASSERT_NE(usa_name, nullptr);
    EXPECT_EQ(usa_name->slot, int(lang::MEN_CFG_MAC_MSC_CTR_U));
    EXPECT_TRUE(usa_name->commands.empty());
    const LangKey* gym = find("MEN_FIL_SGD", 0);
    ASSERT_NE(gym, nullptr);
    EXPECT_EQ(gym->commands, std::vector<u32>{33896});
    const LangKey* ext = find("MEN_FIL_EXT", 0);  // not in this menu
    ASSERT_NE(ext, nullptr);
    EXPECT_TRUE(ext->commands.empty() && ext->popups.empty());
    EXPECT_EQ(find("TXT_HELP_DATABASE", 0), nullptr);
    EXPECT_EQ(keys.size(), lang_keys().size());  // the same keys, aimed elsewhere
}

TEST_F(ConfigTest, LanguageFileRenamesMenuItemsWithTheirShortcutsAndReplacesTexts) {
    lang_apply(
        "[Menu]\r\n"
        "MEN_FIL=&Fichier\r\n"
        "MEN_FIL_LST=Charger\r\n"
        "MEN_FIL_EXT=Quitter\r\n"
        "MEN_FIL_SCD=\r\n"
        "MEN_FIL_SGD=Jamais\r\n"
        "MEN_CFG_INP_PLXX_DSL=Choix\r\n"
        "MEN_CFG_INP_PLXX_KEY=Touches\r\n"
        "MEN_CFG_MAC_MSC_ORD=Ordre\r\n"
        "MEN_CFG_MAC_SMS_VDP=VDP?\r\n"
        "[Messages]\r\n"
        "ERM_FIO_COF= Impossible d'ouvrir \r\n"
        "DBX_ABT=A propos\n",
        menu);
    EXPECT_EQ(menu.texts[33041], "Charger...\tF3");
    EXPECT_EQ(menu.texts[57665], "Quitter\tAlt X");
    EXPECT_EQ(menu.texts.count(33864), 1u);
    EXPECT_EQ(menu.texts[33864], "");
    EXPECT_EQ(menu.texts.count(33896), 0u);  // not in the menu: nothing changes
    for (u32 slot = 0; slot < 8; ++slot) {
        EXPECT_EQ((menu.popup_texts[{1, 3, slot, 0}]), "Choix");
        EXPECT_EQ(menu.texts[32854 + 10 * slot], "Touches...");
    }
    EXPECT_EQ((menu.popup_texts[{0}]), "&Fichier");
    EXPECT_EQ((menu.popup_texts[{1, 6, 0, 0, 1}]), "Ordre");
    // The SMS popup's position 1 is the Sprite Limit item, not a VDP popup.
    EXPECT_EQ(menu.texts.count(32977), 0u);
    EXPECT_EQ(std::string(lang_text(lang::ERM_FIO_COF)), " Impossible d'ouvrir ");
    EXPECT_STREQ(lang_text(lang::DBX_ABT), "A propos");
    EXPECT_STREQ(lang_text(lang::DBX_FIO_CDD), "CD Drive Chooser");
}

TEST_F(ConfigTest, LanguageKeysAreFoundLikeSettingsKeys) {
    lang_apply(
        "erm_fio_nf=lower case\n"
        "ERM_FIO_IP=first\n"
        "ERM_FIO_IP=second\n"
        "ERM_FIO_LMT=starts here ERM_FIO_CDD=from inside a value\n"
        "ERM_FIO_CDD=too late\n",
        menu);
    EXPECT_STREQ(lang_text(lang::ERM_FIO_NF), "not found.");
    EXPECT_STREQ(lang_text(lang::ERM_FIO_IP), "first");
    EXPECT_STREQ(lang_text(lang::ERM_FIO_CDD), "from inside a value");
}

TEST_F(ConfigTest, LanguageTextsAreCutAt255BytesWithTheirSuffix) {
    const std::string long_text(400, 'x');
    lang_apply("MEN_FIL_LRM=" + long_text + "\nERM_FIO_RVF=" + long_text, menu);
    EXPECT_EQ(menu.texts[33040], std::string(255 - 9, 'x') + "...\tAlt L");
    EXPECT_EQ(std::string(lang_text(lang::ERM_FIO_RVF)), std::string(255, 'x'));
}

TEST_F(ConfigTest, RegionAndSourceNamesRenameTheOrderMenus) {
    lang_apply("MEN_CFG_MAC_MSC_CTR_U=&Etats-Unis\nMEN_CFG_GUI_GNM_FIL=&Fichier\n", menu);
    EXPECT_EQ(menu.texts[32945], "&Etats-Unis");
    EXPECT_STREQ(lang_texts[96], "&Etats-Unis");
    cfg_set(cfg_region_order, 0);
    cfg_set(cfg_game_name_search_order, 4);  // file name, namer, header
    options.menu_refresh_checks();
    EXPECT_EQ(menu.texts[32942], "&Etats-Unis");
    EXPECT_EQ(menu.texts[32943], "&Europe");
    EXPECT_EQ(menu.texts[33920], "&Fichier");
    EXPECT_EQ(menu.texts[33921], "&ROM Namer");
    EXPECT_EQ(menu.texts[33922], "&Header");
}

TEST_F(ConfigTest, EmptyOrMissingLanguageFile) {
    const fs::path dir = fs::temp_directory_path() / ("varn_lng_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    EXPECT_FALSE(lang_load(dir / "VARN_LNG.INI", menu));
    EXPECT_EQ(lang_file_loaded, 0u);
    EXPECT_FALSE(lang_load(dir, menu));  // a folder is not a language file
    EXPECT_EQ(lang_file_loaded, 0u);

    std::ofstream(dir / "VARN_LNG.INI").close();
    EXPECT_TRUE(lang_load(dir / "VARN_LNG.INI", menu));
    EXPECT_EQ(lang_file_loaded, 1u);
    EXPECT_TRUE(menu.texts.empty());
    EXPECT_TRUE(menu.popup_texts.empty());
    EXPECT_TRUE(lang_texts == lang_default_texts);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace varn::test
