// EOR Dn,<ea>.

#include <gtest/gtest.h>

#include "op_case.h"

namespace varn::test {
namespace {

using M68kEor = M68kOpTest;

TEST_F(M68kEor, RegisterAndMemory) {
    run_cases({
        {.name       = "EOR.B D0,D0 clears the low byte",
         .code       = {0xB100},
         .regs       = {D(0, 0x123456AB)},
         .ccr        = kX | kN | kV | kC,
         .expect     = {D(0, 0x12345600)},
         .expect_ccr = kX | kZ,
         .cycles     = 4},
        {.name       = "EOR.W D1,D2",
         .code       = {0xB342},
         .regs       = {D(1, 0xFFFF), D(2, 0xAAAA0F0F)},
         .expect     = {D(2, 0xAAAAF0F0)},
         .expect_ccr = kN},
        {.name       = "EOR.B D0,(A7)+ steps A7 by 2",
         .code       = {0xB11F},
         .regs       = {D(0, 0x0F), A(7, kData)},
         .mem        = {B(kData, 0xFF)},
         .expect     = {A(7, kData + 2)},
         .expect_mem = {B(kData, 0xF0)},
         .expect_ccr = kN,
         .cycles     = 8},
        {.name       = "EOR.B D0,(A0)+ steps A0 by 1",
         .code       = {0xB118},
         .regs       = {A(0, kData)},
         .expect     = {A(0, kData + 1)},
         .expect_ccr = kZ},
        {.name       = "EOR.L D0,-(A1)",
         .code       = {0xB1A1},
         .regs       = {D(0, 0xFFFFFFFF), A(1, kData + 4)},
         .expect     = {A(1, kData)},
         .expect_mem = {L(kData, 0xFFFFFFFF)},
         .expect_ccr = kN,
         .cycles     = 12},
        {.name = "EOR.L D0,D1 counts 8", .code = {0xB181}, .expect_ccr = kZ, .cycles = 8},
    });
}

// A memory EOR that changes nothing still writes (a device register would see it).
TEST_F(M68kEor, EorAlwaysWritesBack) {
    start_at(kCodeAt, {0xB150, 0xA000});
    a(0) = kData;
    poke(kData, 0x1234, 2);
    bus_logging() = true;
    step();
    EXPECT_EQ(bus_log(),
              (std::vector<BusAccess>{{'r', 2, kData, 0x1234}, {'w', 2, kData, 0x1234}}));
}

TEST_F(M68kEor, EncodingsWithoutAMemberHalt) {
    for (u16 op : {0xB13A, 0xB17C, 0xB1BF, 0xB53B}) EXPECT_TRUE(halts(op)) << std::hex << op;
}

}  // namespace
}  // namespace varn::test
