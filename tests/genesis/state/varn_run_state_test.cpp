// varn-run's --save-state and --load-state as a user runs them: a child process.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_files.h"

namespace varn::test {
namespace {

struct RunResult {
    int status = -1;
    std::string output;
};

RunResult run_varn(const std::string& args) {
    RunResult r;
    const std::string command = std::string(VARN_RUN_PATH) + " " + args + " 2>&1";
    std::FILE* pipe           = popen(command.c_str(), "r");
    if (pipe == nullptr) return r;
    std::array<char, 256> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) r.output += buffer.data();
    const int raw = pclose(pipe);
    r.status      = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

std::filesystem::path temp_file(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           ("varn_state_test_" + std::to_string(::getpid()) + "_" + name);
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
