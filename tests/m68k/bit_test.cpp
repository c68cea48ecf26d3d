// BTST, BCHG, BCLR, BSET: bit numbers modulo 32 on registers and modulo 8 on bytes, Z as the
// only flag, the write-back of memory forms, address steps, PC-relative bases and the cycle
// table.

#include <gtest/gtest.h>

#include "m68k_step_fixture.h"

namespace varn::test {
namespace {

using M68kBit = M68kStepFixture;

// X N Z V C = 0x10 0x08 0x04 0x02 0x01
TEST_F(M68kBit, DataRegisterDestinations) {
    struct Case {
        const char* name;
        u16 opcode, ext;
        u32 d0, d1, ccr_in, d0_out, ccr_out, cycles, length;
    };
    const Case cases[] = {
        {"BTST #33 tests bit 1", 0x0800, 33, 0x00000002, 0, 0x04, 0x00000002, 0x00, 10, 4},
        {"BTST #n ignores the high byte", 0x0800, 0xFF05, 0x00000000, 0, 0x1B, 0, 0x1F, 10, 4},
        {"BTST D1 with D1 = -29 tests bit 3", 0x0300, 0, 0x00000008, 0xFFFFFFE3, 0x0B, 8, 0x0B, 6,
         2},
        {"BSET #31 on zero", 0x08C0, 31, 0, 0, 0x1B, 0x80000000, 0x1F, 12, 4},
        {"BSET #31 already set", 0x08C0, 31, 0x80000000, 0, 0x1F, 0x80000000, 0x1B, 12, 4},
        {"BCLR #4", 0x0880, 4, 0xFFFFFFFF, 0, 0x00, 0xFFFFFFEF, 0x00, 14, 4},
        {"BCHG #0", 0x0840, 0, 0x00000000, 0, 0x00, 0x00000001, 0x04, 12, 4},
        {"BCHG D1 bit 63 -> 31", 0x0340, 0, 0x80000000, 63, 0x00, 0x00000000, 0x00, 8, 2},
        {"BCLR D1", 0x0380, 0, 0x00000100, 8, 0x00, 0x00000000, 0x00, 10, 2},
        {"BSET D1", 0x03C0, 0, 0x00000000, 40, 0x00, 0x00000100, 0x04, 8, 2},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        d(0)             = t.d0;
        d(1)             = t.d1;
        const u32 cycles = run({t.opcode, t.ext}, t.ccr_in);
        EXPECT_EQ(d(0), t.d0_out);
        EXPECT_EQ(d(1), t.d1);
        EXPECT_EQ(ccr(), t.ccr_out);
        EXPECT_EQ(cycles, t.cycles);
        EXPECT_EQ(m68k_context.pc, kCode + t.length);
    }
}

// Memory bytes at (A0): modulo 8, one read, and for the changing forms one write of the same
// byte even when it keeps its value.
TEST_F(M68kBit, MemoryBytesAreReadAndWrittenBack) {
    struct Case {
        const char* name;
        u16 opcode, ext;
        u32 d1, byte, byte_out, z, cycles;
    };
    const Case cases[] = {
        {"BTST #9 tests bit 1", 0x0810, 9, 0, 0x02, 0x02, 0, 8},
        {"BTST D1 = -29 tests bit 3", 0x0310, 0, 0xFFFFFFE3, 0x00, 0x00, 1, 4},
        {"BCLR #0 on a clear bit writes back", 0x0890, 0, 0, 0xFE, 0xFE, 1, 12},
        {"BCHG #15 -> bit 7", 0x0850, 15, 0, 0x80, 0x00, 0, 12},
        {"BSET D1 = 10 -> bit 2", 0x03D0, 0, 10, 0x00, 0x04, 1, 8},
        {"BCLR D1", 0x0390, 0, 6, 0xFF, 0xBF, 0, 8},
        {"BCHG D1", 0x0350, 0, 0, 0x00, 0x01, 1, 8},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        d(1) = t.d1;
        a(0) = 0xFF0100;
        poke(0xFF0100, t.byte, 1);
        bus_log().clear();
        bus_logging()    = true;
        const u32 cycles = run({t.opcode, t.ext}, 0x1B);
        bus_logging()    = false;
        EXPECT_EQ(peek(0xFF0100, 1), t.byte_out);
        EXPECT_EQ(ccr(), 0x1Bu | (t.z ? 0x04u : 0u));
        EXPECT_EQ(cycles, t.cycles);
        const bool test = (t.opcode & 0xC0) == 0;
        ASSERT_EQ(bus_log().size(), test ? 1u : 2u);
        EXPECT_EQ(bus_log()[0], (BusAccess{'r', 1, 0xFF0100, t.byte}));
        if (!test) {
            EXPECT_EQ(bus_log()[1], (BusAccess{'w', 1, 0xFF0100, t.byte_out}));
        }
    }
}

TEST_F(M68kBit, AddressStepsAndPcRelativeBases) {
    // BCHG #3,(A7)+ steps A7 by 2, BCHG #3,(A1)+ by 1; both write where they read.
    poke(0xFF0200, 0x0000, 2);
    start_at(kCode, {0x085F, 3}, 0xFF0200);
    step();
    EXPECT_EQ(a(7), 0xFF0202u);
    EXPECT_EQ(peek(0xFF0200, 1), 0x08u);
    a(1) = 0xFF0200;
    run({0x0859, 3});
    EXPECT_EQ(a(1), 0xFF0201u);
    EXPECT_EQ(peek(0xFF0200, 1), 0x00u);
    // BSET D0,-(A7) and -(A2): down by 2 and 1.
    d(0) = 0;
    a(2) = 0xFF0302;
    run({0x01E2});
    EXPECT_EQ(a(2), 0xFF0301u);
    EXPECT_EQ(peek(0xFF0301, 1), 0x01u);
    start_at(kCode, {0x01E7}, 0xFF0302);
    step();
    EXPECT_EQ(a(7), 0xFF0300u);
    EXPECT_EQ(peek(0xFF0300, 1), 0x01u);

    // BTST #2,4(PC) at 0x1000 reads 0x1008 (base 0x1004); BTST D0,4(PC) reads 0x1006.
    poke(kCode + 8, 0x04, 1);
    start_at(kCode, {0x083A, 0x0002, 0x0004});
    step();
    EXPECT_EQ(ccr() & 0x04, 0u);
    EXPECT_EQ(m68k_context.pc, kCode + 6);
    d(0) = 2;
    poke(kCode + 6, 0x00, 1);
    start_at(kCode, {0x013A, 0x0004});
    step();
    EXPECT_EQ(ccr() & 0x04, 0x04u);

    // BTST D0,#0x81 with D0 = 7: bit 7 of the immediate byte.
    d(0)             = 7;
    const u32 cycles = run({0x013C, 0x0081}, 0x04);
    EXPECT_EQ(ccr(), 0u);
    EXPECT_EQ(cycles, 4u);
    EXPECT_EQ(m68k_context.pc, kCode + 4);

    // BCLR #1,2(A0,D1.W): the index extension word follows the bit number.
    a(0) = 0xFF0400;
    d(1) = 0xFFFF0010;
    poke(0xFF0412, 0xFF, 1);
    run({0x08B0, 0x0001, 0x1002});
    EXPECT_EQ(peek(0xFF0412, 1), 0xFDu);
    EXPECT_EQ(m68k_context.pc, kCode + 6);
}

TEST_F(M68kBit, EncodingsWithoutHandlerHalt) {
    // BTST #0,A0; BTST #n,#imm; BCHG #n,d16(PC); BSET D0,#imm; BTST D3,mode 7 reg 5.
    for (u16 opcode : {0x0808, 0x083C, 0x087A, 0x01FC, 0x073D, 0x08FB, 0x08BF}) {
        SetUp();
        start_at(kCode, {opcode, 0});
        step();
        EXPECT_TRUE(m68k_context.status & kM68kStatusHalted) << std::hex << opcode;
    }
}

}  // namespace
}  // namespace varn::test
