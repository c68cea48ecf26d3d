#include <gtest/gtest.h>

#include "support/test_files.h"

namespace varn {
namespace {

// The build assembles test programs for every CPU the emulator has; these are the bytes
// the three sources must produce.
TEST(AssembledPrograms, HaveTheExpectedBytes) {
    struct Case {
        const char* name;
        std::vector<u8> bytes;
    };
    const Case cases[] = {
        {"base_tiny_m68k",
         {0x00, 0xFF, 0xFE, 0x00, 0x00, 0x00, 0x00, 0x08,        // SSP, PC = start
          0x70, 0x00,                                            // moveq #0,d0
          0x52, 0x40,                                            // addq.w #1,d0
          0x60, 0xFC}},                                          // bra.s loop
        {"base_tiny_z80", {0x3E, 0x12, 0x3C, 0x76}},             // ld a,0x12; inc a; halt
        {"base_tiny_sh", {0xE0, 0x05, 0xAF, 0xFE, 0x70, 0x01}},  // mov #5,r0; bra; add #1,r0
    };
    for (const auto& c : cases) EXPECT_EQ(test::read_program(c.name), c.bytes) << c.name;
}

}  // namespace
}  // namespace varn
