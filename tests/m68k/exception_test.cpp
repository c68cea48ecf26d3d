// Exceptions, interrupts and STOP.

#include <gtest/gtest.h>

#include "m68k_test_support.h"

namespace varn::test {
namespace {

constexpr u16 kNop = 0x4E71, kLineA = 0xA000, kRte = 0x4E73;

class M68kExceptions : public M68kFixture {
  protected:
    // Vector n points at `handler`.
    static void vector(u32 n, u32 handler) { poke(n * 4, handler, 4); }
    static u32 frame_sr(u32 sp) { return peek(sp, 2); }
    static u32 frame_pc(u32 sp) { return peek(sp + 2, 4); }
};

// Which pending levels the mask lets through: level 7 always, nothing on bit 0.
TEST_F(M68kExceptions, TheMaskDecidesWhichLevelIsAccepted) {
    struct Case {
        u16 sr;
        u8 pending;
        bool accepted;
    };
    const Case cases[] = {{0x2700, 0x80, true},
                          {0x2700, 0x40, false},
                          {0x2000, 0x01, false},
                          {0x2300, 0x08, false},
                          {0x2300, 0x10, true}};
    for (const auto& k : cases) {
        SetUp();
        for (u32 level = 1; level <= 7; ++level) vector(24 + level, 0x2000);
        poke_words(0x2000, {0x303C, 0x0001, kLineA});  // MOVE.W #1,D0
        start_at(0x1000, {kLineA});
        m68k_context.sr          = k.sr;
        m68k_context.irq_pending = k.pending;
        m68k_context.irq_check   = 1;
        m68k_run_slice();
        EXPECT_EQ(d(0), k.accepted ? 1u : 0u) << std::hex << k.sr << " " << int{k.pending};
        EXPECT_EQ(m68k_context.irq_pending, k.accepted ? 0 : k.pending);
    }
}

// Mask 3 with levels 4 and 6 pending: 6 first (mask 6, 4 stays pending); its RTE restores
// mask 3 and level 4 is taken before the next instruction, stacking the same return address.
TEST_F(M68kExceptions, TheRteOfOneInterruptLetsTheNextLevelIn) {
    vector(30, 0x2000);
    vector(28, 0x3000);
    poke_words(0x2000, {kRte});
    poke_words(0x3000, {0x323C, 0x0044, kLineA});  // MOVE.W #0x44,D1
    std::vector<u32> acked;
    static std::vector<u32>* acks = nullptr;
    acks                          = &acked;
    m68k_irq_ack_slot             = [](u32 level) { acks->push_back(level); };
    start_at(0x1000, {kNop, kLineA});
    m68k_context.sr          = 0x2300;
    m68k_context.irq_pending = 0x50;
    m68k_context.irq_check   = 1;
    ASSERT_TRUE(run_until_halt(10));
    EXPECT_EQ(d(1), 0x44u);
    EXPECT_EQ(acked, (std::vector<u32>{6, 4}));
    EXPECT_EQ(m68k_context.irq_pending, 0);
    EXPECT_EQ(m68k_context.sr, 0x2400);
    EXPECT_EQ(a(7), 0xFFFF00u - 6);
    EXPECT_EQ(frame_sr(a(7)), 0x2300u);
    EXPECT_EQ(frame_pc(a(7)), 0x1000u);  // the NOP had not run
}

// An interrupt in user mode parks the user A7, takes the supervisor stack and sets S and the
// mask; accepting it costs no cycles of its own.
TEST_F(M68kExceptions, AnInterruptInUserModeSwitchesStacks) {
    vector(25, 0x2000);
    poke_words(0x2000, {kNop, kLineA});
    start_at(0x1000, {kLineA});
    auto& c         = m68k_context;
    c.sr            = 0x8015;  // user mode, T set, mask 0, X and C and Z
    c.sp_slot_index = kM68kUserSlot;
    a(7)            = 0x5000;
    c.sp_slots      = {0, 0xFFFF00};
    c.irq_pending   = 0x02;
    c.irq_check     = 1;
    c.slice_cycles  = -1;
    c.cycle_counter = 0;
    m68k_run_slice();
    EXPECT_EQ(c.sp_slots[kM68kUserSlot], 0x5000u);
    EXPECT_EQ(c.sp_slot_index, kM68kSupervisorSlot);
    EXPECT_EQ(a(7), 0xFFFF00u - 6);
    EXPECT_EQ(frame_sr(a(7)), 0x8015u);
    EXPECT_EQ(frame_pc(a(7)), 0x1000u);
    EXPECT_EQ(c.sr, 0xA115);
    EXPECT_EQ(c.cycle_counter, 3);  // -1 + the NOP's 4: nothing for the acceptance
    EXPECT_EQ(c.pc, 0x2002u);
    EXPECT_EQ(c.irq_taken, 1);
}

// The stacked PC and the vector of each exception source.
TEST_F(M68kExceptions, EachSourceStacksItsPcAndReadsItsVector) {
    struct Case {
        const char* name;
        std::initializer_list<u16> code;
        u32 vector;
        u32 stacked_pc;  // relative to the code at 0x1000
        u32 cycles;
        u32 stacked_sr;
    };
    const Case cases[] = {
        {"ILLEGAL", {0x4AFC}, 4, 2, 0, 0x870A},
        {"TRAP #15", {0x4E4F}, 47, 2, 0, 0x870A},
        {"line F", {0xF123}, 11, 0, 0, 0x870A},
        {"TRAPV with V", {0x4E76}, 7, 2, 4, 0x870A},
        // CHK #3,D0 with D0 = 5: above the bound, N cleared before the exception.
        {"CHK out of bounds", {0x41BC, 0x0003}, 6, 4, 0, 0x8702},
    };
    for (const auto& k : cases) {
        SetUp();
        vector(k.vector, 0x2000);
        poke_words(0x2000, {kNop, kLineA});
        start_at(0x1000, k.code);
        m68k_context.sr            = 0x8702 | 0x0008;  // T, mask 7, V, N
        d(0)                       = 5;
        m68k_context.slice_cycles  = -1;
        m68k_context.cycle_counter = 0;
        m68k_run_slice();
        EXPECT_EQ(frame_pc(a(7)), 0x1000u + k.stacked_pc) << k.name;
        EXPECT_EQ(frame_sr(a(7)), k.stacked_sr) << k.name;
        EXPECT_EQ(m68k_context.sr & 0xFF00, 0xA700u) << k.name;  // S set, T and mask kept
        // A one-cycle slice: after a zero-cycle exception the handler's NOP runs too.
        EXPECT_EQ(m68k_context.pc, k.cycles ? 0x2000u : 0x2002u) << k.name;
        EXPECT_EQ(static_cast<u32>(m68k_context.cycle_counter), (k.cycles ? k.cycles : 4) - 1)
            << k.name;
    }
}

// A vector into a page without code halts after the frame is written, SR not yet changed.
TEST_F(M68kExceptions, AVectorWithoutCodeHaltsAfterStacking) {
    vector(33, 0x400000);
    start_at(0x1000, {0x4E41});  // TRAP #1
    m68k_context.sr            = 0x0004;
    m68k_context.sp_slot_index = kM68kUserSlot;
    a(7)                       = 0x5000;
    m68k_run_slice();
    EXPECT_NE(m68k_context.status & kM68kStatusHalted, 0u);
    EXPECT_EQ(chain_log(), std::vector<char>{'H'});
    EXPECT_EQ(m68k_context.sr, 0x0004);
    EXPECT_EQ(a(7), 0xFFFF00u - 6);
    EXPECT_EQ(frame_pc(a(7)), 0x1002u);
    EXPECT_EQ(m68k_context.pc, 0x1002u);
}

// Exceptions that lead straight back to themselves cannot freeze the program: the slice ends
// as STOP ends it, and the chain goes on.
TEST_F(M68kExceptions, ALoopOfZeroCycleExceptionsEndsTheSlice) {
    vector(32, 0x1000);  // TRAP #0 whose vector is the TRAP itself
    start_at(0x1000, {0x4E40});
    m68k_run_slice();
    EXPECT_EQ(m68k_context.status, 0u);
    EXPECT_EQ(m68k_context.cycle_counter, 0);
    EXPECT_EQ(m68k_context.pc, 0x1000u);
    EXPECT_EQ(chain_log(), std::vector<char>{'L'});
    m68k_run_slice();
    EXPECT_EQ(chain_log(), (std::vector<char>{'L', 'L'}));

    // Line F into 0xFFFF padding.
    SetUp();
    vector(11, 0x3000);
    poke_words(0x3000, {0xFFFF, 0xFFFF});
    start_at(0x1000, {0xFFFF});
    m68k_run_slice();
    EXPECT_EQ(chain_log(), std::vector<char>{'L'});
    EXPECT_EQ(m68k_context.pc, 0x3000u);
}

// STOP waits slice after slice until an interrupt is accepted; after the handler's RTE the
// STOP steps over itself.
TEST_F(M68kExceptions, StopWaitsForAnInterrupt) {
    vector(30, 0x2000);
    poke_words(0x2000, {kNop, kRte});
    start_at(0x1000, {0x4E72, 0x2000, 0x343C, 0x0055, kLineA});  // STOP #0x2000; MOVE.W #0x55,D2
    auto& c         = m68k_context;
    c.cycle_counter = 10;
    m68k_run_slice();
    EXPECT_EQ(c.sr, 0x2000);
    EXPECT_NE(c.stopped, 0);
    EXPECT_EQ(c.cycle_counter, 0);  // the overshoot is dropped
    EXPECT_EQ(c.pc, 0x1000u);
    m68k_run_slice();
    EXPECT_EQ(c.pc, 0x1000u);
    EXPECT_EQ(c.cycle_counter, 0);
    EXPECT_EQ(chain_log(), (std::vector<char>{'L', 'L'}));

    m68k_set_irq(c, 6, true);
    ASSERT_TRUE(run_until_halt(10));
    EXPECT_EQ(d(2), 0x55u);
    EXPECT_EQ(c.stopped, 0);
    EXPECT_EQ(c.irq_taken, 0);
    EXPECT_EQ(m68k_current_pc(c), 0x1008u);
}

}  // namespace
}  // namespace varn::test
