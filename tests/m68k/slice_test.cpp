// Slice execution: cycle accounting, the hand-off at the slice end, the PC-load rule and the
// fetch pages, the condition test and the halts.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "base/config.h"
#include "m68k/m68k_core.h"
#include "m68k_test_support.h"

namespace varn::test {
namespace {

constexpr u16 kNop = 0x4E71, kLineA = 0xA000;

class M68kSlice : public M68kFixture {};

// An instruction that takes the counter from -3 to +1 ends the slice; the opcode read then
// is the first of the next slice, which starts at 1 + slice length.
TEST_F(M68kSlice, TheInstructionThatCarriesEndsTheSlice) {
    start_at(0x1000, {kNop, kNop, kNop, kNop, kNop, kNop, kNop, kNop, kNop, kNop, kNop, kNop, kNop,
                      kNop, kNop, kNop, kNop, kNop});
    auto& c         = m68k_context;
    c.cycle_counter = 51;  // 51 - 54 = -3 at entry
    m68k_run_slice();
    EXPECT_EQ(c.cycle_counter, 1);
    EXPECT_EQ(c.pc, 0x1002u);
    EXPECT_EQ(chain_log(), std::vector<char>{'L'});
    m68k_run_slice();  // 1 - 54 = -53: fourteen NOPs
    EXPECT_EQ(c.cycle_counter, 3);
    EXPECT_EQ(c.pc, 0x1002u + 14 * 2);
}

// A counter a whole slice past zero skips the slice; the chain still goes on.
TEST_F(M68kSlice, ACounterPastAWholeSliceSkipsIt) {
    start_at(0x1000, {kLineA});
    m68k_context.cycle_counter = 60;
    m68k_run_slice();
    EXPECT_EQ(m68k_context.cycle_counter, 6);
    EXPECT_EQ(m68k_context.status, 0u);  // the line-A opcode did not run
    EXPECT_EQ(m68k_context.pc, 0x1000u);
    EXPECT_EQ(chain_log(), std::vector<char>{'L'});
}

// A counter below zero at entry (the slice length's addition carries from it too) runs the
// slice rather than skipping it: -50 - 54 = -104, eleven 10-cycle branches to reach +6.
TEST_F(M68kSlice, ACounterBelowZeroRunsItsSlice) {
    start_at(0x1000, {0x60FE});  // BRA to itself
    m68k_context.cycle_counter = -50;
    m68k_run_slice();
    EXPECT_EQ(m68k_context.cycle_counter, 6);
    EXPECT_EQ(m68k_context.pc, 0x1000u);
    EXPECT_EQ(chain_log(), std::vector<char>{'L'});
}

// Zero-cycle instructions (Scc) never end a slice by themselves.
TEST_F(M68kSlice, ZeroCycleInstructionsDoNotEndASlice) {
    start_at(0x1000, {0x50C0, 0x50C1, 0x50C2, kNop, kLineA});  // ST D0, ST D1, ST D2, NOP
    m68k_context.slice_cycles = -1;
    m68k_run_slice();
    EXPECT_EQ(d(0) & d(1) & d(2) & 0xFF, 0xFFu);
    EXPECT_EQ(m68k_context.pc, 0x1008u);
    EXPECT_EQ(m68k_context.cycle_counter, 3);
}

// A slice resumes at the position the last one left unless `pc` or the fetch base was set
// in between; the slice without hand-off runs the same instructions and calls no successor.
TEST_F(M68kSlice, ASliceResumesWhereTheLastLeftUnlessPcOrBaseMoved) {
    struct Case {
        u32 pc, base, d0;
    };
    const Case cases[] = {{0x1000, kCartRomOffset, 0},   // unchanged: BRA to itself again
                          {0x1000, kBootRomOffset, 5},   // same pc, base 2 KB lower
                          {0x2000, kCartRomOffset, 7}};  // pc moved
    for (const auto& k : cases) {
        SetUp();
        start_at(0x1000, {0x60FE});            // BRA to itself
        poke_words(0x0800, {0x7005, kLineA});  // MOVEQ #5,D0
        poke_words(0x2000, {0x7007, kLineA});  // MOVEQ #7,D0
        m68k_run_slice_alone();
        EXPECT_TRUE(chain_log().empty());
        EXPECT_EQ(m68k_context.pc, 0x1000u);
        m68k_context.pc         = k.pc;
        m68k_context.fetch_base = k.base;
        m68k_run_slice();
        EXPECT_EQ(d(0), k.d0) << std::hex << k.pc << " " << k.base;
    }
}

// The Z80 runs after a 68000 slice only with emulation on, its bus free and reset released.
TEST_F(M68kSlice, HandsOffToTheZ80OnlyWhenItMayRun) {
    struct Case {
        u32 disable, busreq, reset;
        char next;
    };
    const Case cases[] = {{0, 0, 0xFFFFFFFF, 'Z'},
                          {1, 0, 0xFFFFFFFF, 'L'},
                          {0, 0xFFFFFFFF, 0xFFFFFFFF, 'L'},
                          {0, 0, 0, 'L'}};
    for (const auto& k : cases) {
        start_at(0x1000, {0x60FE});  // BRA to itself
        cfg_set(cfg_disable_z80, k.disable);
        static u32 busreq, reset;
        busreq            = k.busreq;
        reset             = k.reset;
        m68k_z80_released = [] { return busreq == 0 && reset != 0; };
        chain_log().clear();
        m68k_run_slice();
        EXPECT_EQ(chain_log(), std::vector<char>{k.next});
    }
    cfg_set(cfg_disable_z80, 0);
}

// A JMP into a page without code halts the machine with `pc` at the JMP; the chain stops.
TEST_F(M68kSlice, AJumpIntoAPageWithoutCodeHalts) {
    start_at(0x1000, {kNop, 0x4EF9, 0x0040, 0x0000});  // NOP; JMP 0x400000
    m68k_run_slice();
    EXPECT_EQ(m68k_context.status & kM68kStatusHalted, kM68kStatusHalted);
    EXPECT_EQ(m68k_context.pc, 0x1002u);
    EXPECT_EQ(chain_log(), std::vector<char>{'H'});
    m68k_run_slice();  // a halted core does nothing until its status is cleared
    EXPECT_EQ(chain_log(), std::vector<char>{'H'});
}

// A line-A opcode halts without updating `pc`.
TEST_F(M68kSlice, LineAHaltsWithPcUnchanged) {
    start_at(0x1000, {kNop, kLineA});
    m68k_run_slice();
    EXPECT_NE(m68k_context.status & kM68kStatusHalted, 0u);
    EXPECT_EQ(m68k_context.pc, 0x1000u);
    EXPECT_EQ(m68k_current_pc(m68k_context), 0x1002u);
}

// Pages 0x80-0x87 hold no code; 0x88-0x8F fetch from the cartridge; work RAM repeats.
TEST_F(M68kSlice, StartupPagesMapTheCartridgeWindowAndWorkRamMirrors) {
    struct Case {
        u32 target, d0;
        bool halts_on_jump;
    };
    const Case cases[] = {
        {0x882000, 0x88, false}, {0xF14000, 0xF1, false}, {0x800000, 0, true}, {0xA00000, 0, true}};
    for (const auto& k : cases) {
        SetUp();
        poke_words(0x2000, {0x303C, 0x0088, kLineA});    // MOVE.W #0x88,D0, seen at 0x882000
        poke_words(0xFF4000, {0x303C, 0x00F1, kLineA});  // MOVE.W #0xF1,D0, seen at 0xF14000
        start_at(0x1000, {0x4EF9, static_cast<u16>(k.target >> 16), static_cast<u16>(k.target)});
        m68k_run_slice();
        EXPECT_NE(m68k_context.status & kM68kStatusHalted, 0u);
        if (k.halts_on_jump) {
            EXPECT_EQ(m68k_context.pc, 0x1000u) << std::hex << k.target;
        } else {
            EXPECT_EQ(d(0), k.d0) << std::hex << k.target;
        }
    }
}

// Running off the end of an image re-resolves the PC: off the cartridge's end lies a page
// without code; off work RAM at 0xFFFFFF the PC wraps to the cartridge at 0.
TEST_F(M68kSlice, RunningOffTheEndOfAnImageResolvesTheNextPage) {
    start_at(0x3FFFFC, {kNop, kNop});
    const s32 entry = m68k_context.cycle_counter + m68k_context.slice_cycles;
    m68k_run_slice();
    EXPECT_NE(m68k_context.status & kM68kStatusHalted, 0u);
    EXPECT_EQ(m68k_context.pc, 0x400000u);
    EXPECT_EQ(m68k_context.cycle_counter, entry + 8);  // the two NOPs' cycles, nothing more

    SetUp();
    poke_words(0x000000, {0x303C, 0x0077, kLineA});  // MOVE.W #0x77,D0 at 0
    start_at(0xFFFFFC, {kNop, kNop});
    m68k_run_slice();
    EXPECT_EQ(d(0), 0x77u);

    // Pages 0xF0-0xFE: running across 0xF1FFFF continues at 0xF20000 in the same image.
    SetUp();
    poke_words(0xFF0000, {0x303C, 0x00F2, kLineA});
    start_at(0xF1FFFC, {kNop, kNop});
    m68k_run_slice();
    EXPECT_EQ(d(0), 0xF2u);
}

// Running off an image into a page without code halts whatever the counter stands at when
// the run-off is found, one cycle before the slice end included (two NOPs in a 9-cycle slice
// leave it at -1): on both CPUs, at every slice length, with and without the speed paths.
// The counter ends as the NOPs left it, and the core halts once.
TEST_F(M68kSlice, RunningOffIntoAPageWithoutCodeHaltsAtEverySliceLength) {
    struct Cpu {
        bool sub;
        u32 pc;
    };
    for (const Cpu cpu : {Cpu{false, 0x3FFFFC}, Cpu{true, 0x0BFFFC}}) {
        for (const bool fast : {true, false}) {
            for (s32 slice = 1; slice <= 256; ++slice) {
                SetUp();
                set_speed_paths(fast);
                // A core that went on after halting would halt again and again in the same
                // slice: the second halt throws out of it.
                m68k_halt_slot = [] {
                    chain_log().push_back('H');
                    if (std::count(chain_log().begin(), chain_log().end(), 'H') > 1)
                        throw std::runtime_error("the core ran on after halting");
                };
                M68kCpuContext& c = cpu.sub ? s68k_context : m68k_context;
                if (cpu.sub) {
                    write_n<sub_byte>(cpu.pc, 0x4E714E71, 4);
                    c.fetch_base    = kScdPrgRamOffset;
                    c.sr            = 0x2700;
                    c.sp_slot_index = kM68kSupervisorSlot;
                } else {
                    start_at(cpu.pc, {kNop, kNop});
                }
                c.pc           = cpu.pc;
                c.slice_cycles = -slice;
                s32 slices     = 0;
                ASSERT_NO_THROW({
                    for (; slices < 20 && !(c.status & kM68kStatusHalted); ++slices) {
                        if (cpu.sub) {
                            s68k_run_slice();
                        } else {
                            m68k_run_slice();
                        }
                    }
                }) << "slice "
                   << slice << (cpu.sub ? " sub" : " main") << (fast ? " fast" : " plain");
                ASSERT_NE(c.status & kM68kStatusHalted, 0u) << "slice " << slice;
                EXPECT_EQ(c.pc, cpu.pc + 4) << "slice " << slice;
                EXPECT_EQ(c.cycle_counter, 8 - slices * slice) << "slice " << slice;
            }
        }
    }
}

// A bus access sees the cycles the slice has run before the instruction that makes it (the
// VDP takes its position from them).
TEST_F(M68kSlice, TheBusSeesTheCyclesRunBeforeTheAccessingInstruction) {
    static s32 seen                     = 0;
    m68k_page_read_word[0xA00000 >> 12] = [](u32) -> u32 {
        seen = m68k_context.cycle_counter;
        return 0;
    };
    start_at(0x1000, {kNop, kNop, 0x3039, 0x00A0, 0x0000, kLineA});  // MOVE.W $A00000,D0
    const s32 entry = m68k_context.cycle_counter + m68k_context.slice_cycles;
    m68k_run_slice();
    EXPECT_EQ(seen, entry + 8);
}

// The 32X BIOS overlay: a PC loaded below 0x100 runs from the BIOS image, above from the
// cartridge. The banked-ROM marker adds the bank for exceptions and interrupts only.
TEST_F(M68kSlice, MarkersAdjustPcLoadsAsTheirKindSays) {
    auto run_jump = [&](u32 target) {
        SetUp();
        m68k_set_fetch_page(0, {M68kFetchKind::kS32xBios, kS32xM68kBiosOffset});
        store_be16(&s32x_m68k_bios[0xC0], 0x303C);  // MOVE.W #1,D0 in the BIOS
        store_be16(&s32x_m68k_bios[0xC2], 0x0001);
        store_be16(&s32x_m68k_bios[0xC4], kLineA);
        poke_words(0xC0, {0x303C, 0x0002, kLineA});   // MOVE.W #2,D0 in the cartridge
        poke_words(0x200, {0x303C, 0x0003, kLineA});  // MOVE.W #3,D0
        start_at(0xFF1000, {0x4EF9, static_cast<u16>(target >> 16), static_cast<u16>(target)});
        m68k_run_slice();
        return d(0);
    };
    EXPECT_EQ(run_jump(0xC0), 1u);
    EXPECT_EQ(run_jump(0x200), 3u);

    // Banked ROM: bank offset 0x100000 for a TRAP vector into 0x900000, none for a JMP.
    for (bool via_trap : {true, false}) {
        SetUp();
        m68k_banked_rom_offset = [] { return u32{0x100000}; };
        poke_words(0x000000 + 0x80, {0x0090, 0x0000});   // TRAP #0 vector = 0x900000
        poke_words(0x000000, {0x303C, 0x0000, kLineA});  // bank 0: D0 = 0
        poke_words(0x100000, {0x303C, 0x0001, kLineA});  // bank 1: D0 = 1
        if (via_trap) {
            start_at(0xFF1000, {0x4E40});
        } else {
            start_at(0xFF1000, {0x4EF9, 0x0090, 0x0000});
        }
        m68k_run_slice();
        EXPECT_EQ(d(0), via_trap ? 1u : 0u);
    }
}

// A table whose every entry passes the opcode on to the real table's entry: each instruction
// then starts its own dispatch step.
M68kJumpTable real_table;
u32 pass_on(u32 ir) { return real_table[ir >> 16](ir); }

struct SliceEnd {
    u32 pc, d0, d1, sr;
    s32 counter;
    bool operator==(const SliceEnd&) const = default;
};

// A Bcc after a test or compare runs in the test's dispatch step as the instruction it is: at
// every slice length, each slice ends where the step-by-step dispatch ends it, with the same
// registers, flags and counter. The program counts D0 down from 20 through TST, BTST, CMPI and
// CMP, each followed by a Bcc both taken and not (byte and word displacements).
TEST_F(M68kSlice, ABranchAfterATestEndsSlicesAsAlone) {
    const auto run = [&](s32 slice, bool step_by_step) {
        SetUp();
        start_at(0x1000, {0x7014,          // MOVEQ #20,D0
                          0x4A40,          // loop: TST.W D0
                          0x6716,          // BEQ.S done
                          0x0800, 0x0000,  // BTST #0,D0
                          0x660A,          // BNE.S odd
                          0x0C40, 0x000A,  // CMPI.W #10,D0
                          0x6E00, 0x0004,  // BGT.W odd
                          0x5241,          // ADDQ.W #1,D1
                          0x5340,          // odd: SUBQ.W #1,D0
                          0xB440,          // CMP.W D0,D2
                          0x66E6,          // BNE.S loop
                          kLineA});        // done
        m68k_context.slice_cycles = -slice;
        if (step_by_step) {
            real_table = m68k_jump_table;
            m68k_jump_table.fill(&pass_on);
        }
        std::vector<SliceEnd> ends;
        auto& c = m68k_context;
        for (int i = 0; i < 2000 && (c.status & kM68kStatusHalted) == 0; ++i) {
            m68k_run_slice();
            ends.push_back({c.pc, d(0), d(1), c.sr, c.cycle_counter});
        }
        if (step_by_step) m68k_jump_table = real_table;
        EXPECT_TRUE(c.status & kM68kStatusHalted) << "slice " << slice;
        EXPECT_EQ(d(1), 5u);  // the even counts from 10 down to 2
        return ends;
    };
    for (s32 slice = 1; slice <= 60; ++slice) {
        EXPECT_EQ(run(slice, false), run(slice, true)) << "slice " << slice;
    }
}

// The status register reads back every value as written, whichever way it was written, and
// flag updates through the result words read as the bits they stand for.
TEST(M68kStatusRegister, HoldsEveryValueAsWritten) {
    M68kStatusRegister sr;
    EXPECT_EQ(sr.value(), 0u);
    for (u32 v = 0; v < 0x10000; ++v) {
        sr = v;
        ASSERT_EQ(sr.value(), v);
        sr |= 0x0004;
        ASSERT_EQ(sr.value(), v | 0x0004);
        sr &= ~0x0008u;
        ASSERT_EQ(sr.value(), (v | 0x0004) & ~0x0008u);
    }
    sr   = 0x2700;
    sr.n = 0x80000000;  // a negative result
    sr.z = 0x80000000;
    EXPECT_EQ(sr.value(), 0x2708u);
    sr.n = 0;  // a zero result
    sr.z = 0;
    EXPECT_EQ(sr.value(), 0x2704u);
}

// Every condition on every N, Z, V, C combination.
TEST(M68kCondition, MatchesTheDefinitionOnEveryFlagCombination) {
    for (u32 f = 0; f < 16; ++f) {
        const bool c = f & 1, v = f & 2, z = f & 4, n = f & 8;
        const bool expected[16] = {true,   false,  !c && !z,     c || z,     !c, c,
                                   !z,     z,      !v,           v,          !n, n,
                                   n == v, n != v, !z && n == v, z || n != v};
        for (u32 cc = 0; cc < 16; ++cc) {
            // X and the system byte do not matter.
            EXPECT_EQ(m68k::m68k_test_condition(cc, 0x2710 | f), expected[cc]) << cc << "/" << f;
        }
    }
}

}  // namespace
}  // namespace varn::test
