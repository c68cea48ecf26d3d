// ORI, ANDI, EORI, SUBI, ADDI and CMPI with an immediate source; ORI, ANDI and EORI to CCR
// and to SR.

#include <gtest/gtest.h>

#include "op_case.h"

namespace varn::test {
namespace {

using M68kImmediate = M68kOpTest;

TEST_F(M68kImmediate, RegisterAndMemoryForms) {
    run_cases({
        {.name       = "ORI.W #0x8001,D3 keeps the upper word",
         .code       = {0x0043, 0x8001},
         .regs       = {D(3, 0x12340000)},
         .ccr        = kX,
         .expect     = {D(3, 0x12348001)},
         .expect_ccr = kX | kN,
         .cycles     = 8},
        {.name       = "ANDI.B #0x0F,D0 clears the low byte only",
         .code       = {0x0200, 0x000F},
         .regs       = {D(0, 0xFFFFFFF0)},
         .ccr        = kN | kV | kC,
         .expect     = {D(0, 0xFFFFFF00)},
         .expect_ccr = kZ},
        {.name   = "a byte immediate ignores the high byte of its word",
         .code   = {0x0001, 0xFF01},
         .expect = {D(1, 0x01)}},
        {.name   = "ANDI.L on Dn counts 14",
         .code   = {0x0280, 0x0000, 0xFFFF},
         .regs   = {D(0, 0x12345678)},
         .expect = {D(0, 0x5678)},
         .cycles = 14},
        {.name       = "ORI.B #1,(A7)+ steps A7 by 2",
         .code       = {0x001F, 0x0001},
         .regs       = {A(7, kData)},
         .mem        = {B(kData, 0x80)},
         .expect     = {A(7, kData + 2)},
         .expect_mem = {B(kData, 0x81), B(kData + 1, 0)},
         .expect_ccr = kN,
         .cycles     = 12},
        {.name       = "ORI.B #1,(A6)+ steps A6 by 1",
         .code       = {0x001E, 0x0001},
         .regs       = {A(6, kData)},
         .expect     = {A(6, kData + 1)},
         .expect_mem = {B(kData, 0x01)}},
        {.name       = "ORI.B #1,-(A7) steps A7 down by 2 before the read",
         .code       = {0x0027, 0x0001},
         .regs       = {A(7, kData + 2)},
         .mem        = {B(kData, 0x40)},
         .expect     = {A(7, kData)},
         .expect_mem = {B(kData, 0x41)}},
        {.name       = "EORI.L to d16(An) is 8 bytes and counts 20",
         .code       = {0x0AA8, 0xFFFF, 0xFFFF, 0x0010},
         .regs       = {A(0, kData)},
         .mem        = {L(kData + 0x10, 0x0F0F0F0F)},
         .expect_mem = {L(kData + 0x10, 0xF0F0F0F0)},
         .expect_ccr = kN,
         .cycles     = 20},
        {.name       = "ORI #0xE0,CCR sets the flagless bits",
         .code       = {0x003C, 0x00E0},
         .ccr        = kX | kC,
         .expect_ccr = 0xF1,
         .cycles     = 20},
        {.name       = "a data form clears them again",
         .code       = {0x0200, 0x00FF},
         .regs       = {D(0, 0x01)},
         .ccr        = 0xF0 | kX,
         .expect_ccr = kX},
        {.name       = "ANDI #0xEF,CCR and EORI #0x05,CCR",
         .code       = {0x023C, 0x00EF},
         .ccr        = kX | kN,
         .expect_ccr = kN},
        {.name = "EORI to CCR", .code = {0x0A3C, 0x0005}, .ccr = kZ, .expect_ccr = kC},
        {.name       = "SUBI.B #1 from 0x80 overflows",
         .code       = {0x0400, 0x0001},
         .regs       = {D(0, 0xAABBCC80)},
         .ccr        = kX | kZ | kC,
         .expect     = {D(0, 0xAABBCC7F)},
         .expect_ccr = kV},
        {.name       = "SUBI.B #1 from 0 borrows",
         .code       = {0x0400, 0x0001},
         .expect     = {D(0, 0xFF)},
         .expect_ccr = kX | kN | kC},
        {.name       = "ADDI.W #0x8000 to 0x8000",
         .code       = {0x0641, 0x8000},
         .regs       = {D(1, 0x55558000)},
         .expect     = {D(1, 0x55550000)},
         .expect_ccr = kX | kZ | kV | kC,
         .cycles     = 8},
        {.name       = "ADDI.L #1 to the largest positive long",
         .code       = {0x0682, 0x0000, 0x0001},
         .regs       = {D(2, 0x7FFFFFFF)},
         .expect     = {D(2, 0x80000000)},
         .expect_ccr = kN | kV,
         .cycles     = 16},
        {.name       = "SUBI.L #1,abs.L is 10 bytes and counts 20",
         .code       = {0x04B9, 0x0000, 0x0001, 0x00FF, 0x8000},
         .expect_mem = {L(kData, 0xFFFFFFFF)},
         .expect_ccr = kX | kN | kC,
         .cycles     = 20},
        {.name       = "CMPI.W #5,(A0)+ only reads",
         .code       = {0x0C58, 0x0005},
         .regs       = {A(0, kData)},
         .mem        = {W(kData, 5)},
         .ccr        = kX,
         .expect     = {A(0, kData + 2)},
         .expect_mem = {W(kData, 5)},
         .expect_ccr = kX | kZ,
         .cycles     = 8},
        {.name       = "CMPI.B #1,D0 keeps X clear and sets C",
         .code       = {0x0C00, 0x0001},
         .expect_ccr = kN | kC},
        {.name       = "CMPI.B #0,D0 keeps X set",
         .code       = {0x0C00, 0x0000},
         .ccr        = kX | kN,
         .expect_ccr = kX | kZ},
        {.name       = "CMPI.B (A7)+ steps A7 by 2",
         .code       = {0x0C1F, 0x0000},
         .regs       = {A(7, kData)},
         .expect     = {A(7, kData + 2)},
         .expect_ccr = kZ},
        {.name       = "CMPI.B (A2)+ steps A2 by 1",
         .code       = {0x0C1A, 0x0000},
         .regs       = {A(2, kData)},
         .expect     = {A(2, kData + 1)},
         .expect_ccr = kZ},
        {.name       = "CMPI.L #imm,d16(PC) reads behind the immediate",
         .code       = {0x0CBA, 0x1234, 0x5678, 0x0010},
         .mem        = {L(kCodeAt + 6 + 0x10, 0x12345678)},
         .expect_ccr = kZ,
         .cycles     = 12},
        {.name       = "CMPI.W #imm,d16(PC)",
         .code       = {0x0C7A, 0x0042, 0x0020},
         .mem        = {W(kCodeAt + 4 + 0x20, 0x0043)},
         .expect_ccr = 0},
        {.name       = "CMPI.L #imm,abs.L is 10 bytes and counts 12",
         .code       = {0x0CB9, 0x0000, 0x0001, 0x00FF, 0x8000},
         .mem        = {L(kData, 1)},
         .expect_ccr = kZ,
         .cycles     = 12},
    });
}

using M68kImmediateSr = M68kOpTest;

TEST_F(M68kImmediateSr, AndiClearingSSwitchesToTheUserStack) {
    enter({0x027C, 0xDFFF}, 0x2704);
    m68k_context.regs[15] = 0xFFFE00;  // the live supervisor A7
    EXPECT_EQ(step(), 20u);
    auto& c = m68k_context;
    EXPECT_EQ(c.sr, 0x0704);
    EXPECT_EQ(c.sp_slot_index, kM68kUserSlot);
    EXPECT_EQ(c.sp_slots[kM68kSupervisorSlot], 0xFFFE00u);
    EXPECT_EQ(c.regs[15], 0xFF7000u);
    EXPECT_EQ(c.pc, kCodeAt + 4);
}

TEST_F(M68kImmediateSr, OriSettingSInUserModeSwitchesWithoutAPrivilegeTest) {
    enter({0x007C, 0x2000}, 0x0000);
    step();
    auto& c = m68k_context;
    EXPECT_EQ(c.sr, 0x2000);
    EXPECT_EQ(c.sp_slot_index, kM68kSupervisorSlot);
    EXPECT_EQ(c.sp_slots[kM68kUserSlot], 0xFF7000u);
    EXPECT_EQ(c.regs[15], 0xFFFF00u);
}

TEST_F(M68kImmediateSr, EoriZeroStillStoresA7AndChecksInterrupts) {
    enter({0x0A7C, 0x0000}, 0xA71F);
    m68k_context.regs[15] = 0xFFFE80;
    step();
    auto& c = m68k_context;
    EXPECT_EQ(c.sr, 0xA71F);  // every bit kept, T included
    EXPECT_EQ(c.sp_slots[kM68kSupervisorSlot], 0xFFFE80u);
    EXPECT_EQ(c.regs[15], 0xFFFE80u);
    EXPECT_EQ(c.irq_check, 0u);  // the check ran
}

// Lowering the mask takes a pending interrupt before the next instruction: the frame holds
// the next instruction's PC and the new SR; the ANDI's 20 cycles are all that is counted.
TEST_F(M68kImmediateSr, LoweringTheMaskTakesAPendingInterrupt) {
    enter({0x027C, 0xF8FF, 0x4E71}, 0x2700);
    poke(0x70, 0x2000, 4);  // level 4 vector
    poke(0x2000, 0x4E71, 2);
    m68k_context.irq_pending = 1u << 4;
    EXPECT_EQ(step(), 20u);
    auto& c = m68k_context;
    EXPECT_EQ(c.pc, 0x2000u);
    EXPECT_EQ(c.sr, 0x2400);
    EXPECT_EQ(c.irq_pending, 0u);
    EXPECT_EQ(c.regs[15], 0xFFFF00u - 6);
    EXPECT_EQ(peek(0xFFFF00 - 6, 2), 0x2000u);  // stacked SR: the one the ANDI made
    EXPECT_EQ(peek(0xFFFF00 - 4, 4), kCodeAt + 4);
}

TEST_F(M68kImmediate, EncodingsWithoutAMemberHalt) {
    for (u16 op : {0x0008, 0x003A, 0x003D, 0x00BC, 0x00C0, 0x043A, 0x0C3C, 0x0A48, 0x06FF}) {
        EXPECT_TRUE(halts(op)) << std::hex << op;
    }
    EXPECT_FALSE(halts(0x0C3A));  // CMPI reads PC-relative operands
    // Per operation, the opcodes of its 256 that halt.
    EXPECT_EQ(count_unassigned(0x0000, 0x00FF), 104u);  // ORI
    EXPECT_EQ(count_unassigned(0x0200, 0x02FF), 104u);  // ANDI
    EXPECT_EQ(count_unassigned(0x0400, 0x04FF), 106u);  // SUBI
    EXPECT_EQ(count_unassigned(0x0600, 0x06FF), 106u);  // ADDI
    EXPECT_EQ(count_unassigned(0x0A00, 0x0AFF), 104u);  // EORI
    EXPECT_EQ(count_unassigned(0x0C00, 0x0CFF), 100u);  // CMPI
}

}  // namespace
}  // namespace varn::test
