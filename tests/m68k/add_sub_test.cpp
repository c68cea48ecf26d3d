// ADD and SUB in both directions.

#include <gtest/gtest.h>

#include "m68k/m68k_flags.h"
#include "op_case.h"

namespace varn::test {
namespace {

using M68kAddSub = M68kOpTest;

TEST_F(M68kAddSub, FlagsAndOperands) {
    run_cases({
        {.name       = "SUB.B D1,D0 borrows, upper bits kept",
         .code       = {0x9001},
         .regs       = {D(0, 0x12345600), D(1, 1)},
         .expect     = {D(0, 0x123456FF)},
         .expect_ccr = kX | kN | kC,
         .cycles     = 4},
        {.name       = "ADD.W #1,D0 overflows into the sign",
         .code       = {0xD07C, 0x0001},
         .regs       = {D(0, 0xAAAA7FFF)},
         .ccr        = kX | kZ | kC,
         .expect     = {D(0, 0xAAAA8000)},
         .expect_ccr = kN | kV,
         .cycles     = 4},
        {.name       = "ADD.L D0,D0 of 0x80000000",
         .code       = {0xD080},
         .regs       = {D(0, 0x80000000)},
         .expect     = {D(0, 0)},
         .expect_ccr = kX | kZ | kV | kC,
         .cycles     = 6},
        {.name       = "SUB.W D0,D0 keeps the upper word",
         .code       = {0x9040},
         .regs       = {D(0, 0x1234ABCD)},
         .ccr        = 0xFF,
         .expect     = {D(0, 0x12340000)},
         .expect_ccr = kZ},
        {.name   = "SUB.W A1,D0 takes the low word of A1",
         .code   = {0x9049},
         .regs   = {D(0, 0x00000010), A(1, 0xFFFF0001)},
         .expect = {D(0, 0x0000000F)}},
        {.name       = "SUB.B (A7)+,D0 steps A7 by 2",
         .code       = {0x901F},
         .regs       = {A(7, kData)},
         .mem        = {B(kData, 0x01)},
         .expect     = {D(0, 0xFF), A(7, kData + 2)},
         .expect_ccr = kX | kN | kC},
        {.name       = "SUB.B (A6)+,D0 steps A6 by 1",
         .code       = {0x901E},
         .regs       = {A(6, kData)},
         .expect     = {A(6, kData + 1)},
         .expect_ccr = kZ},
        {.name       = "ADD.B D0,-(A7) steps down by 2 and writes there",
         .code       = {0xD127},
         .regs       = {D(0, 0x7F), A(7, kData + 2)},
         .mem        = {B(kData, 0x01)},
         .expect     = {A(7, kData)},
         .expect_mem = {B(kData, 0x80)},
         .expect_ccr = kN | kV,
         .cycles     = 8},
        {.name       = "ADD.W D0,(A0)+ writes where it read",
         .code       = {0xD158},
         .regs       = {D(0, 0x0001), A(0, kData)},
         .mem        = {W(kData, 0xFFFF)},
         .expect     = {A(0, kData + 2)},
         .expect_mem = {W(kData, 0x0000), W(kData + 2, 0)},
         .expect_ccr = kX | kZ | kC,
         .cycles     = 8},
        {.name   = "SUB.L (A0),D0 counts 6",
         .code   = {0x9090},
         .regs   = {D(0, 10), A(0, kData)},
         .mem    = {L(kData, 3)},
         .expect = {D(0, 7)},
         .cycles = 6},
        {.name       = "ADD.L #imm,D0 is 6 bytes",
         .code       = {0xD0BC, 0x0001, 0x0000},
         .regs       = {D(0, 0xFFFF0000)},
         .expect     = {D(0, 0)},
         .expect_ccr = kX | kZ | kC,
         .cycles     = 6},
        {.name       = "SUB.L D1,abs.L is 6 bytes and counts 12; memory minus register",
         .code       = {0x93B9, 0x00FF, 0x8000},
         .regs       = {D(1, 1)},
         .mem        = {L(kData, 0x80000000)},
         .expect_mem = {L(kData, 0x7FFFFFFF)},
         .expect_ccr = kV,
         .cycles     = 12},
        {.name   = "ADD.B d8(A0,D1.W),D2",
         .code   = {0xD430, 0x10FE},
         .regs   = {D(1, 0x00010004), D(2, 0x10), A(0, kData)},
         .mem    = {B(kData + 2, 0x20)},
         .expect = {D(2, 0x30)}},
    });
}

TEST_F(M68kAddSub, EncodingsWithoutAMemberHalt) {
    for (u16 op : {0x9009, 0x903D, 0x913A, 0x913C, 0xD13C, 0xD1BB}) {
        EXPECT_TRUE(halts(op)) << std::hex << op;
    }
    // The whole of lines 9 and D: ADD or SUB 280 halts, ADDA or SUBA 48, ADDX or SUBX none.
    EXPECT_EQ(count_unassigned(0x9000, 0x9FFF), 328u);
    EXPECT_EQ(count_unassigned(0xD000, 0xDFFF), 328u);
}

// The add/subtract rule that every adding and subtracting instruction shares, against wide
// arithmetic: every byte pair with and without a carry in, and word and long samples.
template <m68k::Size S>
void check_rule(u32 s, u32 d, u32 x) {
    constexpr u32 bits = static_cast<u32>(S) * 8;
    const u64 mask     = (u64{1} << bits) - 1;
    const auto sign    = [&](u64 v) { return static_cast<s64>(v << (64 - bits)) >> (64 - bits); };
    const u64 sum      = u64{d} + s + x;
    const s64 ssum     = sign(d) + sign(s) + x;
    const u64 diff     = u64{d} - s - x;
    const s64 sdiff    = sign(d) - sign(s) - static_cast<s64>(x);
    const auto expect  = [&](u64 r, bool carry, bool overflow) {
        u32 ccr = (r & mask) == 0 ? kZ : 0;
        if ((r >> (bits - 1)) & 1) ccr |= kN;
        if (overflow) ccr |= kV;
        if (carry) ccr |= kX | kC;
        return ccr;
    };
    // The CCR byte the result stands for: N and Z from the top-aligned result, and the
    // compare form's V and C equal to the full form's without X.
    const auto ccr = [](const m68k::AddSubResult& r) {
        EXPECT_EQ(r.vc, r.xvc & ~u32{kX});
        return r.xvc | ((r.top >> 28) & kN) | (r.top == 0 ? kZ : 0u);
    };
    const auto add = m68k::add_sub<m68k::AddSub::kAdd, S>(s, d, x);
    const auto sub = m68k::add_sub<m68k::AddSub::kSub, S>(s, d, x);
    ASSERT_EQ(add.res, sum & mask);
    ASSERT_EQ(ccr(add), expect(sum, sum > mask, sign(sum & mask) != ssum)) << s << " + " << d;
    ASSERT_EQ(sub.res, diff & mask);
    ASSERT_EQ(ccr(sub), expect(diff, u64{s} + x > d, sign(diff & mask) != sdiff))
        << d << " - " << s;
}

TEST(M68kAddSubRule, MatchesWideArithmetic) {
    for (u32 s = 0; s < 256; ++s) {
        for (u32 d = 0; d < 256; ++d) {
            check_rule<m68k::Size::kByte>(s, d, 0);
            check_rule<m68k::Size::kByte>(s, d, 1);
        }
    }
    const u32 samples[] = {0,          1,          0x7F,       0x80,       0x7FFF,
                           0x8000,     0xFFFF,     0x10000,    0x7FFFFFFF, 0x80000000,
                           0xFFFFFFFE, 0xFFFFFFFF, 0x12345678, 0xEDCBA987};
    for (u32 s : samples) {
        for (u32 d : samples) {
            for (u32 x : {0u, 1u}) {
                check_rule<m68k::Size::kWord>(s & 0xFFFF, d & 0xFFFF, x);
                check_rule<m68k::Size::kLong>(s, d, x);
            }
        }
    }
}

}  // namespace
}  // namespace varn::test
