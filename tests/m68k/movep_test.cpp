// MOVEP: byte lanes, access order, the bytes between left alone, flags untouched.

#include <gtest/gtest.h>

#include "m68k_test_support.h"

namespace varn::test {
namespace {

constexpr u32 kCode = 0x1000;

class M68kMovep : public M68kFixture {
  protected:
    // Runs one MOVEP with the bus logged; returns its cycles.
    u32 run(std::initializer_list<u16> words) {
        start_at(kCode, words);
        m68k_context.sr = 0x271F;
        bus_log().clear();
        bus_logging()    = true;
        const u32 cycles = step();
        bus_logging()    = false;
        EXPECT_EQ(m68k_context.sr, 0x271Fu);
        EXPECT_EQ(m68k_context.pc, kCode + 4);
        return cycles;
    }
};

TEST_F(M68kMovep, RegisterToMemory) {
    d(0) = 0x12345678;
    a(0) = 0xFF0100;
    poke(0xFF0100, 0xEEEEEEEE, 4);
    EXPECT_EQ(run({0x0188, 0x0000}), 16u);  // MOVEP.W D0,0(A0)
    EXPECT_EQ(peek(0xFF0100, 4), 0x56EE78EEu);
    EXPECT_EQ(bus_log(),
              (std::vector<BusAccess>{{'w', 1, 0xFF0100, 0x56}, {'w', 1, 0xFF0102, 0x78}}));

    EXPECT_EQ(run({0x01C8, 0x0001}), 24u);  // MOVEP.L D0,1(A0)
    EXPECT_EQ(bus_log(), (std::vector<BusAccess>{{'w', 1, 0xFF0101, 0x12},
                                                 {'w', 1, 0xFF0103, 0x34},
                                                 {'w', 1, 0xFF0105, 0x56},
                                                 {'w', 1, 0xFF0107, 0x78}}));
    EXPECT_EQ(a(0), 0xFF0100u);
}

TEST_F(M68kMovep, MemoryToRegister) {
    poke(0xFF0100, 0x12AA34BB, 4);
    poke(0xFF0104, 0x56CC78DD, 4);
    d(3) = 0xCAFEF00D;
    a(5) = 0xFF0102;
    EXPECT_EQ(run({0x070D, 0xFFFE}), 16u);  // MOVEP.W -2(A5),D3
    EXPECT_EQ(d(3), 0xCAFE1234u);
    EXPECT_EQ(bus_log(),
              (std::vector<BusAccess>{{'r', 1, 0xFF0100, 0x12}, {'r', 1, 0xFF0102, 0x34}}));

    EXPECT_EQ(run({0x074D, 0xFFFE}), 24u);  // MOVEP.L -2(A5),D3
    EXPECT_EQ(d(3), 0x12345678u);
    EXPECT_EQ(bus_log().size(), 4u);
    EXPECT_EQ(bus_log()[3], (BusAccess{'r', 1, 0xFF0106, 0x78}));

    // A7 as the base register.
    start_at(kCode, {0x0F4F, 0x0000}, 0xFF0100);  // MOVEP.L 0(A7),D7
    step();
    EXPECT_EQ(d(7), 0x12345678u);
}

}  // namespace
}  // namespace varn::test
