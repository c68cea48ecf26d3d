// Interrupts and exceptions of the older core: acceptance at the slice entry and after SR
// changes, the frames, the stack switch, STOP, and the exception costs that keep a vector
// leading back to itself from freezing the slice.

#include <gtest/gtest.h>

#include <vector>

#include "legacy_m68k_support.h"

namespace varn::test {
namespace {

class LegacyExceptionTest : public LegacyFixture {
  protected:
    static void vector(u32 n, u32 target) { poke(n * 4, target, 4); }
};

TEST_F(LegacyExceptionTest, InterruptAcceptance) {
    struct Case {
        const char* name;
        u32 mask;
        u8 pending;
        u32 taken;  // 0: none
        u8 left;
    };
    const Case cases[] = {
        {"level 7 through mask 7", 7, 0x80, 7, 0x00},
        {"highest above the mask", 3, 0x44, 6, 0x04},
        {"masked", 4, 0x10, 0, 0x10},
        {"one per check", 0, 0x06, 2, 0x02},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        SetUp();
        for (u32 level = 1; level < 8; ++level) vector(24 + level, 0x2000 + level * 0x10);
        start_at(kCode, {0x4E71});
        for (u32 level = 1; level < 8; ++level) poke(0x2000 + level * 0x10, 0x4E71, 2);
        auto& c       = cpu();
        c.sr          = static_cast<u16>(0x2000 | (t.mask << 8) | 0x1F);
        c.irq_pending = t.pending;
        c.irq_check   = 1;
        step();
        EXPECT_EQ(c.irq_pending, t.left);
        EXPECT_EQ(c.irq_check, 0);
        if (t.taken == 0) {
            EXPECT_EQ(c.pc, kCode + 2);
            continue;
        }
        EXPECT_EQ(c.pc, 0x2000 + t.taken * 0x10 + 2);  // the handler's first instruction ran
        EXPECT_EQ(c.sr, 0x2000 | (t.taken << 8) | 0x1F);
        EXPECT_EQ(c.regs[15], kSsp - 6);
        EXPECT_EQ(peek(kSsp - 6, 2), 0x2000 | (t.mask << 8) | 0x1Fu);
        EXPECT_EQ(peek(kSsp - 4, 4), kCode);
        EXPECT_EQ(c.irq_taken, 1);
    }
}

TEST_F(LegacyExceptionTest, InterruptFromUserModeSwitchesStacks) {
    vector(30, 0x2000);
    poke(0x2000, 0x4E71, 2);
    start_at(kCode, {0x4E71});
    auto& c         = cpu();
    c.sr            = 0x0000;
    c.sp_slot_index = kUserSlotIndexV024;
    c.regs[15]      = 0xFF4000;
    c.sp_slots[1]   = kSsp;
    m68k_set_irq_v024(c, 6);
    step();
    EXPECT_EQ(c.sp_slots[0], 0xFF4000u);
    EXPECT_EQ(c.regs[15], kSsp - 6);
    EXPECT_EQ(c.sp_slot_index, kSupervisorSlotIndexV024);
    EXPECT_EQ(c.sr & 0x2700, 0x2600);
}

TEST_F(LegacyExceptionTest, InterruptVectorWithoutCodeHalts) {
    vector(30, 0x400000);
    start_at(kCode, {0x4E71});
    m68k_set_irq_v024(cpu(), 6);
    cpu().sr = 0x2000;
    step();
    EXPECT_TRUE(halted());
    EXPECT_EQ(cpu().pc, kCode);
}

// Lowering the mask by MOVE to SR takes a waiting interrupt before the next instruction; the
// stack follows the new S bit.
TEST_F(LegacyExceptionTest, StatusRegisterChangesRunTheCheck) {
    vector(28, 0x2000);
    poke(0x2000, 0x4E71, 2);
    start_at(kCode, {0x46FC, 0x0300, 0x4E71});  // MOVE #0x0300,SR: user mode, mask 3
    auto& c       = cpu();
    c.sp_slots[0] = 0xFF4000;
    c.irq_pending = 0x10;  // level 4, masked by 7
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(c.pc, 0x2000u);  // taken at once, with the cost of MOVE to SR
    // The interrupt's frame went on the supervisor stack, with the user A7 parked.
    EXPECT_EQ(c.sp_slots[0], 0xFF4000u);
    EXPECT_EQ(peek(c.regs[15] + 2, 4), kCode + 4);
    EXPECT_EQ(peek(c.regs[15], 2), 0x0300u);

    // EORI #0x2000,SR from supervisor mode: to the user stack, no interrupt.
    SetUp();
    start_at(kCode, {0x0A7C, 0x2000});
    cpu().sp_slots[0] = 0xFF4000;
    EXPECT_EQ(step(), 20u);
    EXPECT_EQ(cpu().regs[15], 0xFF4000u);
    EXPECT_EQ(cpu().sp_slots[1], kSsp);
    EXPECT_EQ(cpu().pc, kCode + 4);
}

// RTE pops from the stack live when it began, switches by the popped S, and takes a pending
// interrupt above the popped mask first.
TEST_F(LegacyExceptionTest, Rte) {
    vector(26, 0x2000);
    poke(0x2000, 0x4E71, 2);
    start_at(kCode, {0x4E73});
    auto& c = cpu();
    poke(kSsp, 0x0000, 2);  // SR: user mode, mask 0
    poke(kSsp + 2, 0x3000, 4);
    poke(0x3000, 0x4E71, 2);
    c.sp_slots[0] = 0xFF4000;
    c.irq_pending = 0x04;  // level 2
    EXPECT_EQ(step(), 20u);
    EXPECT_EQ(c.regs[15], kSsp);  // the interrupt's frame where RTE's was
    EXPECT_EQ(c.sp_slots[0], 0xFF4000u);
    EXPECT_EQ(peek(c.regs[15] + 2, 4), 0x3000u);  // the interrupt stacked the return address
    EXPECT_EQ(c.pc, 0x2000u);
}

TEST_F(LegacyExceptionTest, ExceptionsStackTheNextPcAndCostTheirOwnTimes) {
    struct Case {
        const char* name;
        std::vector<u16> code;
        u32 d1;
        u32 ccr;
        u32 vector;
        u32 cost;
        u32 ccr_after;
    };
    const Case cases[] = {
        {"TRAP #15", {0x4E4F}, 0, 0, 47, 34, 0},
        {"ILLEGAL", {0x4AFC}, 0, 0, 4, 34, 0},
        {"TRAPV with V", {0x4E76}, 0, kV, 7, 4, kV},
        {"CHK negative", {0x43BC, 0x0004}, 0xFFFF, 0, 6, 40, kN},
        {"CHK above the bound", {0x43BC, 0x0004}, 5, kN, 6, 40, 0},
        {"DIVU by zero", {0x82FC, 0x0000}, 5, kC | kX | kZ, 5, 140, kX | kZ},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        SetUp();
        vector(t.vector, 0x2000);
        poke(0x2000, 0x4E71, 2);
        start_at(kCode, {});
        for (std::size_t i = 0; i < t.code.size(); ++i) poke(kCode + 2 * i, t.code[i], 2);
        cpu().regs[1]       = t.d1;
        cpu().sr            = static_cast<u16>(0x0700 | t.ccr);  // user mode
        cpu().sp_slot_index = kUserSlotIndexV024;
        cpu().regs[15]      = 0xFF4000;
        cpu().sp_slots[1]   = kSsp;
        EXPECT_EQ(step(), t.cost);
        EXPECT_EQ(cpu().pc, 0x2000u);
        EXPECT_EQ(cpu().sr, 0x2700 | t.ccr_after);
        EXPECT_EQ(cpu().sp_slots[0], 0xFF4000u);
        EXPECT_EQ(peek(kSsp - 4, 4), kCode + 2 * t.code.size());
        EXPECT_EQ(peek(kSsp - 6, 2), 0x0700 | t.ccr_after);
    }
}

TEST_F(LegacyExceptionTest, ChkWithinTheBoundAndTrapvWithoutV) {
    start_at(kCode, {0x4E71, 0x43BC, 0x0004, 0x4E76, 0x4E71});
    cpu().regs[1]      = 4;
    cpu().slice_cycles = -12;
    m68k_run_slice_v024();  // NOP 4, CHK (the NOP's 4 again), TRAPV 4: 12 cycles
    EXPECT_EQ(cpu().pc, kCode + 8);
    EXPECT_EQ(cpu().cycle_counter, 0);
}

// A TRAP whose vector leads back to itself uses up its slice like any loop.
TEST_F(LegacyExceptionTest, SelfVectoredTrapEndsItsSlice) {
    vector(32, kCode);
    start_at(kCode, {0x4E40});
    cpu().slice_cycles = kM68kSliceCyclesV024;
    m68k_run_slice_v024();
    EXPECT_FALSE(halted());
    EXPECT_EQ(cpu().pc, kCode);
    EXPECT_EQ(cpu().regs[15], kSsp - 6 * 2);  // 2 x 34 >= 54
    EXPECT_EQ(chain_log(), std::vector<char>{'t'});
}

TEST_F(LegacyExceptionTest, StopWaitsForAnInterrupt) {
    vector(28, 0x2000);
    poke(0x2000, 0x4E73, 2);  // RTE
    start_at(kCode, {0x4E72, 0x2300, 0x4E71});
    auto& c        = cpu();
    c.slice_cycles = kM68kSliceCyclesV024;
    m68k_run_slice_v024();
    EXPECT_EQ(c.pc, kCode);
    EXPECT_EQ(c.sr, 0x2300);
    EXPECT_EQ(c.stopped, 1);
    EXPECT_EQ(c.cycle_counter, 0);
    m68k_run_slice_v024();  // still stopped: the slice ends at once
    EXPECT_EQ(c.pc, kCode);
    EXPECT_EQ(c.cycle_counter, 0);
    m68k_set_irq_v024(c, 4);
    m68k_run_slice_v024();  // interrupt, RTE back to the STOP, which steps over itself
    EXPECT_EQ(c.stopped, 0);
    EXPECT_EQ(c.irq_taken, 0);
    EXPECT_GT(c.pc, kCode + 4);
    EXPECT_EQ(chain_log(), (std::vector<char>{'t', 't', 't'}));
}

// The sub-CPU acknowledges level 2 to the gate array when it takes it.
TEST_F(LegacyExceptionTest, SubCpuAcknowledgesLevelTwo) {
    static std::vector<u32> acks;
    acks.clear();
    s68k_irq_ack_hook_v024 = [](u32 level) { acks.push_back(level); };
    auto& s                = s68k_context_v024;
    for (u32 level : {2u, 3u}) {
        scd_prg_ram[(24 + level) * 4 + 2] = 0x20;  // vector 0x2000
        scd_prg_ram[0x2000]               = 0x4E;
        scd_prg_ram[0x2001]               = 0x71;
        s.fetch_base                      = kScdPrgRamOffset;
        s.pc                              = kCode;
        s.sr                              = 0x2000;
        s.sp_slot_index                   = kSupervisorSlotIndexV024;
        s.regs[15]                        = 0x8000;
        m68k_set_irq_v024(s, level);
        s68k_run_slice_v024();
        EXPECT_EQ(s.sr & 0x0700, level << 8);
    }
    EXPECT_EQ(acks, std::vector<u32>{2});
}

}  // namespace
}  // namespace varn::test
