// MULU, MULS, DIVU, DIVS: products and quotients at the edges, the overflow that leaves the
// register alone, the division by zero through vector 5, and the constant cycle counts.

#include <gtest/gtest.h>

#include "m68k_step_fixture.h"

namespace varn::test {
namespace {

using M68kMulDiv = M68kStepFixture;

struct Case {
    const char* name;
    u16 opcode;
    u16 imm;  // the source word (#imm) for opcodes ending in 0x3C
    u32 d0;
    u32 ccr_in;
    u32 d0_out;
    u32 ccr_out;
    u32 cycles;
};

// X N Z V C = 0x10 0x08 0x04 0x02 0x01
constexpr Case kCases[] = {
    {"MULU #0x100 into the upper word", 0xC0FC, 0x0100, 0xFFFF0100, 0x1F, 0x00010000, 0x10, 38},
    {"MULU 0xFFFF * 0xFFFF", 0xC0FC, 0xFFFF, 0x0000FFFF, 0x00, 0xFFFE0001, 0x08, 38},
    {"MULU by 0 ignores the upper word", 0xC0FC, 0x0000, 0x12340005, 0x00, 0, 0x04, 38},
    {"MULS -1 * 1", 0xC1FC, 0xFFFF, 0x00000001, 0x00, 0xFFFFFFFF, 0x08, 38},
    {"MULS -32768 * -32768", 0xC1FC, 0x8000, 0x00008000, 0x00, 0x40000000, 0x00, 38},
    {"DIVU 7 / 2", 0x80FC, 0x0002, 7, 0x00, 0x00010003, 0x00, 140},
    {"DIVU quotient 0x8000 is N", 0x80FC, 0x0002, 0x00010000, 0x00, 0x00008000, 0x08, 140},
    {"DIVU overflow leaves D0, X kept", 0x80FC, 0x0001, 0x00010000, 0x1F, 0x00010000, 0x16, 140},
    {"DIVS -7 / 2", 0x81FC, 0x0002, 0xFFFFFFF9, 0x00, 0xFFFFFFFD, 0x08, 158},
    {"DIVS 7 / -2", 0x81FC, 0xFFFE, 7, 0x00, 0x0001FFFD, 0x08, 158},
    {"DIVS 0x8000 / 1 overflows", 0x81FC, 0x0001, 0x00008000, 0x00, 0x00008000, 0x0A, 158},
    {"DIVS -32768 / 1 fits", 0x81FC, 0x0001, 0xFFFF8000, 0x00, 0x00008000, 0x08, 158},
    {"DIVS 0x80000000 / -1", 0x81FC, 0xFFFF, 0x80000000, 0x00, 0x80000000, 0x06, 158},
    {"DIVS 0 / -5", 0x81FC, 0xFFFB, 0, 0x00, 0, 0x04, 158},
};

TEST_F(M68kMulDiv, ImmediateSourceCases) {
    for (const Case& t : kCases) {
        SCOPED_TRACE(t.name);
        d(0)             = t.d0;
        const u32 cycles = run({t.opcode, t.imm}, t.ccr_in);
        EXPECT_EQ(d(0), t.d0_out);
        EXPECT_EQ(ccr(), t.ccr_out);
        EXPECT_EQ(cycles, t.cycles);
        EXPECT_EQ(m68k_context.pc, kCode + 4);
    }
}

// Register and memory sources: only the low word of a register counts; (A7)+ steps by 2.
TEST_F(M68kMulDiv, RegisterAndMemorySources) {
    d(0) = 0xABCD0002;
    d(1) = 0x55550003;
    run({0xC0C1});  // MULU D1,D0
    EXPECT_EQ(d(0), 6u);

    d(2) = 0x00000005;
    poke(0xFF0100, 0xFFFD, 2);            // -3
    start_at(kCode, {0xC5DF}, 0xFF0100);  // MULS (A7)+,D2
    step();
    EXPECT_EQ(d(2), 0xFFFFFFF1u);
    EXPECT_EQ(a(7), 0xFF0102u);

    d(3) = 100;
    a(1) = 0xFF0200;
    poke(0xFF01F8, 7, 2);
    const u32 cycles = run({0x86E9, 0xFFF8});  // DIVU -8(A1),D3
    EXPECT_EQ(d(3), 0x0002000Eu);
    EXPECT_EQ(cycles, 140u);
    EXPECT_EQ(m68k_context.pc, kCode + 4);

    // d16(PC): the base is the address of the displacement word.
    d(4) = 9;
    poke(kCode + 2 + 6, 3, 2);
    run({0x89FA, 0x0006});  // DIVS 6(PC),D4
    EXPECT_EQ(d(4), 3u);
}

// A zero divisor: C cleared, the rest of the CCR kept and stacked, the register untouched,
// vector 5 with the address of the next instruction, the division's own cycles.
TEST_F(M68kMulDiv, DivisionByZeroTakesVectorFive) {
    struct Zero {
        u16 opcode;
        u32 cycles;
    };
    for (Zero z : {Zero{0x80D8, 140}, Zero{0x81D8, 158}}) {  // DIVU/DIVS (A0)+,D0
        SetUp();
        poke(0x14, 0x2000, 4);
        poke_words(0x2000, {0x4E71});
        d(0) = 0x12345678;
        a(0) = 0xFF0010;  // a zero word
        start_at(kCode, {z.opcode});
        m68k_context.sr                            = 0x001F;  // user mode, X N Z V C
        m68k_context.sp_slots[kM68kSupervisorSlot] = 0xFFFE00;
        m68k_context.sp_slot_index                 = kM68kUserSlot;
        a(7)                                       = 0xFF8000;
        const u32 cycles                           = step();
        EXPECT_EQ(cycles, z.cycles);
        EXPECT_EQ(d(0), 0x12345678u);
        EXPECT_EQ(a(0), 0xFF0012u);
        EXPECT_EQ(m68k_context.pc, 0x2000u);
        EXPECT_EQ(a(7), 0xFFFE00u - 6);
        EXPECT_EQ(peek(0xFFFDFA, 2), 0x001Eu);  // stacked SR: C cleared
        EXPECT_EQ(peek(0xFFFDFC, 4), kCode + 2);
        EXPECT_EQ(m68k_context.sr, 0x201Eu);
        EXPECT_EQ(m68k_context.sp_slots[kM68kUserSlot], 0xFF8000u);
    }

    // Only the low word of a register divisor counts; the stacked PC skips extension words.
    SetUp();
    poke(0x14, 0x2000, 4);
    poke_words(0x2000, {0x4E71});
    d(0) = 5;
    d(1) = 0x00010000;
    start_at(kCode, {0x80C1});  // DIVU D1,D0
    step();
    EXPECT_EQ(m68k_context.pc, 0x2000u);
    EXPECT_EQ(peek(0xFFFF00 - 4, 4), kCode + 2);
    start_at(kCode, {0x81F9, 0x00FF, 0x0100});  // DIVS 0xFF0100,D0 (a zero word)
    step();
    EXPECT_EQ(peek(0xFFFF00 - 4, 4), kCode + 6);
}

TEST_F(M68kMulDiv, AddressRegisterSourcesHalt) {
    for (u16 opcode : {0x80C8, 0x81C8, 0xC0C8, 0xC1CF, 0x80FD, 0xC1FF}) {
        SetUp();
        start_at(kCode, {opcode});
        step();
        EXPECT_TRUE(m68k_context.status & kM68kStatusHalted) << std::hex << opcode;
    }
}

}  // namespace
}  // namespace varn::test
