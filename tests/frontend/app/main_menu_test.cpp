// The main window's menu bar, accelerators, status bar and pauses: the menu against the
// language file's positions and ids, every item through the real menu against the option
// model, the menu and focus pauses, and the File commands' pause bracket.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "app_fixture.h"
#include "frontend/dialogs/dialogs.h"
#include "frontend/emu_app.h"
#include "frontend/host/sound_output.h"
#include "frontend/input/input_devices.h"
#include "frontend/main_frame.h"
#include "frontend/menu_resource.h"
#include "frontend/qt_menu.h"
#include "media/image_loader.h"
#include "media/media_ui.h"
#include "media/optional_libs.h"
#include "media/state_file.h"
#include "runtime/thread_link.h"
#include "settings/config_fixture.h"
#include "settings/lang_file.h"

namespace varn {
namespace {

// Ids the language file names that the menu does not hold.
const std::set<u32> kNotInMenu = {33886, 33887, 33896, 33897, 33877, 33879, 33907, 33903, 32814};

// The entry at a position chain of the menu bar, or null.
QAction* entry_at(QMenuBar& bar, std::vector<u32> path) {
    QWidget* parent = &bar;
    QAction* entry  = nullptr;
    for (u32 p : path) {
        if (parent == nullptr) return nullptr;
        const QList<QAction*> list = parent->actions();
        if (p >= static_cast<u32>(list.size())) return nullptr;
        entry  = list[static_cast<qsizetype>(p)];
        parent = entry->menu();
    }
    return entry;
}

void for_each_item(const std::vector<MenuEntry>& entries, const std::function<void(u32)>& f) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::kItem) f(e.id);
        for_each_item(e.children, f);
    }
}

std::vector<u32> all_item_ids() {
    std::vector<u32> ids;
    for_each_item(main_menu_entries(), [&](u32 id) { ids.push_back(id); });
    return ids;
}

class MenuBarTest : public test::ConfigTest {
  protected:
    static void SetUpTestSuite() { qt_application(); }
    QMenuBar bar;
    QtMenu qt{&bar, main_menu_entries()};
};

TEST_F(MenuBarTest, PopupsSitAtThePositionsTheLanguageFileCounts) {
    struct Popup {
        std::vector<u32> path;
        const char* title;  // nullptr: a separator
    } popups[] = {
        {{0}, "File"},
        {{1}, "Config"},
        {{2}, "Help"},
        {{1, 0}, "File IO"},
        {{1, 0, 0}, "Load System ROM"},
        {{1, 1}, "Graphics"},
        {{1, 1, 0}, "Frame Skip"},
        {{1, 1, 1}, "Screen Size"},
        {{1, 1, 2}, "Scan Lines"},
        {{1, 2}, "Sound"},
        {{1, 2, 0}, "Rate"},
        {{1, 3}, "Input"},
        {{1, 3, 0}, "Player 1a"},
        {{1, 3, 7}, "Player 2d"},
        {{1, 3, 5, 0}, "Device select"},
        {{1, 4}, "GUI"},
        {{1, 4, 0}, "Frame/Stretch Behavior"},
        {{1, 4, 1}, "&Game Name Search Order"},
        {{1, 4, 2}, "Error Messages"},
        {{1, 5}, nullptr},
        {{1, 6}, "Machine"},
        {{1, 6, 0}, "Miscellaneous"},
        {{1, 6, 0, 0}, "Region"},
        {{1, 6, 0, 0, 1}, "&Order"},
        {{1, 6, 0, 1}, "Port 1"},
        {{1, 6, 0, 2}, "Port 2"},
        {{1, 6, 0, 3}, nullptr},
        {{1, 6, 0, 4}, "Expansion port 1a"},
        {{1, 6, 0, 11}, "Expansion port 2d"},
        {{1, 6, 1}, "Genesis"},
        {{1, 6, 2}, "32X"},
        {{1, 6, 3}, "Sega CD"},
        {{1, 6, 3, 2}, "RAM cartridge size"},
        {{1, 6, 4}, "SMS"},
    };
    for (const Popup& p : popups) {
        SCOPED_TRACE(testing::Message() << "position chain of " << (p.title ? p.title : "-"));
        QAction* entry = entry_at(bar, p.path);
        ASSERT_NE(entry, nullptr);
        if (p.title == nullptr) {
            EXPECT_TRUE(entry->isSeparator());
        } else {
            EXPECT_EQ(entry->text(), p.title);
            EXPECT_NE(entry->menu(), nullptr);
        }
    }
    // The SMS popup has no VDP entry: its position 1 is the Sprite Limit item.
    EXPECT_EQ(entry_at(bar, {1, 6, 4, 1}), qt.action(cmd::kSmsSpriteLimit));

    // Every key of the language file finds its popup or its items.
    for (const LangKey& key : lang_keys()) {
        SCOPED_TRACE(key.name);
        for (const auto& path : key.popups) {
            QAction* entry = entry_at(bar, path);
            ASSERT_NE(entry, nullptr);
            EXPECT_NE(entry->menu(), nullptr);
        }
        for (u32 id : key.commands)
            EXPECT_EQ(qt.action(id) != nullptr, !kNotInMenu.count(id)) << id;
    }
}

TEST_F(MenuBarTest, ItemsShowTheirShortcutsAndEveryShortcutIsAnAccelerator) {
    const std::map<u32, const char*> items = {
        {33040, "&Load ROM...\tAlt L"},
        {33864, "Boot S&ega CD"},
        {33041, "L&oad State...\tF3"},
        {33042, "&Save State...\tF2"},
        {33888, "Load &Demo..."},
        {33868, "Sa&ve Demo...\tF8"},
        {33861, "Load &Patch..."},
        {33862, "Save S&creenshot...\tF9"},
        {33895, "Save &Wave Log...\tF6"},
        {57665, "E&xit\tAlt X"},
        {33908, "&Radazar Ezevorarir"},
        {33940, "About KestG&en.DLL..."},
        {33941, "About Kest&32X.DLL..."},
        {57664, "&About VARN...\tF1"},
        {32795, "Single\tAlt -"},
        {32796, "Double\tAlt +"},
        {32797, "Full Screen\tF4"},
        {32972, "&Disable Z80"},
        {32854, "Define &Keys..."},
        {32925, "Define &Joystick..."},
        {32771, "Genesis..."},
        {32780, "SMS (J)..."},
        {33818, "Konami Justifier (2nd Gun)"},
        {33835, "Justifier (2nd Gun)"},
    };
    for (const auto& [id, text] : items) {
        ASSERT_NE(qt.action(id), nullptr) << id;
        EXPECT_EQ(qt.action(id)->text(), text) << id;
    }

    // A shortcut an item shows is an accelerator that reaches that item's command.
    std::map<std::string, u32> accelerators;
    for (const Accelerator& a : accelerator_table())
        accelerators[std::string(a.shown)] = accelerator_target(a.id);
    for (u32 id : all_item_ids()) {
        const QString text = qt.action(id)->text();
        const auto tab     = text.indexOf('\t');
        if (tab < 0) continue;
        const std::string shown = text.mid(tab + 1).toStdString();
        ASSERT_TRUE(accelerators.count(shown)) << shown;
        EXPECT_EQ(accelerators[shown], id) << shown;
    }
    // The accelerators without a menu item: slots, pause, reset, mouse capture, Alt+Z and
    // the two without a handler.
    const std::map<std::string, u32> others = {
        {"0", 33850},  {"9", 33859},     {"Alt P", 33043},  {"Alt R", 33801},
        {"F5", 33848}, {"Alt Z", 32972}, {"Alt F6", 36008}, {"F7", 36009},
    };
    for (const auto& [shown, id] : others) EXPECT_EQ(accelerators[shown], id) << shown;
    EXPECT_EQ(accelerators.size(), accelerator_table().size());  // no chord twice
}

TEST_F(MenuBarTest, LanguageFileRenamesItemsAndPopupsKeepingTheirPlace) {
    lang_apply(
        "MEN_FIL_LST=Charger\nMEN_FIL_EXT=Quitter\nMEN_FIL_SCD=\n"
        "MEN_CFG_GFX=Grafik\nMEN_CFG_INP_PLXX_DSL=Gerät\nMEN_CFG_MAC_MSC_CTR_U=Amerika\n",
        qt);
    EXPECT_EQ(qt.action(33041)->text(), "Charger...\tF3");
    EXPECT_EQ(qt.action(57665)->text(), "Quitter\tAlt X");
    EXPECT_EQ(qt.action(33864)->text(), "");
    EXPECT_EQ(entry_at(bar, {1, 1})->text(), "Grafik");
    EXPECT_NE(entry_at(bar, {1, 1})->menu(), nullptr);
    for (u32 p = 0; p < 8; ++p) EXPECT_EQ(entry_at(bar, {1, 3, p, 0})->text(), "Gerät");
    EXPECT_EQ(qt.action(32945)->text(), "Amerika");
    // The region order items take the new name at the next refresh.
    OptionModel model(qt, host);
    model.menu_refresh_checks();
    EXPECT_EQ(qt.action(32942)->text(), "Amerika");
}

// Every item through the real menu does what the option model does for its id, and the
// menu's check marks are the model's, whatever the toolkit does to a checkable item.
TEST_F(MenuBarTest, EveryItemThroughTheMenuStoresAndMarksAsTheModelDoes) {
    OptionModel through_menu(qt, host);
    qt.on_command = [&](u32 id) { through_menu.command(id); };
    test::RecordingMenu expected_menu;
    test::RecordingHost expected_host;
    OptionModel expected(expected_menu, expected_host);

    auto snapshot = [] {
        std::vector<u32> words;
        for (const ConfigKey& k : config_keys())
            if (k.word != nullptr) words.push_back(cfg(*k.word));
        words.push_back(cfg(sound_output_mask));
        words.push_back(cfg(ym2612_output_mask));
        return words;
    };
    through_menu.menu_refresh_checks();
    for (u32 id : all_item_ids()) {
        SCOPED_TRACE(testing::Message() << "item " << id);
        // Twice, so that toggles come back and choices repeat.
        for (int round = 0; round < 2; ++round) {
            const auto before = snapshot();
            host.calls.clear();
            qt.action(id)->trigger();
            const auto after_menu = snapshot();
            const auto calls      = host.calls;
            // The same command from the same state, on the model alone.
            config_load_defaults(config_keys());
            std::vector<u32> words = before;
            u32 i                  = 0;
            for (const ConfigKey& k : config_keys())
                if (k.word != nullptr) cfg_set(*k.word, words[i++]);
            cfg_set(sound_output_mask, words[i++]);
            cfg_set(ym2612_output_mask, words[i++]);
            expected_host.calls.clear();
            expected.command(id);
            EXPECT_EQ(after_menu, snapshot());
            EXPECT_EQ(calls, expected_host.calls);
        }
        expected_menu.checked.clear();
        expected.menu_refresh_checks();
        for (u32 item : all_item_ids()) {
            QAction* a    = qt.action(item);
            const auto it = expected_menu.checked.find(item);
            if (it == expected_menu.checked.end()) {
                EXPECT_FALSE(a->isChecked()) << item;  // never marked by the model
            } else {
                EXPECT_EQ(a->isChecked(), it->second) << item;
            }
        }
    }
}

// ---- The window in the running program ----

class QuietApp : public EmuApp {
  public:
    std::vector<std::string> messages;

  protected:
    void message_box(const std::string& text) override { messages.push_back(text); }
};

class MainFrameTest : public EmuAppTest {
  protected:
    void SetUp() override {
        EmuAppTest::SetUp();
        config_load_defaults(config_keys());
        state_slot = 0;
    }
    void TearDown() override {
        media_set_ui(nullptr);
        config_load_defaults(config_keys());
        state_slot = 0;
        EmuAppTest::TearDown();
    }
    static bool paused() { return (emu_state_flags.load() & kStatePaused) != 0; }
};

TEST_F(MainFrameTest, StatusBarShowsTheThreadStateAndTheSlotWithItsFileType) {
    QuietApp app;
    ASSERT_TRUE(app.start());
    MainFrame& frame = *app.frame();
    EXPECT_EQ(frame.status_pane(0)->text(), "");
    EXPECT_EQ(frame.status_pane(1)->text(), "");
    EXPECT_EQ(frame.status_pane(2)->text(), "K");
    EXPECT_EQ(frame.status_pane(3)->text(), "VK0");

    app.command(33850 + 7);  // key 7
    EXPECT_EQ(state_slot, 7u);
    EXPECT_EQ(frame.status_pane(3)->text(), "VK7");
    cfg_set(cfg_state_filter_index, 2);  // the foreign state type chosen in the state dialog
    app.command(33850 + 3);
    EXPECT_EQ(frame.status_pane(3)->text(), "GS3");

    // In full screen the panes are left alone until a windowed size returns.
    cfg_set(cfg_screen_size, 2);
    app.command(33850 + 5);
    EXPECT_EQ(state_slot, 5u);
    EXPECT_EQ(frame.status_pane(3)->text(), "GS3");
    cfg_set(cfg_screen_size, 0);
    frame.update_status_bar();
    EXPECT_EQ(frame.status_pane(3)->text(), "GS5");
    frame.close();
}

// The emulation thread's request wakes the window through its queued drain, which then
// runs on the window's thread.
TEST_F(MainFrameTest, RequestPostedFromAnotherThreadIsDrainedByTheWindow) {
    QuietApp app;
    ASSERT_TRUE(app.start());
    MainFrame& frame = *app.frame();
    QApplication::processEvents();  // the queue starts empty, so the next post wakes it
    frame.status_pane(2)->setText("x");
    std::thread poster([] { gui_post_to_frame(0, kRequestThreadStateChanged); });
    poster.join();
    EXPECT_EQ(frame.status_pane(2)->text(), "x");  // nothing runs on the posting thread
    QApplication::processEvents();
    EXPECT_NE(frame.status_pane(2)->text(), "x");
    frame.close();
}

TEST_F(MainFrameTest, OpeningAndClosingTheMenuPausesAndResumesOnce) {
    QuietApp app;
    ASSERT_TRUE(app.start());
    MainFrame& frame = *app.frame();
    frame.show();
    QMenu* file   = entry_at(*frame.menuBar(), {0})->menu();
    QMenu* config = entry_at(*frame.menuBar(), {1})->menu();
    ASSERT_TRUE(file && config);

    file->popup(frame.mapToGlobal(QPoint(0, 0)));
    QApplication::processEvents();
    EXPECT_TRUE(paused());
    EXPECT_EQ(emu_pause_req.load(), kPauseMenu);
    EXPECT_FALSE(app.sound()->streaming());

    // From one menu title to the next is the same menu session.
    file->hide();
    config->popup(frame.mapToGlobal(QPoint(40, 0)));
    QApplication::processEvents();
    EXPECT_TRUE(paused());

    config->hide();
    QApplication::processEvents();
    EXPECT_FALSE(paused());
    EXPECT_EQ(emu_pause_req.load(), 0u);
    EXPECT_TRUE(app.sound()->streaming());

    // A menu opened with the focus pause in force does not resume on closing.
    frame.focus_lost();
    file->popup(frame.mapToGlobal(QPoint(0, 0)));
    QApplication::processEvents();
    file->hide();
    QApplication::processEvents();
    EXPECT_TRUE(paused());
    EXPECT_EQ(emu_pause_req.load(), kPauseFocus);
    frame.focus_gained();
    EXPECT_FALSE(paused());
    frame.close();
}

TEST_F(MainFrameTest, FocusGatesTheInputAndPausesOnlyWithAutoPause) {
    QuietApp app;
    ASSERT_TRUE(app.start());
    MainFrame& frame = *app.frame();
    input_set_keyboard_ok(true);

    struct Case {
        u32 auto_pause;
        u32 gui_ready;
        bool pauses;
    } cases[] = {{1, 1, true}, {0, 1, false}, {1, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "auto-pause " << c.auto_pause << " ready " << c.gui_ready);
        cfg_set(cfg_auto_pause_focus, c.auto_pause);
        gui_ready.store(c.gui_ready);
        // A key held when the focus goes would never see its release: the keys are cleared,
        // and the devices are not read until the focus returns.
        input_set_key(0x2C, true);  // Z
        frame.focus_lost();
        EXPECT_FALSE(input_window_has_focus());
        EXPECT_EQ(paused(), c.pauses);
        HostInputState state;
        input_devices_poll(state);
        EXPECT_EQ(state.keyboard[0x2C], 0);
        frame.focus_gained();
        EXPECT_TRUE(input_window_has_focus());
        EXPECT_FALSE(paused());
        input_set_key(0x2C, true);
        input_devices_poll(state);
        EXPECT_NE(state.keyboard[0x2C], 0);
        input_set_key(0x2C, false);
        gui_ready.store(1);
    }
    frame.close();
}

TEST_F(MainFrameTest, OptionItemsAndAcceleratorsReachTheConfiguration) {
    QuietApp app;
    ASSERT_TRUE(app.start());
    QtMenu& menu = *app.frame()->menu();
    struct Case {
        u32 item;
        ConfigWord* word;
        u32 value;
        int checked;  // -1: the item takes no mark
    } cases[] = {
        {33878, &cfg_auto_pause_focus, 0, 0}, {32793, &cfg_frame_skip, 3, 1},
        {32945, &cfg_region, 1, 1},           {32955, &cfg_port_device[0], 4, 1},
        {33829, &cfg_port_device[6], 1, 1},   {33901, &cfg_scd_ram_cart_size, 2, 1},
        {32853, &cfg_input_device[0], 3, 1},  {33921, &cfg_game_name_search_order, 4, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        menu.action(c.item)->trigger();
        EXPECT_EQ(cfg(*c.word), c.value);
        if (c.checked >= 0) {
            EXPECT_EQ(menu.action(c.item)->isChecked(), c.checked == 1);
        }
    }
    // Alt+Z reaches the menu's Disable Z80.
    app.command(36013);
    EXPECT_EQ(cfg(cfg_disable_z80), 1u);
    EXPECT_TRUE(menu.action(32972)->isChecked());
    // Alt+Num + and Alt+Num -: the keypad's keys only.
    auto key = [&](int k, Qt::KeyboardModifiers m) {
        QKeyEvent press(QEvent::KeyPress, k, m);
        QApplication::sendEvent(app.frame(), &press);
    };
    key(Qt::Key_Plus, Qt::AltModifier);
    EXPECT_EQ(cfg(cfg_screen_size), 0u);
    key(Qt::Key_Plus, Qt::AltModifier | Qt::KeypadModifier);
    EXPECT_EQ(cfg(cfg_screen_size), 1u);
    EXPECT_TRUE(menu.action(32796)->isChecked());
    key(Qt::Key_Minus, Qt::AltModifier | Qt::KeypadModifier);
    EXPECT_EQ(cfg(cfg_screen_size), 0u);
    // The digits choose the state slot; the keypad's digits are the pad's directions.
    key(Qt::Key_8, Qt::KeypadModifier);
    EXPECT_EQ(state_slot, 0u);
    key(Qt::Key_8, Qt::NoModifier);
    EXPECT_EQ(state_slot, 8u);
    // No joystick: the device stays and the message says why.
    menu.action(32851)->trigger();
    EXPECT_EQ(cfg(cfg_input_device[0]), 3u);
    EXPECT_EQ(app.messages, std::vector<std::string>{"Could not initialize joystick."});
    // Define Keys without a keyboard and the capture key without a mouse do nothing.
    input_set_keyboard_ok(false);
    input_set_mouse_ok(false);
    menu.action(32854)->trigger();
    EXPECT_EQ(define_input_dialog, nullptr);
    app.command(33848);  // F5
    EXPECT_FALSE(input_mouse_captured());
    // Ids without a handler do nothing.
    for (u32 id : {36008u, 36009u, 32826u, 33867u}) app.command(id);
    EXPECT_FALSE(menu.action(32826)->isChecked());
    app.frame()->close();
}

// A naming library writes at most the length it is given and then its terminator.
unsigned about_length = 0;
int fake_about(char* buffer, unsigned length) {
    about_length = length;
    std::memset(buffer, 'v', length);
    buffer[length] = '\0';
    return 1;
}

TEST_F(MainFrameTest, NamingLibraryAboutFillsItsBufferWithoutOverrun) {
    QuietApp app;
    ASSERT_TRUE(app.start());
    const NamerLibrary saved  = kestgen_lib;
    const u32 saved_available = kestgen_available;
    kestgen_lib.about         = fake_about;
    kestgen_available         = 1;
    app.command(33940);
    kestgen_lib       = saved;
    kestgen_available = saved_available;
    EXPECT_EQ(about_length, 255u);
    ASSERT_EQ(app.messages.size(), 1u);
    EXPECT_EQ(app.messages[0], std::string(255, 'v'));
    app.frame()->close();
}

TEST_F(MainFrameTest, LoadRomRunsUnderTheFilePauseAndLeavesTheGameRunning) {
    QuietApp app;
    ASSERT_TRUE(app.start());
    HeadlessUi ui;
    media_set_ui(&ui);
    ui.file = FileChoice{VARN_TESTDATA_DIR "/roms/genesis/version-check.bin", 1};
    // Chosen from the menu: the menu's pause is in force when the command starts.
    app.frame()->menu_opened();
    app.command(33040);
    EXPECT_EQ(emu_pause_req.load(), 0u);
    EXPECT_FALSE(paused());
    EXPECT_TRUE(app.sound()->streaming());
    EXPECT_NE(emu_state_flags.load() & kStateMachineRunning, 0u);
    // The game runs: the thread reaches its frame ends and answers a pause.
    emu_pause_request(kPauseUser);
    EXPECT_EQ(emu_thread_state.load(), kThreadPaused);
    emu_resume_request(kPauseUser);

    // Cancelled: the machine is closed and the pauses are released all the same.
    ui.file.reset();
    app.command(36001);  // Alt+L
    EXPECT_EQ(emu_pause_req.load(), 0u);
    EXPECT_FALSE(paused());
    EXPECT_EQ(emu_state_flags.load() & kStateMachineRunning, 0u);
    app.frame()->close();
}

}  // namespace
}  // namespace varn
