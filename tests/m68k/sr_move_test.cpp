// MOVE from SR, MOVE to CCR and MOVE to SR: SR held raw, the stack switch and the interrupt
// check of an SR load, no privilege test.

#include <gtest/gtest.h>

#include "op_case.h"

namespace varn::test {
namespace {

using M68kSrMove = M68kOpTest;

TEST_F(M68kSrMove, CcrAndSrTransfers) {
    run_cases({
        {.name       = "MOVE to CCR stores all eight bits of the low byte",
         .code       = {0x44FC, 0x12FF},
         .expect_ccr = 0xFF,
         .cycles     = 12},
        {.name       = "MOVE to CCR from memory reads a word and uses its low byte",
         .code       = {0x44D0},
         .regs       = {A(0, kData)},
         .mem        = {W(kData, 0xAA15)},
         .expect_ccr = 0x15,
         .cycles     = 12},
        {.name       = "MOVE to CCR (A7)+ steps by 2",
         .code       = {0x44DF},
         .regs       = {A(7, kData)},
         .mem        = {W(kData, 0x0004)},
         .expect     = {A(7, kData + 2)},
         .expect_ccr = kZ},
        {.name       = "MOVE SR,D0 replaces the low word only and keeps the CCR",
         .code       = {0x40C0},
         .regs       = {D(0, 0xABCD0000)},
         .ccr        = 0xE5,
         .expect     = {D(0, 0xABCD27E5)},
         .expect_ccr = 0xE5,
         .cycles     = 6},
        {.name       = "MOVE SR,-(A7) writes one word",
         .code       = {0x40E7},
         .regs       = {A(7, kData + 0x10)},
         .ccr        = kX,
         .expect     = {A(7, kData + 0x0E)},
         .expect_mem = {W(kData + 0x0E, 0x2710)},
         .expect_ccr = kX,
         .cycles     = 6},
    });
}

TEST_F(M68kSrMove, MoveFromSrWritesWithoutReading) {
    start_at(kCodeAt, {0x40F9, 0x00FF, 0x8000, 0xA000});
    bus_logging() = true;
    step();
    EXPECT_EQ(bus_log(), (std::vector<BusAccess>{{'w', 2, kData, 0x2700}}));
}

TEST_F(M68kSrMove, UserModeLoadsAndStoresSrWithoutAnException) {
    enter({0x40C1, 0x46FC, 0x2700, 0xA000}, 0x001F);
    step();
    EXPECT_EQ(d(1) & 0xFFFF, 0x001Fu);
    EXPECT_EQ(step(), 12u);
    auto& c = m68k_context;
    EXPECT_EQ(c.sr, 0x2700);
    EXPECT_EQ(c.sp_slot_index, kM68kSupervisorSlot);
    EXPECT_EQ(c.sp_slots[kM68kUserSlot], 0xFF7000u);
    EXPECT_EQ(c.regs[15], 0xFFFF00u);
    EXPECT_EQ(c.pc, kCodeAt + 6);
}

TEST_F(M68kSrMove, ClearingSSwitchesToTheUserStack) {
    enter({0x46FC, 0x0000}, 0x2700);
    m68k_context.regs[15] = 0xFFFE00;
    step();
    auto& c = m68k_context;
    EXPECT_EQ(c.sr, 0x0000);
    EXPECT_EQ(c.sp_slot_index, kM68kUserSlot);
    EXPECT_EQ(c.sp_slots[kM68kSupervisorSlot], 0xFFFE00u);
    EXPECT_EQ(c.regs[15], 0xFF7000u);
}

TEST_F(M68kSrMove, UnchangedSKeepsA7) {
    enter({0x46FC, 0xA71F}, 0x2700);
    m68k_context.regs[15] = 0xFFFE40;
    step();
    EXPECT_EQ(m68k_context.sr, 0xA71F);  // the T bit is stored too
    EXPECT_EQ(m68k_context.regs[15], 0xFFFE40u);
}

// Lowering the mask below a pending level takes that interrupt before the next instruction.
TEST_F(M68kSrMove, LoweringTheMaskTakesAPendingInterrupt) {
    enter({0x46FC, 0x2000, 0x4E71}, 0x2700);
    poke(0x78, 0x3000, 4);  // level 6 vector
    m68k_context.irq_pending = 1u << 6;
    EXPECT_EQ(step(), 12u);
    auto& c = m68k_context;
    EXPECT_EQ(c.pc, 0x3000u);
    EXPECT_EQ(c.sr, 0x2600);
    EXPECT_EQ(peek(0xFFFF00 - 4, 4), kCodeAt + 4);
}

TEST_F(M68kSrMove, EncodingsWithoutAMemberHalt) {
    for (u16 op : {0x40C8, 0x40FA, 0x40FC, 0x44C8, 0x44FD, 0x46CF, 0x46FF}) {
        EXPECT_TRUE(halts(op)) << std::hex << op;
    }
    EXPECT_EQ(count_unassigned(0x40C0, 0x40FF), 14u);
    EXPECT_EQ(count_unassigned(0x44C0, 0x44FF), 11u);
    EXPECT_EQ(count_unassigned(0x46C0, 0x46FF), 11u);
}

}  // namespace
}  // namespace varn::test
