// The default drive through the settings file and the Boot Sega CD command: the chosen
// record's name written under CDD and found again at the next start, and the command's
// choice of drive.

#include <gtest/gtest.h>

#include "base/config.h"
#include "cddrive/cd_drive_commands.h"
#include "cddrive/cd_drive_table.h"
#include "cddrive/fake_drive.h"
#include "media/media_fixture.h"
#include "settings/config_keys.h"
#include "settings/config_paths.h"
#include "settings/ini_file.h"

namespace varn {
namespace {

using test::FakeBus;
using test::FakeDrive;

// The value of `key` in a settings text, to its line end.
std::string ini_value(const std::string& text, const std::string& key) {
    const auto at = text.find("\n" + key + "=");
    if (at == std::string::npos) return "(missing)";
    const auto start = at + key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

class DriveSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        cd_drive_table_reset();
        cfg_cd_drive_text.clear();
        cfg_set(cfg_cd_drive, 0);
        bus.entries = {{{0, 0, 0, 0, kScsiTypeCdRom, "/dev/sr0"}, &one},
                       {{0, 0, 4, 0, kScsiTypeCdRom, "/dev/sr1"}, &two}};
    }
    void TearDown() override {
        cd_drive_table_reset();
        cfg_cd_drive_text.clear();
        cfg_set(cfg_cd_drive, 0);
    }
    // Exit, then the next start: the settings file written and read back, the drives
    // scanned again.
    std::string restart() {
        const std::string text = ini_format(config_keys(), cd_drive_settings_name());
        cfg_cd_drive_text.clear();
        cfg_set(cfg_cd_drive, 0);
        ini_parse(text, config_keys());
        aspi_init(bus);
        return text;
    }

    FakeDrive one{"ONECO   FIRST DRIVE     "};
    FakeDrive two{"TWOCO\r\nSECOND DRIVE\r\n  "};  // line ends in its INQUIRY name
    FakeBus bus;
};

TEST_F(DriveSettings, ChosenDriveIsFoundAgainByItsName) {
    aspi_init(bus);
    EXPECT_EQ(cd_drive_selected, 0) << "no name saved: no drive";
    cfg_set(cfg_cd_drive, 2);  // what the chooser stores when the second line is chosen
    const std::string text = restart();
    const std::string name = std::string("TWOCO  SECOND DRIVE") + std::string(5, ' ');
    EXPECT_EQ(ini_value(text, "CDD"), name);
    // The key after CDD is still a key of its own.
    EXPECT_NE(text.find("CDD=" + name + "\n"), std::string::npos);
    EXPECT_EQ(cfg(cfg_cd_drive), 2u);
    EXPECT_EQ(cd_drive_selected, 2);
    EXPECT_EQ(cd_drive_address.path, "/dev/sr1");
    EXPECT_EQ(cd_drive_address.target, 4);
    // Restarting again changes nothing.
    restart();
    EXPECT_EQ(cfg(cfg_cd_drive), 2u);
}

TEST_F(DriveSettings, AbsentDriveFallsBackToNoneAndUnscannedNamesAreKept) {
    aspi_init(bus);
    cfg_set(cfg_cd_drive, 1);
    const std::string saved = ini_format(config_keys(), cd_drive_settings_name());
    EXPECT_EQ(ini_value(saved, "CDD"), "ONECO   FIRST DRIVE     ");
    // The first drive is gone at the next start.
    bus.entries.erase(bus.entries.begin());
    cfg_cd_drive_text.clear();
    ini_parse(saved, config_keys());
    aspi_init(bus);
    EXPECT_EQ(cfg(cfg_cd_drive), 0u);
    EXPECT_EQ(ini_value(ini_format(config_keys(), cd_drive_settings_name()), "CDD"),
              std::string("<none>") + std::string(18, '\0'));
    // Without a scan the name read from the file is written back as it was.
    cd_drive_table_reset();
    cfg_cd_drive_text = "ONECO   FIRST DRIVE     ";
    EXPECT_EQ(ini_value(ini_format(config_keys(), cd_drive_settings_name()), "CDD"),
              "ONECO   FIRST DRIVE     ");
}

class BootFromDrive : public test::MediaTest {
  protected:
    void SetUp() override {
        MediaTest::SetUp();
        cd_drive_table_reset();
        bus.entries = {{{0, 0, 0, 0, kScsiTypeCdRom, "/dev/sr0"}, &drive}};
        cd_drive_set_system_bus(&bus);
        cd_drive_scan(bus);
        bus.opened.clear();
    }
    void TearDown() override {
        aspi_stop_disc();
        cd_drive_set_system_bus(nullptr);
        cd_drive_table_reset();
        cfg_set(cfg_cd_drive, 0);
        MediaTest::TearDown();
    }
    test::FakeDriveLog log;
    FakeDrive drive{"FAKECO  FAKE CD-ROM     ", &log};
    FakeBus bus;
};

TEST_F(BootFromDrive, TheDefaultDriveIsOpenedForTheDisc) {
    cfg_set(cfg_cd_drive, 0);
    boot_sega_cd_from_drive();
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_CDD)});
    EXPECT_TRUE(bus.opened.empty());
    ui.messages.clear();
    cfg_set(cfg_cd_drive, 3);  // a drive that is no longer there
    boot_sega_cd_from_drive();
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_CDD)});
    EXPECT_EQ(cd_drive_selected, 0);
    ui.messages.clear();
    cfg_set(cfg_cd_drive, 1);
    boot_sega_cd_from_drive();
    EXPECT_EQ(cd_drive_selected, 1);
    EXPECT_EQ(image_loader.load_mode, 64u);
    EXPECT_TRUE(mci_cdaudio_open());
    EXPECT_EQ(bus.opened.front(), "/dev/sr0");
    // Loading an image afterwards stops the drive and reads the image.
    ui.file.reset();
    log.commands.clear();
    rom_load_file((dir / "missing.iso").string(), lang::kFilterSegaCd);
    EXPECT_EQ(cd_drive_selected, 0);
    ASSERT_FALSE(log.commands.empty());
    EXPECT_EQ(log.commands.back().cdb, (std::vector<u8>{0x1B, 1, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace varn
