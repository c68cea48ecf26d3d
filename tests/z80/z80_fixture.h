#pragma once
// Runs Z80 code on the Genesis instance, one instruction or one slice at a time.

#include <gtest/gtest.h>

#include <initializer_list>

#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k_bus.h"

namespace varn::test {

class Z80Test : public ::testing::Test {
  protected:
    void SetUp() override {
        z80_reset_records();
        m68k_bus_clear();
        z80_reset();
    }
    void TearDown() override { m68k_bus_clear(); }

    z80_cpu_context& c = z80_context;

    void load(std::initializer_list<u8> bytes, u16 at = 0) {
        for (u8 b : bytes) z80_ram[at++ & (kZ80RamSize - 1)] = b;
    }
    // Executes exactly one instruction (of one T-state or more) and returns its T-states.
    u32 step() {
        c.cycle_counter = 0;
        c.slice_budget  = -1;
        z80_run();
        return c.cycle_counter + 1;
    }
    u8 a() const { return static_cast<u8>(c.af >> 8); }
    u8 f() const { return static_cast<u8>(c.af); }
    void set_a(u8 v) { c.af = static_cast<u16>((c.af & 0xFF) | (v << 8)); }
    void set_f(u8 v) { c.af = static_cast<u16>((c.af & 0xFF00) | v); }
};

}  // namespace varn::test
