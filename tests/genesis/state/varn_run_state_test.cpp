// varn-run's --save-state and --load-state as a user runs them: a child process.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_files.h"
#include "support/varn_run.h"

namespace varn::test {
namespace {

std::filesystem::path temp_file(const std::string& name) {
    return test::temp_file("varn_state_test", name);
}

TEST(VarnRunState, SavesAStateThatLoadsAndRefusesADamagedOne) {
    const std::string cart =
        (std::filesystem::path(VARN_TESTPROG_DIR) / "state_busy_cart.bin").string();
    const auto saved   = temp_file("a.vk0");
    const auto resaved = temp_file("b.vk0");
    const auto damaged = temp_file("c.vk0");

    auto r = run_varn("--frames 30 --fake-clock --save-state " + saved.string() + " " + cart);
    ASSERT_EQ(r.status, 0) << r.output;
    const auto bytes = read_file(saved);
    ASSERT_EQ(bytes.size(), 139934u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "SS!");

    r = run_varn("--frames 1 --fake-clock --load-state " + saved.string() + " --save-state " +
                 resaved.string() + " " + cart);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(read_file(resaved).size(), 139934u);

    std::ofstream(damaged, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), 1000);
    r = run_varn("--load-state " + damaged.string() + " " + cart);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("Error loading state, file is damaged or invalid."), std::string::npos)
        << r.output;
    r = run_varn("--load-state /nonexistent/x.vk0 " + cart);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("cannot open"), std::string::npos) << r.output;

    for (const auto& f : {saved, resaved, damaged}) std::filesystem::remove(f);
}

}  // namespace
}  // namespace varn::test
