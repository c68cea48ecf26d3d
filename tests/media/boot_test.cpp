// The boot and the close: game names in every search order, system ROMs, the save RAM
// files across reboots and games, and the machines this build cannot run.

#include <gtest/gtest.h>

#include <cstring>

#include "base/endian.h"
#include "media/system_roms.h"
#include "media_fixture.h"
#include "runtime/machine_table.h"
#include "runtime/region.h"
#include "runtime/sound_output.h"

namespace varn {
namespace {

using test::read_file;

// A Genesis cartridge with an overseas name and, when asked, a static save RAM window.
std::vector<u8> cartridge(const char* overseas_name, u32 sram_start = 0, u32 sram_end = 0) {
    std::vector<u8> image(0x8000, 0);
    std::memcpy(image.data() + 0x100, "SEGA GENESIS    ", 16);
    std::memset(image.data() + 0x120, ' ', 96);
    std::memcpy(image.data() + 0x120, "DOMESTIC NAME", 13);
    std::memcpy(image.data() + 0x150, overseas_name, std::strlen(overseas_name));
    std::memcpy(image.data() + 0x1F0, "JUE", 3);
    if (sram_end != 0) {
        image[0x1B0] = 'R';
        image[0x1B1] = 'A';
        image[0x1B2] = 0xF8;
        store_be32(&image[0x1B4], sram_start);
        store_be32(&image[0x1B8], sram_end);
    }
    return image;
}

// A naming library stand-in whose answer the test sets.
std::string namer_answer;
int fake_crc(const unsigned char*, unsigned, int) { return 0x1234; }
int fake_name(char* buf, unsigned len, int) {
    std::strncpy(buf, namer_answer.c_str(), len);
    buf[len] = '\0';
    return namer_answer.empty() ? 0 : 1;
}

class Boot : public test::MediaTest {
  protected:
    LoadResult load(const std::string& name, const std::vector<u8>& image,
                    u32 filter = lang::kFilterGenesis) {
        return rom_load_file(write(name, image).string(), filter);
    }
    std::filesystem::path brm(const std::string& name) { return dir / name; }
};

TEST_F(Boot, GameNameSearchOrders) {
    kestgen_available = 1;
    kestgen_lib.crc   = fake_crc;
    kestgen_lib.name  = fake_name;
    struct Case {
        u32 order;
        const char* namer;
        const char* header;
        const char* title;
        const char* brm;
    };
    const Case cases[] = {
        {0, "Namer Name (U)", "HEADER", "VARN -- Namer Name (U)", "Namer Name (U).BRM"},
        {1, "", "HEADER", "VARN -- GAME.BIN", "GAME.BRM"},  // the file keeps its extension
        {2, "Namer Name (U)", "   ", "VARN -- Namer Name (U)", "Namer Name (U).BRM"},
        {2, "", "", "VARN -- GAME.BIN", "GAME.BRM"},
        {3, "Namer", "HEADER  \t", "VARN -- HEADER", "HEADER.BRM"},
        {5, "Namer", "HEADER", "VARN -- GAME.BIN", "GAME.BRM"},
        {6, "Namer", "HEADER", "VARN -- ERROR", "ERROR.BRM"},
        // Path characters in a name are replaced before it names a file; the title shows it.
        {3, "", "A/B\\C: D", "VARN -- A/B\\C: D", "A_B_C_ D.BRM"},
    };
    for (const auto& c : cases) {
        namer_answer = c.namer;
        cfg_set(cfg_game_name_search_order, c.order);
        ASSERT_EQ(load("GAME.BIN", cartridge(c.header)), LoadResult::kBooted) << c.order;
        EXPECT_EQ(ui.title, c.title) << c.order << " " << c.header;
        EXPECT_EQ(boot_names.brm_file_name, c.brm) << c.order << " " << c.header;
        EXPECT_EQ(boot_names.namer_crc, 0x1234u);
    }
    // Without the library the namer's name does not exist.
    dll_bind_optional([&] {
        auto o         = test::build_tree_libraries();
        o.namer_folder = dir;
        return o;
    }());
    cfg_set(cfg_game_name_search_order, 0);
    ASSERT_EQ(load("GAME.BIN", cartridge("")), LoadResult::kBooted);
    EXPECT_EQ(boot_names.brm_file_name, "GAME.BRM");
    EXPECT_EQ(boot_names.namer_crc, 0u);
    // A Japanese console reads the domestic name.
    cfg_set(cfg_region, kRegionJapan);
    cfg_set(cfg_game_name_search_order, 2);
    ASSERT_EQ(load("GAME.BIN", cartridge("OVERSEAS")), LoadResult::kBooted);
    EXPECT_EQ(ui.title, "VARN -- DOMESTIC NAME");
}

TEST_F(Boot, SystemRomsMissingAndPresent) {
    cfg_set(cfg_gen_use_bios, 1);
    const std::string missing          = (dir / "GEN_BIOS_U.BIN").string();
    cfg_system_rom_paths[kGenSysRom0U] = missing;
    EXPECT_EQ(load("GAME.BIN", cartridge("X")), LoadResult::kBootFailed);
    EXPECT_EQ(ui.messages, std::vector<std::string>{missing + " " + lang_text(lang::ERM_FIO_NF)});
    EXPECT_EQ(ui.title, "VARN");
    EXPECT_EQ((emu_state_flags.load() & kStateMachineRunning), 0u);

    std::vector<u8> bios(0x900);
    for (std::size_t i = 0; i < bios.size(); ++i) bios[i] = static_cast<u8>(i * 5 + 3);
    write("GEN_BIOS_U.BIN", bios);
    ui.messages.clear();
    EXPECT_EQ(load("GAME.BIN", cartridge("X")), LoadResult::kBooted);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(std::equal(gen_boot_rom.begin(), gen_boot_rom.end(), bios.begin()));
    cfg_system_rom_paths[kGenSysRom0U] = kSystemRomDefaultPaths[kGenSysRom0U];

    // The 32X set stops at its first missing file: one message, the later file unread.
    std::array<u8, 0x800> master{}, slave{};
    std::array<u8, 0x100> side{};
    const auto saved                  = system_rom_targets;
    system_rom_targets[kRom32xMaster] = master;
    system_rom_targets[kRom32xSlave]  = slave;
    system_rom_targets[kRom32x68k]    = side;
    write("M.BIN", std::vector<u8>(0x800, 0x11));
    write("G.BIN", std::vector<u8>(0x100, 0x33));
    cfg_system_rom_paths[k32xSysRom0U] = (dir / "M.BIN").string();
    cfg_system_rom_paths[k32xSysRom1U] = (dir / "S.BIN").string();
    cfg_system_rom_paths[k32xSysRom2U] = (dir / "G.BIN").string();
    ui.messages.clear();
    EXPECT_EQ(bios_load_32x(), 0u);
    EXPECT_EQ(ui.messages, std::vector<std::string>{(dir / "S.BIN").string() + " not found."});
    EXPECT_EQ(master[0x7FF], 0x11);
    EXPECT_EQ(side[0], 0);
    system_rom_targets = saved;
    for (auto key : {k32xSysRom0U, k32xSysRom1U, k32xSysRom2U}) {
        cfg_system_rom_paths[key] = kSystemRomDefaultPaths[key];
    }
}

TEST_F(Boot, SaveRamSurvivesRebootsAndStaysWithItsGame) {
    ASSERT_EQ(load("A.BIN", cartridge("GAME A", 0x200001, 0x203FFF)), LoadResult::kBooted);
    ASSERT_GT(cart_sram_size, 0u);
    // The game saves, then the player resets.
    cart_sram[0] = 0x5A;
    cart_sram[1] = 0xA5;
    ASSERT_TRUE(machine_boot(0));
    machine_save_backup_ram(0);
    EXPECT_EQ(cart_sram[0], 0x5A);
    EXPECT_EQ(cart_sram[1], 0xA5);
    EXPECT_EQ(boot_names.brm_file_name, "A.BRM");  // the name outlives the reboot
    // A rename-only reboot keeps the memories too.
    cart_sram[2] = 0x77;
    ASSERT_TRUE(machine_boot(2));
    EXPECT_EQ(cart_sram[2], 0x77);
    machine_close();
    const auto saved = read_file(brm("A.BRM"));
    ASSERT_EQ(saved.size(), cart_sram_size);
    EXPECT_EQ(saved[0], 0x5A);
    EXPECT_EQ(saved[2], 0x77);

    // Another game without a save file starts from blank memory and never writes A's save.
    ASSERT_EQ(load("B.BIN", cartridge("GAME B", 0x200001, 0x203FFF)), LoadResult::kBooted);
    EXPECT_TRUE(
        std::all_of(std::begin(cart_sram), std::end(cart_sram), [](u8 v) { return v == 0; }));
    machine_close();
    EXPECT_EQ(read_file(brm("B.BRM")), std::vector<u8>(saved.size(), 0));

    // Back to A: its save is read at boot.
    ASSERT_EQ(load("A.BIN", cartridge("GAME A", 0x200001, 0x203FFF)), LoadResult::kBooted);
    EXPECT_EQ(cart_sram[0], 0x5A);
}

TEST_F(Boot, SaveRamLimitsAndFailures) {
    // A header that claims a window far larger than the save memory.
    ASSERT_EQ(load("HUGE.BIN", cartridge("H", 0x200000, 0x3FFFFF)), LoadResult::kBooted);
    EXPECT_LE(cart_sram_size, kCartSramBytes);
    std::vector<u8> oversized(kCartSramBytes + 0x1000, 0xCC);
    machine_close();
    write("HUGE.BRM", oversized);
    ASSERT_EQ(load("HUGE.BIN", cartridge("H", 0x200000, 0x3FFFFF)), LoadResult::kBooted);
    machine_close();
    EXPECT_LE(read_file(brm("HUGE.BRM")).size(), std::size_t{kCartSramBytes});

    // A save that cannot be written is reported, not dropped in silence.
    ASSERT_EQ(load("A.BIN", cartridge("A", 0x200001, 0x203FFF)), LoadResult::kBooted);
    cfg_brm_path = (dir / "no" / "such" / "folder").string() + "/";
    ui.messages.clear();
    machine_close();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("A.BRM"), std::string::npos) << ui.messages[0];
}

TEST_F(Boot, MachinesNotInThisBuildAreRefused) {
    std::vector<u8> sms(0x8000, 0);
    std::memcpy(sms.data() + 0x7FF0, "TMR SEGA", 8);
    EXPECT_EQ(load("GAME.SMS", sms, lang::kFilterSms), LoadResult::kBootFailed);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.title, "VARN");
    std::vector<u8> s32x = cartridge("X");
    std::memcpy(s32x.data() + 0x100, "SEGA 32X        ", 16);
    EXPECT_EQ(load("GAME.32X", s32x, lang::kFilter32x), LoadResult::kBootFailed);
    ui.messages.clear();
    boot_sega_cd_from_drive();
    EXPECT_EQ(ui.messages, std::vector<std::string>{lang_text(lang::ERM_FIO_CDD)});
}

TEST_F(Boot, RebootThroughTheThreadLinkKeepsTheSave) {
    media_bind_slots();
    ASSERT_EQ(load("A.BIN", cartridge("A", 0x200001, 0x203FFF)), LoadResult::kBooted);
    cart_sram[5] = 0x99;
    emu_reboot_sequence(0);
    EXPECT_EQ(cart_sram[5], 0x99);
    EXPECT_EQ(read_file(brm("A.BRM"))[5], 0x99);
    EXPECT_EQ(machine_kind, kMachineGenesis);
    machine_boot_slot            = nullptr;
    machine_save_backup_ram_slot = nullptr;
}

}  // namespace
}  // namespace varn
