#pragma once
// Set-up of the older 68000 core's tests: the main core's flat test bus, clean records, code
// placed in the cartridge image, and one-instruction runs.

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "base/endian.h"
#include "legacy/m68k/m68k_v024.h"
#include "m68k/m68k_test_support.h"  // the flat test bus, peek and poke, chain_log
#include "m68k/op_case.h"            // CCR bits, register and memory values of the case tables
#include "memory/memory.h"

namespace varn::test {

class LegacyFixture : public ::testing::Test {
  protected:
    static constexpr u32 kCode = 0x1000;
    static constexpr u32 kSsp  = 0xFF8000;

    void SetUp() override {
        static const bool built = [] {
            m68k_build_jump_table_v024();
            s68k_build_jump_table_v024();
            return true;
        }();
        (void)built;
        memory_clear();
        install_flat_buses<LoggingBus>();
        bus_logging() = false;
        m68k_reset_records_v024();
        chain_log().clear();
        m68k_successor_v024     = [] { chain_log().push_back('t'); };
        m68k_z80_successor_v024 = [] { chain_log().push_back('z'); };
        m68k_halt_slot_v024     = [] { chain_log().push_back('h'); };
        s68k_successor_v024     = [] { chain_log().push_back('s'); };
    }

    static M68kCpuContextV024& cpu() { return m68k_context_v024; }

    // Code at `pc` in the cartridge image, the core placed there in supervisor mode.
    static void start_at(u32 pc, std::initializer_list<u16> words) {
        poke_words(pc, words);
        auto& c         = cpu();
        c.fetch_base    = kCartRomOffset;
        c.pc            = pc;
        c.sr            = 0x2700;
        c.sp_slot_index = kSupervisorSlotIndexV024;
        c.regs[15]      = kSsp;
    }

    // Runs one instruction (a slice of one cycle); returns the cost it stored.
    static u32 step() {
        auto& c        = cpu();
        c.slice_cycles = -1;
        m68k_run_slice_v024();
        return c.cycle_cost;
    }

    // One instruction at kCode with the CCR `ccr`; returns its cost.
    static u32 run(std::initializer_list<u16> words, u32 ccr = 0) {
        start_at(kCode, words);
        cpu().sr = static_cast<u16>(0x2700 | ccr);
        return step();
    }
    static u32 ccr() { return cpu().sr & 0xFF; }
    static bool halted() { return (cpu().status & kM68kStatusHalted) != 0; }
};

}  // namespace varn::test
