// The File menu's commands: which file each takes (automatic names, dialog names and the
// state slot), and what the user is told.

#include "media/file_commands.h"

#include <fstream>

#include "files_fixture.h"
#include "genesis/io/demo_stream.h"
#include "media/machine_boot.h"
#include "media/media_ui.h"
#include "media/optional_libs.h"
#include "media/state_file.h"
#include "media/wav_log.h"
#include "settings/config_paths.h"
#include "settings/lang_texts.h"

namespace varn {
namespace {

namespace fs = std::filesystem;
using test::MediaMachineTest;
using test::read_file;
using test::ScratchFolder;

class TestUi : public HeadlessUi {
  public:
    void message_box(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

class FileCommandsTest : public MediaMachineTest {
  protected:
    void SetUp() override {
        MediaMachineTest::SetUp();
        media_set_ui(&ui);
        boot_names.game_name = "GAME";
        for (std::string* setting : {&cfg_state_path, &cfg_patch_path, &cfg_screenshot_path,
                                     &cfg_demo_path, &cfg_wave_path}) {
            *setting = folder_setting();
        }
        state_slot = 0;
    }
    void TearDown() override {
        (void)wav_log_stop();
        demo_recording = 0;
        media_set_ui(nullptr);
        boot_names = BootNames{};
        for (std::string* setting : {&cfg_state_path, &cfg_patch_path, &cfg_screenshot_path,
                                     &cfg_demo_path, &cfg_wave_path}) {
            *setting = ".\\";
        }
        for (ConfigWord* w : {&cfg_autoname_states, &cfg_autoname_screenshots, &cfg_autoname_waves})
            cfg_set(*w, 1);
        for (ConfigWord* w : {&cfg_autoname_demos, &cfg_autoname_patches}) cfg_set(*w, 0);
        cfg_set(cfg_state_filter_index, 1);
        state_slot = 0;
        MediaMachineTest::TearDown();
    }
    std::string folder_setting() const { return folder.path().string() + "/"; }

    ScratchFolder folder;
    TestUi ui;
};

TEST_F(FileCommandsTest, AutomaticStateNamesTakeTheFolderGameAndSlot) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    cfg_set(cfg_autoname_states, 1);
    cfg_set(cfg_state_filter_index, 2);  // Genecyst files chosen last
    state_slot = 4;
    state_save_dialog();  // always the program's own type
    EXPECT_TRUE(fs::exists(folder / "GAME.VK4"));

    EXPECT_EQ(state_load_dialog(), 1u);  // no GAME.GS4: nothing is loaded, and that is said
    EXPECT_EQ(ui.messages, std::vector<std::string>{std::string(kStateFileMissingText) + " " +
                                                    (folder / "GAME.GS4").string() + "."});
    ui.messages.clear();
    std::ofstream(folder / "GAME.GS4") << "too short to be a state";
    state_load_dialog();
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::TXT_STATE_LOAD_FAILED)});
}

TEST_F(FileCommandsTest, DialogStateNamesSetTheSlot) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    cfg_set(cfg_autoname_states, 0);
    state_slot = 3;
    ui.file    = FileChoice{(folder / "GAME").string(), 1};
    state_save_dialog();
    EXPECT_TRUE(fs::exists(folder / "GAME.VK3"));
    ui.file = FileChoice{(folder / "GAME.vk5").string(), 1};
    state_save_dialog();
    EXPECT_TRUE(fs::exists(folder / "GAME.vk5"));
    EXPECT_EQ(state_slot, 5u);

    fs::copy_file(folder / "GAME.VK3", folder / "GAME.VK7");
    ui.file = FileChoice{(folder / "GAME.VK7").string(), 1};
    EXPECT_EQ(state_load_dialog(), 1u);
    EXPECT_EQ(state_slot, 7u);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(config_host_path(cfg_state_path), folder_setting());

    ui.file.reset();  // cancel
    EXPECT_EQ(state_load_dialog(), 0u);
}

TEST_F(FileCommandsTest, PatchScreenshotDemoAndWaveTakeTheirNames) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    run_frames(3);

    // Load Patch through its dialog: the name typed without its extension gets it.
    std::ofstream(folder / "fix.IPS", std::ios::binary) << std::string(
        "PATCH\x00\x02\x00\x00\x01\xAB"
        "EOF",
        14);
    cfg_set(cfg_autoname_patches, 0);
    ui.file = FileChoice{(folder / "fix").string(), 1};
    patch_load_dialog();
    EXPECT_EQ(cart_rom[0x200], 0xAB);
    cfg_set(cfg_autoname_patches, 1);  // GAME.IPS: no patch
    std::ofstream(folder / "GAME.IPS") << "PATCHED";
    patch_load_dialog();
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_IP)});
    ui.messages.clear();

    // Save Screenshot: without zlib a message; with it the numbered names.
    const FrameSurface picture{
        render_surface.pixels, render_surface.pitch, screen_width, screen_height, 0, 0};
    screenshot_save_dialog(picture);
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_SHT)});
    ui.messages.clear();
    dll_bind_optional(LibraryBindOptions{});
    if (zlib_available != 0) {
        screenshot_save_dialog(picture);
        screenshot_save_dialog(picture);
        EXPECT_TRUE(fs::exists(folder / "GAME 000.PNG"));
        EXPECT_TRUE(fs::exists(folder / "GAME 001.PNG"));
    }
    dll_release();

    // Record Demo and Record Wave are toggles; the second use writes the file.
    cfg_set(cfg_autoname_demos, 1);
    demo_save_dialog();
    EXPECT_EQ(demo_recording, 1u);
    run_frames(5);
    demo_save_dialog();
    EXPECT_EQ(demo_recording, 0u);
    EXPECT_GE(fs::file_size(folder / "GAME.DEM"), kDemoHeaderBytes);

    wav_log_start_dialog();
    EXPECT_EQ(wav_logging, 1u);
    run_frames(5);
    wav_log_start_dialog();
    EXPECT_EQ(wav_logging, 0u);
    EXPECT_GT(fs::file_size(folder / "GAME.WAV"), kWavHeaderBytes);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
}

}  // namespace
}  // namespace varn
