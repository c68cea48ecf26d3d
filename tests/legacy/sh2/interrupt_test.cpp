// The earlier release's SH-2 interrupt scan at slice entry.

#include <gtest/gtest.h>

#include "legacy/sh2/legacy_sh2_support.h"

namespace varn::test {
namespace {

class LegacySh2Interrupts : public LegacySh2Test {
  protected:
    // Code: NOPs at 0x100. Vector v leads to a NOP run at 0x06001000 + v * 16.
    void SetUp() override {
        LegacySh2Test::SetUp();
        boot_words({kNop});
        for (u32 v = 0; v < 128; ++v) store_be32(&s32x_sdram[v * 4], 0x06001000 + v * 16);
        for (u32 a = 0x1000; a < 0x1800; a += 2) store_be16(&s32x_sdram[a], kNop);
        auto& c = sh2_context;
        c.vbr   = 0x06000000;
        c.r[15] = 0x06003000;
    }
    // The vector taken by a one-cycle slice (its handler's first NOP runs), or -1.
    static int taken_vector() {
        slice(1);
        const u32 pc = sh2_context.pc;
        if (pc == 0x102) return -1;
        return static_cast<int>((pc - 2 - 0x06001000) / 16);
    }
};

TEST_F(LegacySh2Interrupts, TheScanChoosesAsTheOlderCoreDoes) {
    struct Case {
        const char* name;
        u32 mask;
        u32 pending;
        u32 onchip_bit;  // 0: none
        u8 onchip_level;
        int vector;  // -1: nothing taken
        u32 new_mask;
    };
    const Case cases[] = {
        {"mask 15 still takes level 15", 15, 1u << 15, 0, 0, 71, 15},
        {"mask 0 scans all 16 level bits", 0, 1u << 0, 0, 0, 64, 0},
        {"mask 0, no level bit: no source", 0, 0, 20, 5, -1, 0},
        {"mask 3 takes a source of level 2", 3, 0, 20, 2, 0x50, 2},
        {"two level bits: the higher", 0, (1u << 5) | (1u << 9), 0, 0, 68, 9},
        {"a source wins a tie with a level bit", 0, 1u << 9, 20, 9, 0x50, 9},
        {"a source below the level bit loses", 0, 1u << 9, 20, 8, 68, 9},
        {"a level bit below the mask-1 waits", 6, 1u << 4, 0, 0, -1, 6},
        {"the watchdog's request is never taken", 0, 0, 23, 15, -1, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        SetUp();
        auto& c       = sh2_context;
        c.sr          = (c.sr & ~kSh2SrI) | (k.mask << 4);
        c.irq_pending = k.pending;
        if (k.onchip_bit) {
            c.irq_pending |= 1u << k.onchip_bit;
            c.onchip_level[31 - k.onchip_bit]  = k.onchip_level;
            c.onchip_vector[31 - k.onchip_bit] = 0x50 * 4;
        }
        c.irq_check   = 1;
        const u32 sr0 = c.sr;
        EXPECT_EQ(taken_vector(), k.vector);
        EXPECT_EQ((c.sr >> 4) & 15, k.new_mask);
        EXPECT_EQ(c.irq_check, 0);
        if (k.vector >= 0) {
            EXPECT_EQ(sh2_read_long(0x06002FF8), 0x100u) << "the PC stacked";
            EXPECT_EQ(sh2_read_long(0x06002FFC), sr0) << "the SR stacked";
            EXPECT_EQ(c.r[15], 0x06002FF8u);
            EXPECT_EQ(c.cycle_counter, 0) << "acceptance books no cycles";
        } else {
            EXPECT_EQ(c.irq_pending & ((1u << k.onchip_bit) | k.pending),
                      (k.onchip_bit ? 1u << k.onchip_bit : 0) | k.pending)
                << "the request stays pending";
        }
    }
}

TEST_F(LegacySh2Interrupts, TheCommandInterruptClearsItsOwnCoresRequest) {
    static u32 cleared    = 99;
    sh2_command_irq_taken = [](u32 core) { cleared = core; };
    auto& c               = sh2_context;
    c.sr &= ~kSh2SrI;
    sh2_raise_irq(c, kSh2IrqCommand);
    EXPECT_EQ(taken_vector(), 68);
    EXPECT_EQ(cleared, 0u);
    EXPECT_EQ(c.irq_pending & kSh2IrqCommand, 0u);
}

TEST_F(LegacySh2Interrupts, AVectorIntoARegionWithoutCodeHalts) {
    store_be32(&s32x_sdram[71 * 4], 0x04000000);
    auto& c = sh2_context;
    sh2_raise_irq(c, 1u << 15);
    slice(10);
    EXPECT_TRUE(c.status & kSh2StatusHalted);
    EXPECT_EQ(c.pc, 0x04000000u);
}

// With the break bit set the core stops at the handler's first instruction, slice after
// slice, and goes on when the bit is cleared.
TEST_F(LegacySh2Interrupts, TheBreakAfterAnInterruptHoldsTheCoreUntilReleased) {
    auto& c = sh2_context;
    c.status |= kSh2StatusBreakV024;
    sh2_raise_irq(c, 1u << 15);
    slice(10);
    EXPECT_EQ(c.pc, 0x06001000u + 71 * 16);
    EXPECT_TRUE(c.status & kSh2StatusWaitingV024);
    slice(10);
    EXPECT_EQ(c.pc, 0x06001000u + 71 * 16);
    c.status &= ~kSh2StatusBreakV024;
    slice(10);
    EXPECT_EQ(c.pc, 0x06001000u + 71 * 16 + 20);
    EXPECT_EQ(c.status & (kSh2StatusBreakV024 | kSh2StatusWaitingV024), 0u);
}

}  // namespace
}  // namespace varn::test
