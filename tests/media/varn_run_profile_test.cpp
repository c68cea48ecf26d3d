// The runner as a new user meets it: the image's extension picks the machine, the settings
// and files of a profile folder are the window's, and a boot that stops for a missing system
// ROM says where the file was looked for and what else can be done.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_files.h"
#include "support/varn_run.h"

namespace varn::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUndetermined = "Load type and/or Load mode could not be determined.";

void write_text(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A folder of its own per test, removed after it.
class VarnRunProfile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = temp_file("VarnRunProfile",
                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "elsewhere");
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The shared image under another name, linked (the shared files are used in place).
    fs::path named(const std::string& relative, const std::string& name) {
        const auto image = testdata_file(relative);
        if (image.empty()) return {};
        fs::create_symlink(image, dir_ / name);
        return dir_ / name;
    }

    fs::path dir_;
};

TEST_F(VarnRunProfile, TheExtensionPicksTheMachine) {
    struct Case {
        const char* image;  // in the shared test data
        const char* name;   // the name it is run under; null: its own
        bool boots;         // else the Sega CD boot stops for its BIOS
    };
    const Case cases[] = {
        {"roms/32x/nikona-rom_mars.32x", "GAME.32X", true},
        {"roms/sms/inlib_demo.sms", nullptr, true},
        {"roms/genesis/version-check.bin", nullptr, true},
        {"roms/genesis/version-check.bin", "game.gen", true},
        {"fixtures/derived/joy-test.md", nullptr, true},
        {"fixtures/derived/joy-test.smd", nullptr, true},
        {"fixtures/derived/joy-test-bin.zip", nullptr, true},
        {"roms/segacd/nikonamd/rom_mcd_u.cue", nullptr, false},
        {"roms/segacd/nikonamd/rom_mcd_u.iso", nullptr, false},
    };
    for (const Case& c : cases) {
        const fs::path image = c.name ? named(c.image, c.name) : testdata_file(c.image);
        if (image.empty()) GTEST_SKIP() << "shared test data not found: " << c.image;
        const auto r = run_varn("--32x-system-roms off --frames 2 --fake-clock " + image.string());
        EXPECT_EQ(r.output.find(kUndetermined), std::string::npos) << c.image << "\n" << r.output;
        if (c.boots) {
            EXPECT_EQ(r.status, 0) << c.image << "\n" << r.output;
            EXPECT_NE(r.output.find("frames 2 "), std::string::npos) << c.image << "\n" << r.output;
        } else {
            EXPECT_EQ(r.status, 2) << c.image << "\n" << r.output;
            EXPECT_NE(r.output.find("_9210.bin not found."), std::string::npos) << c.image << "\n"
                                                                                << r.output;
        }
    }
    // An option still chooses: the 32X image under the Genesis filter is not one.
    const auto image = testdata_file("roms/32x/nikona-rom_mars.32x");
    const auto r     = run_varn("--filter 1 --frames 1 " + image.string());
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find(kUndetermined), std::string::npos) << r.output;
}

TEST_F(VarnRunProfile, AMissing32xSystemRomSaysWhereAndHowToRunWithout) {
    const auto image = testdata_file("roms/32x/gema-soundtest_mars.32x");
    if (image.empty()) GTEST_SKIP() << "shared test data not found";
    // The window's default profile folder, as the environment names it.
    const fs::path config  = dir_ / "config";
    const fs::path profile = config / "varn";
    fs::create_directories(profile);
    // A settings file there is the window's, not the runner's: without --profile it is not
    // read (it would turn the system ROMs off).
    write_text(profile / "VARN.INI", "[Machine]\n32XUseSystemROMs=0\n");
    const std::string env = "XDG_CONFIG_HOME='" + config.string() + "'";

    auto r = run_varn("--frames 1 " + image.string(), dir_ / "elsewhere", env);
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find(".\\32X_M_BIOS.BIN not found."), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("looked up in " + profile.string()), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("--32x-system-roms off"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("frames "), std::string::npos) << r.output;

    // The files where the message says: the boot goes past them (to whatever the empty
    // system ROMs then do).
    for (const char* name : {"32X_M_BIOS.BIN", "32X_S_BIOS.BIN", "32X_G_BIOS.BIN"})
        write_text(profile / name, std::string(256, '\0'));
    r = run_varn("--frames 1 " + image.string(), dir_ / "elsewhere", env);
    EXPECT_NE(r.status, 2) << r.output;
    EXPECT_EQ(r.output.find("not found"), std::string::npos) << r.output;

    // With the option off nothing is missing and nothing is suggested.
    fs::remove_all(profile);
    r = run_varn("--32x-system-roms off --frames 1 " + image.string(), dir_ / "elsewhere", env);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output.find("--32x-system-roms"), std::string::npos) << r.output;
}

TEST_F(VarnRunProfile, AProfileGivesTheWindowsSettingsAndFolders) {
    const auto no_save_ram = testdata_file("roms/genesis/version-check.bin");
    const auto save_ram    = testdata_file("roms/genesis/sgdk-joy-test.bin");
    if (no_save_ram.empty() || save_ram.empty()) GTEST_SKIP() << "shared test data not found";
    const fs::path profile = dir_ / "profile";
    const std::string settings =
        "[File IO]\nBRMPath=.\\saves\\\nGenSysRom0UPath=.\\boot\\G.BIN\n"
        "[Machine]\nGENUseSystemROM=1\n";
    write_text(profile / "VARN.INI", settings);
    fs::create_directories(profile / "saves");
    const std::string args = "--profile " + profile.string() + " --frames 2 --fake-clock ";

    // The boot ROM the settings ask for is looked for in the profile, not where the runner
    // was started.
    auto r = run_varn(args + save_ram.string(), dir_ / "elsewhere");
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find(".\\boot\\G.BIN not found."), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("looked up in " + profile.string()), std::string::npos) << r.output;

    // A boot ROM that sets the stack and loops where it starts.
    std::string boot(2048, '\0');
    const unsigned char start[] = {0x00, 0xFF, 0xFE, 0x00, 0x00, 0x00, 0x00, 0x08, 0x60, 0xFE};
    boot.replace(0, sizeof start, reinterpret_cast<const char*>(start), sizeof start);
    write_text(profile / "boot" / "G.BIN", boot);
    r = run_varn(args + save_ram.string(), dir_ / "elsewhere");
    EXPECT_EQ(r.status, 0) << r.output;
    // The save RAM goes to the profile's folder, at the size the cartridge's header gives
    // (64 KB from 0x200000 to 0x20FFFF); a cartridge whose header declares none leaves no file.
    std::vector<std::uintmax_t> sizes;
    for (const auto& file : fs::directory_iterator(profile / "saves"))
        sizes.push_back(file.file_size());
    EXPECT_EQ(sizes, std::vector<std::uintmax_t>{0x10000u});
    fs::remove_all(profile / "saves");
    fs::create_directories(profile / "saves");
    r = run_varn(args + no_save_ram.string(), dir_ / "elsewhere");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(fs::is_empty(profile / "saves"));
    EXPECT_TRUE(fs::is_empty(dir_ / "elsewhere"));
    // Nothing is written over the settings.
    EXPECT_EQ(fs::file_size(profile / "VARN.INI"), settings.size());

    r = run_varn("--profile " + (dir_ / "absent").string() + " " + save_ram.string());
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("--profile: not a folder"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace varn::test
