// varn-run's file options as a user scripts them: a child process.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_files.h"
#include "support/varn_run.h"

namespace varn::test {
namespace {

namespace fs = std::filesystem;

fs::path temp(const std::string& name) { return temp_file("varn_run_file_test", name); }

void write_text(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

TEST(VarnRunFiles, PatchesScreenshotsAndDemos) {
    const auto cart  = testdata_file("roms/genesis/sgdk-joy-test.bin");
    const auto patch = testdata_file("fixtures/derived/title-patch.ips");
    if (cart.empty() || patch.empty()) GTEST_SKIP() << "shared test images absent";
    const auto shot = temp("shot.png");
    const auto demo = temp("pad.dem");
    const auto junk = temp("junk.bin");
    // Three-button pads on both ports; ten frames without input.
    write_text(demo, std::string("VARNDEMO\0\0\0\0\1\0\0\0\1\0\0\0\0\12\0", 23));
    write_text(junk, "PATCH and more");

    auto r = run_varn("--frames 20 --fake-clock --ips " + patch.string() + " --play-demo " +
                      demo.string() + " --screenshot " + shot.string() + " " + cart.string());
    EXPECT_EQ(r.status, 0) << r.output;
    const auto png = read_file(shot);
    ASSERT_GT(png.size(), 57u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");

    const std::pair<std::string, std::string> failures[] = {
        {"--ips " + junk.string(), "Invalid patch."},
        {"--ips /nonexistent/x.ips", "cannot open /nonexistent/x.ips"},
        {"--play-demo " + junk.string(), "not a demo file"},
        {"--screenshot /nonexistent/dir/x.png", "/nonexistent/dir/x.png"},
        {"--save-state /nonexistent/dir/x.vk0", "/nonexistent/dir/x.vk0"},
    };
    for (const auto& [option, message] : failures) {
        r = run_varn("--frames 2 --fake-clock " + option + " " + cart.string());
        EXPECT_EQ(r.status, 2) << option << "\n" << r.output;
        EXPECT_NE(r.output.find(message), std::string::npos) << option << "\n" << r.output;
    }
    for (const auto& p : {shot, demo, junk}) fs::remove(p);
}

TEST(VarnRunFiles, ASaveRamFileThatCannotBeWrittenFailsTheRun) {
    // The cartridge's header declares save RAM: the close writes its file.
    const auto cart = testdata_file("roms/genesis/sgdk-joy-test.bin");
    if (cart.empty()) GTEST_SKIP() << "shared test images absent";
    const auto folder = temp("brm");
    fs::remove_all(folder);
    write_text(folder, "a file where the save RAM folder should be");
    auto r =
        run_varn("--frames 2 --fake-clock --brm-path " + folder.string() + " " + cart.string());
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find(folder.string() + "/"), std::string::npos) << r.output;

    fs::remove(folder);
    fs::create_directory(folder);
    r = run_varn("--frames 2 --fake-clock --brm-path " + folder.string() + " " + cart.string());
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_FALSE(fs::is_empty(folder)) << "the save RAM file is written";
    fs::remove_all(folder);
}

}  // namespace
}  // namespace varn::test
