#include <gtest/gtest.h>

#include "memory/memory.h"

namespace varn {
namespace {

// The core relies on the images' order: the boot ROM runs on into the cartridge, and the
// Sega CD BIOS into PRG-RAM and word RAM.
TEST(MemoryArena, KeepsTheImagesInTheOrderCodeRunsThrough) {
    EXPECT_EQ(gen_boot_rom.data() + gen_boot_rom.size(), cart_rom.data());
    EXPECT_EQ(scd_bios.data() + scd_bios.size(), scd_prg_ram.data());
    EXPECT_EQ(scd_prg_ram.data() + scd_prg_ram.size(), scd_word_ram.data());
    EXPECT_EQ(cart_rom.size(), 0x400000u);
    EXPECT_EQ(m68k_ram.size(), 0x10000u);
    EXPECT_EQ(s32x_m68k_bios.size(), 0x100u);
    EXPECT_EQ(cart_rom.data(), memory_arena + kCartRomOffset);
    EXPECT_EQ(s32x_m68k_bios.data() + s32x_m68k_bios.size() + kArenaGuardSize,
              memory_arena + kArenaSize);
}

TEST(MemoryArena, FetchRegionsCoverTheImagesAndNotTheGuards) {
    const auto boot = arena_fetch_region(kBootRomOffset);
    EXPECT_EQ(boot.begin, kBootRomOffset);
    EXPECT_EQ(boot.end, kCartRomOffset + kCartRomSize);
    EXPECT_EQ(arena_fetch_region(kCartRomOffset + kCartRomSize - 1).begin, kBootRomOffset);
    EXPECT_TRUE(arena_fetch_region(kCartRomOffset + kCartRomSize).empty());  // guard
    EXPECT_TRUE(arena_fetch_region(0).empty());
    EXPECT_EQ(arena_fetch_region(kScdWordRamOffset + 5).begin, kScdBiosOffset);
    EXPECT_EQ(arena_fetch_region(kWorkRamOffset + 0xFFFF).end, kWorkRamOffset + kWorkRamSize);
    EXPECT_EQ(arena_fetch_region(kS32xM68kBiosOffset).end, kS32xM68kBiosOffset + 0x100);
    EXPECT_TRUE(arena_fetch_region(kArenaSize).empty());
    EXPECT_TRUE(arena_fetch_region(0xFFFFFFFF).empty());
}

TEST(MemoryArena, ClearZeroesEveryImage) {
    cart_rom[0]       = 1;
    m68k_ram[0xFFFF]  = 2;
    scd_word_ram[0]   = 3;
    s32x_m68k_bios[0] = 4;
    memory_clear();
    EXPECT_EQ(cart_rom[0] | m68k_ram[0xFFFF] | scd_word_ram[0] | s32x_m68k_bios[0], 0);
}

}  // namespace
}  // namespace varn
