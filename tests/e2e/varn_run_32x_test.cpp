// varn-run with a 32X image: the boot with and without the system ROMs, and the state that a
// 32X machine cannot save.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_files.h"
#include "support/varn_run.h"

namespace varn::test {
namespace {

TEST(VarnRun32x, BootsFromTheHeaderAndRefusesToSaveAState) {
    const auto image = testdata_file("roms/32x/nikona-rom_mars.32x");
    if (image.empty()) GTEST_SKIP() << "shared test images not present";
    const auto state = temp_file("VarnRun32x", "state.gs0");
    std::filesystem::remove(state);
    auto r = run_varn("--filter 2 --32x-system-roms off --frames 30 --save-state " +
                      state.string() + " " + image.string());
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("frames 30 "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Saving a state is not supported for this machine"), std::string::npos)
        << r.output;
    EXPECT_FALSE(std::filesystem::exists(state));

    // With the system ROMs on and no files configured the boot stops with the loader's
    // message; a bad setting value is refused before anything runs.
    r = run_varn("--filter 2 --frames 1 " + image.string());
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("not found"), std::string::npos) << r.output;
    r = run_varn("--filter 2 --32x-system-roms maybe " + image.string());
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("takes on or off"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace varn::test
