// The window program's start-up and shut-down, its request handling and its picture, on
// Qt's offscreen platform with SDL's dummy sound driver.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QStatusBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "base/config.h"
#include "frontend/emu_app.h"
#include "frontend/host/display.h"
#include "frontend/host/request_queue.h"
#include "frontend/host/sound_output.h"
#include "frontend/main_frame.h"
#include "genesis/io/demo_stream.h"
#include "runtime/thread_link.h"
#include "settings/ini_file.h"
#include "settings/lang_texts.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

// Runs the real steps, records their order and can make one of them fail.
class RecordingApp : public EmuApp {
  public:
    std::vector<std::string> steps;
    std::vector<std::string> messages;
    std::string fail;

  protected:
    bool step(const char* name, bool ok) {
        steps.push_back(name);
        return ok && fail != name;
    }
    bool components_init() override { return step("components", EmuApp::components_init()); }
    bool create_frame() override { return step("frame", EmuApp::create_frame()); }
    void lang_load() override { steps.push_back("lang"), EmuApp::lang_load(); }
    bool cpu_check() override {
        if (fail == "cpu") {
            steps.push_back("cpu");
            message_box(lang_text(lang::ERM_SYS_MMX));
            return false;
        }
        return step("cpu", EmuApp::cpu_check());
    }
    void ini_read() override { steps.push_back("ini_read"), EmuApp::ini_read(); }
    void dll_bind_optional() override { steps.push_back("dll_bind"), EmuApp::dll_bind_optional(); }
    void display_pre_init() override { steps.push_back("display_pre"), EmuApp::display_pre_init(); }
    bool display_init() override {
        if (fail == "display") {
            steps.push_back("display");
            message_box(lang_text(lang::ERM_GFX_DX));
            return false;
        }
        return step("display", EmuApp::display_init());
    }
    void sound_init() override { steps.push_back("sound"), EmuApp::sound_init(); }
    void input_init() override { steps.push_back("input"), EmuApp::input_init(); }
    bool thread_start() override {
        if (fail == "thread") return step("thread", false);
        return step("thread", EmuApp::thread_start());
    }
    void machine_close() override { steps.push_back("machine_close"), EmuApp::machine_close(); }
    void thread_end() override { steps.push_back("thread_end"), EmuApp::thread_end(); }
    void code_cache_release() override {
        steps.push_back("code_cache_release"), EmuApp::code_cache_release();
    }
    void ini_write() override { steps.push_back("ini_write"), EmuApp::ini_write(); }
    void dll_release() override { steps.push_back("dll_release"), EmuApp::dll_release(); }
    void devices_release() override { steps.push_back("devices"), EmuApp::devices_release(); }
    void message_box(const std::string& text) override { messages.push_back(text); }
};

const std::vector<std::string> kStartSteps    = {"components", "frame",    "lang",        "cpu",
                                                 "ini_read",   "dll_bind", "display_pre", "display",
                                                 "sound",      "input",    "thread"};
const std::vector<std::string> kShutdownSteps = {
    "machine_close", "thread_end", "code_cache_release", "ini_write", "dll_release", "devices"};

TEST_F(EmuAppTest, StartUpAndShutDownRunInOrderAndTheSettingsAreWrittenAtExit) {
    RecordingApp app;
    ASSERT_TRUE(app.start());
    EXPECT_EQ(app.steps, kStartSteps);
    EXPECT_TRUE(app.messages.empty());
    EXPECT_EQ(gui_ready.load(), 1u);
    EXPECT_TRUE(emu_thread_alive());
    EXPECT_EQ(emu_thread_state.load(), kThreadIdle);
    EXPECT_EQ(cfg(cfg_enable_status_bar), 1u);
    ASSERT_NE(app.sound(), nullptr);
    EXPECT_TRUE(app.sound()->enabled());

    app.steps.clear();
    app.frame()->close();  // the close box
    EXPECT_EQ(app.steps, kShutdownSteps);
    EXPECT_EQ(gui_ready.load(), 0u);
    EXPECT_FALSE(emu_thread_alive());
    const std::string text = ini_text();
    EXPECT_NE(text.find("ScreenSize=0"), std::string::npos) << text;

    app.steps.clear();
    app.shutdown();  // a second close does nothing
    EXPECT_TRUE(app.steps.empty());
}

TEST_F(EmuAppTest, StartUpThatEndsEarlyWritesNoSettingsAndLeavesNoThread) {
    struct Case {
        const char* fail;
        const char* message;  // nullptr: none expected
    };
    const Case cases[] = {
        {"cpu", "VARN requires MMX."},
        {"display", "You must have DirectX installed."},
        {"thread", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fail);
        {
            RecordingApp app;
            app.fail = c.fail;
            EXPECT_FALSE(app.start());
            ASSERT_FALSE(app.steps.empty());
            EXPECT_EQ(app.steps.back(), c.fail);
            for (const std::string& s : kShutdownSteps)
                EXPECT_EQ(std::count(app.steps.begin(), app.steps.end(), s), 0) << s;
            if (c.message != nullptr) {
                EXPECT_EQ(app.messages, std::vector<std::string>{c.message});
            }
            EXPECT_EQ(gui_ready.load(), 0u);
            EXPECT_FALSE(emu_thread_alive());
        }
        // The reader may have created the file empty; nothing was written into it.
        EXPECT_TRUE(!fs::exists(ini()) || fs::file_size(ini()) == 0);
        ini_file_path.clear();
    }
}

TEST_F(EmuAppTest, PauseToggleWorksWithoutAMachine) {
    RecordingApp app;
    ASSERT_TRUE(app.start());
    app.toggle_pause();
    EXPECT_NE(emu_state_flags.load() & kStatePaused, 0u);
    EXPECT_FALSE(app.sound()->streaming());
    app.toggle_pause();
    EXPECT_EQ(emu_state_flags.load() & kStatePaused, 0u);
    EXPECT_TRUE(app.sound()->streaming());
    app.frame()->close();
}

TEST_F(EmuAppTest, ResetDropsADemoAndRebootsWithoutAnImageLeavingTheThreadIdle) {
    RecordingApp app;
    ASSERT_TRUE(app.start());
    demo_recording.store(1);
    demo_mode.store(1);
    app.reset();
    EXPECT_EQ(demo_recording.load(), 0u);
    EXPECT_EQ(demo_mode.load(), 0u);
    EXPECT_EQ(emu_state_flags.load() & kStatePaused, 0u);
    EXPECT_EQ(emu_thread_state.load(), kThreadIdle);
    app.frame()->close();
}

TEST_F(EmuAppTest, WindowHandlesTheThreadsRequests) {
    RecordingApp app;
    ASSERT_TRUE(app.start());
    MainFrame& frame = *app.frame();
    std::vector<u32> cd;
    frame.on_cd_request = [&](const ThreadRequest& r) { cd.push_back(r.code); };

    QLabel* pane = frame.status_pane(2);  // the thread state
    EXPECT_EQ(pane->text(), "K");
    emu_thread_state.store(kThreadFastForward);
    frame.handle_request({kRequestThreadStateChanged, 0});
    EXPECT_EQ(pane->text(), "FF");
    emu_thread_state.store(kThreadIdle);

    frame.handle_request({0x30000001, 150});
    frame.handle_request({0x30000007, 0});
    frame.handle_request({0x40000000, 0});  // not a request of this program
    EXPECT_EQ(cd, (std::vector<u32>{0x30000001, 0x30000007}));

    // Posted from the thread side, the requests arrive through the event loop.
    gui_post_to_frame(0, kRequestStop);
    emu_thread_state.store(kThreadPaused);
    gui_post_to_frame(0, kRequestThreadStateChanged);
    QApplication::processEvents();
    EXPECT_EQ(pane->text(), "P");
    emu_thread_state.store(kThreadIdle);
    app.frame()->close();
}

// The picture: the finished frame, scaled by nearest neighbour into the destination.
TEST_F(EmuAppTest, WindowPaintsTheFinishedFrameScaled) {
    RecordingApp app;
    ASSERT_TRUE(app.start());
    MainFrame& frame    = *app.frame();
    FrameImages& images = display_frame_images();
    FrameSurface s      = images.drawing_surface();
    for (u32 y = 0; y < 480; ++y)
        for (u32 x = 0; x < 640; ++x)
            s.pixels[y * s.pitch + x] = static_cast<u16>(((x & 31) << 11) | ((y & 63) << 5) | 7);
    images.present();

    for (u32 size : {0u, 1u}) {
        SCOPED_TRACE(size);
        cfg_screen_size.store(size);
        frame.fit_to_mode();
        const u32 scale = size + 1;
        EXPECT_EQ(frame.display()->width(), static_cast<int>(320 * scale));
        EXPECT_EQ(frame.display()->height(), static_cast<int>(224 * scale));
        const QImage shot = frame.display()->grab().toImage().convertToFormat(QImage::Format_RGB16);
        ASSERT_EQ(shot.width(), static_cast<int>(320 * scale));
        int wrong = 0;
        for (u32 y = 0; y < 224 * scale; ++y) {
            for (u32 x = 0; x < 320 * scale; ++x) {
                const u16 want = s.pixels[(y / scale) * s.pitch + x / scale];
                const u16 got  = reinterpret_cast<const u16*>(shot.constScanLine(y))[x];
                wrong += want != got;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    app.frame()->close();
}

// Full screen covers the desktop as it is; the area of the configured full-screen size is
// scaled onto it keeping its shape, with black bars.
TEST_F(EmuAppTest, FullScreenLetterboxesTheConfiguredAreaOnTheDesktop) {
    RecordingApp app;
    ASSERT_TRUE(app.start());
    MainFrame& frame = *app.frame();
    cfg_custom_fullscreen_x.store(640);
    cfg_custom_fullscreen_y.store(400);
    cfg_screen_size.store(2);
    frame.enter_fullscreen();
    QApplication::processEvents();
    const QRect widget = frame.display()->rect();
    const QRect area   = frame.display()->area_on_widget();
    ASSERT_GT(widget.width(), 0);
    EXPECT_NEAR(area.width() * 400.0 / area.height(), 640.0, 4.0);
    EXPECT_TRUE(area.width() == widget.width() || area.height() == widget.height());
    EXPECT_NEAR(area.center().x(), widget.center().x(), 1);
    EXPECT_NEAR(area.center().y(), widget.center().y(), 1);
    EXPECT_FALSE(frame.statusBar()->isVisible());

    cfg_screen_size.store(0);
    frame.enter_windowed();
    QApplication::processEvents();
    EXPECT_EQ(frame.display()->width(), 320);
    EXPECT_EQ(frame.display()->height(), 224);
    cfg_custom_fullscreen_x.store(640);
    cfg_custom_fullscreen_y.store(480);
    app.frame()->close();
}

}  // namespace
}  // namespace varn
