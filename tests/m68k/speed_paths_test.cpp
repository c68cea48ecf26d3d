// The speed paths against plain execution: with the switch off every instruction is
// dispatched alone and no wait loop runs its rounds at once, and the machine must end every
// slice exactly as with the switch on.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "m68k_test_support.h"

namespace varn::test {
namespace {

class M68kSpeedPaths : public M68kFixture {};

struct SliceEnd {
    M68kSliceEnd cpu;
    std::array<u32, 4> ram;  // the two flags and the interrupt frame below the stack
    bool operator==(const SliceEnd&) const = default;
};

// Waits on a flag with TST, then polls a status bit with MOVE/BTST, six times over; the level 4
// interrupt sets the flag, the level 6 interrupt the bit, each raised while its loop waits.
//   0x1000  TST.B $FF8000 / BEQ.S *-6       the wait loop
//           CLR.B $FF8000
//   0x100E  MOVE.W $FF8002,D0 / BTST #1,D0 / BEQ.S *-10   the poll loop
//           CLR.W $FF8002 / ADDQ.W #1,D5 / CMPI.W #6,D5 / BNE.W 0x1000 / line A
constexpr u32 kFlag = 0xFF8000, kStatus = 0xFF8002, kStack = 0xFFFF00;

struct ProgramRun {
    std::vector<SliceEnd> ends;
    u32 reads = 0;  // reads of the flag and the status word
};

ProgramRun run_program(s32 slice, bool steady) {
    poke_words(0x70, {0x0000, 0x2000});                            // level 4 autovector
    poke_words(0x78, {0x0000, 0x2100});                            // level 6 autovector
    poke_words(0x2000, {0x13FC, 0x0001, 0x00FF, 0x8000, 0x4E73});  // MOVE.B #1,$FF8000; RTE
    poke_words(0x2100, {0x33FC, 0x0002, 0x00FF, 0x8002, 0x4E73});  // MOVE.W #2,$FF8002; RTE
    poke_words(0x1000, {0x4A39, 0x00FF, 0x8000, 0x67F8, 0x4239, 0x00FF, 0x8000, 0x3039,
                        0x00FF, 0x8002, 0x0800, 0x0001, 0x67F4, 0x4279, 0x00FF, 0x8002,
                        0x5245, 0x0C45, 0x0006, 0x6600, 0xFFD8, 0xA000});
    auto& c         = m68k_context;
    c.regs[kM68kA7] = kStack;
    c.sp_slots      = {0, kStack};
    c.sp_slot_index = kM68kSupervisorSlot;
    c.sr            = 0x2000;
    c.pc            = 0x1000;
    c.fetch_base    = kCartRomOffset;
    c.slice_cycles  = -slice;
    // Work RAM changes only through the CPU within its slice: every read of it is steady.
    m68k_steady_read = nullptr;
    if (steady) m68k_steady_read = [](u32 addr, u32) { return addr >= 0xE00000; };
    bus_log().clear();
    bus_logging() = true;
    ProgramRun run;
    for (u32 i = 0; i < 4000 && !(c.status & kM68kStatusHalted); ++i) {
        // Each loop is let go some slices after it was found waiting.
        if (i % 5 == 4 && c.pc >= 0x1000 && c.pc < 0x1008 && peek(kFlag, 1) == 0)
            m68k_set_irq(c, 4, true);
        if (i % 7 == 6 && c.pc >= 0x100E && c.pc < 0x101A && peek(kStatus, 2) == 0)
            m68k_set_irq(c, 6, true);
        m68k_run_slice();
        const SliceEnd end{
            slice_end(c),
            {peek(kFlag, 2), peek(kStatus, 2), peek(kStack - 6, 4), peek(kStack - 2, 2)}};
        run.ends.push_back(end);
    }
    bus_logging() = false;
    for (const BusAccess& a : bus_log()) {
        if (a.kind == 'r' && (a.addr == kFlag || a.addr == kStatus)) ++run.reads;
    }
    return run;
}

// At every slice length the loops' rounds run at once leave every slice as plain execution
// does. Plain execution reads the flag every round, as the loops do where no read is steady:
// the switch turns the loops off, not only the chain.
TEST_F(M68kSpeedPaths, EverySliceEndsAsWithoutThem) {
    u32 fast_reads = 0, plain_reads = 0;
    for (s32 slice = 1; slice <= 120; ++slice) {
        SetUp();
        const ProgramRun fast = run_program(slice, true);
        ASSERT_NE(m68k_context.status & kM68kStatusHalted, 0u) << "slice " << slice;
        EXPECT_EQ(d(5), 6u);
        SetUp();
        set_speed_paths(false);
        const ProgramRun plain = run_program(slice, true);
        EXPECT_EQ(fast.ends, plain.ends) << "slice " << slice;
        SetUp();
        const ProgramRun unsteady = run_program(slice, false);
        EXPECT_EQ(plain.reads, unsteady.reads) << "slice " << slice;
        fast_reads += fast.reads;
        plain_reads += plain.reads;
    }
    EXPECT_LT(fast_reads, plain_reads);  // the loops did run at once
}

}  // namespace
}  // namespace varn::test
