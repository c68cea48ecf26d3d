// varn-run --bench: unpaced frames, then frames a second on a line of its own.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/test_files.h"
#include "support/varn_run.h"

namespace varn::test {
namespace {

TEST(VarnRunBench, PrintsFramesASecondAfterTheRun) {
    const auto image = testdata_file("roms/genesis/version-check.bin");
    if (image.empty()) GTEST_SKIP() << "shared test images not present";
    const auto r              = run_varn("--frames 120 --bench " + image.string());
    const std::string& output = r.output;
    EXPECT_EQ(r.status, 0) << output;
    EXPECT_NE(output.find("frames 120 slices "), std::string::npos) << output;
    unsigned long fps = 0;
    const auto at     = output.find("\nfps ");
    ASSERT_NE(at, std::string::npos) << output;
    EXPECT_EQ(std::sscanf(output.c_str() + at, "\nfps %lu", &fps), 1) << output;
    EXPECT_GT(fps, 0u);
}

}  // namespace
}  // namespace varn::test
