#include "frontend/config/ini_file.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "config_fixture.h"
#include "frontend/config/config_paths.h"
#include "frontend/config/profile_folder.h"
#include "genesis/io/key_map.h"
#include "support/test_files.h"

namespace varn::test {
namespace {

namespace fs = std::filesystem;

std::string golden_default_file() {
    const auto bytes = read_file(fs::path(VARN_CONFIG_TEST_DATA) / "default_varn.ini");
    return std::string(bytes.begin(), bytes.end());
}

std::string slurp(const fs::path& p) {
    const auto bytes = read_file(p);
    return std::string(bytes.begin(), bytes.end());
}

void spit(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

class IniFileTest : public ConfigTest {
  protected:
    void SetUp() override {
        ConfigTest::SetUp();
        dir = fs::temp_directory_path() /
              ("varn_ini_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ini_file_path.clear();
    }
    void TearDown() override {
        fs::remove_all(dir);
        ini_file_path.clear();
        ConfigTest::TearDown();
    }
    // Reads `text` as the settings file, with defaults and post-read checks.
    void read_text(const std::string& text) {
        config_load_defaults(config_keys());
        ini_parse(text, config_keys());
        config_post_read(config_keys(), options);
    }
    fs::path dir;
};

TEST_F(IniFileTest, MissingFileIsCreatedAndTheDefaultsAreWrittenAsTheGoldenFile) {
    const fs::path file   = dir / "profile" / kIniFileName;
    const IniReadResult r = ini_read(file, options);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.error, "");
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_EQ(cfg(cfg_region), 4u);
    EXPECT_EQ(cfg(cfg_frame_skip), 15u);
    EXPECT_EQ(cfg(cfg_custom_fullscreen_x), 640u);
    EXPECT_EQ(cfg(cfg_custom_window_y), 224u);

    ASSERT_TRUE(ini_write(cd_drive_none()));
    EXPECT_EQ(slurp(file), golden_default_file());
}

TEST_F(IniFileTest, WrittenValuesReadBackTheSameWithLfOrCrLf) {
    cfg_rom_path                       = "C:\\Games\\Sega\\";
    cfg_system_rom_paths[kScdSysRom0E] = "D:\\bios\\eu.bin";
    cfg_set(cfg_frame_skip, 3);
    cfg_set(cfg_sound_rate, 2);
    cfg_set(cfg_custom_window_x, 7);
    cfg_set(cfg_gen_m68k_speed, 0x01);
    cfg_set(cfg_region, 2);
    cfg_set(cfg_port_device[1], 5);
    cfg_set(cfg_port_device[3], 2);
    cfg_set(cfg_input_device[4], 2);
    cfg_set(cfg_error_msg_zlb, 1);
    key_map_set_byte(3, 5, 0xAB);
    key_map_set_byte(7, 27, 0x3F);
    const std::string written = ini_format(config_keys(), cd_drive_none());

    for (bool crlf : {false, true}) {
        std::string text = written;
        if (crlf) {
            text.clear();
            for (char c : written) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        read_text(text);
        EXPECT_EQ(ini_format(config_keys(), cd_drive_none()), written) << "crlf " << crlf;
        EXPECT_EQ(cfg_rom_path, "C:\\Games\\Sega\\");
        EXPECT_EQ(config_host_path(cfg_rom_path), "C:/Games/Sega/");
        EXPECT_EQ(config_host_path(cfg_system_rom_paths[kGenSysRom0U]), "./GEN_BIOS_U.BIN");
        EXPECT_EQ(cfg_slice_length(cfg_gen_m68k_speed), -255);
        EXPECT_EQ(key_map_byte(3, 5), 0xAB);
    }
}

// One reader case: the file text and what must hold afterwards.
struct ReadCase {
    const char* what;
    std::string text;
    std::function<void()> check;
};

TEST_F(IniFileTest, ReaderFindsKeysWhereverTheyStand) {
    const std::string long_path(256, 'p');
    const std::string max_path(255, 'q');
    const ReadCase cases[] = {
        {"first occurrence wins", "ROMPath=first\\\nROMPath=second\\\n",
         [] { EXPECT_EQ(cfg_rom_path, "first\\"); }},
        {"key after other text", "xROMPath=C:\\x\\\n", [] { EXPECT_EQ(cfg_rom_path, "C:\\x\\"); }},
        {"one-digit key takes one character", "Frameskip=10\n",
         [] { EXPECT_EQ(cfg(cfg_frame_skip), 1u); }},
        {"line end counts as a zero digit", "Player1AKeyU=5\nX",
         [] { EXPECT_EQ(key_map_byte(0, 0), 0x50); }},
        {"four decimal digits at most", "CustomWindowX=99999\nCustomWindowY=12\n",
         [] {
             EXPECT_EQ(cfg(cfg_custom_window_x), 9999u);
             EXPECT_EQ(cfg(cfg_custom_window_y), 12u);
         }},
        {"empty path", "ROMPath=\nBRMPath=b\\",
         [] {
             EXPECT_EQ(cfg_rom_path, "");
             EXPECT_EQ(cfg_brm_path, "b\\");  // no final line end: the value ends with the data
         }},
        {"unknown, lower-case and missing keys", "Bogus=7\nrompath=x\\\nregion=1\n",
         [] {
             EXPECT_EQ(cfg_rom_path, ".\\");
             EXPECT_EQ(cfg(cfg_region), 4u);
             EXPECT_EQ(cfg(cfg_autoname_states), 1u);
         }},
        {"key text inside another value", "DEMPath=a ANGSS=0\nANGSS=1\n",
         [] { EXPECT_EQ(cfg(cfg_autoname_states), 0u); }},
        {"a path over 255 bytes keeps its default",
         "ROMPath=" + long_path + "\nBRMPath=" + max_path,
         [&] {
             EXPECT_EQ(cfg_rom_path, ".\\");
             EXPECT_EQ(cfg_brm_path, max_path);
         }},
        {"keys beyond 16 KB are not seen", std::string(kIniReadLimit - 4, ' ') + "ANGSS=0\n",
         [] { EXPECT_EQ(cfg(cfg_autoname_states), 1u); }},
        {"drive name ends at its first NUL", std::string("CDD=<none>\0\0\0\nANDEM=1\n", 23),
         [] {
             EXPECT_EQ(cfg_cd_drive_text, "<none>");
             EXPECT_EQ(cfg(cfg_autoname_demos), 1u);
         }},
        {"read-only key", "EnhanceVisibility=1\n",
         [] { EXPECT_EQ(cfg(cfg_enhance_visibility), 1u); }},
        {"squash interlace also reaches the renderers' copy", "GENSquashInterlace=0\n",
         [] { EXPECT_EQ(cfg(cfg_squash_interlace), 0u); }},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        read_text(c.text);
        c.check();
    }
}

TEST_F(IniFileTest, HostileValuesAreClampedAtRead) {
    struct Clamp {
        const char* line;
        ConfigWord* word;
        u32 value;
    } cases[] = {
        {"PNGCompressionLevel=A", &cfg_png_compression_level, 6},
        {"MouseSensitivityMultiplier=0", &cfg_mouse_sensitivity_multiplier, 1},
        {"MouseSensitivityMultiplier=F", &cfg_mouse_sensitivity_multiplier, 8},
        {"ErrorMsg_RVF=7", &cfg_error_msg_rvf, 1},
        {"EnableStatusBar=2", &cfg_enable_status_bar, 1},
        {"GENSpriteLimit=7", &cfg_gen_sprite_limit, 7},
        {"GENDisableZ80=2", &cfg_disable_z80, 1},
        {"SMSUseSystemROM=9", &cfg_sms_use_bios, 1},
        {"32XUseSystemROMs=4", &cfg_32x_use_bios, 1},
        {"RegionOrder=7", &cfg_region_order, 0},
        {"Region=3", &cfg_region, 4},
        {"Region=2", &cfg_region, 2},
        {"Port1=6", &cfg_port_device[0], 0},
        {"Port1=5", &cfg_port_device[0], 5},
        {"Port2=3", &cfg_port_device[1], 3},
        {"TeamplayerPort1B=3", &cfg_port_device[3], 0},
        {"TeamplayerPort2D=2", &cfg_port_device[9], 2},
        {"FrameStretchBehavior=9", &cfg_frame_stretch_behavior, 0},
        {"GameNameSearchOrder=6", &cfg_game_name_search_order, 1},
        {"SCDRAMCartridgeSize=F", &cfg_scd_ram_cart_size, 3},
        {"ROMFilterIndex=9", &cfg_rom_filter_index, 0},
        {"ROMFilterIndex=5", &cfg_rom_filter_index, 5},
        {"GSSFilterIndex=0", &cfg_state_filter_index, 1},
        {"GSSFilterIndex=3", &cfg_state_filter_index, 1},
        {"CustomFullscreenX=0000", &cfg_custom_fullscreen_x, 640},
        {"CustomWindowY=x", &cfg_custom_window_y, 224},
        {"GENM68Speed=00", &cfg_gen_m68k_speed, 0},
        {"SCDM68Speed=FF", &cfg_scd_m68k_speed, 0xFF},
    };
    for (const Clamp& c : cases) {
        read_text(std::string(c.line) + "\n");
        EXPECT_EQ(cfg(*c.word), c.value) << c.line;
    }
    read_text("GENM68Speed=00\nSCDM68Speed=FF\n");
    EXPECT_EQ(cfg_slice_length(cfg_gen_m68k_speed), -256);
    EXPECT_EQ(cfg_slice_length(cfg_scd_m68k_speed), -1);
}

TEST_F(IniFileTest, PostReadAppliesRegionAndPortsThroughTheirCommands) {
    read_text("Region=1\nPort1=3\nTeamplayerPort1A=1\n");
    EXPECT_EQ(host.scd_region, 1u);
    EXPECT_EQ(host.pal, 0u);
    EXPECT_EQ(host.overseas, 1u);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "apply ports"), 10);
    EXPECT_EQ(menu.mark(32954), 1);  // Sega Menacer, though no command selects it
    EXPECT_EQ(menu.mark(32951), 0);
    EXPECT_EQ(menu.mark(33812), 1);
    EXPECT_EQ(menu.mark(32945), 1);
}

TEST_F(IniFileTest, ExtraLinesVanishAndReadOnlyKeysAreNotWrittenBack) {
    const fs::path file = dir / kIniFileName;
    spit(file, "; a comment\r\n[Old]\r\nLayers=03\r\nEnhanceVisibility=1\r\nANDEM=1\r\n");
    const IniReadResult r = ini_read(file, options);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(cfg(cfg_enhance_visibility), 1u);
    ASSERT_TRUE(ini_write(cd_drive_none()));
    const std::string out = slurp(file);
    EXPECT_EQ(out, ini_format(config_keys(), cd_drive_none()));
    EXPECT_EQ(out.find("Layers"), std::string::npos);
    EXPECT_EQ(out.find("EnhanceVisibility"), std::string::npos);
    EXPECT_NE(out.find("\nANDEM=1\n"), std::string::npos);
}

TEST_F(IniFileTest, ScreenSizeIsWrittenFromTheLastWindowedSize) {
    cfg_set(cfg_screen_size, 2);
    cfg_set(screen_size_windowed, 1);
    EXPECT_NE(ini_format(config_keys(), cd_drive_none()).find("\nScreenSize=1\n"),
              std::string::npos);
    CdDriveName drive{};
    std::memcpy(drive.data(), "HL-DT-ST DVDRAM", 15);
    const std::string text = ini_format(config_keys(), drive);
    EXPECT_NE(text.find(std::string("CDD=HL-DT-ST DVDRAM\0\0\0\0\0\0\0\0\0\n", 29)),
              std::string::npos);
}

TEST_F(IniFileTest, AFileThatCannotBeReadIsNeverWrittenOver) {
    const fs::path file = dir / kIniFileName;
    fs::create_directories(file);  // a folder where the file should be
    cfg_set(cfg_autoname_demos, 1);
    const IniReadResult r = ini_read(file, options);
    EXPECT_FALSE(r.found);
    EXPECT_NE(r.error, "");
    EXPECT_EQ(cfg(cfg_autoname_demos), 0u);  // defaults stand
    EXPECT_FALSE(ini_write(cd_drive_none()));
    EXPECT_TRUE(fs::is_directory(file));
}

TEST_F(IniFileTest, ProfileFolderPrefersAPortableSettingsFile) {
    const fs::path exe = dir / "bin";
    fs::create_directories(exe);
    EXPECT_EQ(profile_folder(exe, "/xdg", "/home/u"), fs::path("/xdg/varn"));
    EXPECT_EQ(profile_folder(exe, "", "/home/u"), fs::path("/home/u/.config/varn"));
    EXPECT_EQ(profile_folder(exe, "relative", "/home/u"), fs::path("/home/u/.config/varn"));
    EXPECT_EQ(profile_folder(exe, nullptr, nullptr), fs::current_path());
    spit(exe / kIniFileName, "");
    EXPECT_EQ(profile_folder(exe, "/xdg", "/home/u"), exe);
}

// The stored paths' program folder is the profile folder: a relative path names a file there
// whatever the current folder is; an absolute one stands. A reader that never writes leaves
// a missing settings file missing.
TEST_F(IniFileTest, RelativeStoredPathsResolveInTheProfileFolder) {
    const struct {
        const char* stored;
        const char* host;
    } cases[] = {
        {".\\GEN_BIOS_U.BIN", "/p/varn/GEN_BIOS_U.BIN"},
        {".\\", "/p/varn/"},
        {"", "/p/varn/"},
        {"bios\\32X_M_BIOS.BIN", "/p/varn/bios/32X_M_BIOS.BIN"},
        {".\\.\\saves\\", "/p/varn/saves/"},
        {"\\roms\\sega\\", "/roms/sega/"},
        {"/roms/x.bin", "/roms/x.bin"},
    };
    config_program_folder = "/p/varn";
    for (const auto& c : cases) EXPECT_EQ(config_host_path(c.stored), c.host) << c.stored;
    config_program_folder.clear();
    EXPECT_EQ(config_host_path(".\\GEN_BIOS_U.BIN"), "./GEN_BIOS_U.BIN");

    const fs::path file = dir / "absent" / kIniFileName;
    EXPECT_FALSE(ini_read(file, options, IniMissing::kLeave).found);
    EXPECT_FALSE(fs::exists(file.parent_path()));
    EXPECT_TRUE(ini_file_path.empty());
}

}  // namespace
}  // namespace varn::test
