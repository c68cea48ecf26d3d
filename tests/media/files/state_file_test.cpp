// State files: slot names, save and load through files, the Genecyst import, and files that
// must be refused without touching the machine or an older file.

#include "media/state_file.h"

#include "settings/lang_texts.h"

#include <cstring>
#include <fstream>
#include <set>

#include "base/endian.h"
#include "files_fixture.h"
#include "genesis/state/save_state.h"
#include "genesis/z80/genesis_z80.h"
#include "runtime/machine_table.h"
#include "sms/sms.h"

namespace varn {
namespace {

namespace fs = std::filesystem;

using test::MediaMachineTest;
using test::read_file;
using test::ScratchFolder;

void write_bytes(const fs::path& p, const std::vector<u8>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(StateFileNames, SaveNamesSlotsAndAutomaticNames) {
    struct Case {
        const char* typed;
        u32 slot;
        const char* saved;
    };
    for (const Case& c : {Case{"GAME", 3, "GAME.VK3"}, Case{"GAME.vk5", 3, "GAME.vk5"},
                          Case{"GAME.VK9", 0, "GAME.VK9"}, Case{"", 2, ".VK2"},
                          Case{"VK", 1, "VK.VK1"}, Case{".VK", 4, ".VK.VK4"}}) {
        EXPECT_EQ(state_save_name(c.typed, c.slot), c.saved) << c.typed;
    }
    EXPECT_EQ(state_slot_from_name("GAME.VK7"), 7u);
    EXPECT_EQ(state_slot_from_name("GAME.vk0"), 0u);
    EXPECT_EQ(state_slot_from_name("GAME.VKA"), 0u) << "slots are 0-9";
    EXPECT_EQ(state_slot_from_name(""), 0u);
    EXPECT_EQ(state_automatic_name("saves", "GAME", true, 4), fs::path("saves") / "GAME.GS4");
    EXPECT_EQ(state_automatic_name("saves", "GAME", false, 4), fs::path("saves") / "GAME.VK4");
}

std::vector<u8> genecyst_image(u32 pc);

class StateFileTest : public MediaMachineTest {
  protected:
    ScratchFolder folder;
};

TEST_F(StateFileTest, ALoadedFileRunsOnAsTheMachineDidFromTheSave) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    run_frames(40);
    const fs::path file = folder / "GAME.VK0";
    ASSERT_TRUE(state_file_save(file));
    EXPECT_EQ(fs::file_size(file), kStateBytesWithoutSram);
    const auto after_save = run_frames(20);
    run_frames(15);  // the machine runs on

    ASSERT_TRUE(state_file_load(file));
    // The scheduler position is not part of a state: start the frames where the save did.
    scheduler_reset();
    EXPECT_EQ(run_frames(20), after_save);
    std::set<u32> distinct(after_save.begin(), after_save.end());
    EXPECT_GT(distinct.size(), 5u) << "the cartridge should animate";
}

TEST_F(StateFileTest, BadFilesAreRefusedAndChangeNothing) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    run_frames(5);
    const fs::path good = folder / "good.VK0";
    ASSERT_TRUE(state_file_save(good));
    const auto state = read_file(good);

    std::vector<u8> truncated(state.begin(), state.begin() + 1000);
    std::vector<u8> not_a_state(state.size(), 0x55);
    const fs::path huge = folder / "huge.VK0";
    write_bytes(huge, state);
    fs::resize_file(huge, kStateFileCap + 1);  // a state with 4 MB of trailing bytes

    run_frames(3);
    const std::vector<u8> ram_before(m68k_ram.begin(), m68k_ram.end());
    for (const auto& [name, bytes] :
         {std::pair{"short.VK0", truncated}, {"junk.VK0", not_a_state}}) {
        write_bytes(folder / name, bytes);
        const auto r = state_file_load(folder / name);
        EXPECT_EQ(r.status, MediaStatus::kFailed) << name;
        EXPECT_EQ(r.message, std::string(lang_text(lang::TXT_STATE_LOAD_FAILED)));
    }
    const auto r = state_file_load(huge);
    EXPECT_EQ(r.status, MediaStatus::kFailed);
    EXPECT_EQ(r.message, std::string(lang_text(lang::TXT_STATE_LOAD_FAILED)));
    EXPECT_EQ(state_file_load(folder / "missing.VK0").status, MediaStatus::kNotOpened);
    EXPECT_EQ(state_file_load(folder.path()).status, MediaStatus::kNotOpened) << "a folder";
    EXPECT_TRUE(std::equal(ram_before.begin(), ram_before.end(), m68k_ram.begin()));
}

TEST_F(StateFileTest, MachinesWithoutTheirOwnBlockNeitherSaveNorLoad) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    run_frames(5);
    const fs::path good = folder / "good.VK0";
    ASSERT_TRUE(state_file_save(good));
    const fs::path gs = folder / "good.GS0";
    write_bytes(gs, genecyst_image(0x200));
    run_frames(3);
    std::vector<u8> before(kStateMaxBytes);
    before.resize(state_save(before));
    const u32 width = screen_width;

    struct Case {
        u32 kind;
        const char* save;
        const char* load;
        const char* genecyst;
    };
    const Case cases[] = {
        {kMachine32x, kStateSaveUnsupportedText, kStateLoadUnsupportedText,
         kStateLoadUnsupportedText},
        {kMachineSms, kSmsNoStateText, kSmsNoStateText, kSmsNoStateText},
        {0, kStateNoMachineText, kStateNoMachineText, kStateNoMachineText},
        {kMachineSegaCd, nullptr, nullptr, kGsStateGenesisOnlyText},
    };
    for (const Case& c : cases) {
        machine_kind = c.kind;
        if (c.save != nullptr) {
            const auto saved = state_file_save(folder / "x.VK0");
            EXPECT_EQ(saved.status, MediaStatus::kFailed) << c.kind;
            EXPECT_EQ(saved.message, c.save) << c.kind;
            EXPECT_FALSE(fs::exists(folder / "x.VK0")) << c.kind;
        }
        if (c.load != nullptr) {
            const auto loaded = state_file_load(good);
            EXPECT_EQ(loaded.status, MediaStatus::kFailed) << c.kind;
            EXPECT_EQ(loaded.message, c.load) << c.kind;
        }
        const auto imported = gs_state_file_load(gs);
        EXPECT_EQ(imported.status, MediaStatus::kFailed) << c.kind;
        EXPECT_EQ(imported.message, c.genecyst) << c.kind;

        std::vector<u8> after(kStateMaxBytes);
        after.resize(state_save(after));
        EXPECT_EQ(after, before) << c.kind << ": the machine is as it was";
        EXPECT_EQ(screen_width, width) << c.kind;
    }
}

// A Genecyst image laid out by hand: every memory and register block with its own pattern.
std::vector<u8> genecyst_image(u32 pc) {
    std::vector<u8> gs(kGsStateFileBytes, 0);
    std::memcpy(gs.data(), "GST\x40\xE0", 5);
    for (u32 r = 0; r < 16; ++r) store_le32(&gs[0x80 + 4 * r], 0x1000 * r + r);
    store_le32(&gs[0xC8], pc);
    store_le16(&gs[0xD0], 0x2700);
    store_le32(&gs[0xD6], 0xFFFE00);
    gs[0xFA + 1]  = 0x64;  // VDP register 1: display and V-blank interrupt on
    gs[0xFA + 12] = 0x81;  // register 12: 40 columns
    for (u32 i = 0; i < 64; ++i) store_be16(&gs[0x112 + 2 * i], static_cast<u16>(i * 0x22 & 0xEEE));
    for (u32 i = 0; i < 40; ++i) store_le16(&gs[0x192 + 2 * i], static_cast<u16>(0x300 + i));
    for (u32 i = 0; i < 0x2000; ++i) gs[0x474 + i] = static_cast<u8>(i * 7);
    for (u32 i = 0; i < 0x10000; ++i) gs[0x2478 + i] = static_cast<u8>(i ^ (i >> 8));
    for (u32 i = 0; i < 0x10000; ++i) gs[0x12478 + i] = static_cast<u8>(i * 3 + 1);
    return gs;
}

TEST_F(StateFileTest, GenecystImportFillsMemoriesAndRegisters) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    const u32 entry = load_be32(&cart_rom[4]);
    const auto gs   = genecyst_image(entry);
    write_bytes(folder / "GAME.GS0", gs);
    ASSERT_TRUE(gs_state_file_load(folder / "GAME.GS0"));

    EXPECT_TRUE(std::equal(z80_ram.begin(), z80_ram.end(), gs.begin() + 0x474));
    EXPECT_TRUE(std::equal(m68k_ram.begin(), m68k_ram.end(), gs.begin() + 0x2478));
    for (u32 w : {0u, 1u, 0x1234u, 0x7FFFu}) {
        EXPECT_EQ(vdp_vram[w], load_be16(&gs[0x12478 + 2 * w])) << "VRAM word " << w;
    }
    EXPECT_EQ(vdp_cram[5], load_be16(&gs[0x112 + 10]));
    EXPECT_EQ(vdp_vsram[39], 0x300 + 39);
    EXPECT_EQ(vdp_registers[1], 0x64);
    EXPECT_EQ(m68k_context.pc, entry & 0xFFFFFF);
    EXPECT_EQ(m68k_context.regs[3], 0x3003u);
    run_frames(2);  // and the machine runs from there
}

TEST_F(StateFileTest, GenecystFilesThatCannotRunAreRefusedWholeAndShortOnesFillWhatTheyReach) {
    if (!boot("sgdk-hilight-shadow.bin")) GTEST_SKIP() << "shared test images absent";
    run_frames(3);
    const std::vector<u8> ram_before(m68k_ram.begin(), m68k_ram.end());
    const auto vram_before = vdp_vram;

    // Too short to hold the registers; a PC where no code is.
    auto gs = genecyst_image(load_be32(&cart_rom[4]));
    write_bytes(folder / "short.GS0", std::vector<u8>(gs.begin(), gs.begin() + 0x400));
    write_bytes(folder / "nocode.GS0", genecyst_image(0xA00000));
    for (const char* name : {"short.GS0", "nocode.GS0"}) {
        const auto r = gs_state_file_load(folder / name);
        EXPECT_EQ(r.status, MediaStatus::kFailed) << name;
        EXPECT_EQ(r.message, std::string(lang_text(lang::TXT_STATE_LOAD_FAILED)));
        EXPECT_TRUE(std::equal(ram_before.begin(), ram_before.end(), m68k_ram.begin())) << name;
        EXPECT_EQ(vdp_vram, vram_before) << name;
    }

    // A file that ends half-way through the 68000 RAM.
    write_bytes(folder / "cut.GS0", std::vector<u8>(gs.begin(), gs.begin() + 0x2478 + 0x100));
    ASSERT_TRUE(gs_state_file_load(folder / "cut.GS0"));
    EXPECT_TRUE(std::equal(m68k_ram.begin(), m68k_ram.begin() + 0x100, gs.begin() + 0x2478));
    EXPECT_TRUE(std::equal(m68k_ram.begin() + 0x100, m68k_ram.end(), ram_before.begin() + 0x100));
    EXPECT_EQ(vdp_vram, vram_before);
}

}  // namespace
}  // namespace varn
