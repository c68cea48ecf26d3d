// Wait stretches: while both CPUs wait, their slices are replayed from slices run before from
// the same state. The machine must stay exactly where plain execution has it at every slice
// end, and the Z80's proof must take only loops that read.

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/endian.h"
#include "base/speed_paths.h"
#include "e2e/e2e_machine.h"
#include "genesis/sound/ym2612.h"
#include "genesis/z80/genesis_z80.h"
#include "genesis/z80/z80_wait_loop.h"
#include "m68k/m68k_wait_replay.h"
#include "memory/memory.h"
#include "support/machine_compare.h"
#include "support/test_files.h"

namespace varn::test {
namespace {

std::vector<u8> shared_cartridge(const std::string& name) {
    const auto path = std::filesystem::path(VARN_TESTDATA_DIR) / "roms/genesis" / name;
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A sound driver that waits for its command byte and the YM2612's timer B while the 68000
// waits for its frame interrupt: most slices are replayed, and the machine is the same as
// plain execution at every slice end, through the timer's ticks and the notes the pad plays.
TEST(WaitStretchTest, ReplayedSlicesLeaveTheMachineWherePlainExecutionHasIt) {
    const auto image = shared_cartridge("minimusic-sample.bin");
    if (image.empty()) GTEST_SKIP() << "shared test images not found";
    // The power-on clears the counts: they are taken as the second run (the plain one) starts.
    u32 starts        = 0;
    u64 m68k_replayed = 0, z80_replayed = 0;
    const SpeedPathComparison r = compare_speed_paths(
        [&] {
            if (starts++ == 1) {
                m68k_replayed = m68k_wait_stats.replayed;
                z80_replayed  = z80_wait_stats.replayed;
            }
            e2e_power_on(image);
        },
        240, [](u64 frame) { e2e_set_pad(frame >= 100 && frame < 108 ? kPadC : 0); });
    e2e_power_off();
    EXPECT_TRUE(r.same) << r.what;
    EXPECT_EQ(r.frames, 240u);
    EXPECT_GT(m68k_replayed, r.slices / 4) << "the 68000's waiting slices are replayed";
    EXPECT_GT(z80_replayed, r.slices / 4) << "the Z80's waiting slices are replayed";
}

// The 68000 waits on work RAM while the H interrupt comes every fourth line: a stretch must
// end at the line whose event makes the interrupt due, so that the interrupt is taken where
// plain execution takes it.
TEST(WaitStretchTest, EndsWhereALineInterruptBecomesDue) {
    const auto image = read_program("speed_paths_wait_with_line_interrupts");
    ASSERT_FALSE(image.empty());
    u32 starts                  = 0;
    u64 m68k_replayed           = 0;
    const SpeedPathComparison r = compare_speed_paths(
        [&] {
            if (starts++ == 1) m68k_replayed = m68k_wait_stats.replayed;
            e2e_power_on(image);
        },
        30);
    e2e_power_off();
    EXPECT_TRUE(r.same) << r.what;
    EXPECT_EQ(r.frames, 30u);
    EXPECT_GT(m68k_replayed, 0u) << "the waiting slices are replayed";
    EXPECT_GT(load_be32(&m68k_ram[0x10]), 30u) << "the loop went round";
}

// The proof runs the Z80's loop on its record and puts the record and the stack back; it takes
// a loop that reads its RAM or the YM2612 status, tests and branches on A and F, and calls
// routines that return (every call storing the one stack word), and refuses one that writes,
// calls what never comes back, pops what it never pushed, or reads through a register pair or
// the 68000's bus.
struct ProofCase {
    const char* what;
    std::vector<u8> program;  // at Z80 address 0
    bool proven;
};

class Z80WaitProofTest : public ::testing::TestWithParam<ProofCase> {
  protected:
    void SetUp() override {
        set_speed_paths(true);
        z80_reset_records();
        z80_wait_loop_reset();
        ym2612_clear();
        z80_context.sp = 0x1FF0;  // a push would land in the RAM compared below
    }
    void TearDown() override { z80_reset_records(); }
};

TEST_P(Z80WaitProofTest, TakesOnlyLoopsThatRead) {
    const ProofCase& c = GetParam();
    std::copy(c.program.begin(), c.program.end(), z80_ram.begin());
    z80_ram[0x1F00] = 0;  // the command byte the loops read
    z80_cpu_context before;
    std::memcpy(&before, &z80_context, sizeof before);
    const std::array<u8, kZ80RamSize> ram = z80_ram;

    EXPECT_EQ(z80_wait_loop_prove(), c.proven) << c.what;
    EXPECT_EQ(std::memcmp(&before, &z80_context, sizeof before), 0) << c.what << ": record";
    EXPECT_EQ(z80_ram, ram) << c.what << ": RAM";
}

INSTANTIATE_TEST_SUITE_P(
    Loops, Z80WaitProofTest,
    ::testing::Values(
        // LD A,(1F00h); OR A; CALL NZ,0100h; LD A,(4000h); RRA; RRA; JR NC,loop
        ProofCase{
            "command and timer poll",
            {0x3A, 0x00, 0x1F, 0xB7, 0xC4, 0x00, 0x01, 0x3A, 0x00, 0x40, 0x1F, 0x1F, 0x30, 0xF2},
            true},
        ProofCase{"jump to itself", {0xC3, 0x00, 0x00}, true},
        // LD A,(1F00h); CP 5; JP NZ,0000h
        ProofCase{"compare and jump", {0x3A, 0x00, 0x1F, 0xFE, 0x05, 0xC2, 0x00, 0x00}, true},
        // LD A,(1F00h); LD (1F01h),A; JR loop
        ProofCase{"writes its RAM", {0x3A, 0x00, 0x1F, 0x32, 0x01, 0x1F, 0x18, 0xF8}, false},
        // LD A,(1F00h); CPL; OR A; CALL NZ,0100h; JR loop: the call is taken, to NOPs
        ProofCase{"calls", {0x3A, 0x00, 0x1F, 0x2F, 0xB7, 0xC4, 0x00, 0x01, 0x18, 0xF6}, false},
        // LD A,(1F00h); RST 08h; OR A; JR Z,loop; NOP; 0008: RET
        ProofCase{"calls a delay through RST",
                  {0x3A, 0x00, 0x1F, 0xCF, 0xB7, 0x28, 0xF9, 0x00, 0xC9},
                  true},
        // LD A,(1F00h); CALL 0010h; OR A; CALL Z,0010h; JR loop; 0010: RET: the two calls
        // store two return addresses in turn into the same stack word
        ProofCase{"two calls into one stack word",
                  {0x3A, 0x00, 0x1F, 0xCD, 0x10, 0x00, 0xB7, 0xCC, 0x10, 0x00, 0x18, 0xF4, 0x00,
                   0x00, 0x00, 0x00, 0xC9},
                  true},
        // LD A,(1F00h); OR A; RET Z; JR loop: pops a word it never pushed, climbing the stack
        ProofCase{"returns without a call", {0x3A, 0x00, 0x1F, 0xB7, 0xC8, 0x18, 0xF9}, false},
        // LD A,(HL); OR A; JR Z,loop
        ProofCase{"reads through HL", {0x7E, 0xB7, 0x28, 0xFC}, false},
        // LD A,(8000h); OR A; JR Z,loop: the bank window onto the 68000's bus
        ProofCase{"reads the 68000's bus", {0x3A, 0x00, 0x80, 0xB7, 0x28, 0xFA}, false},
        // INC A; JR loop: A never comes back within the steps looked at
        ProofCase{"counts", {0x3C, 0x18, 0xFD}, false}),
    [](const ::testing::TestParamInfo<ProofCase>& param) {
        std::string name = param.param.what;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

}  // namespace
}  // namespace varn::test
