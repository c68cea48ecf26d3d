// The shared 32X images on the earlier machine, through the headless runner.

#include <gtest/gtest.h>

#include <string>

#include "support/test_files.h"
#include "support/varn_run.h"

namespace varn::test {
namespace {

// The last "frame-crc" line of the runner's output.
std::string last_crc(const std::string& output) {
    const auto at = output.rfind("frame-crc ");
    return at == std::string::npos ? "" : output.substr(at + 10, 8);
}

TEST(LegacyS32xImages, RunOnTheEarlierMachineWithoutAHalt) {
    const auto gema   = testdata_file("roms/32x/gema-soundtest_mars.32x");
    const auto nikona = testdata_file("roms/32x/nikona-rom_mars.32x");
    if (gema.empty() || nikona.empty()) GTEST_SKIP() << "shared test images not present";
    const std::string args = "--legacy --fake-clock --filter 2 --32x-system-roms off --frame-crc ";
    // The sound tester's screen is the Genesis layer alone: the same picture as the main
    // machine's at this frame.
    auto r = run_varn(args + "--frames 300 " + gema.string());
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(last_crc(r.output), "db0e298d");
    r = run_varn(args + "--frames 120 " + nikona.string());
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("frames 120 "), std::string::npos) << r.output;
}

}  // namespace
}  // namespace varn::test
