// Shifts and rotates against a model that moves one bit per step, for every operation, size
// and count from 0 to 63 (register count) and 1 to 8 (immediate), then the memory forms, the
// cycle counts and the encodings without a handler.

#include <gtest/gtest.h>

#include "m68k_step_fixture.h"

namespace varn::test {
namespace {

enum Op : u32 { kAs = 0, kLs = 1, kRox = 2, kRo = 3 };
constexpr const char* kOpNames[] = {"AS", "LS", "ROX", "RO"};

struct Result {
    u32 value;
    u32 ccr;
};

// One bit per step, as the instruction set describes each operation.
Result model(Op op, bool left, u32 width, u32 a, u32 n, u32 ccr_in) {
    const u32 mask = width == 32 ? 0xFFFFFFFFu : (1u << width) - 1;
    const u32 top  = width - 1;
    u32 v          = a & mask;
    u32 x          = (ccr_in >> 4) & 1;
    u32 c          = 0;
    bool overflow  = false;
    for (u32 i = 0; i < n; ++i) {
        const u32 msb = (v >> top) & 1, lsb = v & 1;
        switch (op) {
            case kAs:
                if (left) {
                    v        = (v << 1) & mask;
                    overflow = overflow || ((v >> top) & 1) != msb;
                    c        = msb;
                } else {
                    v = (v >> 1) | (msb << top);
                    c = lsb;
                }
                x = c;
                break;
            case kLs:
                v = left ? (v << 1) & mask : v >> 1;
                c = x = left ? msb : lsb;
                break;
            case kRox:
                v = left ? ((v << 1) & mask) | x : (v >> 1) | (x << top);
                c = x = left ? msb : lsb;
                break;
            case kRo:
                v = left ? ((v << 1) & mask) | msb : (v >> 1) | (lsb << top);
                c = left ? msb : lsb;
                break;
        }
    }
    if (n == 0) c = op == kRox ? x : 0;
    u32 ccr = (op == kRo || n == 0) ? (ccr_in & 0x10) : (x << 4);
    ccr |= ((v >> top) & 1) ? 0x08 : 0;
    ccr |= v == 0 ? 0x04 : 0;
    ccr |= overflow ? 0x02 : 0;
    ccr |= c;
    return {v, ccr};
}

using M68kShift = M68kStepFixture;

constexpr u32 kValues[] = {0x00000000, 0x00000001, 0x80000000, 0x40000000, 0xFFFFFFFF, 0x55555555,
                           0xAAAAAAAA, 0x12345678, 0x80000081, 0x0000C040, 0x00004000, 0x7FFFFFFF};
constexpr u32 kWidths[] = {8, 16, 32};
constexpr u32 kSizeFields[] = {0x00, 0x40, 0x80};

// ASd/LSd/ROXd/ROd.size D1,D0 for every count 0-63 and #n,D0 for 1-8, both X values; the
// bits of D0 above the size keep their value, and a register count of 64 and up wraps.
TEST_F(M68kShift, RegisterFormsFollowTheBitModel) {
    for (u32 op = 0; op < 4; ++op) {
        for (bool left : {false, true}) {
            for (u32 s = 0; s < 3; ++s) {
                const u32 w     = kWidths[s];
                const u32 base  = 0xE000 | (left ? 0x100 : 0) | kSizeFields[s] | (op << 3);
                const u32 upper = w == 32 ? 0 : 0xA5A5A5A5u & ~((1u << w) - 1);
                for (u32 a : kValues) {
                    const u32 operand = a & (w == 32 ? 0xFFFFFFFFu : (1u << w) - 1);
                    for (u32 xin : {0x00u, 0x1Fu}) {
                        for (u32 n = 0; n < 72; ++n) {
                            const bool imm = n >= 64;
                            const u32 cnt  = imm ? n - 63 : n;  // #1..#8, then D1 = 0..63
                            const Result want =
                                model(static_cast<Op>(op), left, w, operand, cnt, xin);
                            d(0) = upper | operand;
                            d(1) = imm ? 0 : cnt + 64 * (n % 3);  // bits above 5 ignored
                            const u16 opcode =
                                static_cast<u16>(imm ? base | ((cnt & 7) << 9) : base | 0x220);
                            const u32 cycles = run({opcode}, xin);
                            ASSERT_EQ(d(0), upper | want.value)
                                << kOpNames[op] << (left ? "L" : "R") << " w" << w << " a=0x"
                                << std::hex << operand << " n=" << std::dec << cnt
                                << (imm ? " imm" : " reg") << " ccr_in=" << xin;
                            ASSERT_EQ(ccr(), want.ccr)
                                << kOpNames[op] << (left ? "L" : "R") << " w" << w << " a=0x"
                                << std::hex << operand << " n=" << std::dec << cnt
                                << " ccr_in=" << xin;
                            ASSERT_EQ(cycles, w == 32 ? 8u : 6u);
                            ASSERT_EQ(m68k_context.pc, kCode + 2);
                        }
                    }
                }
            }
        }
    }
}

// A few cases spelled out, as the bit model gives them.
TEST_F(M68kShift, NamedCases) {
    struct Case {
        const char* name;
        u16 opcode;
        u32 d0, d1, ccr_in, d0_out, ccr_out;
    };
    // X N Z V C = 0x10 0x08 0x04 0x02 0x01
    const Case cases[] = {
        {"ASL.B #1 0x40", 0xE300, 0x40, 0, 0x00, 0x80, 0x0A},
        {"ASL.B #2 0xC0", 0xE500, 0xC0, 0, 0x00, 0x00, 0x17},
        {"ASL.B #8 0x80", 0xE100, 0x80, 0, 0x00, 0x00, 0x06},
        {"ASL.W D1=16", 0xE360, 0x0001, 16, 0x00, 0x0000, 0x17},
        {"ASL.W D1=17", 0xE360, 0x0001, 17, 0x00, 0x0000, 0x06},
        {"ASR.L D1=40 sign", 0xE2A0, 0x80000000, 40, 0x00, 0xFFFFFFFF, 0x19},
        {"LSR.L D1=32", 0xE2A8, 0x80000000, 32, 0x00, 0, 0x15},
        {"LSR.L D1=33", 0xE2A8, 0x80000000, 33, 0x00, 0, 0x04},
        {"LSL.L D1=64 is 0", 0xE3A8, 0x80000000, 64, 0x11, 0x80000000, 0x18},
        {"ROXL.B D1=9", 0xE330, 0x5A, 9, 0x10, 0x5A, 0x11},
        {"ROXR.L D1=32", 0xE2B0, 0x80000001, 32, 0x10, 0x00000003, 0x11},
        {"ROR.W D1=32", 0xE278, 0x8001, 32, 0x00, 0x8001, 0x09},
        {"ROL.B #8", 0xE118, 0x81, 0, 0x10, 0x81, 0x19},
        {"ROXR.B D1=0", 0xE230, 0x00, 0, 0x10, 0x00, 0x15},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        d(0) = t.d0;
        d(1) = t.d1;
        run({t.opcode}, t.ccr_in);
        EXPECT_EQ(d(0), t.d0_out);
        EXPECT_EQ(ccr(), t.ccr_out);
    }
}

// Memory forms shift one word by one, read-modify-write, 8 cycles in every mode.
TEST_F(M68kShift, MemoryFormsShiftOneWordByOne) {
    for (u32 op = 0; op < 4; ++op) {
        for (bool left : {false, true}) {
            for (u32 a : {0x4000u, 0x8001u, 0xC000u, 0x0001u, 0x0000u}) {
                for (u32 xin : {0x00u, 0x1Fu}) {
                    const Result want = model(static_cast<Op>(op), left, 16, a, 1, xin);
                    const u16 opcode =
                        static_cast<u16>(0xE0C0 | (op << 9) | (left ? 0x100 : 0) | 0x18);  // (A0)+
                    poke(0xFF0100, a, 2);
                    this->a(0) = 0xFF0100;
                    bus_log().clear();
                    bus_logging()    = true;
                    const u32 cycles = run({opcode}, xin);
                    bus_logging()    = false;
                    ASSERT_EQ(peek(0xFF0100, 2), want.value) << op << left << a;
                    ASSERT_EQ(ccr(), want.ccr) << op << left << a;
                    ASSERT_EQ(this->a(0), 0xFF0102u);
                    ASSERT_EQ(cycles, 8u);
                    ASSERT_EQ(bus_log(), (std::vector<BusAccess>{{'r', 2, 0xFF0100, a},
                                                                 {'w', 2, 0xFF0100, want.value}}));
                }
            }
        }
    }
    // -(A7) steps by 2; abs.L takes two extension words.
    poke(0xFF01FE, 0x0003, 2);
    start_at(kCode, {0xE2E7}, 0xFF0200);  // LSR -(A7)
    EXPECT_EQ(step(), 8u);
    EXPECT_EQ(a(7), 0xFF01FEu);
    EXPECT_EQ(peek(0xFF01FE, 2), 0x0001u);
    EXPECT_EQ(run({0xE7F9, 0x00FF, 0x01FE}), 8u);  // ROL 0xFF01FE
    EXPECT_EQ(peek(0xFF01FE, 2), 0x0002u);
    EXPECT_EQ(m68k_context.pc, kCode + 6);
}

TEST_F(M68kShift, EncodingsWithoutHandlerHalt) {
    for (u16 opcode : {0xE0C0, 0xE7CF, 0xE0FC, 0xE0FA, 0xE8C0, 0xEFFF}) {
        SetUp();
        start_at(kCode, {opcode, 0, 0});
        step();
        EXPECT_TRUE(m68k_context.status & kM68kStatusHalted) << std::hex << opcode;
    }
}

}  // namespace
}  // namespace varn::test
