// The earlier release's SH-2 run loop: slices, the pipeline's delay slots, costs, halts.

#include <gtest/gtest.h>

#include "legacy/sh2/legacy_sh2_support.h"

namespace varn::test {
namespace {

using LegacySh2Core = LegacySh2Test;

TEST_F(LegacySh2Core, EverySliceOf139CyclesRuns139Nops) {
    boot_program("slices");
    const u32 start = sh2_context.pc;
    ASSERT_EQ(start, 0x40u);
    for (u32 n = 1; n <= 3; ++n) {
        sh2_run_slice_alone_v024();
        EXPECT_EQ(sh2_context.pc, start + n * 139 * 2) << "slice " << n;
        EXPECT_EQ(sh2_context.cycle_counter, 0);
    }
}

TEST_F(LegacySh2Core, DelaySlotsRunBeforeTheirTargetsAndTakeSlotBAsTheirPc) {
    boot_program("pipeline");
    for (int i = 0; i < 10; ++i) sh2_run_slice_alone_v024();
    const auto& c = sh2_context;
    EXPECT_EQ(c.status & kSh2StatusHalted, 0u);
    EXPECT_EQ(c.r[14], 0u) << "a branch went the wrong way";
    EXPECT_EQ(c.r[1], 0x84u) << "MOVA in a delay slot: base is the target + 2";
    EXPECT_EQ(c.r[2], 16u) << "slots of BSR, RTS and BT/S (taken and not) ran in order";
    EXPECT_EQ(c.r[3], 0x86u) << "PR of BSR";
    EXPECT_EQ(c.r[4], 3u) << "0x4n30 shifts like SHLL; SLEEP runs on";
    EXPECT_EQ(c.r[6], 5u) << "TRAPA returned to the instruction after it";
    EXPECT_EQ(c.r[7], 9u) << "TRAPA's handler ran";
}

// A delayed branch with one cycle left: the counter stops at -1, the slot runs in the same
// slice, and only the next slice is shortened by what went past the end.
TEST_F(LegacySh2Core, ADelayedBranchAtTheSliceEndCarriesItsOvershootOnce) {
    // 0x100 nop, 0x102 nop, 0x104 bra 0x10C, 0x106 nop (slot), ..., 0x10C nops
    boot_words({kNop, kNop, 0xA002, kNop, 0xE163, 0xE163, kNop, kNop, kNop, kNop});
    auto& c        = sh2_context;
    c.slice_cycles = -3;
    sh2_run_slice_alone_v024();
    EXPECT_EQ(c.pc, 0x10Cu);
    EXPECT_EQ(c.cycle_counter, 0);
    EXPECT_EQ(c.branch_carry, 2);
    EXPECT_NE(c.r[1], 0x63u) << "the words between slot and target never ran";
    sh2_run_slice_alone_v024();
    EXPECT_EQ(c.pc, 0x10Eu) << "one cycle left of the second slice";
    EXPECT_EQ(c.branch_carry, 0);
    sh2_run_slice_alone_v024();
    EXPECT_EQ(c.pc, 0x114u) << "the third slice is whole again";
}

// The cost each instruction books, read from the counter after a slice of one cycle: an
// ordinary instruction ends it at cost - 1; a delayed branch stops the counter at -1 and
// carries its cycles (the slot's NOP then ends the slice at 0).
TEST_F(LegacySh2Core, InstructionCostsFollowTheOlderTable) {
    struct Case {
        const char* name;
        u16 word;
        s32 cost;
        bool delayed;
    };
    const Case cases[] = {
        {"NOP", 0x0009, 1, false},
        {"MOV.L @R1,R2", 0x6212, 1, false},
        {"MOV.L @(4,PC),R2", 0xD201, 1, false},
        {"MUL.L", 0x0127, 1, false},
        {"MAC.L", 0x021F, 1, false},
        {"CLRMAC", 0x0028, 1, false},
        {"STS.L MACH,@-R2", 0x4202, 1, false},
        {"MULU.W", 0x212E, 2, false},
        {"MULS.W", 0x212F, 2, false},
        {"DMULU.L", 0x3125, 2, false},
        {"DMULS.L", 0x312D, 2, false},
        {"MAC.W", 0x421F, 2, false},
        {"STC.L SR,@-R2", 0x4203, 2, false},
        {"STC.L VBR,@-R2", 0x4223, 2, false},
        {"SLEEP", 0x001B, 3, false},
        {"LDC.L @R2+,GBR", 0x4217, 3, false},
        {"TST.B #1,@(R0,GBR)", 0xCC01, 3, false},
        {"OR.B #1,@(R0,GBR)", 0xCF01, 3, false},
        {"TAS.B @R2", 0x421B, 4, false},
        {"TRAPA #1", 0xC301, 8, false},
        {"BT taken", 0x8901, 1, false},
        {"BF not taken", 0x8B01, 1, false},
        {"BRA", 0xA001, 2, true},
        {"JSR @R1", 0x410B, 2, true},
        {"RTS", 0x000B, 2, true},
        {"RTE", 0x002B, 4, true},
        {"BT/S taken", 0x8D01, 1, true},
        {"BF/S not taken", 0x8F01, 1, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        boot_words({k.word});
        auto& c = sh2_context;
        for (u32 r = 0; r < 15; ++r) c.r[r] = 0x06000100;
        c.r[1]  = 0x100;  // JSR's target: the code itself
        c.r[15] = 0x06000200;
        c.pr    = 0x100;
        c.vbr   = 0x06000000;  // TRAPA #1's vector: the code itself
        store_be32(&s32x_sdram[4], 0x100);
        c.sr |= kSh2SrT;
        slice(1);
        ASSERT_EQ(c.status & kSh2StatusHalted, 0u);
        if (k.delayed) {
            EXPECT_EQ(c.cycle_counter, 0);
            EXPECT_EQ(c.branch_carry, k.cost);
        } else {
            EXPECT_EQ(c.cycle_counter, k.cost - 1);
        }
    }
}

TEST_F(LegacySh2Core, AWordWithoutAnyPatternHaltsTheMachine) {
    boot_words({kNop, 0xFFFF});
    slice(100);
    EXPECT_TRUE(sh2_context.status & kSh2StatusHalted);
    EXPECT_EQ(sh2_context.pc, 0x102u);
    EXPECT_EQ(halts, 1);
    EXPECT_FALSE(sh2_run_slice_alone_v024()) << "a halted core stays halted";
}

TEST_F(LegacySh2Core, ABranchIntoARegionWithoutCodeHalts) {
    // mov.l @(4,pc),r1 (0x0400000 0, the frame buffer); jmp @r1; nop
    boot_words({0xD101, 0x412B, kNop, kNop, 0x0400, 0x0000});
    slice(100);
    EXPECT_TRUE(sh2_context.status & kSh2StatusHalted);
    EXPECT_EQ(sh2_context.pc, 0x04000000u);
}

// Sequential code never reads past its region: at the end of the cartridge image it looks the
// next address up, and with no code there the machine halts.
TEST_F(LegacySh2Core, CodeRunningOffItsRegionHaltsInsteadOfReadingPastIt) {
    sh2_set_cart_size(0x10);
    for (u32 a = 0; a < 0x10; a += 2) store_be16(memory_arena + kCartRomOffset + a, kNop);
    boot_words({0xD101, 0x412B, kNop, kNop, 0x0200, 0x0000});  // jmp @0x02000000
    slice(100);
    EXPECT_TRUE(sh2_context.status & kSh2StatusHalted);
    EXPECT_EQ(sh2_context.pc, 0x02000010u);
}

// The chain: a held master runs nothing and the slave is still entered; a slave whose carried
// overshoot takes its whole slice runs nothing and the chain goes on.
TEST_F(LegacySh2Core, HeldAndSpentCoresPassTheChainOn) {
    static int successors = 0;
    successors            = 0;
    sh2_successor         = [] { ++successors; };
    boot_words({kNop});
    sh2_context.status         = kSh2StatusPowerOn;
    sh2s_context.status        = 0;
    sh2s_context.pc            = 0;
    sh2s_context.cycle_counter = 140;
    const u32 master_pc        = sh2_context.pc;
    sh2_run_slice_v024();
    EXPECT_EQ(sh2_context.pc, master_pc);
    EXPECT_EQ(sh2s_context.pc, 0u);
    EXPECT_EQ(sh2s_context.cycle_counter, 1);
    EXPECT_EQ(successors, 1);
}

TEST_F(LegacySh2Core, SleepInAWaitLoopCostsThreeCyclesAPass) {
    // 0x100 sleep; 0x102 bra 0x100; 0x104 nop: a pass is 3 + 2 + 1 cycles
    boot_words({0x001B, 0xAFFD, kNop});
    slice(60);
    EXPECT_EQ(sh2_context.pc, 0x100u);
    EXPECT_EQ(sh2_context.cycle_counter, 0);
}

}  // namespace
}  // namespace varn::test
