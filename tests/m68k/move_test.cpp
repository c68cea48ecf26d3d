// MOVE, MOVEA and the addressing modes they reach.

#include <gtest/gtest.h>

#include "m68k_test_support.h"

namespace varn::test {
namespace {

class M68kMove : public M68kFixture {
  protected:
    // Runs the instruction at 0x1000 alone and returns its cycles.
    u32 exec(std::initializer_list<u16> code) {
        start_at(0x1000, code);
        return step();
    }
    static u32 ccr() { return m68k_context.sr & 0xFF; }
    static std::vector<BusAccess> logged(std::initializer_list<u16> code, M68kMove* t) {
        bus_log().clear();
        bus_logging() = true;
        t->exec(code);
        bus_logging() = false;
        return bus_log();
    }
};

TEST_F(M68kMove, SetsNzClearsVcKeepsXAndTheUntouchedBits) {
    d(0) = 0x12345678;
    d(1) = 0x000000FF;
    start_at(0x1000, {0x1001});  // MOVE.B D1,D0
    m68k_context.sr = 0x2713;    // X, V, C set
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(d(0), 0x123456FFu);
    EXPECT_EQ(ccr(), 0x18u);  // X kept, N set

    d(0) = 0xABCD1234;
    start_at(0x1000, {0x303C, 0x0000});  // MOVE.W #0,D0
    m68k_context.sr = 0x27FF;            // bits 5-7 become 0
    step();
    EXPECT_EQ(d(0), 0xABCD0000u);
    EXPECT_EQ(ccr(), 0x14u);
    EXPECT_EQ(m68k_context.sr & 0xFF00, 0x2700u);

    a(0) = 0x12345699;
    exec({0x1008});  // MOVE.B A0,D0: an address-register byte source is bound
    EXPECT_EQ(d(0) & 0xFF, 0x99u);

    start_at(0x1000, {0x307C, 0x8000});  // MOVEA.W #0x8000,A0: sign-extended, flags alone
    m68k_context.sr = 0x271F;
    step();
    EXPECT_EQ(a(0), 0xFFFF8000u);
    EXPECT_EQ(ccr(), 0x1Fu);
}

TEST_F(M68kMove, LongToPredecrementWritesTwoWordsLowFirst) {
    d(0)           = 0x11223344;
    a(1)           = 0x1000;
    const auto log = logged({0x2300}, this);  // MOVE.L D0,-(A1)
    EXPECT_EQ(a(1), 0xFFCu);
    EXPECT_EQ(log, (std::vector<BusAccess>{{'w', 2, 0xFFE, 0x3344}, {'w', 2, 0xFFC, 0x1122}}));

    // Any other long destination is one long write; MOVE.L from -(An) one long read.
    a(1)            = 0x2004;
    const auto log2 = logged({0x22A1}, this);  // MOVE.L -(A1),(A1)
    EXPECT_EQ(log2.size(), 2u);
    EXPECT_EQ(log2[0], (BusAccess{'r', 4, 0x2000, 0}));
    EXPECT_EQ(log2[1], (BusAccess{'w', 4, 0x2000, 0}));
}

// Register steps: byte (A7)+ / -(A7) step 2, other registers 1; the source is fetched and its
// register stored before the destination address is formed.
TEST_F(M68kMove, StepsAndOrderOfRegisterUpdates) {
    struct Case {
        const char* what;
        std::initializer_list<u16> code;
        u32 a0, a1, a6, a7;  // before
        u32 a0_after, a1_after, a6_after, a7_after;
        std::vector<BusAccess> accesses;
    };
    const Case cases[] = {
        {"MOVE.B (A7)+,D0", {0x101F}, 0, 0, 0, 0x3000, 0, 0, 0, 0x3002, {{'r', 1, 0x3000, 0}}},
        {"MOVE.B D0,-(A7)", {0x1F00}, 0, 0, 0, 0x3000, 0, 0, 0, 0x2FFE, {{'w', 1, 0x2FFE, 0}}},
        {"MOVE.B (A6)+,D0",
         {0x101E},
         0,
         0,
         0x3000,
         0x8000,
         0,
         0,
         0x3001,
         0x8000,
         {{'r', 1, 0x3000, 0}}},
        {"MOVE.B (A0)+,(A0)+",
         {0x10D8},
         0x3000,
         0,
         0,
         0x8000,
         0x3002,
         0,
         0,
         0x8000,
         {{'r', 1, 0x3000, 0}, {'w', 1, 0x3001, 0}}},
        {"MOVE.W -(A1),-(A1)",
         {0x3321},
         0,
         0x3000,
         0,
         0x8000,
         0,
         0x2FFC,
         0,
         0x8000,
         {{'r', 2, 0x2FFE, 0}, {'w', 2, 0x2FFC, 0}}},
        {"MOVE.L (A0)+,2(A1,A0.L)",
         {0x2398, 0x8802},
         0x3000,
         0x100,
         0,
         0x8000,
         0x3004,
         0x100,
         0,
         0x8000,
         {{'r', 4, 0x3000, 0}, {'w', 4, 0x3106, 0}}},
        {"MOVE.B (A0)+,D0 at 0xFFFFFFFF",
         {0x1018},
         0xFFFFFFFF,
         0,
         0,
         0x8000,
         0,
         0,
         0,
         0x8000,
         {{'r', 1, 0xFFFFFF, 0}}},
    };
    for (const auto& k : cases) {
        SetUp();
        start_at(0x1000, k.code, k.a7);
        a(0) = k.a0, a(1) = k.a1, a(6) = k.a6;
        bus_logging() = true;
        step();
        bus_logging() = false;
        EXPECT_EQ(a(0), k.a0_after) << k.what;
        EXPECT_EQ(a(1), k.a1_after) << k.what;
        EXPECT_EQ(a(6), k.a6_after) << k.what;
        EXPECT_EQ(a(7), k.a7_after) << k.what;
        EXPECT_EQ(bus_log(), k.accesses) << k.what;
    }
}

// Addresses formed by each mode, seen as the bus address of a word read into D2.
TEST_F(M68kMove, EffectiveAddressesReachTheBusAsFormed) {
    struct Case {
        const char* what;
        std::initializer_list<u16> code;
        u32 address;
    };
    const Case cases[] = {
        {"d8(A0,D1.W): D1 = 0x1FFFF adds -1", {0x3430, 0x1002}, 0x2000 + 2 - 1},
        {"d8(A0,D1.L) adds 0x1FFFF", {0x3430, 0x1802}, 0x2000 + 2 + 0x1FFFF},
        {"bits 10-8 of the brief word are ignored", {0x3430, 0x1702}, 0x2000 + 2 - 1},
        {"d8(A0,A0.W)", {0x3430, 0x8000}, 0x2000 + 0x2000},
        {"d16(A0) negative", {0x3428, 0xFFFE}, 0x1FFE},
        {"abs.W 0x8000 is 0xFF8000", {0x3438, 0x8000}, 0xFF8000},
        {"abs.L", {0x3439, 0x0012, 0x3456}, 0x123456},
        {"d16(PC) 0 addresses its own word", {0x343A, 0x0000}, 0x1002},
        {"d8(PC,D1.W)", {0x343B, 0x1004}, 0x1002 + 4 - 1},
        {"odd word address goes to the bus as is", {0x3428, 0x0001}, 0x2001},
    };
    for (const auto& k : cases) {
        SetUp();
        a(0)          = 0x2000;
        d(1)          = 0x0001FFFF;
        bus_logging() = true;
        exec(k.code);
        bus_logging() = false;
        ASSERT_EQ(bus_log().size(), 1u) << k.what;
        EXPECT_EQ(bus_log()[0].addr, k.address) << k.what;
    }
}

TEST_F(M68kMove, ImmediatesLengthsAndCyclesByDestination) {
    exec({0x103C, 0x12FF});  // MOVE.B #0xFF: the high byte of the word is ignored
    EXPECT_EQ(d(0) & 0xFF, 0xFFu);

    poke(0x123456, 0xBEEF, 2);
    EXPECT_EQ(exec({0x33F9, 0x0012, 0x3456, 0x0034, 0x5678}), 16u);  // MOVE.W abs.L,abs.L
    EXPECT_EQ(peek(0x345678, 2), 0xBEEFu);
    EXPECT_EQ(m68k_context.pc, 0x100Au);

    EXPECT_EQ(exec({0x23FC, 0x1122, 0x3344, 0x0000, 0x4000}), 16u);  // MOVE.L #imm,abs.L
    EXPECT_EQ(peek(0x4000, 4), 0x11223344u);
    EXPECT_EQ(m68k_context.pc, 0x100Au);

    struct Case {
        u16 opcode;  // MOVE.W D0,<destination> (A0 = 0x2000)
        u32 cycles, length;
    };
    const Case cases[] = {{0x3200, 4, 2},  {0x3240, 4, 2},  {0x3280, 8, 2},
                          {0x32C0, 8, 2},  {0x3300, 8, 2},  {0x3340, 12, 4},
                          {0x3380, 14, 4}, {0x31C0, 12, 4}, {0x33C0, 16, 6}};
    for (const auto& k : cases) {
        SetUp();
        a(1) = 0x2000;
        EXPECT_EQ(exec({k.opcode, 0x0000, 0x3000}), k.cycles) << std::hex << k.opcode;
        EXPECT_EQ(m68k_context.pc, 0x1000 + k.length) << std::hex << k.opcode;
    }
}

TEST_F(M68kMove, UndefinedEncodingsHalt) {
    for (u16 opcode : {u16{0x35C0}, u16{0x1040}, u16{0x303D}, u16{0x37FC}}) {
        SetUp();
        exec({opcode});
        EXPECT_NE(m68k_context.status & kM68kStatusHalted, 0u) << std::hex << opcode;
    }
}

}  // namespace
}  // namespace varn::test
