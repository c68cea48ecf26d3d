// ABCD, SBCD and EXG: decimal results against plain decimal arithmetic, the digit corrections
// on bytes that are not decimal, the Z chain, the memory form's steps, and the exchanges.

#include <gtest/gtest.h>

#include "m68k_step_fixture.h"

namespace varn::test {
namespace {

class M68kBcdExg : public M68kStepFixture {
  protected:
    // ABCD or SBCD D1,D0 on bytes d and s with extend x; returns the result byte, leaves flags.
    u32 bcd_reg(bool add, u32 d_byte, u32 s_byte, u32 x, u32 ccr_in = 0) {
        d(0) = 0xAABBCC00 | d_byte;
        d(1) = 0x11223300 | s_byte;
        EXPECT_EQ(run({static_cast<u16>(add ? 0xC101 : 0x8101)}, ccr_in | (x ? 0x10 : 0)), 6u);
        EXPECT_EQ(d(0) >> 8, 0xAABBCCu);
        return d(0) & 0xFF;
    }
};

u32 to_bcd(u32 v) { return ((v / 10) << 4) | (v % 10); }

// Every pair of decimal bytes and both extend values, against decimal arithmetic.
TEST_F(M68kBcdExg, DecimalBytesFollowDecimalArithmetic) {
    for (u32 dv = 0; dv < 100; ++dv) {
        for (u32 sv = 0; sv < 100; ++sv) {
            for (u32 x = 0; x < 2; ++x) {
                const u32 sum = dv + sv + x;
                ASSERT_EQ(bcd_reg(true, to_bcd(dv), to_bcd(sv), x), to_bcd(sum % 100))
                    << dv << "+" << sv << "+" << x;
                ASSERT_EQ(ccr() & 0x11, sum >= 100 ? 0x11u : 0u);
                const bool borrow = dv < sv + x;
                const u32 diff    = (dv + 200 - sv - x) % 100;
                ASSERT_EQ(bcd_reg(false, to_bcd(dv), to_bcd(sv), x), to_bcd(diff))
                    << dv << "-" << sv << "-" << x;
                ASSERT_EQ(ccr() & 0x11, borrow ? 0x11u : 0u);
            }
        }
    }
}

TEST_F(M68kBcdExg, FlagsAndNonDecimalDigits) {
    struct Case {
        bool add;
        u32 d, s, x, ccr_in, result, ccr_out;
    };
    // X N Z V C = 0x10 0x08 0x04 0x02 0x01
    const Case cases[] = {
        {true, 0x45, 0x38, 0, 0x00, 0x83, 0x00},
        {true, 0x99, 0x01, 0, 0x04, 0x00, 0x15},  // zero result keeps Z set
        {true, 0x99, 0x01, 0, 0x00, 0x00, 0x11},  // ... and clear
        {true, 0x99, 0x99, 1, 0x00, 0x99, 0x11},
        {true, 0x50, 0x30, 0, 0x0E, 0x80, 0x00},  // N, Z, V cleared
        {true, 0x0A, 0x00, 0, 0x00, 0x10, 0x00},  // low digit above 9
        {true, 0xA0, 0x00, 0, 0x00, 0x00, 0x11},  // high digit above 9
        {false, 0x10, 0x05, 0, 0x04, 0x05, 0x00},
        {false, 0x00, 0x01, 0, 0x00, 0x99, 0x11},
        {false, 0x00, 0x00, 1, 0x00, 0x99, 0x11},
        {false, 0x10, 0x0B, 0, 0x00, 0xFF, 0x11},  // low-digit borrow below 6
        {false, 0x00, 0x00, 0, 0x0F, 0x00, 0x04},  // X clear: N, V, C go, Z stays
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << (t.add ? "ABCD " : "SBCD ") << t.d << ","
                                          << t.s << " x" << t.x);
        EXPECT_EQ(bcd_reg(t.add, t.d, t.s, t.x, t.ccr_in), t.result);
        EXPECT_EQ(ccr(), t.ccr_out);
    }
}

// -(Ay),-(Ax): a two-byte chain 0x0150 + 0x0250 = 0x0400 through ABCD -(A0),-(A1), twice.
TEST_F(M68kBcdExg, MemoryFormChainsBytes) {
    poke(0xFF0100, 0x0150, 2);  // source
    poke(0xFF0200, 0x0250, 2);  // destination
    a(0) = 0xFF0102;
    a(1) = 0xFF0202;
    start_at(kCode, {0xC308, 0xC308});
    m68k_context.sr = 0x2704;  // Z set, X clear
    EXPECT_EQ(step(), 18u);
    EXPECT_EQ(step(), 18u);
    EXPECT_EQ(peek(0xFF0200, 2), 0x0400u);
    EXPECT_EQ(peek(0xFF0100, 2), 0x0150u);
    EXPECT_EQ(a(0), 0xFF0100u);
    EXPECT_EQ(a(1), 0xFF0200u);
    EXPECT_EQ(ccr(), 0x00u);  // the non-zero high byte cleared Z

    // A zero chain keeps Z: 0x0099 + 0x9901 = 0x10000 -> bytes 00 00 with carry.
    poke(0xFF0100, 0x0099, 2);
    poke(0xFF0200, 0x9901, 2);
    a(0) = 0xFF0102;
    a(1) = 0xFF0202;
    start_at(kCode, {0xC308, 0xC308});
    m68k_context.sr = 0x2704;
    step();
    step();
    EXPECT_EQ(peek(0xFF0200, 2), 0x0000u);
    EXPECT_EQ(ccr(), 0x15u);
}

// The same register on both sides steps twice, by 1 also for A7.
TEST_F(M68kBcdExg, SameRegisterAndA7StepByOne) {
    poke(0xFF0100, 0x1525, 2);
    start_at(kCode, {0xCF0F}, 0xFF0102);  // ABCD -(A7),-(A7)
    step();
    EXPECT_EQ(a(7), 0xFF0100u);
    EXPECT_EQ(peek(0xFF0100, 2), 0x4025u);  // 0x15 + 0x25

    poke(0xFF0100, 0x3012, 2);
    a(2) = 0xFF0102;
    run({0x850A});  // SBCD -(A2),-(A2): 0x30 - 0x12
    EXPECT_EQ(a(2), 0xFF0100u);
    EXPECT_EQ(peek(0xFF0100, 1), 0x18u);
}

TEST_F(M68kBcdExg, ExchangesSwapWholeRegisters) {
    d(0) = 1;
    a(0) = 2;
    EXPECT_EQ(run({0xC188}, 0x1F), 6u);  // EXG D0,A0
    EXPECT_EQ(d(0), 2u);
    EXPECT_EQ(a(0), 1u);
    EXPECT_EQ(ccr(), 0x1Fu);

    d(3) = 0x33333333;
    d(5) = 0x55555555;
    run({0xC745});  // EXG D3,D5
    EXPECT_EQ(d(3), 0x55555555u);
    EXPECT_EQ(d(5), 0x33333333u);

    a(2) = 0x12345678;
    start_at(kCode, {0xC54F});  // EXG A2,A7: the live stack pointer, not the inactive slot
    m68k_context.sp_slots = {0xAAAA, 0xBBBB};
    step();
    EXPECT_EQ(a(7), 0x12345678u);
    EXPECT_EQ(a(2), 0xFFFF00u);
    EXPECT_EQ(m68k_context.sp_slots[kM68kUserSlot], 0xAAAAu);

    start_at(kCode, {0xC180});  // the fourth EXG slot has no handler
    step();
    EXPECT_TRUE(m68k_context.status & kM68kStatusHalted);
}

}  // namespace
}  // namespace varn::test
