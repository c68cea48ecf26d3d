// The older core's handler groups, one instruction per case: registers, memory, CCR, the
// stored cost and the instruction's length. The case tables keep one case to a line.

#include <gtest/gtest.h>

#include <vector>

#include "legacy_m68k_support.h"

namespace varn::test {
namespace {

inline constexpr u32 kOperands = 0xFF8100;  // work RAM for operands, clear of the stack

struct Case {
    const char* name;
    std::vector<u16> code;
    std::vector<RegValue> regs{};
    std::vector<MemValue> mem{};
    u32 ccr = 0;
    std::vector<RegValue> expect{};  // registers that change; all others must not
    std::vector<MemValue> expect_mem{};
    u32 expect_ccr = 0;
    u32 cost       = 0;
    u32 length     = ~0u;  // bytes from kCode to the next PC; ~0u: the code's length
};

class LegacyHandlerTest : public LegacyFixture {
  protected:
    void run_cases(const std::vector<Case>& cases) {
        for (const Case& t : cases) {
            SCOPED_TRACE(t.name);
            SetUp();
            start_at(kCode, {});
            for (std::size_t i = 0; i < t.code.size(); ++i) poke(kCode + 2 * i, t.code[i], 2);
            poke(kCode + 2 * t.code.size(), 0x4E71, 2);
            for (const RegValue& r : t.regs) cpu().regs[r.index] = r.value;
            for (const MemValue& m : t.mem) poke(m.addr, m.value, m.size);
            cpu().sr           = static_cast<u16>(0x2700 | t.ccr);
            auto expected_regs = cpu().regs;
            for (const RegValue& r : t.expect) expected_regs[r.index] = r.value;
            EXPECT_EQ(step(), t.cost);
            EXPECT_FALSE(halted());
            EXPECT_EQ(cpu().regs, expected_regs);
            for (const MemValue& m : t.expect_mem)
                EXPECT_EQ(peek(m.addr, m.size), m.value) << std::hex << m.addr;
            EXPECT_EQ(ccr(), t.expect_ccr);
            const u32 length = t.length != ~0u ? t.length : static_cast<u32>(2 * t.code.size());
            EXPECT_EQ(cpu().pc, kCode + length);
        }
    }
};

TEST_F(LegacyHandlerTest, Immediate) {
    // clang-format off
    run_cases({
        {"ORI.W #0,D3", {0x0043, 0x0000}, {D(3, 0x12340000)}, {}, kX | kN | kV | kC, {}, {}, kX | kZ, 8},
        {"ADDI.B #1,D0 0x7F", {0x0600, 0x0001}, {D(0, 0x7F)}, {}, 0, {D(0, 0x80)}, {}, kN | kV, 8},
        {"ADDI.B #1,D0 0xFF", {0x0600, 0x0001}, {D(0, 0xFF)}, {}, 0, {D(0, 0x00)}, {}, kX | kZ | kC, 8},
        {"CMPI.L #1,D0", {0x0C80, 0x0000, 0x0001}, {D(0, 0)}, {}, kX, {}, {}, kX | kN | kC, 14},
        {"ORI.B #1,(A7)+", {0x001F, 0x0001}, {A(7, kOperands)}, {B(kOperands, 0x80)}, 0, {A(7, kOperands + 2)},
         {B(kOperands, 0x81)}, kN, 12},
        {"ORI.B #1,-(A0)", {0x0020, 0x0001}, {A(0, kOperands + 1)}, {B(kOperands, 0x40)}, 0, {A(0, kOperands)},
         {B(kOperands, 0x41)}, 0, 12},
        {"ADDI.W #0x8000,d16(A1)", {0x0669, 0x8000, 0x0010}, {A(1, kOperands)}, {W(kOperands + 0x10, 0x0001)}, 0,
         {}, {W(kOperands + 0x10, 0x8001)}, kN, 12},
        {"SUBI.L #1,D2", {0x0482, 0x0000, 0x0001}, {D(2, 0)}, {}, 0, {D(2, 0xFFFFFFFF)}, {}, kX | kN | kC, 16},
        {"CMPI.W #1,d16(PC)", {0x0C7A, 0x0001, 0x0010}, {}, {W(kCode + 4 + 0x10, 0x0001)}, 0, {}, {}, kZ, 8},
        {"EORI #0x1F,CCR", {0x0A3C, 0x001F}, {}, {}, kX | kC, {}, {}, kN | kZ | kV, 20},
        {"ANDI #0xF8,CCR keeps bits 5-7 of its mask", {0x023C, 0x00F8}, {}, {}, 0x1F, {}, {}, kX | kN, 20},
        {"ANDI.L #0xFFFF0000,D5", {0x0285, 0xFFFF, 0x0000}, {D(5, 0x12345678)}, {}, 0, {D(5, 0x12340000)}, {}, 0, 14},
    });
    // clang-format on
}

TEST_F(LegacyHandlerTest, BitsAndMovep) {
    // clang-format off
    run_cases({
        {"BTST #33,D0", {0x0800, 0x0021}, {D(0, 0x2)}, {}, kZ, {}, {}, 0, 10},
        {"BTST #9,(A0)", {0x0810, 0x0009}, {A(0, kOperands)}, {B(kOperands, 0xFD)}, 0, {}, {}, kZ, 8},
        {"BSET D1,D2", {0x03C2}, {D(1, 0x25), D(2, 0)}, {}, 0, {D(2, 0x20)}, {}, kZ, 8},
        {"BCLR #3,D2", {0x0882, 0x0003}, {D(2, 0xFF)}, {}, kZ, {D(2, 0xF7)}, {}, 0, 14},
        {"BCHG #0,d16(PC) writes back", {0x087A, 0x0000, 0x0010}, {}, {B(kCode + 4 + 0x10, 0x01)}, 0, {},
         {B(kCode + 4 + 0x10, 0x00)}, 0, 12},
        {"BTST D1,(A0) dynamic memory", {0x0310}, {D(1, 9), A(0, kOperands)}, {B(kOperands, 0x02)}, kZ, {}, {}, 0, 4},
        {"MOVEP.W D0,0(A0)", {0x0188, 0x0000}, {D(0, 0x1234), A(0, kOperands)}, {B(kOperands + 1, 0x77)}, 0, {},
         {B(kOperands, 0x12), B(kOperands + 1, 0x77), B(kOperands + 2, 0x34)}, 0, 16},
        {"MOVEP.L 2(A1),D3", {0x0749, 0x0002}, {A(1, kOperands)},
         {B(kOperands + 2, 0x11), B(kOperands + 4, 0x22), B(kOperands + 6, 0x33), B(kOperands + 8, 0x44)}, 0,
         {D(3, 0x11223344)}, {}, 0, 24},
    });
    // clang-format on
}

TEST_F(LegacyHandlerTest, Moves) {
    // clang-format off
    run_cases({
        {"MOVE.B (A7)+,D0", {0x101F}, {A(7, kOperands)}, {B(kOperands, 0x80)}, 0, {D(0, 0x80), A(7, kOperands + 2)}, {}, kN, 4},
        {"MOVE.B D0,-(A7)", {0x1F00}, {D(0, 0x01), A(7, kOperands)}, {}, 0, {A(7, kOperands - 2)}, {B(kOperands - 2, 0x01)}, 0, 8},
        {"MOVE.B D0,-(A6)", {0x1D00}, {D(0, 0x01), A(6, kOperands)}, {}, 0, {A(6, kOperands - 1)}, {B(kOperands - 1, 0x01)}, 0, 8},
        {"MOVE.L (A0)+,(A0)+", {0x20D8}, {A(0, kOperands)}, {L(kOperands, 0xCAFEF00D)}, 0, {A(0, kOperands + 8)},
         {L(kOperands + 4, 0xCAFEF00D)}, kN, 8},
        {"MOVE.W #0x8000,d16(A1)", {0x337C, 0x8000, 0x0010}, {A(1, kOperands)}, {}, kX | kZ, {},
         {W(kOperands + 0x10, 0x8000)}, kX | kN, 12},
        {"MOVEA.W #0xFFFF,A2", {0x347C, 0xFFFF}, {}, {}, kZ | kC, {A(2, 0xFFFFFFFF)}, {}, kZ | kC, 4},
        {"MOVE.B #0x80,A3", {0x167C, 0x0080}, {A(3, 0x00123456)}, {}, 0, {A(3, 0x00123480)}, {}, kN, 4},
        {"MOVE.B A1,D0", {0x1009}, {A(1, 0x12345600)}, {}, 0, {}, {}, kZ, 4},
        {"MOVE.L D0,abs.L", {0x23C0, 0x00FF, 0x8100}, {D(0, 0)}, {}, 0, {}, {L(kOperands, 0)}, kZ, 16},
        {"MOVE.W d8(A0,D1.W),D2", {0x3430, 0x10FE}, {A(0, kOperands), D(1, 0xFFFF0004)},
         {W(kOperands + 2, 0x1234)}, 0, {D(2, 0x1234)}, {}, 0, 4},
        {"MOVE.W d8(A0,A1.L),D2", {0x3430, 0x9800}, {A(0, kOperands), A(1, 0x00000004)},
         {W(kOperands + 4, 0x5678)}, 0, {D(2, 0x5678)}, {}, 0, 4},
    });
    // clang-format on
}

TEST_F(LegacyHandlerTest, NegxClrMoveFromSr) {
    // clang-format off
    run_cases({
        {"NEGX.B D0 of 0, X clear", {0x4000}, {D(0, 0)}, {}, kZ | kN, {}, {}, kZ, 4},
        {"NEGX.B D0 of 0, X set", {0x4000}, {D(0, 0)}, {}, kX | kZ, {D(0, 0xFF)}, {}, kX | kN | kC, 4},
        {"NEGX.W D1 of 0x8000", {0x4041}, {D(1, 0x8000)}, {}, 0, {}, {}, kX | kN | kV | kC, 4},
        {"CLR.L (A0)+", {0x4298}, {A(0, kOperands)}, {L(kOperands, 0xFFFFFFFF)}, kN | kC, {A(0, kOperands + 4)},
         {L(kOperands, 0)}, kZ, 12},
        {"CLR.B D2", {0x4202}, {D(2, 0x12345678)}, {}, 0, {D(2, 0x12345600)}, {}, kZ, 4},
        {"MOVE SR,D3", {0x40C3}, {D(3, 0xFFFF0000)}, {}, kC, {D(3, 0xFFFF2701)}, {}, kC, 6},
    });
    // clang-format on
}

TEST_F(LegacyHandlerTest, MemoryShifts) {
    // clang-format off
    run_cases({
        {"ASL 0x4000", {0xE1D0}, {A(0, kOperands)}, {W(kOperands, 0x4000)}, 0, {}, {W(kOperands, 0x8000)}, kN | kV, 8},
        {"ASL 0xC000", {0xE1D0}, {A(0, kOperands)}, {W(kOperands, 0xC000)}, 0, {}, {W(kOperands, 0x8000)}, kX | kN | kC, 8},
        {"ASR 0x8001", {0xE0D0}, {A(0, kOperands)}, {W(kOperands, 0x8001)}, 0, {}, {W(kOperands, 0xC000)}, kX | kN | kC, 8},
        {"ROXL 0x8000, X clear", {0xE5D0}, {A(0, kOperands)}, {W(kOperands, 0x8000)}, 0, {}, {W(kOperands, 0)}, kX | kZ | kC, 8},
        {"ROL 0x8000 keeps X", {0xE7D0}, {A(0, kOperands)}, {W(kOperands, 0x8000)}, 0, {}, {W(kOperands, 1)}, kC, 8},
        {"LSR -(A0)", {0xE2E0}, {A(0, kOperands + 2)}, {W(kOperands, 0x0003)}, 0, {A(0, kOperands)}, {W(kOperands, 1)}, kX | kC, 8},
    });
    // clang-format on
}

TEST_F(LegacyHandlerTest, ArithmeticAndLogic) {
    // clang-format off
    run_cases({
        {"ADDQ.L #8,D0", {0x5080}, {D(0, 1)}, {}, 0, {D(0, 9)}, {}, 0, 8},
        {"ADDQ.W #1,A0 all 32 bits", {0x5248}, {A(0, 0xFFFF)}, {}, kZ, {A(0, 0x10000)}, {}, kZ, 4},
        {"SUBQ.W #1,A0 costs 8", {0x5348}, {A(0, 0x10000)}, {}, 0, {A(0, 0xFFFF)}, {}, 0, 8},
        {"ADD.B (A7)+,D0", {0xD01F}, {A(7, kOperands)}, {B(kOperands, 1)}, 0, {D(0, 1), A(7, kOperands + 2)}, {}, 0, 4},
        {"ADD.B -(A7),D0", {0xD027}, {A(7, kOperands + 2)}, {B(kOperands, 2)}, 0, {D(0, 2), A(7, kOperands)}, {}, 0, 4},
        {"NEG.B (A0)+", {0x4418}, {A(0, kOperands)}, {B(kOperands, 0x80)}, 0, {A(0, kOperands + 1)}, {B(kOperands, 0x80)},
         kX | kN | kV | kC, 8},
        {"NEG.L D0 of 0", {0x4480}, {D(0, 0)}, {}, kX | kC, {}, {}, kZ, 6},
        {"CMP.B A1,D0 (byte of An)", {0xB009}, {A(1, 0x101), D(0, 1)}, {}, kX, {}, {}, kX | kZ, 4},
        {"AND.W D0,(A0)", {0xC150}, {D(0, 0x0F0F), A(0, kOperands)}, {W(kOperands, 0xFFFF)}, kX | kV | kC, {},
         {W(kOperands, 0x0F0F)}, kX, 8},
        {"SWAP 0x80000000", {0x4840}, {D(0, 0x80000000)}, {}, 0, {D(0, 0x00008000)}, {}, 0, 4},
        {"CMPA.W 0x8000", {0xB0FC, 0x8000}, {A(0, 0xFFFF8000)}, {}, 0, {}, {}, kZ, 6},
        {"TST.L A3", {0x4A8B}, {A(3, 0x80000000)}, {}, kX | kC, {}, {}, kX | kN, 4},
        {"EXT.W", {0x4880}, {D(0, 0x12345680)}, {}, 0, {D(0, 0x1234FF80)}, {}, kN, 4},
        {"EXTB.L", {0x49C0}, {D(0, 0x12345680)}, {}, 0, {D(0, 0xFFFFFF80)}, {}, kN, 4},
        {"OR.W D1,D0 (Dn destination)", {0x8340}, {D(1, 0x00F0), D(0, 0x1000000F)}, {}, 0,
         {D(0, 0x100000FF)}, {}, 0, 8},
        {"EOR.L D1,D0", {0xB380}, {D(1, 0xFFFFFFFF), D(0, 0xFFFFFFFF)}, {}, 0, {D(0, 0)}, {}, kZ, 8},
        {"ADDX.B -(A7),-(A7) moves A7 by 1", {0xDF0F}, {A(7, kOperands + 2)}, {B(kOperands + 1, 1), B(kOperands, 2)},
         kX | kZ, {A(7, kOperands)}, {B(kOperands, 4)}, 0, 18},
        {"SUBX.L D1,D0 keeps Z on zero", {0x9181}, {D(1, 1), D(0, 1)}, {}, kZ, {D(0, 0)}, {}, kZ, 8},
        {"CMPM.W (A0)+,(A1)+", {0xB348}, {A(0, kOperands), A(1, kOperands + 2)}, {W(kOperands, 5), W(kOperands + 2, 5)}, 0,
         {A(0, kOperands + 2), A(1, kOperands + 4)}, {}, kZ, 12},
        {"EXG D0,A1", {0xC189}, {D(0, 1), A(1, 2)}, {}, 0, {D(0, 2), A(1, 1)}, {}, 0, 6},
        {"MOVEQ #-1,D7", {0x7EFF}, {}, {}, kX, {D(7, 0xFFFFFFFF)}, {}, kX | kN, 4},
        {"ADDA.W #-1,A0", {0xD0FC, 0xFFFF}, {A(0, 0)}, {}, 0, {A(0, 0xFFFFFFFF)}, {}, 0, 8},
        {"TAS (A0)", {0x4AD0}, {A(0, kOperands)}, {B(kOperands, 0)}, 0, {}, {B(kOperands, 0x80)}, kZ, 14},
    });
    // clang-format on
}

TEST_F(LegacyHandlerTest, AddressesAndRegisterLists) {
    // clang-format off
    run_cases({
        {"LEA d16(PC),A0 from the extension word", {0x41FA, 0x0010}, {}, {}, 0, {A(0, kCode + 2 + 0x10)}, {}, 0, 8},
        {"PEA (A0)", {0x4850}, {A(0, 0x1234), A(7, kOperands)}, {}, 0, {A(7, kOperands - 4)}, {L(kOperands - 4, 0x1234)}, 0, 12},
        {"MOVEM.W (A0),D0/A1", {0x4C90, 0x0201}, {A(0, kOperands)}, {W(kOperands, 0x8000), W(kOperands + 2, 0x8000)}, 0,
         {D(0, 0xFFFF8000), A(1, 0xFFFF8000)}, {}, 0, 12},
        {"MOVEM.L D0-D1,-(A7)", {0x48E7, 0xC000}, {D(0, 0xD0), D(1, 0xD1), A(7, 0xFF1000)}, {}, 0,
         {A(7, 0xFF0FF8)}, {L(0xFF0FFC, 0xD1), L(0xFF0FF8, 0xD0)}, 0, 8},
        {"MOVEM.W (A0)+,D0/A0", {0x4C98, 0x0101}, {A(0, kOperands)}, {W(kOperands, 7), W(kOperands + 2, 9)}, 0,
         {D(0, 7), A(0, kOperands + 4)}, {}, 0, 12},
        {"MOVEM.L -(A0) with an empty mask", {0x48E0, 0x0000}, {A(0, kOperands)}, {}, 0, {}, {}, 0, 8},
        {"MOVEM.L A0,-(A0) writes A0 lowered", {0x48E0, 0x0080}, {A(0, kOperands)}, {}, 0, {A(0, kOperands - 4)},
         {L(kOperands - 4, kOperands - 4)}, 0, 8},
        {"MOVE #0xFF,CCR", {0x44FC, 0x00FF}, {}, {}, 0, {}, {}, 0xFF, 12},
        {"UNLK A6", {0x4E5E}, {A(6, 0xFF2000)}, {L(0xFF2000, 0x3000)}, 0, {A(6, 0x3000), A(7, 0xFF2004)}, {}, 0, 12},
        {"LINK A6,#-8", {0x4E56, 0xFFF8}, {A(6, 0x1111), A(7, 0xFF2000)}, {}, 0,
         {A(6, 0xFF1FFC), A(7, 0xFF1FF4)}, {L(0xFF1FFC, 0x1111)}, 0, 16},
        {"MOVE A3,USP", {0x4E63}, {A(3, 0x4444)}, {}, 0, {}, {}, 0, 4},
        // ST stores no cost: at a slice's start the NOP behind it runs in the same slice.
        {"ST D0", {0x50C0}, {D(0, 0x12345600)}, {}, 0, {D(0, 0x123456FF)}, {}, 0, 4, 4},
    });
    // clang-format on
}

TEST_F(LegacyHandlerTest, Branches) {
    // clang-format off
    run_cases({
        {"BRA.S to itself", {0x60FE}, {}, {}, 0, {}, {}, 0, 10, 0},
        {"BEQ.W taken", {0x6700, 0x0010}, {}, {}, kZ, {}, {}, kZ, 10, 0x12},
        {"BNE.S not taken", {0x6602}, {}, {}, kZ, {}, {}, kZ, 8},
        {"BNE.W not taken", {0x6600, 0x0010}, {}, {}, kZ, {}, {}, kZ, 12},
        {"BCC.S -1 is a byte displacement", {0x64FF}, {}, {}, 0, {}, {}, 0, 10, 1},
        {"DBF D0 expiring", {0x51C8, 0xFFFE}, {D(0, 0x12340000)}, {}, 0, {D(0, 0x1234FFFF)}, {}, 0, 14},
        {"DBT D0 leaves D0", {0x50C8, 0xFFFE}, {D(0, 0)}, {}, 0, {}, {}, 0, 12},
        {"DBF D0 looping", {0x51C8, 0x0010}, {D(0, 2)}, {}, 0, {D(0, 1)}, {}, 0, 10, 0x12},
        {"BSR.W", {0x6100, 0x0010}, {A(7, kOperands)}, {}, 0, {A(7, kOperands - 4)}, {L(kOperands - 4, kCode + 4)}, 0, 18, 0x12},
        {"JSR (A0)", {0x4E90}, {A(0, kCode + 0x40), A(7, kOperands)}, {}, 0, {A(7, kOperands - 4)}, {L(kOperands - 4, kCode + 2)},
         0, 16, 0x40},
        {"JSR abs.W", {0x4EB8, 0x1100}, {A(7, kOperands)}, {}, 0, {A(7, kOperands - 4)}, {L(kOperands - 4, kCode + 4)}, 0, 18,
         0x100},
        {"RTS", {0x4E75}, {A(7, kOperands)}, {L(kOperands, kCode + 0x20)}, 0, {A(7, kOperands + 4)}, {}, 0, 16, 0x20},
        {"RTR replaces the whole CCR byte", {0x4E77}, {A(7, kOperands)}, {W(kOperands, 0xFFE5), L(kOperands + 2, kCode + 0x20)},
         0, {A(7, kOperands + 6)}, {}, 0xE5, 20, 0x20},
    });
    // clang-format on
}

TEST_F(LegacyHandlerTest, RegisterShiftsMultiplyDivideDecimal) {
    // clang-format off
    run_cases({
        {"LSL.B D1,D0 by 40", {0xE328}, {D(1, 40), D(0, 0x12345681)}, {}, kX | kN | kV | kC, {D(0, 0x12345600)}, {},
         kZ, 6},
        {"LSL.B D1,D0 by 64 (count 0)", {0xE328}, {D(1, 64), D(0, 0x81)}, {}, kX | kC, {}, {}, kX | kN, 6},
        {"LSL.L D1,D0 by 32 clears C", {0xE3A8}, {D(1, 32), D(0, 0xFFFFFFFF)}, {}, 0, {D(0, 0)}, {}, kZ, 8},
        {"LSR.L D1,D0 by 32 clears C", {0xE2A8}, {D(1, 32), D(0, 0xFFFFFFFF)}, {}, 0, {D(0, 0)}, {}, kZ, 8},
        {"ROL.L D1,D0 by 32", {0xE3B8}, {D(1, 32), D(0, 0x80000001)}, {}, 0, {}, {}, kN | kC, 8},
        {"ASR.W #8,D0 of 0x8000", {0xE040}, {D(0, 0x8000)}, {}, 0, {D(0, 0xFF80)}, {}, kN, 6},
        {"ROXL.B #1,D0 of 0x80 with X", {0xE310}, {D(0, 0x80)}, {}, kX, {D(0, 0x01)}, {}, kX | kC, 6},
        {"ASL.B #8,D0 clears V", {0xE100}, {D(0, 0x01)}, {}, 0, {D(0, 0)}, {}, kX | kZ | kC, 6},
        {"ASL.B D1,D0 by 8 sets V", {0xE320}, {D(1, 8), D(0, 0x01)}, {}, 0, {D(0, 0)}, {}, kX | kZ | kV | kC, 6},
        {"ASL.W D1,D0 by 17", {0xE360}, {D(1, 17), D(0, 0x8001)}, {}, 0, {D(0, 0)}, {}, kZ | kV, 6},
        {"ROXR.W D1,D0 by 17 (a whole ring)", {0xE270}, {D(1, 17), D(0, 0x1234)}, {}, kX, {}, {}, kX | kC, 6},
        {"MULU 0xFFFF x 0xFFFF", {0xC0FC, 0xFFFF}, {D(0, 0xFFFF)}, {}, 0, {D(0, 0xFFFE0001)}, {}, kN, 38},
        {"MULS 0x8000 x 0", {0xC1FC, 0x8000}, {D(0, 0)}, {}, kN, {}, {}, kZ, 38},
        {"DIVU 0x10000 / 1 overflows", {0x80FC, 0x0001}, {D(0, 0x10000)}, {}, 0, {}, {}, kV | kZ, 140},
        {"DIVS 0x80000000 / -1 overflows", {0x81FC, 0xFFFF}, {D(0, 0x80000000)}, {}, 0, {}, {}, kV | kZ, 158},
        {"DIVS -7 / 2", {0x81FC, 0x0002}, {D(0, 0xFFFFFFF9)}, {}, 0, {D(0, 0xFFFFFFFD)}, {}, kN, 158},
        {"ABCD 0x45 + 0x55", {0xC101}, {D(0, 0x45), D(1, 0x55)}, {}, kZ, {D(0, 0x00)}, {}, kX | kZ | kC, 6},
        {"ABCD 0x09 + 0x01", {0xC101}, {D(0, 0x09), D(1, 0x01)}, {}, kZ, {D(0, 0x10)}, {}, 0, 6},
        {"NBCD 0 with X clear", {0x4800}, {D(0, 0)}, {}, kZ, {}, {}, kZ, 6},
        {"NBCD 0 with X set", {0x4800}, {D(0, 0)}, {}, kX | kZ, {D(0, 0x99)}, {}, kX | kC, 6},
        {"SBCD of an invalid digit borrows by the high digit only", {0x8101}, {D(0, 0x10), D(1, 0x0F)}, {}, 0,
         {D(0, 0xFB)}, {}, 0, 6},
        {"SBCD -(A1),-(A0)", {0x8109}, {A(0, kOperands + 1), A(1, kOperands + 3)}, {B(kOperands, 0x50), B(kOperands + 2, 0x01)},
         0, {A(0, kOperands), A(1, kOperands + 2)}, {B(kOperands, 0x49)}, 0, 18},
    });
    // clang-format on
}

}  // namespace
}  // namespace varn::test
