#pragma once
// Shared set-up of the 68000 tests: the flat test bus with an access log, clean records, and
// helpers to place code and run slices.

#include <gtest/gtest.h>

#include <ostream>
#include <span>
#include <vector>

#include "base/endian.h"
#include "base/speed_paths.h"
#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"
#include "memory/memory.h"
#include "support/m68k_flat_bus.h"

namespace varn::test {

// Every bus access, for tests that check order and width.
struct BusAccess {
    char kind;  // 'r' or 'w'
    u32 size;   // 1, 2, 4
    u32 addr;
    u32 value;
    bool operator==(const BusAccess&) const = default;
};
inline void PrintTo(const BusAccess& b, std::ostream* os) {
    *os << b.kind << b.size * 8 << "@0x" << std::hex << b.addr << "=0x" << b.value << std::dec;
}
inline std::vector<BusAccess>& bus_log() {
    static std::vector<BusAccess> log;
    return log;
}
inline bool& bus_logging() {
    static bool on = false;
    return on;
}

// The tests' bus: the flat bus, logging each access while bus_logging() is on.
struct LoggingBus {
    template <u8* (*At)(u32), u32 N>
    static u32 read(u32 a) {
        const u32 v = read_n<At>(a, N);
        if (bus_logging()) bus_log().push_back({'r', N, a, v});
        return v;
    }
    template <u8* (*At)(u32), u32 N>
    static void write(u32 a, u32 v) {
        const u32 masked = N == 4 ? v : v & ((1u << (8 * N)) - 1);
        if (bus_logging()) bus_log().push_back({'w', N, a, masked});
        write_n<At>(a, masked, N);
    }
};

// Peek and poke on the main CPU's flat bus without logging.
inline u32 peek(u32 a, u32 n) { return read_n<main_byte>(a, n); }
inline void poke(u32 a, u32 v, u32 n) { write_n<main_byte>(a, v, n); }
inline void poke_words(u32 a, std::initializer_list<u16> words) {
    for (u16 w : words) {
        poke(a, w, 2);
        a += 2;
    }
}

// Recording successor slots.
inline std::vector<char>& chain_log() {
    static std::vector<char> log;
    return log;
}

class M68kFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        static const bool built = [] {
            m68k_build_jump_table();
            s68k_build_jump_table();
            return true;
        }();
        (void)built;
        set_speed_paths(true);
        memory_clear();
        std::fill(flat_memory().begin(), flat_memory().end(), u8{0});
        m68k_reset_records();
        m68k_clear_slots();
        m68k_bus_clear();
        install_flat_buses<LoggingBus>();
        bus_log().clear();
        bus_logging() = false;
        chain_log().clear();
        m68k_successor     = [] { chain_log().push_back('L'); };
        m68k_z80_successor = [] { chain_log().push_back('Z'); };
        s68k_successor     = [] { chain_log().push_back('S'); };
        m68k_halt_slot     = [] { chain_log().push_back('H'); };
    }

    // Places `words` at `pc` (cartridge or work RAM), sets a stack and the PC, supervisor mode.
    void start_at(u32 pc, std::initializer_list<u16> words, u32 sp = 0xFFFF00) {
        poke_words(pc, words);
        auto& c         = m68k_context;
        c.regs[kM68kA7] = sp;
        c.sp_slots      = {0, sp};
        c.sp_slot_index = kM68kSupervisorSlot;
        c.sr            = 0x2700;
        c.pc            = pc;
        c.fetch_base    = pc >= 0xF00000 ? kWorkRamOffset - (pc & 0xFF0000) : kCartRomOffset;
    }

    // Runs main-CPU slices until the core halts; false when it did not within `max_slices`.
    bool run_until_halt(u32 max_slices = 100000) {
        for (u32 i = 0; i < max_slices; ++i) {
            if (m68k_context.status & kM68kStatusHalted) return true;
            m68k_run_slice();
        }
        return (m68k_context.status & kM68kStatusHalted) != 0;
    }

    // Runs one instruction alone: a slice just long enough for it. Returns the cycles it
    // yielded (counter movement).
    u32 step() {
        auto& c         = m68k_context;
        c.slice_cycles  = -1;
        c.cycle_counter = 0;
        m68k_run_slice();
        return static_cast<u32>(c.cycle_counter) + 1;
    }

    static u32& d(u32 n) { return m68k_context.regs[n]; }
    static u32& a(u32 n) { return m68k_context.regs[8 + n]; }
};

}  // namespace varn::test
