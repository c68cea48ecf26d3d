// The Sega CD's state block: a running disc machine saved, changed and loaded back through
// the state files, to the byte; the load results 0, -1 and -2 of hand-made blocks, the
// settings that guard backup RAM and the RAM cartridge, and loads that fail leaving the
// machine as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "base/config.h"
#include "base/endian.h"
#include "disc_fixture.h"
#include "genesis/bus/save_ram.h"
#include "genesis/runtime/scheduler.h"
#include "genesis/state/save_state.h"
#include "media/state_file.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "segacd/scd_drive.h"
#include "segacd/scd_state.h"

namespace varn {
namespace {

// A block 3 of hand-made chunks {id, data} with 1-byte ids.
std::vector<u8> block(const std::vector<std::pair<u8, std::vector<u8>>>& chunks) {
    std::vector<u8> b{kScdStateBlockId, 0, 0, 0, 0};
    for (const auto& [id, data] : chunks) {
        b.push_back(id);
        const std::size_t at = b.size();
        b.resize(at + 4);
        store_le32(&b[at], static_cast<u32>(data.size()));
        b.insert(b.end(), data.begin(), data.end());
    }
    store_le32(&b[1], static_cast<u32>(b.size() - 5));
    return b;
}

std::vector<u8> stream(const std::vector<u8>& blocks) {
    std::vector<u8> s{'S', 'S', '!', 1, 0, 0, 0, 0};
    s.insert(s.end(), blocks.begin(), blocks.end());
    return s;
}

std::vector<u8> identity() { return {scd_bios_identity.begin(), scd_bios_identity.end()}; }

class ScdState : public DiscMachine {
  protected:
    // The blocks are loaded into a running Sega CD unless a test boots another machine.
    void SetUp() override {
        DiscMachine::SetUp();
        machine_kind = kMachineSegaCd;
    }
    void TearDown() override {
        cfg_set(cfg_brm_in_states, 0);
        cfg_set(cfg_scd_ram_cart, 1);
        DiscMachine::TearDown();
    }
    bool boot_disc() {
        const auto iso = test::testdata_file("roms/segacd/nikonamd/rom_mcd_u.iso");
        return !iso.empty() &&
               rom_load_file(iso.string(), lang::kFilterSegaCd) == LoadResult::kBooted;
    }
    std::vector<u8> saved() {
        std::vector<u8> s(kStateMaxBytes + kScdStateMaxBytes);
        s.resize(scd_state_save(s));
        return s;
    }
};

TEST_F(ScdState, RunningDiscMachineRoundTrip) {
    if (!boot_disc()) GTEST_SKIP() << "shared test image absent";
    cfg_set(cfg_brm_in_states, 1);
    for (int f = 0; f < 12; ++f) run_frame();  // the drive is reading, the sub-CPU copying
    ASSERT_NE(cdd.reading, 0);
    const auto path = dir / "GAME.VK0";
    ASSERT_TRUE(state_file_save(path));
    const auto first = test::read_file(path);
    EXPECT_EQ(first, saved());
    EXPECT_GT(first.size(), kStateBytesWithoutSram + kScdPrgRamSize);

    for (int f = 0; f < 20; ++f) run_frame();
    scd_backup_ram[5] ^= 0xFF;
    ASSERT_NE(saved(), first);
    ASSERT_TRUE(state_file_load(path));
    EXPECT_EQ(saved(), first);

    // The loaded machine runs on to the test BIOS's end and its sectors are right.
    for (int f = 0; f < 150 && comm_status() != 0x600D; ++f) run_frame();
    ASSERT_EQ(comm_status(), 0x600Du);
    const auto image = test::read_file(test::testdata_file("roms/segacd/nikonamd/rom_mcd_u.iso"));
    for (u32 s = 10; s < 20; ++s)
        EXPECT_TRUE(holds(scd_word_ram, (s - 10) * 2048, sector_of(image, s))) << s;
}

TEST_F(ScdState, LoadResultsAndRefusals) {
    scd_power_on();
    std::fill(scd_prg_ram.begin(), scd_prg_ram.end(), u8{0x11});
    const std::vector<u8> prg(kScdPrgRamSize, 0x22);
    std::vector<u8> other = identity();
    other[33] ^= 1;
    std::vector<u8> short_pcm(73, 0);
    struct Case {
        const char* what;
        std::vector<u8> bytes;
        s32 result;
    };
    const Case cases[] = {
        {"only a skipped chunk", stream(block({{0x86, {}}})), 0},
        {"no chunk", stream(block({})), 0},
        {"an unknown chunk", stream(block({{0x82, prg}, {0x87, {1}}})), -1},
        {"a short chunk", stream(block({{0x82, prg}, {0x89, short_pcm}})), -1},
        {"another BIOS", stream(block({{0x82, prg}, {0x81, other}})), -2},
        {"not a state", {'S', 'S', '?', 1, 0, 0, 0, 0, 3, 0, 0, 0, 0}, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scd_state_load(c.bytes), c.result) << c.what;
        EXPECT_EQ(scd_prg_ram[100], 0x11) << c.what;  // nothing changes on failure
    }
    // A block whose length its chunk overruns, and one cut short.
    auto overrun = stream(block({{0x86, {1, 2, 3}}}));
    store_le32(&overrun[9], 6);
    EXPECT_EQ(scd_state_load(overrun), -1);
    auto cut = stream(block({{0x82, prg}}));
    cut.resize(cut.size() - 1);
    EXPECT_EQ(scd_state_load(cut), -1);

    // The same BIOS loads; a Genesis block before it is checked together with it.
    EXPECT_EQ(scd_state_load(stream(block({{0x81, identity()}, {0x82, prg}}))), 0);
    EXPECT_EQ(scd_prg_ram[100], 0x22);
    std::vector<u8> genesis(kStateMaxBytes);
    genesis.resize(state_save(genesis));
    const std::vector<u8> ram_before(m68k_ram.begin(), m68k_ram.end());
    std::vector<u8> both = genesis;
    const auto bad       = block({{0x81, other}});
    both.insert(both.end(), bad.begin(), bad.end());
    m68k_ram[0] ^= 0xFF;
    EXPECT_EQ(scd_state_load(both), -2);
    EXPECT_NE(m68k_ram[0], ram_before[0]);  // the Genesis block was not applied either
}

TEST_F(ScdState, AStateWithASegaCdBlockIsRefusedWholeByAnyOtherMachine) {
    const auto cart = test::testdata_file("roms/genesis/sgdk-hilight-shadow.bin");
    if (cart.empty()) GTEST_SKIP() << "shared test image absent";
    ASSERT_EQ(rom_load_file(cart.string(), lang::kFilterGenesis), LoadResult::kBooted);
    ASSERT_EQ(machine_kind, kMachineGenesis);
    for (int f = 0; f < 10; ++f) run_frame();
    std::vector<u8> genesis(kStateMaxBytes);
    genesis.resize(state_save(genesis));

    // The Genesis state with an empty Sega CD block after it, and the block alone.
    std::vector<u8> appended = genesis;
    const auto empty         = block({});
    appended.insert(appended.end(), empty.begin(), empty.end());
    const auto path = dir / "GAME.VK0";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(appended.data()),
               static_cast<std::streamsize>(appended.size()));
    const auto r = state_file_load(path);
    EXPECT_EQ(r.status, MediaStatus::kFailed);
    EXPECT_EQ(r.message, std::string(lang_text(lang::TXT_STATE_LOAD_FAILED)));
    EXPECT_EQ(scd_state_load(stream(empty)), -1);

    std::vector<u8> after(kStateMaxBytes);
    after.resize(state_save(after));
    EXPECT_EQ(after, genesis) << "nothing of either state was taken";
    // The cartridge runs on from where it was: its work RAM keeps changing.
    const std::vector<u8> ram(m68k_ram.begin(), m68k_ram.end());
    for (int f = 0; f < 10; ++f) run_frame();
    EXPECT_FALSE(std::equal(ram.begin(), ram.end(), m68k_ram.begin()));
}

TEST_F(ScdState, BackupRamAndRamCartridgeFollowTheSettings) {
    scd_power_on();
    scd_backup_ram.fill(0x33);
    std::fill_n(cart_sram, kCartSramBytes, u8{0x44});
    const std::vector<u8> brm(kScdBackupRamSize, 0x55);
    const std::vector<u8> cart(0x10000, 0x66);
    const auto bytes = stream(block({{0x8A, brm}, {0x8B, cart}}));

    cfg_set(cfg_brm_in_states, 0);
    cart_sram_size = 0x2000;
    ASSERT_EQ(scd_state_load(bytes), 0);
    EXPECT_EQ(scd_backup_ram[0], 0x33);
    EXPECT_EQ(cart_sram_size, 0x10000u);  // the size is taken whatever the settings
    EXPECT_EQ(cart_sram[0xFFFF], 0x44);

    cfg_set(cfg_brm_in_states, 1);
    cfg_set(cfg_scd_ram_cart, 1);
    ASSERT_EQ(scd_state_load(bytes), 0);
    EXPECT_EQ(scd_backup_ram[0x1FFF], 0x55);
    EXPECT_EQ(cart_sram[0xFFFF], 0x66);

    // A cartridge chunk longer than 64 KB fills 64 KB and the walk goes on after it.
    std::vector<u8> longer(0x10010, 0x77);
    ASSERT_EQ(scd_state_load(stream(block({{0x8B, longer}, {0x86, {}}}))), 0);
    EXPECT_EQ(cart_sram_size, 0x10000u);
    EXPECT_EQ(cart_sram[0xFFFF], 0x77);
}

}  // namespace
}  // namespace varn
