// Run loop, slices, interrupts, HALT, traps, R register, code pages and the state chunk.

#include <algorithm>
#include <vector>

#include "genesis/z80/genesis_z80_bus.h"
#include "z80_fixture.h"

namespace varn::test {
namespace {

class Z80CoreTest : public Z80Test {};

TEST_F(Z80CoreTest, ResetKeepsWhatTheChipKeeps) {
    c.af = 0x1234;
    c.bc = 0x5678;
    c.im = 1;
    z80_set_r(c, 0x55);
    c.iff1 = c.iff2 = kZ80IffOn;
    z80_reset();
    EXPECT_EQ(c.af, 0x1240);
    EXPECT_EQ(c.bc, 0x5678);
    EXPECT_EQ(c.im, 1);
    EXPECT_EQ(c.pc, 0);
    EXPECT_EQ(c.sp, 0);
    EXPECT_EQ(c.ix, 0xFFFF);
    EXPECT_EQ(c.iy, 0xFFFF);
    EXPECT_EQ(z80_get_r(c), 0);
    EXPECT_EQ(c.iff1, 0);
    EXPECT_EQ(c.iff2, 0);
}

TEST_F(Z80CoreTest, SliceEndsWithTheInstructionThatCrossesZero) {
    // 21 T-states of budget: six NOPs (24 T) run, the counter keeps 3 of overshoot.
    c.slice_budget = kZ80DefaultSliceBudget;
    z80_run();
    EXPECT_EQ(c.pc, 6);
    EXPECT_EQ(c.cycle_counter, 3u);
    // Next slice: -21 + 3 = -18: five NOPs (20 T).
    z80_run();
    EXPECT_EQ(c.pc, 11);
    EXPECT_EQ(c.cycle_counter, 2u);
}

// Long slices end where the counter crosses zero whatever the run loop does on the way (the
// RAM holds NOPs past the code): budgets around and far past a few hundred T-states, runs of
// EI, the step over the RAM's end, and a woken HALT after EI (charging it again, for nothing).
TEST_F(Z80CoreTest, LongSlicesEndWhereTheCounterCrossesZero) {
    struct Case {
        const char* what;
        std::vector<u8> code;
        u16 pc;
        s32 budget;
        u16 end_pc;
        u32 counter;
        u32 instructions;    // each counts R once, and so does the fetch that ends the slice
        bool woken = false;  // a HALT in the code has waited and been woken
    };
    const std::vector<u8> eis(200, 0xFB);
    const Case cases[] = {
        {"nops", {}, 0, -255, 64, 1, 64},
        {"nops", {}, 0, -256, 64, 0, 64},
        {"nops", {}, 0, -257, 65, 3, 65},
        {"nops", {}, 0, -1000, 250, 0, 250},
        {"nops", {}, 0, -1001, 251, 3, 251},
        {"nops", {}, 0, -4000, 1000, 0, 1000},
        // The first EI books its time for the next slice, each later one charges 4 T.
        {"ei run", eis, 0, -8, 3, 0, 3},
        {"ei run", eis, 0, -1000, 251, 0, 251},
        {"over the RAM end", {}, 0x1F80, -1000, 0x207A, 0, 250},
        {"ei, woken halt", {0xFB, 0x76}, 0, -9, 5, 3, 5, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.what << " " << k.budget);
        SetUp();
        for (std::size_t i = 0; i < k.code.size(); ++i) z80_ram[k.pc + i] = k.code[i];
        c.halted = c.woken = k.woken ? 1 : 0;
        c.pc               = k.pc;
        c.slice_budget     = k.budget;
        z80_run();
        EXPECT_EQ(c.pc, k.end_pc);
        EXPECT_EQ(c.cycle_counter, k.counter);
        EXPECT_EQ(c.last_tstates, 4u);
        EXPECT_EQ(z80_get_r(c), (k.instructions + 1) & 0x7F);
        EXPECT_FALSE(z80_is_stopped());
    }
}

TEST_F(Z80CoreTest, OvershootOfAWholeSliceSkipsTheNextOne) {
    c.slice_budget  = -21;
    c.cycle_counter = 25;
    z80_run();
    EXPECT_EQ(c.pc, 0);
    EXPECT_EQ(c.cycle_counter, 4u);
}

TEST_F(Z80CoreTest, EiChargesItsTimeAtTheNextSlice) {
    load({0xFB});  // ei, then nops
    c.slice_budget = -4;
    z80_run();  // ei (0 T) and one nop
    EXPECT_EQ(c.pc, 2);
    EXPECT_EQ(c.iff1, kZ80IffOn);
    EXPECT_EQ(c.extra_tstates, 4u);
    EXPECT_EQ(c.cycle_counter, 0u);
    z80_run();  // -4 + 4 = 0: the booked 4 T use up the whole slice
    EXPECT_EQ(c.pc, 2);
    EXPECT_EQ(c.extra_tstates, 0u);
}

// RAM full of EI: one slice books the first EI's time and charges every later one's, so
// the slice ends (the run loop does not spin on instructions that count no time).
TEST_F(Z80CoreTest, RamFullOfEiEndsEachSlice) {
    std::fill(z80_ram.begin(), z80_ram.end(), u8{0xFB});
    c.slice_budget = -100;
    z80_run();  // 0 + 25 x 4 T
    EXPECT_EQ(c.pc, 26);
    EXPECT_EQ(c.cycle_counter, 0u);
    EXPECT_EQ(c.extra_tstates, 4u);
    z80_run();  // the booked 4 T, then 24 EIs
    EXPECT_EQ(c.pc, 51);
    EXPECT_EQ(c.cycle_counter, 0u);
}

TEST_F(Z80CoreTest, IrqVectorsTo38InEveryMode) {
    for (u8 mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        z80_reset();
        c.sp   = 0x1000;
        c.pc   = 0x0123;
        c.im   = mode;
        c.iff1 = c.iff2 = kZ80IffOn;
        z80_irq_raise();
        c.cycle_counter = 0;
        c.slice_budget  = -1;
        z80_run();  // accepts, then runs one NOP at 0x38
        EXPECT_EQ(c.pc, 0x39);
        EXPECT_EQ(c.sp, 0x0FFE);
        EXPECT_EQ(z80_ram[0x0FFE], 0x23);
        EXPECT_EQ(z80_ram[0x0FFF], 0x01);
        EXPECT_EQ(c.iff1, 0);
        EXPECT_EQ(c.iff2, 0);
        EXPECT_EQ(c.irq_lines & kZ80LineIrq, 0);
        EXPECT_EQ(c.woken, 1);
    }
}

TEST_F(Z80CoreTest, IrqRaisedWhileDisabledWaitsForTheNextRaise) {
    load({0xFB}, 0);  // ei
    c.sp = 0x1000;
    z80_irq_raise();
    EXPECT_EQ(step(), 4u);  // ei runs (and one nop); the line was looked at and left set
    EXPECT_EQ(c.irq_lines & kZ80LineIrq, kZ80LineIrq);
    step();
    EXPECT_NE(c.pc, 0x39);
    EXPECT_EQ(c.sp, 0x1000);
    z80_irq_raise();
    step();
    EXPECT_EQ(c.pc, 0x39);
}

TEST_F(Z80CoreTest, NmiWinsAndLeavesTheIrqForTheNextRaise) {
    c.sp   = 0x1000;
    c.pc   = 0x0200;
    c.iff1 = c.iff2 = kZ80IffOn;
    c.irq_lines     = kZ80LineIrq | kZ80LineNmi;
    c.irq_check     = 1;
    step();
    EXPECT_EQ(c.pc, 0x67);
    EXPECT_EQ(c.iff1, 0);
    EXPECT_EQ(c.iff2, kZ80IffOn);  // NMI keeps IFF2
    EXPECT_EQ(c.irq_lines, kZ80LineIrq);
    step();  // the IRQ is not looked at again without a new raise
    EXPECT_EQ(c.pc, 0x68);
}

TEST_F(Z80CoreTest, HaltWaitsForAnInterruptAndReturnsOnto) {
    // 0x00: ei / halt / inc a ... 0x38: reti
    load({0xFB, 0x76, 0x3C});
    load({0xED, 0x4D}, 0x38);
    c.sp           = 0x1000;
    c.slice_budget = -100;
    z80_run();
    EXPECT_EQ(c.pc, 1);
    EXPECT_EQ(c.halted, 1);
    EXPECT_EQ(c.cycle_counter, 0u);  // rest of the slice dropped
    z80_run();
    EXPECT_EQ(c.pc, 1);  // still waiting
    z80_irq_raise();
    c.slice_budget = -14;
    z80_run();  // accepts (pushing the HALT's own address), runs RETI
    EXPECT_EQ(z80_ram[0x0FFE], 0x01);
    EXPECT_EQ(c.pc, 1);
    c.slice_budget  = -100;
    c.cycle_counter = 0;
    z80_run();  // HALT finds woken set and falls through
    EXPECT_EQ(c.halted, 0);
    EXPECT_EQ(a(), 1);
}

TEST_F(Z80CoreTest, WokenHaltChargesThePreviousInstructionAgain) {
    load({0x3E, 0x05, 0x76});  // ld a,5 (7 T) / halt, already woken / nops
    c.halted       = 1;
    c.woken        = 1;
    c.slice_budget = -(7 + 7 + 4);
    z80_run();
    EXPECT_EQ(c.halted, 0);
    EXPECT_EQ(c.pc, 4);  // ld, halt (7 T again), one nop
    EXPECT_EQ(c.cycle_counter, 0u);
}

TEST_F(Z80CoreTest, HaltWithInterruptsOffWaitsForever) {
    load({0xF3, 0x76});  // di / halt
    c.slice_budget = -50;
    for (int i = 0; i < 5; ++i) z80_run();
    z80_irq_raise();
    z80_run();
    EXPECT_EQ(c.pc, 1);
    EXPECT_EQ(c.halted, 1);
}

TEST_F(Z80CoreTest, RefreshCountsOncePerInstructionAndTwicePerPrefix) {
    // nop, ld a,(ix+0) [DD], bit 0,b [CB], rlc (ix+1) [DD CB], neg [ED], halt
    load({0x00, 0xDD, 0x7E, 0x00, 0xCB, 0x40, 0xDD, 0xCB, 0x01, 0x06, 0xED, 0x44, 0x76});
    c.ix           = 0x0100;
    c.slice_budget = -1000;
    z80_run();
    EXPECT_EQ(c.pc, 12);
    EXPECT_EQ(z80_get_r(c), 1 + 2 + 2 + 2 + 2 + 1);
}

TEST_F(Z80CoreTest, RefreshIsCountedForTheInstructionThatEndsTheSlice) {
    // The slice end is found after the next instruction's refresh has been counted; that
    // instruction counts again when the next slice runs it.
    step();
    EXPECT_EQ(c.pc, 1);
    EXPECT_EQ(z80_get_r(c), 2);
    step();
    EXPECT_EQ(z80_get_r(c), 4);
}

TEST_F(Z80CoreTest, IdleJumpLoopEndsTheSliceAsIfRunRoundByRound) {
    // A slice that starts on a NOP runs the jump-to-itself after it one round at a time; a
    // slice that starts on the jump takes its rounds at once. Both must leave R, the carried
    // overshoot and the last instruction's T-states alike (the NOP adds one refresh).
    struct Loop {
        std::vector<u8> code;  // at address 1, after a NOP
        u32 tstates;
    };
    const Loop loops[] = {{{0xC3, 0x01, 0x00}, 10}, {{0x18, 0xFE}, 12}};
    for (const Loop& loop : loops) {
        for (s32 budget = 5; budget <= 60; ++budget) {
            auto run_from = [&](u16 pc, s32 slice) {
                SetUp();
                z80_ram[0] = 0x00;
                for (std::size_t i = 0; i < loop.code.size(); ++i) z80_ram[1 + i] = loop.code[i];
                c.pc            = pc;
                c.cycle_counter = 0;
                c.slice_budget  = -slice;
                z80_run();
                return c;
            };
            const z80_cpu_context one_by_one = run_from(0, budget);
            const z80_cpu_context at_once    = run_from(1, budget - 4);
            EXPECT_EQ(at_once.pc, 1);
            EXPECT_EQ(one_by_one.pc, 1);
            EXPECT_EQ(at_once.r + 1, one_by_one.r) << budget;
            EXPECT_EQ(at_once.cycle_counter, one_by_one.cycle_counter) << budget;
            EXPECT_EQ(at_once.last_tstates, loop.tstates);
            EXPECT_EQ(one_by_one.last_tstates, loop.tstates);
        }
    }
}

TEST_F(Z80CoreTest, LdAfterLdRKeepsBit7AndWrapsLow7) {
    load({0xED, 0x4F, 0xED, 0x5F, 0x76});  // ld r,a / ld a,r / halt
    c.slice_budget = -1000;
    set_a(0x80);
    z80_run();
    EXPECT_EQ(a(), 0x82);
    z80_reset();
    set_a(0xFF);
    z80_run();  // R = 0xFF, then two counts: 0x7F wraps to 0x00, then 0x01; bit 7 stays
    EXPECT_EQ(a(), 0x81);
}

TEST_F(Z80CoreTest, LdAIAndLdARTakeIff2IntoPv) {
    load({0xED, 0x57});
    c.i    = 0x80;
    c.iff2 = kZ80IffOn;
    set_f(0x01 | 0x28);
    step();
    EXPECT_EQ(a(), 0x80);
    EXPECT_EQ(f(), 0x80 | 0x04 | 0x01 | 0x28);
}

// Every table slot without a handler stops the core; the counts are those of the chip as
// built here.
TEST_F(Z80CoreTest, TableSlotsWithHandlers) {
    using Core = GenesisZ80;
    auto live  = [](const std::array<Z80Handler, 256>& t) {
        int n = 0;
        for (auto h : t) n += !Core::is_trap(h);
        return n;
    };
    EXPECT_EQ(live(Core::tables.main), 256);
    EXPECT_EQ(live(Core::tables.cb), 248);
    EXPECT_EQ(live(Core::tables.ed), 59);
    EXPECT_EQ(live(Core::tables.dd), 82);
    EXPECT_EQ(live(Core::tables.fd), 82);
    EXPECT_EQ(live(Core::tables.ddcb), 31);
    EXPECT_EQ(live(Core::tables.fdcb), 31);
}

TEST_F(Z80CoreTest, UndefinedOpcodesStopTheCore) {
    const std::vector<std::vector<u8>> cases = {{0xCB, 0x30},
                                                {0xED, 0x4C},
                                                {0xED, 0x71},
                                                {0xED, 0x00},
                                                {0xDD, 0x24},
                                                {0xDD, 0x00},
                                                {0xFD, 0x76},
                                                {0xDD, 0xDD},
                                                {0xDD, 0xCB, 0x00, 0x36},
                                                {0xDD, 0xCB, 0x00, 0x00},
                                                {0xFD, 0xCB, 0x00, 0x07}};
    for (const auto& bytes : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        z80_reset_records();
        z80_reset();
        for (std::size_t i = 0; i < bytes.size(); ++i) z80_ram[0x10 + i] = bytes[i];
        c.pc = 0x10;
        step();
        EXPECT_TRUE(z80_is_stopped());
        EXPECT_EQ(c.pc, 0x10);
        const u16 af = c.af;
        z80_run();  // a stopped core does not run
        EXPECT_EQ(c.pc, 0x10);
        EXPECT_EQ(c.af, af);
    }
    // CB 0x38 (SRL B) is live.
    z80_reset_records();
    z80_reset();
    load({0xCB, 0x38});
    c.bc = 0x0300;
    step();
    EXPECT_FALSE(z80_is_stopped());
    EXPECT_EQ(c.bc, 0x0100);
}

TEST_F(Z80CoreTest, JumpOutsideTheRamStopsTheMachine) {
    static int stops;
    stops         = 0;
    z80_halt_slot = [] { ++stops; };
    load({0xC3, 0x00, 0x40});  // jp 0x4000
    step();
    z80_halt_slot = nullptr;
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(z80_is_stopped());
    EXPECT_EQ(c.pc, 0);
    z80_clear_stopped();
    EXPECT_FALSE(z80_is_stopped());
}

// A core stopped in the middle of a slice keeps no trace of how the slice was left: once the
// machine is booted again (error cleared, reset) its next slice runs code at once, whatever
// the counter stood at when it stopped.
TEST_F(Z80CoreTest, StoppedCoreRunsAgainAfterAReboot) {
    for (u32 counter : {0u, 0xFFFFFFFFu, 0xFFFFFFF0u}) {
        SCOPED_TRACE(counter);
        z80_reset_records();
        z80_reset();
        load({0x00, 0x00, 0xED, 0x00});  // nop; nop; an undefined opcode
        c.cycle_counter = counter;
        z80_run();
        ASSERT_TRUE(z80_is_stopped());
        z80_clear_stopped();
        z80_reset();
        load({0x04, 0x18, 0xFD});  // inc b; jr -3
        const u16 bc = c.bc;
        z80_run();
        EXPECT_NE(c.bc, bc) << "the first slice after the reboot ran nothing";
        EXPECT_LE(static_cast<s32>(c.cycle_counter), 16);
    }
}

TEST_F(Z80CoreTest, CodeRunsThroughTheRamMirrorAndStopsPastIt) {
    // ld bc,0x2211 split across the end of the RAM: its operand comes from 0x0000.
    load({0x11, 0x22});
    z80_ram[0x1FFF] = 0x01;
    c.pc            = 0x1FFF;
    step();
    EXPECT_EQ(c.bc, 0x2211);
    EXPECT_EQ(c.pc, 0x2002);
    EXPECT_FALSE(z80_is_stopped());
    // Falling through 0x3FFF leaves the RAM pages.
    z80_ram[0x1FFF] = 0x00;
    c.pc            = 0x3FFF;
    step();
    EXPECT_EQ(c.pc, 0x4000);
    EXPECT_FALSE(z80_is_stopped());
    step();
    EXPECT_TRUE(z80_is_stopped());
}

// Instructions fetched at the edges of the RAM pages, whether read in one step or byte by
// byte: across the 4 KB page boundary, at the last four bytes, and across the end of the
// mirror, where the byte past 0x3FFF is outside the code pages and reads as 0xFF.
TEST_F(Z80CoreTest, FetchesAtPageEdgesReadTheRamBytes) {
    struct Case {
        u16 pc;
        u16 ix, next_pc;
    };
    for (const Case k : {Case{0x0FFE, 0x4433, 0x1002}, Case{0x1FFC, 0x4433, 0x2000},
                         Case{0x2FFF, 0x4433, 0x3003}, Case{0x3FFD, 0xFF33, 0x4001}}) {
        SCOPED_TRACE(k.pc);
        z80_reset_records();
        z80_reset();
        load({0xDD, 0x21, 0x33, 0x44}, k.pc);  // ld ix,0x4433
        c.pc = k.pc;
        EXPECT_EQ(step(), 14u);
        EXPECT_EQ(c.ix, k.ix);
        EXPECT_EQ(c.pc, k.next_pc);
        EXPECT_FALSE(z80_is_stopped());
    }
}

// Jumps, calls and returns land anywhere in the RAM pages, the mirror included, and code
// there straddling a page or the RAM's end reads on as sequential code does.
TEST_F(Z80CoreTest, JumpsAndReturnsReachTheMirrorAndThePageEdges) {
    load({0xCD, 0xFE, 0x2F});                // 0x0000 call 0x2FFE
    load({0x01, 0x34, 0x12, 0xC9}, 0x0FFE);  // 0x2FFE ld bc,0x1234 (across pages); ret
    c.sp = 0x1F00;
    EXPECT_EQ(step(), 17u);
    EXPECT_EQ(c.pc, 0x2FFE);
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(c.bc, 0x1234);
    EXPECT_EQ(c.pc, 0x3001);
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(c.pc, 0x0003);
    load({0xC3, 0xFE, 0x3F}, 0x0003);  // jp 0x3FFE: ld bc,nn at the RAM's end reads 0xFF past it
    load({0x01, 0x78}, 0x1FFE);
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(c.pc, 0x3FFE);
    step();
    EXPECT_EQ(c.bc, 0xFF78);
    EXPECT_EQ(c.pc, 0x4001);
    EXPECT_FALSE(z80_is_stopped());
}

TEST_F(Z80CoreTest, StateChunkRoundTrip) {
    c.af = 0x1122, c.bc = 0x3344, c.de = 0x5566, c.hl = 0x7788;
    c.ix = 0x99AA, c.iy = 0xBBCC, c.pc = 0x0123, c.sp = 0xDDEE;
    c.af2 = 0x0102, c.bc2 = 0x0304, c.de2 = 0x0506, c.hl2 = 0x0708;
    c.i = 0x42;
    z80_set_r(c, 0x9A);
    c.irq_lines = kZ80LineIrq;
    c.im        = 1;
    c.iff1 = c.iff2 = kZ80IffOn;
    c.halted        = 1;
    std::array<u8, 40> buf{};
    ByteWriter w(buf);
    ASSERT_TRUE(z80_save_state_chunk(w));
    ASSERT_EQ(w.position(), 33u);
    const std::vector<u8> expect = {0x02, 28,   0,    0,    0,    0x22, 0x11, 0x44, 0x33,
                                    0x66, 0x55, 0x88, 0x77, 0xAA, 0x99, 0xCC, 0xBB, 0x23,
                                    0x01, 0xEE, 0xDD, 0x42, 0x9A, 0x02, 0x01, 0x04, 0x03,
                                    0x06, 0x05, 0x08, 0x07, 0x01, 0x4D};
    EXPECT_EQ(std::vector<u8>(buf.begin(), buf.begin() + 33), expect);

    z80_reset_records();
    ByteReader r(std::span<const u8>(buf).subspan(1, 32));
    ASSERT_TRUE(z80_load_state_chunk(r));
    EXPECT_EQ(r.position(), 32u);
    EXPECT_EQ(c.af, 0x1122);
    EXPECT_EQ(c.hl, 0x7788);
    EXPECT_EQ(c.iy, 0xBBCC);
    EXPECT_EQ(c.pc, 0x0123);
    EXPECT_EQ(c.sp, 0xDDEE);
    EXPECT_EQ(c.hl2, 0x0708);
    EXPECT_EQ(z80_get_r(c), 0x9A);
    EXPECT_EQ(c.iff1, kZ80IffOn);
    EXPECT_EQ(c.iff2, kZ80IffOn);
    EXPECT_EQ(c.halted, 1);
    EXPECT_EQ(c.woken, 0);
    EXPECT_EQ(c.irq_check, 1);
    EXPECT_FALSE(z80_is_stopped());
    std::array<u8, 40> again{};
    ByteWriter w2(again);
    ASSERT_TRUE(z80_save_state_chunk(w2));
    EXPECT_EQ(again, buf);
}

TEST_F(Z80CoreTest, StateChunkLoadRefusesShortChunksAndSkipsLongOnes) {
    std::vector<u8> chunk(4 + 30, 0);
    chunk[0]      = 30;    // stated length 30: two bytes past the 28 are skipped
    chunk[4 + 12] = 0x34;  // PC 0x1234
    chunk[4 + 13] = 0x12;
    ByteReader r(chunk);
    ASSERT_TRUE(z80_load_state_chunk(r));
    EXPECT_EQ(r.position(), 34u);
    EXPECT_EQ(c.pc, 0x1234);

    c.pc = 0x0042;
    for (u32 len : {27u, 40u}) {  // below 28, or past the end of the data
        chunk[0] = static_cast<u8>(len);
        ByteReader bad(chunk);
        EXPECT_FALSE(z80_load_state_chunk(bad));
        EXPECT_EQ(bad.position(), 0u);
        EXPECT_EQ(c.pc, 0x0042);
    }
    std::array<u8, 10> small{};
    ByteWriter w(small);
    EXPECT_FALSE(z80_save_state_chunk(w));
    EXPECT_EQ(w.position(), 0u);
}

TEST_F(Z80CoreTest, StateChunkWithPcOutsideTheRamStopsTheCore) {
    std::vector<u8> chunk(4 + 28, 0);
    chunk[0]      = 28;
    chunk[4 + 13] = 0x80;  // PC 0x8000
    ByteReader r(chunk);
    ASSERT_TRUE(z80_load_state_chunk(r));
    EXPECT_TRUE(z80_is_stopped());
    // Even with the error bits cleared the core cannot run from there.
    z80_clear_stopped();
    step();
    EXPECT_TRUE(z80_is_stopped());
}

TEST_F(Z80CoreTest, GenecystRegisters) {
    std::vector<u8> image(0x438, 0);
    auto put = [&](std::size_t off, u32 v) { store_le32(&image[off], v); };
    put(0x404, 0xFFFF1122);  // only the low 16 bits count
    put(0x408, 0x3344);
    put(0x40C, 0x5566);
    put(0x410, 0x7788);
    put(0x414, 0x99AA);
    put(0x418, 0xBBCC);
    put(0x41C, 0x10200);  // PC 0x0200
    put(0x420, 0x1FF0);
    put(0x424, 0x0102);
    put(0x428, 0x0304);
    put(0x42C, 0x0506);
    put(0x430, 0x0708);
    put(0x434, 0x1234);  // I takes the low byte
    z80_set_r(c, 0x11);
    ASSERT_TRUE(z80_load_gs_registers(image));
    EXPECT_EQ(c.af, 0x1122);
    EXPECT_EQ(c.bc, 0x3344);
    EXPECT_EQ(c.de, 0x5566);
    EXPECT_EQ(c.hl, 0x7788);
    EXPECT_EQ(c.ix, 0x99AA);
    EXPECT_EQ(c.iy, 0xBBCC);
    EXPECT_EQ(c.pc, 0x0200);
    EXPECT_EQ(c.sp, 0x1FF0);
    EXPECT_EQ(c.af2, 0x0102);
    EXPECT_EQ(c.hl2, 0x0708);
    EXPECT_EQ(c.i, 0x34);
    EXPECT_EQ(z80_get_r(c), 0x11);
    image.resize(0x437);
    EXPECT_FALSE(z80_load_gs_registers(image));
}

}  // namespace
}  // namespace varn::test
