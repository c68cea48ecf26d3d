// The earlier release's program on Qt's offscreen platform: its start-up and shut-down, its
// settings file in its own profile folder, its menu and its status bar.

#include "legacy/frontend/legacy_app.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <functional>

#include "base/config.h"
#include "frontend/app/app_fixture.h"
#include "frontend/host/sound_output.h"
#include "frontend/main_frame.h"
#include "frontend/qt_menu.h"
#include "genesis/state/save_state.h"
#include "legacy/frontend/legacy_config.h"
#include "legacy/frontend/legacy_menu.h"
#include "media/state_file.h"
#include "runtime/thread_link.h"
#include "settings/lang_texts.h"
#include "settings/option_model.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

class RecordingLegacyApp : public LegacyApp {
  public:
    std::vector<std::string> steps;
    std::vector<std::string> messages;

    void press(u32 id) { command(id); }

  protected:
    bool cpu_check() override { return steps.push_back("cpu"), LegacyApp::cpu_check(); }
    void sound_init() override { steps.push_back("sound"), LegacyApp::sound_init(); }
    void machine_close() override { steps.push_back("machine_close"), LegacyApp::machine_close(); }
    void thread_end() override { steps.push_back("thread_end"), LegacyApp::thread_end(); }
    void ini_write() override { steps.push_back("ini_write"), LegacyApp::ini_write(); }
    void message_box(const std::string& text) override { messages.push_back(text); }
};

class LegacyAppTest : public EmuAppTest {
  protected:
    fs::path legacy_ini() const { return profile / "varn-legacy" / "VARN.INI"; }
    void TearDown() override {
        gs_registers_slot = gs_state_load_registers;
        config_load_defaults(config_keys());
        EmuAppTest::TearDown();
    }
};

TEST_F(LegacyAppTest, RunsSilentWritesItsOwnSettingsAndStopsTheThreadBeforeClosingTheMachine) {
    fs::create_directories(legacy_ini().parent_path());
    { std::ofstream(legacy_ini()) << "GENDisableZ80=0\nRegionOrder=7\nLayers=12\n"; }
    RecordingLegacyApp app;
    ASSERT_TRUE(app.start());
    EXPECT_EQ(app.steps, (std::vector<std::string>{"cpu", "sound"}));
    EXPECT_FALSE(app.sound()->enabled()) << "no sound device is opened";
    EXPECT_TRUE(app.messages.empty());
    EXPECT_EQ(cfg(cfg_disable_z80), 0u);

    app.steps.clear();
    app.frame()->close();
    EXPECT_EQ(app.steps, (std::vector<std::string>{"thread_end", "machine_close", "ini_write"}));
    EXPECT_FALSE(emu_thread_alive());
    std::ifstream in(legacy_ini());
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(text.find("\nGENDisableZ80=0\n"), std::string::npos);
    EXPECT_NE(text.find("\nRegionOrder=0\n"), std::string::npos);
    EXPECT_EQ(text.find("Layers"), std::string::npos);
    EXPECT_NE(text.find("SCDUseCartridgeBatteryRAMs=0"), std::string::npos);
    EXPECT_FALSE(fs::exists(ini())) << "the main program's settings are not touched";
}

// Every command id of a menu tree, and every popup title.
void walk(const std::vector<MenuEntry>& entries, std::vector<u32>& ids,
          std::vector<std::string>& titles) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::kItem) ids.push_back(e.id);
        if (e.kind == MenuEntry::Kind::kPopup) {
            titles.emplace_back(e.text);
            walk(e.children, ids, titles);
        }
        ASSERT_FALSE(e.kind == MenuEntry::Kind::kPopup && e.children.empty()) << e.text;
    }
}

TEST(LegacyMenu, IsTheMainMenuLessWhatTheEarlierReleaseLacksWithItsOwnTwoItems) {
    std::vector<u32> ids;
    std::vector<std::string> titles;
    walk(legacy_menu_entries(), ids, titles);
    const auto has       = [&ids](u32 id) { return std::count(ids.begin(), ids.end(), id) == 1; };
    const auto has_popup = [&titles](const char* t) {
        return std::count(titles.begin(), titles.end(), t) > 0;
    };
    for (u32 id : {cmd::kLoadRom,
                   cmd::kBootSegaCd,
                   cmd::kLoadState,
                   cmd::kSaveState,
                   cmd::kLoadDemo,
                   cmd::kSaveDemo,
                   cmd::kLoadPatch,
                   cmd::kSaveScreenshot,
                   cmd::kExit,
                   cmd::kFrameSkipAuto,
                   cmd::kFrameSkip0 + 3,
                   cmd::kScreenFull,
                   cmd::kScanlinesBlank,
                   cmd::kRegionAuto,
                   cmd::kPort1First + 4,
                   cmd::kPort2First + 3,
                   kExpansionPortItems[7][2],
                   cmd::kGenUseBios,
                   cmd::kDisableZ80,
                   cmd::kAutofixChecksum,
                   cmd::k32xUseBios,
                   cmd::kErrorMsgFirst,
                   cmd::kErrorMsgFirst + 2,
                   cmd::kErrorMsgFirst + 3,
                   cmd::kAutonameDemos,
                   cmd::kPlayerFirst + 73,
                   cmd::kAbout,
                   cmd::kLegacyEnhanceVisibility,
                   cmd::kLegacyScdCartridgeBrms})
        EXPECT_TRUE(has(id)) << id;
    for (u32 id :
         {cmd::kSaveWaveLog, cmd::kHelpDatabase, cmd::kAboutKestgen, cmd::kSmsUseBios,
          cmd::kSystemRomFirst + 7, cmd::kForceDisplay, cmd::kGenSpriteLimit, cmd::kScdRamCart,
          cmd::kBrmInStates, cmd::kAutoPauseFocus, cmd::kErrorMsgFirst + 1, cmd::kPort1First + 5,
          32950u, 33818u, kExpansionPortItems[0][0] - 1, cmd::kRate44100, cmd::kStretchFirst})
        EXPECT_FALSE(has(id)) << id;
    EXPECT_FALSE(has_popup("Sound"));
    EXPECT_FALSE(has_popup("SMS"));
    EXPECT_TRUE(has_popup("Sega CD"));
}

TEST_F(LegacyAppTest, StatusBarNamesSlotsSsOrGsAndTheOwnItemsToggleWithTheirMarks) {
    RecordingLegacyApp app;
    ASSERT_TRUE(app.start());
    QtMenu* menu = app.frame()->menu();
    EXPECT_EQ(menu->action(cmd::kAutofixChecksum)->text().toStdString(), "&Autofix Checksum");

    app.press(cmd::kStateSlotFirst + 4);
    EXPECT_EQ(app.frame()->status_pane(3)->text().toStdString(), "SS4");
    EXPECT_EQ(app.frame()->status_pane(2)->text().toStdString(), "K");
    cfg_set(cfg_state_filter_index, 2);
    app.frame()->update_status_bar();
    EXPECT_EQ(app.frame()->status_pane(3)->text().toStdString(), "GS4");

    for (auto [id, word] : {std::pair{cmd::kLegacyEnhanceVisibility, &cfg_enhance_visibility},
                            std::pair{cmd::kLegacyScdCartridgeBrms, &legacy_scd_cartridge_brms}}) {
        EXPECT_FALSE(menu->action(id)->isChecked());
        app.press(id);
        EXPECT_EQ(cfg(*word), 1u);
        EXPECT_TRUE(menu->action(id)->isChecked());
    }
    app.frame()->close();
    std::ifstream in(legacy_ini());
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(text.find("\nEnhanceVisibility=1\n"), std::string::npos);
    EXPECT_NE(text.find("\nSCDUseCartridgeBatteryRAMs=1\n"), std::string::npos);
    cfg_set(legacy_scd_cartridge_brms, 0);
    cfg_set(cfg_enhance_visibility, 0);
    state_slot = 0;
}

TEST_F(LegacyAppTest, TheLanguageFileRenamesTheEarlierMenusOwnEntries) {
    fs::create_directories(legacy_ini().parent_path());
    {
        std::ofstream(legacy_ini().parent_path() / "VARN_LNG.INI")
            << "[Menu]\nMEN_CFG_INP=Entrada\nMEN_CFG_GFX_ENV=&Mejorar\nMEN_CFG_MAC=Maquina\n";
    }
    RecordingLegacyApp app;
    ASSERT_TRUE(app.start());
    // Config without the Sound menu: File IO, Graphics, Input, GUI, a separator, Machine.
    const QList<QAction*> config = app.frame()->menuBar()->actions()[1]->menu()->actions();
    ASSERT_EQ(config.size(), 6);
    EXPECT_EQ(config[1]->text().toStdString(), "Graphics");
    EXPECT_EQ(config[2]->text().toStdString(), "Entrada");
    EXPECT_EQ(config[3]->text().toStdString(), "GUI");
    EXPECT_EQ(config[5]->text().toStdString(), "Maquina");
    EXPECT_EQ(app.frame()->menu()->action(cmd::kLegacyEnhanceVisibility)->text().toStdString(),
              "&Mejorar");
    app.frame()->close();
    lang_texts_reset();
}

}  // namespace
}  // namespace varn
