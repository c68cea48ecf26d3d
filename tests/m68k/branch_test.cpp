// Bcc, BRA, BSR, DBcc and Scc.

#include <gtest/gtest.h>

#include "m68k_test_support.h"

namespace varn::test {
namespace {

class M68kBranch : public M68kFixture {
  protected:
    u32 exec(std::initializer_list<u16> code, u16 ccr = 0) {
        start_at(0x1000, code);
        m68k_context.sr = static_cast<u16>(0x2700 | ccr);
        return step();
    }
    static u32 pc() { return m68k_context.pc; }
};

TEST_F(M68kBranch, BccCyclesAndTargets) {
    EXPECT_EQ(exec({0x66FE}), 10u);  // BNE * with Z clear
    EXPECT_EQ(pc(), 0x1000u);
    EXPECT_EQ(exec({0x66FE}, kM68kSrZ), 8u);
    EXPECT_EQ(pc(), 0x1002u);
    EXPECT_EQ(exec({0x6700, 0x0010}), 12u);  // BEQ.W not taken
    EXPECT_EQ(pc(), 0x1004u);
    EXPECT_EQ(exec({0x6700, 0x0010}, kM68kSrZ), 10u);
    EXPECT_EQ(pc(), 0x1012u);
    EXPECT_EQ(exec({0x60FF}), 10u);  // BRA -1 lands on an odd address, no exception
    EXPECT_EQ(pc(), 0x1001u);
    EXPECT_EQ(exec({0x6000, 0xFFF0}, 0x0F), 10u);  // BRA.W ignores the flags
    EXPECT_EQ(pc(), 0x0FF2u);
}

TEST_F(M68kBranch, BsrPushesTheAddressAfterItself) {
    EXPECT_EQ(exec({0x6100, 0x0100}), 18u);
    EXPECT_EQ(pc(), 0x1102u);
    EXPECT_EQ(a(7), 0xFFFF00u - 4);
    EXPECT_EQ(peek(a(7), 4), 0x1004u);
    exec({0x6110});
    EXPECT_EQ(peek(a(7), 4), 0x1002u);

    // A target without code: the return address is already pushed, pc at the BSR.
    SetUp();
    m68k_set_fetch_page(0xFE, kM68kNoCodePage);
    start_at(0xFF1000, {0x6100, 0x8000});  // BSR.W 0xFE9002
    step();
    EXPECT_NE(m68k_context.status & kM68kStatusHalted, 0u);
    EXPECT_EQ(peek(a(7), 4), 0xFF1004u);
    EXPECT_EQ(pc(), 0xFF1000u);
}

TEST_F(M68kBranch, DbccCountsTheLowWordOnly) {
    d(0) = 0xABCD0000;
    EXPECT_EQ(exec({0x51C8, 0xFFFE}), 14u);  // DBF D0: expired
    EXPECT_EQ(d(0), 0xABCDFFFFu);
    EXPECT_EQ(pc(), 0x1004u);
    d(0) = 0xABCD0005;
    EXPECT_EQ(exec({0x51C8, 0xFFFE}), 10u);  // branch to the DBF itself
    EXPECT_EQ(d(0), 0xABCD0004u);
    EXPECT_EQ(pc(), 0x1000u);
    EXPECT_EQ(exec({0x50C8, 0xFFFE}), 12u);  // DBT never counts
    EXPECT_EQ(d(0), 0xABCD0004u);
    EXPECT_EQ(pc(), 0x1004u);
}

// Scc writes a byte (no read first), counts 0 cycles, steps A7 by 2 for bytes.
TEST_F(M68kBranch, SccWritesItsByteOnly) {
    d(3) = 0x12345678;
    exec({0x50C3, 0x4E71});  // ST D3, then a NOP to end the one-cycle slice
    EXPECT_EQ(d(3), 0x123456FFu);
    EXPECT_EQ(m68k_context.cycle_counter, 3);  // the NOP's 4 cycles only
    exec({0x51C3, 0x4E71});                    // SF D3
    EXPECT_EQ(d(3), 0x12345600u);

    struct Case {
        u16 opcode;
        u16 ccr;
        u32 a6_after, a7_after, addr, value;
    };
    const Case cases[] = {{0x57DF, kM68kSrZ, 0x3000, 0x4002, 0x4000, 0xFF},  // SEQ (A7)+
                          {0x56DE, kM68kSrZ, 0x3001, 0x4000, 0x3000, 0x00},  // SNE (A6)+
                          {0x56E7, 0, 0x3000, 0x3FFE, 0x3FFE, 0xFF}};        // SNE -(A7)
    for (const auto& k : cases) {
        SetUp();
        start_at(0x1000, {k.opcode, 0x4E71}, 0x4000);
        a(6)            = 0x3000;
        m68k_context.sr = static_cast<u16>(0x2700 | k.ccr);
        bus_logging()   = true;
        step();
        EXPECT_EQ(a(6), k.a6_after) << std::hex << k.opcode;
        EXPECT_EQ(a(7), k.a7_after) << std::hex << k.opcode;
        EXPECT_EQ(bus_log(), (std::vector<BusAccess>{{'w', 1, k.addr, k.value}}))
            << std::hex << k.opcode;
    }
}

// The page looked up is the target's own: next to a page without code a branch runs, into
// one it halts with pc at the branch.
TEST_F(M68kBranch, BranchesLookUpTheTargetPage) {
    m68k_set_fetch_page(0x1F, kM68kNoCodePage);
    poke_words(0x200000, {0x303C, 0x0020, 0xA000});  // MOVE.W #0x20,D0
    start_at(0x200100, {0x6000, 0xFEFE});            // BRA.W 0x200000
    run_until_halt(2);
    EXPECT_EQ(d(0), 0x20u);

    SetUp();
    m68k_set_fetch_page(0x1F, kM68kNoCodePage);
    start_at(0x200100, {0x6000, 0xFEEE});  // BRA.W 0x1FFFF0
    run_until_halt(2);
    EXPECT_EQ(d(0), 0u);
    EXPECT_EQ(m68k_context.pc, 0x200100u);
}

// Branches inside one stretch of plain pages skip the page look-up once a first PC load has
// looked; these are the cases where that shortcut must not apply: a target past the 24-bit
// wrap, a mirror page of work RAM with its own offset, pages changed after the last look-up,
// and a fetch base set from outside between slices. Each program starts with BRA.S +2 (the
// first PC load) and then runs the branch under test.
TEST_F(M68kBranch, BranchesSeeWrapsMirrorsAndChangedPages) {
    struct Case {
        u32 from;
        u16 disp;  // of the BRA.W at from + 4
        u32 target;
    };
    const Case cases[] = {
        {0x000010, 0xFFDA, 0xFFFFF0},  // backwards across address 0 into work RAM
        {0xFFFFE0, 0x002A, 0x000010},  // forwards across the top into the cartridge
        {0xFF1000, 0x8000, 0xFE9006},  // work RAM's mirror page below
    };
    for (const auto& k : cases) {
        SetUp();
        poke_words(k.target, {0x303C, 0x0020, 0xA000});  // MOVE.W #0x20,D0; line A
        start_at(k.from, {0x6002, 0x0000, 0x6000, k.disp});
        run_until_halt(100);
        EXPECT_EQ(d(0), 0x20u) << std::hex << k.from;
    }

    // A page taken away after a branch ran next to it: a branch that looks at the pages
    // again in the page before, then one into the page taken away, which halts.
    SetUp();
    start_at(0x00FFE0, {0x6002, 0x0000, 0x6002, 0x0000, 0x6000, 0x0016});  // ...; BRA.W 0x010000
    poke_words(0x010000, {0x303C, 0x0020, 0xA000});
    step();
    m68k_set_fetch_page(0x01, kM68kNoCodePage);
    run_until_halt(100);
    EXPECT_EQ(d(0), 0u);
    EXPECT_EQ(m68k_context.pc, 0x00FFE8u);

    // A fetch base set from outside between slices within the same fetch region: the boot
    // ROM's, for code at address 0, while page 0 maps the cartridge. JMP 0x1000 must reach
    // the cartridge's 0x1000 through the page, not the position the old base gave.
    SetUp();
    start_at(0x000F00, {0x6002, 0x0000});
    poke_words(0x001000, {0x303C, 0x0020, 0xA000});
    poke_words(0x000800, {0x303C, 0x0030, 0xA000});
    step();
    store_be16(&gen_boot_rom[0], 0x4EF9);  // JMP 0x001000
    store_be32(&gen_boot_rom[2], 0x001000);
    m68k_context.fetch_base = kBootRomOffset;
    m68k_context.pc         = 0;
    run_until_halt(100);
    EXPECT_EQ(d(0), 0x20u);
}

// A loop waiting on a steady read (a flag in memory; a status word's bit) runs its rounds at
// once: every slice ends with the same pc, counter, flags and registers as when each round
// runs on its own, whatever the slice length, also when the value changes between slices and
// the loop leaves, and when the branch is reached with flags that the TST would not give.
// A slice that starts inside such a loop resumes it at once.
TEST_F(M68kBranch, WaitLoopsOnSteadyReadsRunTheirRoundsAtOnce) {
    struct Case {
        const char* name;
        std::vector<u16> code;  // at 0x1000; the loop waits on the flag at 0xFF8000
        u32 flag_size, flag_start, flag_later;
        s32 slice;
    };
    const std::vector<u16> tst_b_l = {0x4A39, 0x00FF, 0x8000, 0x67F8, 0x7001, 0xA000};
    const std::vector<u16> tst_w_w = {0x4A78, 0x8000, 0x66FA, 0x7001, 0xA000};
    // MOVE.W (0xFF8000).L,D1; BTST #3,D1; BEQ.S / BNE.S back to the MOVE.
    const std::vector<u16> poll_beq = {0x3239, 0x00FF, 0x8000, 0x0801,
                                       0x0003, 0x67F4, 0x7001, 0xA000};
    const std::vector<u16> poll_bne = {0x3239, 0x00FF, 0x8000, 0x0801,
                                       0x0003, 0x66F4, 0x7001, 0xA000};
    // MOVEQ #0,D1 sets Z; BRA to the BEQ, whose TST then clears Z: the loop is left at once.
    const std::vector<u16> enter_at_branch = {0x7200, 0x6006, 0x4E71, 0x4A39, 0x00FF,
                                              0x8000, 0x67F8, 0x7001, 0xA000};
    const Case cases[]                     = {
                            {"TST.B abs.L / BEQ, 54-cycle slices", tst_b_l, 1, 0x00, 0x80, -54},
                            {"TST.B abs.L / BEQ, 7-cycle slices", tst_b_l, 1, 0x00, 0x01, -7},
                            {"TST.B abs.L / BEQ, 100-cycle slices", tst_b_l, 1, 0x00, 0x01, -100},
                            {"TST.W abs.W / BNE, 13-cycle slices", tst_w_w, 2, 0x12, 0x00, -13},
                            {"TST.W abs.W / BNE, 54-cycle slices", tst_w_w, 2, 0x8000, 0x00, -54},
                            {"BEQ reached with Z from elsewhere", enter_at_branch, 1, 0x01, 0x01, -54},
                            {"MOVE.W / BTST / BEQ, 54-cycle slices", poll_beq, 2, 0x8000, 0x0008, -54},
                            {"MOVE.W / BTST / BEQ, 23-cycle slices", poll_beq, 2, 0x0000, 0x8008, -23},
                            {"MOVE.W / BTST / BNE, 7-cycle slices", poll_bne, 2, 0x0008, 0x0000, -7},
                            {"MOVE.W / BTST / BNE, 100-cycle slices", poll_bne, 2, 0xFFFF, 0x0000, -100},
    };
    struct Step {
        u32 pc;
        s32 counter;
        u16 sr;
        u32 d0, d1, status;
        bool operator==(const Step&) const = default;
    };
    // The change at slice `change_at` is made to the flag, to D1 (as a state load would) or to
    // the poll loop's code (its branch becomes a NOP, so that the loop is left).
    enum class Change { kFlag, kD1, kCode };
    auto compare = [&](const Case& k, u32 change_at = 40, Change change = Change::kFlag) {
        std::vector<Step> trace[2];
        for (int quiet = 0; quiet < 2; ++quiet) {
            SetUp();
            poke(0xFF8000, k.flag_start, k.flag_size);
            for (u32 i = 0; i < k.code.size(); ++i) poke(0x1000 + 2 * i, k.code[i], 2);
            start_at(0x1000, {});
            m68k_context.regs[1]      = 0xA5A50000;  // MOVE.W keeps the high word
            m68k_context.slice_cycles = k.slice;
            if (quiet) m68k_steady_read = [](u32 a, u32) { return (a & 0xFFF000) == 0xFF8000; };
            for (u32 n = 0; n < 80 && !(m68k_context.status & kM68kStatusHalted); ++n) {
                if (n == change_at) {
                    if (change == Change::kFlag) poke(0xFF8000, k.flag_later, k.flag_size);
                    if (change == Change::kD1) m68k_context.regs[1] = k.flag_later;
                    if (change == Change::kCode) poke(0x100A, 0x4E71, 2);
                }
                m68k_run_slice();
                trace[quiet].push_back({m68k_context.pc, m68k_context.cycle_counter,
                                        m68k_context.sr.value(), d(0), d(1), m68k_context.status});
            }
        }
        EXPECT_TRUE(trace[0] == trace[1]) << k.name << ", slice " << -k.slice;
        if (change != Change::kD1) {
            EXPECT_EQ(trace[1].back().d0, 1u) << k.name;  // the loop was left
        }
    };
    for (const auto& k : cases) compare(k);
    // Slice lengths and change points such that slices start at each of the loops'
    // instructions and the value changes at each of them, also where the instruction that
    // reads the changed value ends its slice (a slice that starts inside a poll loop's round
    // resumes it at once).
    for (s32 slice = 5; slice <= 60; ++slice) {
        for (u32 change_at = 40; change_at < 44; ++change_at) {
            compare({"TST.B abs.L / BEQ", tst_b_l, 1, 0x00, 0x80, -slice}, change_at);
            compare({"TST.W abs.W / BNE", tst_w_w, 2, 0x12, 0x00, -slice}, change_at);
            for (Change change : {Change::kFlag, Change::kD1, Change::kCode}) {
                compare({"MOVE.W / BTST / BEQ", poll_beq, 2, 0x0000, 0x0008, -slice}, change_at,
                        change);
                compare({"MOVE.W / BTST / BNE", poll_bne, 2, 0x0008, 0x0000, -slice}, change_at,
                        change);
            }
        }
    }
}

}  // namespace
}  // namespace varn::test
