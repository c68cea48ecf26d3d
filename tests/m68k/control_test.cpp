// Program control instructions: CHK, JSR, JMP, LEA, LINK, UNLK, RTR, RTE, MOVE USP, RESET,
// EXTB.L, and their cycle counts.

#include <gtest/gtest.h>

#include "m68k_test_support.h"

namespace varn::test {
namespace {

constexpr u16 kLineA = 0xA000;

class M68kControl : public M68kFixture {
  protected:
    u32 exec(std::initializer_list<u16> code) {
        start_at(0x1000, code);
        return step();
    }
    static u32 ccr() { return m68k_context.sr & 0xFF; }
};

// CHK #bound,D1: traps when D1's low word is negative (N = 1) or above the bound (N = 0);
// Z, V, C and X never change; 0 cycles either way.
TEST_F(M68kControl, ChkTrapsBelowZeroAndAboveTheBound) {
    struct Case {
        u32 d1;
        u16 bound;
        bool traps;
        u32 ccr_after;  // from 0x1F with N clear: 0x17
    };
    const Case cases[] = {{5, 3, true, 0x17},
                          {2, 3, false, 0x17},
                          {0xFFFF, 3, true, 0x1F},
                          {2, 0xFFFF, true, 0x17},
                          {0xABCD0003, 3, false, 0x17},
                          // The bound is a 16-bit word: 0x8001 - 0x7FFF = 2 keeps bit 15 clear.
                          {0x7FFF, 0x8001, false, 0x17}};
    for (const auto& k : cases) {
        SetUp();
        poke(6 * 4, 0x2000, 4);
        poke_words(0x2000, {kLineA});
        d(1) = k.d1;
        start_at(0x1000, {0x43BC, k.bound, kLineA});  // CHK #bound,D1
        m68k_context.sr = 0x2717;
        run_until_halt(2);
        EXPECT_EQ(m68k_current_pc(m68k_context), k.traps ? 0x2000u : 0x1004u) << k.d1;
        EXPECT_EQ(ccr(), k.ccr_after) << k.d1;
        if (k.traps) {
            EXPECT_EQ(peek(a(7) + 2, 4), 0x1004u);
        }
    }

    // CHK (A0)+,D1 steps A0 by 2 whether it traps or not.
    for (u32 d1 : {1u, 9u}) {
        SetUp();
        poke(6 * 4, 0x2000, 4);
        poke_words(0x2000, {kLineA});
        poke(0x3000, 5, 2);
        a(0) = 0x3000;
        d(1) = d1;
        start_at(0x1000, {0x4398, kLineA});
        run_until_halt(2);
        EXPECT_EQ(a(0), 0x3002u);
    }
}

TEST_F(M68kControl, JsrPushesTheReturnAddressAfterTheTargetIsKnown) {
    EXPECT_EQ(exec({0x4EBA, 0x0000}), 18u);  // JSR 0(PC) at 0x1000
    EXPECT_EQ(m68k_context.pc, 0x1002u);
    EXPECT_EQ(a(7), 0xFFFF00u - 4);
    EXPECT_EQ(peek(a(7), 4), 0x1004u);

    // Into a page without code: nothing pushed, halted at the JSR.
    SetUp();
    exec({0x4EB9, 0x0040, 0x0000});
    EXPECT_NE(m68k_context.status & kM68kStatusHalted, 0u);
    EXPECT_EQ(a(7), 0xFFFF00u);
    EXPECT_EQ(peek(0xFFFF00 - 4, 4), 0u);
    EXPECT_EQ(m68k_context.pc, 0x1000u);
}

TEST_F(M68kControl, LeaLoadsAllThirtyTwoBits) {
    exec({0x41F8, 0x8000});  // LEA 0x8000.W,A0
    EXPECT_EQ(a(0), 0xFFFF8000u);
    exec({0x43F9, 0x1234, 0x5678});  // LEA 0x12345678,A1
    EXPECT_EQ(a(1), 0x12345678u);
    EXPECT_EQ(m68k_context.pc, 0x1006u);
}

TEST_F(M68kControl, LinkAndUnlink) {
    start_at(0x1000, {0x4E56, 0xFFF8}, 0x1000);  // LINK A6,#-8
    a(6) = 0xAABBCCDD;
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(a(6), 0x0FFCu);
    EXPECT_EQ(a(7), 0x0FF4u);
    EXPECT_EQ(peek(0x0FFC, 4), 0xAABBCCDDu);

    start_at(0x1000, {0x4E5E}, 0x0FF4);  // UNLK A6
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(a(6), 0xAABBCCDDu);
    EXPECT_EQ(a(7), 0x1000u);

    start_at(0x1000, {0x4E57, 0x0010}, 0x2000);  // LINK A7,#16: writes the old A7
    step();
    EXPECT_EQ(a(7), 0x2000u - 4 + 16);
    EXPECT_EQ(peek(0x1FFC, 4), 0x2000u);

    start_at(0x1000, {0x4E5F}, 0x2000);  // UNLK A7 ends at the old A7 + 4
    poke(0x2000, 0x12345678, 4);
    step();
    EXPECT_EQ(a(7), 0x2004u);
}

TEST_F(M68kControl, RtrLoadsTheCcrByteOnly) {
    poke(0x3000, 0xFFFF, 2);
    poke(0x3002, 0x00004000, 4);
    start_at(0x1000, {0x4E77}, 0x3000);
    m68k_context.sr = 0x2700;
    EXPECT_EQ(step(), 20u);
    EXPECT_EQ(m68k_context.sr, 0x27FF);
    EXPECT_EQ(a(7), 0x3006u);
    EXPECT_EQ(m68k_context.pc, 0x4000u);
}

// RTE to user mode: the supervisor A7 (after the pops) is parked, the user slot becomes A7,
// and an interrupt above the restored mask is taken before the next instruction.
TEST_F(M68kControl, RteSwitchesStacksAndChecksInterrupts) {
    poke(0x3000, 0x0000, 2);      // SR: user mode, mask 0
    poke(0x3002, 0x00004000, 4);  // PC
    poke(0x64, 0x5000, 4);        // level 1 vector
    poke_words(0x5000, {kLineA});
    start_at(0x1000, {0x4E73}, 0x3000);
    auto& c       = m68k_context;
    c.sp_slots    = {0x7000, 0};
    c.irq_pending = 0x02;
    run_until_halt(2);
    EXPECT_EQ(c.sp_slots[kM68kUserSlot], 0x7000u);  // parked again by the interrupt
    EXPECT_EQ(a(7), 0x3006u - 6);                   // supervisor stack, frame pushed
    EXPECT_EQ(peek(a(7) + 2, 4), 0x4000u);          // the RTE's target had not run
    EXPECT_EQ(m68k_current_pc(c), 0x5000u);

    // Without a pending interrupt the core runs on in user mode.
    SetUp();
    poke(0x3000, 0x0000, 2);
    poke(0x3002, 0x00004000, 4);
    start_at(0x1000, {0x4E73}, 0x3000);
    m68k_context.sp_slots = {0x7000, 0};
    EXPECT_EQ(step(), 20u);
    EXPECT_EQ(a(7), 0x7000u);
    EXPECT_EQ(m68k_context.sp_slots[kM68kSupervisorSlot], 0x3006u);
    EXPECT_EQ(m68k_context.sp_slot_index, kM68kUserSlot);
}

TEST_F(M68kControl, MoveUspUsesTheSavedUserSlot) {
    start_at(0x1000, {0x4E68});  // MOVE USP,A0 in user mode: the stale slot, not A7
    m68k_context.sr            = 0x0000;
    m68k_context.sp_slot_index = kM68kUserSlot;
    m68k_context.sp_slots      = {0x1234, 0x8000};
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(a(0), 0x1234u);
    a(3) = 0x4444;
    exec({0x4E63});  // MOVE A3,USP
    EXPECT_EQ(m68k_context.sp_slots[kM68kUserSlot], 0x4444u);
}

TEST_F(M68kControl, ResetNopAndExtbl) {
    d(0) = 0x12345680;
    EXPECT_EQ(exec({0x4E70}), 132u);
    EXPECT_EQ(d(0), 0x12345680u);
    EXPECT_EQ(exec({0x4E71}), 4u);
    start_at(0x1000, {0x49C0});
    m68k_context.sr = 0x2713;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(d(0), 0xFFFFFF80u);
    EXPECT_EQ(ccr(), 0x18u);
    EXPECT_EQ(exec({0x4E76}), 4u);  // TRAPV with V clear
    EXPECT_EQ(m68k_context.pc, 0x1002u);
}

// JSR, JMP and LEA cycles and lengths per addressing mode.
TEST_F(M68kControl, CyclesPerControlMode) {
    struct Case {
        u16 mode_bits;
        std::initializer_list<u16> ext;
        u32 jsr, jmp, lea;
    };
    const Case cases[] = {{0x10, {}, 16, 8, 4},
                          {0x28, {0x0100}, 18, 10, 8},
                          {0x30, {0x0010}, 22, 14, 12},
                          {0x38, {0x2000}, 18, 10, 8},
                          {0x39, {0x0000, 0x2000}, 20, 12, 12},
                          {0x3A, {0x0100}, 18, 10, 8},
                          {0x3B, {0x0010}, 22, 14, 12}};
    for (const auto& k : cases) {
        for (u16 base : {u16{0x4E80}, u16{0x4EC0}, u16{0x41C0}}) {
            SetUp();
            a(0) = 0x2000;
            std::vector<u16> words{static_cast<u16>(base | k.mode_bits)};
            words.insert(words.end(), k.ext.begin(), k.ext.end());
            poke_words(0x1000, {});
            for (std::size_t i = 0; i < words.size(); ++i) poke(0x1000 + 2 * i, words[i], 2);
            start_at(0x1000, {words[0]});
            const u32 expected = base == 0x4E80 ? k.jsr : base == 0x4EC0 ? k.jmp : k.lea;
            EXPECT_EQ(step(), expected) << std::hex << (base | k.mode_bits);
        }
    }
}

}  // namespace
}  // namespace varn::test
