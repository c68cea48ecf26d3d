// winvarn started from a shell as a new user starts it: asked for help, and where there is
// no display to open its window on.

#include <gtest/gtest.h>

#include <string>

#include "support/varn_run.h"

namespace varn::test {
namespace {

// The program with no display at all, or with one named that no server answers, and no
// platform chosen by the environment.
RunResult winvarn(const std::string& display, const std::string& args) {
    return run_command("env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + display + " " +
                       std::string(WINVARN_PATH) + " " + args);
}

TEST(WinvarnCommandLine, WithoutADisplayItSaysSoAndExits1) {
    for (const char* display : {"-u DISPLAY", "DISPLAY=:4711"}) {
        for (const char* args : {"", "game.bin"}) {
            const auto r = winvarn(display, args);
            EXPECT_EQ(r.status, 1) << display << " " << args << "\n" << r.output;
            EXPECT_NE(r.output.find("winvarn: needs a display"), std::string::npos)
                << display << "\n"
                << r.output;
            EXPECT_NE(r.output.find("varn-run"), std::string::npos) << r.output;
            // Qt's own start-up complaints are not passed on.
            EXPECT_EQ(r.output.find("qt.qpa"), std::string::npos) << r.output;
        }
    }
}

TEST(WinvarnCommandLine, HelpAndUnknownOptions) {
    auto r = winvarn("-u DISPLAY", "--help");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output.rfind("usage: winvarn [IMAGE]\n", 0), 0u) << r.output;
    EXPECT_NE(r.output.find("VARN.INI"), std::string::npos) << r.output;
    r = winvarn("-u DISPLAY", "-h");
    EXPECT_EQ(r.status, 0) << r.output;

    r = winvarn("QT_QPA_PLATFORM=offscreen", "--fullscreen");
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("winvarn: unknown option --fullscreen"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("usage: winvarn"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace varn::test
