#pragma once
// The window program on Qt's offscreen platform with SDL's dummy sound driver: one
// application object for the whole test program, a profile folder of its own per test.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/config.h"
#include "runtime/thread_link.h"
#include "settings/ini_file.h"

namespace varn {

namespace fs = std::filesystem;

// The one application object of the test program (offscreen, dummy sound).
inline QApplication& qt_application() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    static int argc          = 1;
    static char name[]       = "frontend_app_tests";
    static char* argv[]      = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class EmuAppTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { qt_application(); }
    void SetUp() override {
        profile = fs::temp_directory_path() /
                  ("varn_app_" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(profile);
        fs::create_directories(profile);
        setenv("XDG_CONFIG_HOME", profile.c_str(), 1);
        ini_file_path.clear();
        thread_link_reset();
        cfg_screen_size.store(0);
        cfg_frame_stretch_behavior.store(0);
    }
    void TearDown() override {
        fs::remove_all(profile);
        ini_file_path.clear();
        cfg_screen_size.store(0);
    }
    fs::path ini() const { return profile / "varn" / "VARN.INI"; }
    std::string ini_text() const {
        std::ifstream in(ini());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path profile;
};

}  // namespace varn
