// The earlier release's settings file: the default file byte for byte, the round trip, the
// damaged values and the checks after reading, and where the file lives.

#include "legacy/frontend/legacy_config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "genesis/io/key_map.h"
#include "settings/config_fixture.h"
#include "settings/config_paths.h"
#include "settings/option_model.h"
#include "settings/profile_folder.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

std::string read_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_text(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

class LegacyConfigTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("varn_legacy_ini_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        ini_file_path.clear();
    }
    void TearDown() override {
        fs::remove_all(dir);
        ini_file_path.clear();
        config_load_defaults(config_keys());
    }
    // Reads `text` as the program's VARN.INI and returns what it writes back.
    std::string read_and_write(const std::string& text) {
        write_text(dir / "VARN.INI", text);
        EXPECT_TRUE(legacy_ini_read(dir / "VARN.INI", options).found);
        EXPECT_TRUE(legacy_ini_write(cd_drive_none()));
        return read_text(dir / "VARN.INI");
    }
    static std::string value_of(const std::string& file, const std::string& key) {
        const auto at = file.find("\n" + key + "=");
        if (at == std::string::npos) return "<missing>";
        const auto start = at + key.size() + 2;
        return file.substr(start, file.find('\n', start) - start);
    }

    fs::path dir;
    test::RecordingMenu menu;
    test::RecordingHost host;
    OptionModel options{menu, host};
};

TEST_F(LegacyConfigTest, AMissingFileIsCreatedEmptyAndExitWritesTheDefaultFileByteForByte) {
    const std::string expected = read_text(fs::path(LEGACY_FIXTURE_DIR) / "default_VARN.INI");
    ASSERT_FALSE(expected.empty());
    const auto r = legacy_ini_read(dir / "VARN.INI", options);
    EXPECT_FALSE(r.found);
    EXPECT_TRUE(fs::exists(dir / "VARN.INI"));
    EXPECT_EQ(fs::file_size(dir / "VARN.INI"), 0u);
    EXPECT_EQ(cfg(cfg_disable_z80), 1u) << "without a settings file the Z80 starts disabled";
    ASSERT_TRUE(legacy_ini_write(cd_drive_none()));
    EXPECT_EQ(read_text(dir / "VARN.INI"), expected);

    // 222 keys, the read-only Layers among none of them; [Sound] keeps its header.
    std::size_t lines = 0;
    for (char c : expected) lines += c == '=' ? 1 : 0;
    EXPECT_EQ(lines, kLegacyWrittenKeys);
    EXPECT_EQ(expected.find("Layers="), std::string::npos);
    EXPECT_NE(expected.find("\n\n[Sound]\n\n[Input]\n"), std::string::npos);

    // The default file reads back to itself, and so does a file of changed values.
    EXPECT_EQ(read_and_write(expected), expected);
    std::string changed = expected;
    for (auto [key, value] :
         {std::pair{"ROMPath=.\\", "ROMPath=/roms/"}, std::pair{"Frameskip=F", "Frameskip=3"},
          std::pair{"Player1AKeyU=48", "Player1AKeyU=C8"}, std::pair{"Port2=0", "Port2=4"},
          std::pair{"32XMSH2Speed=75", "32XMSH2Speed=A0"},
          std::pair{"SCDUseCartridgeBatteryRAMs=0", "SCDUseCartridgeBatteryRAMs=1"}}) {
        changed.replace(changed.find(key), std::string(key).size(), value);
    }
    EXPECT_EQ(read_and_write(changed), changed);
    EXPECT_EQ(cfg(cfg_32x_msh2_speed), 0xA0u);
    EXPECT_EQ(key_map_byte(0, 0), 0xC8);
}

TEST_F(LegacyConfigTest, ValuesAreReadTheEarlierWayAndClampedToWhatTheProgramCanUse) {
    struct Case {
        const char* line;
        const char* key;
        const char* written;
    };
    const Case cases[] = {
        {"RegionOrder=7", "RegionOrder", "0"},
        {"ErrorMsg_ZLB=9", "ErrorMsg_ZLB", "1"},
        {"GENDisableZ80=0", "GENDisableZ80", "0"},
        {"32XUseSystemROMs=A", "32XUseSystemROMs", "1"},
        {"Port1=5", "Port1", "0"},  // no Justifier in this release
        {"Port2=4", "Port2", "4"},
        {"TeamplayerPort1B=2", "TeamplayerPort1B", "2"},
        {"TeamplayerPort2D=3", "TeamplayerPort2D", "0"},
        {"Player1CDevice=7", "Player1CDevice", "0"},
        {"Player2BDevice=3", "Player2BDevice", "3"},
        {"ROMFilterIndex=5", "ROMFilterIndex", "0"},  // no Master System filter
        {"GSSFilterIndex=0", "GSSFilterIndex", "1"},
        // A character that is no digit repeats the one before it, 0 in the first place.
        {"Player1AKeyU=7Z", "Player1AKeyU", "77"},
        {"Player1AKeyD=Z7", "Player1AKeyD", "07"},
        {"Player1AKeyL=5\r", "Player1AKeyL", "55"},
        {"Frameskip=\n", "Frameskip", "0"},
        // Joystick buttons are offsets 0x30-0x4F in the joystick record; others are none.
        {"Player1AJoyA=4F", "Player1AJoyA", "4F"},
        {"Player1AJoyB=50", "Player1AJoyB", "00"},
        {"Player2DJoyM=2F", "Player2DJoyM", "00"},
        {"Player2AJoyS=00", "Player2AJoyS", "00"},
    };
    std::string file;
    for (const Case& c : cases) file += std::string(c.line) + "\n";
    file += "Layers=3F\n";
    file += "ROMPath=" + std::string(300, 'x') + "\n";  // too long for a path: not taken
    const std::string written = read_and_write(file);
    for (const Case& c : cases) EXPECT_EQ(value_of(written, c.key), c.written) << c.line;
    EXPECT_EQ(cfg(legacy_layers), 0x3Fu) << "Layers lives in memory only";
    EXPECT_EQ(written.find("Layers"), std::string::npos);
    EXPECT_EQ(value_of(written, "ROMPath"), ".\\");
    EXPECT_EQ(cfg(cfg_region), 4u);
}

TEST(LegacyConfigHex, DigitsThatAreNoDigitsRepeatTheOneBefore) {
    EXPECT_EQ(parse_hex_u8_v024("7Z", 2), 0x77);
    EXPECT_EQ(parse_hex_u8_v024("Z7", 2), 0x07);
    EXPECT_EQ(parse_hex_u32_v024("aB", 2), 0xABu);
    EXPECT_EQ(parse_hex_u32_v024("1", 4), 0x1111u) << "the end of the text repeats too";
    EXPECT_EQ(parse_hex_u32_v024("", 2), 0u);
}

TEST(LegacyProfileFolder, TheEarlierReleaseKeepsItsSettingsApartFromTheMainProgram) {
    const fs::path exe = fs::temp_directory_path() / "varn_legacy_exe_folder";
    fs::remove_all(exe);
    fs::create_directories(exe);
    EXPECT_EQ(profile_folder(exe, "/xdg", "/home/u", kLegacyProfileName),
              fs::path("/xdg/varn-legacy"));
    EXPECT_EQ(profile_folder(exe, nullptr, "/home/u", kLegacyProfileName),
              fs::path("/home/u/.config/varn-legacy"));
    EXPECT_EQ(profile_folder(exe, "/xdg", "/home/u"), fs::path("/xdg/varn"));
    write_text(exe / "VARN.INI", "");
    EXPECT_EQ(profile_folder(exe, "/xdg", "/home/u", kLegacyProfileName), exe)
        << "a VARN.INI beside the executable makes it portable";
    fs::remove_all(exe);
}

}  // namespace
}  // namespace varn
