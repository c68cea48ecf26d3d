// Instruction groups: T-states per table, flag rules, block instructions, index forms.

#include <map>
#include <vector>

#include "genesis/z80/genesis_z80_bus.h"
#include "z80_fixture.h"

namespace varn::test {
namespace {

class Z80InstrTest : public Z80Test {
  protected:
    // Puts `bytes` at 0x0100 in a known machine state and runs the one instruction.
    u32 run_at_100(const std::vector<u8>& bytes, u8 flags, u16 bc = 0x0101) {
        z80_reset_records();
        z80_reset();
        for (std::size_t i = 0; i < bytes.size(); ++i) z80_ram[0x100 + i] = bytes[i];
        c.pc = 0x0100;
        c.sp = 0x1000;
        c.hl = 0x0800;
        c.de = 0x0900;
        c.ix = 0x0A00;
        c.iy = 0x0B00;
        c.bc = bc;
        set_f(flags);
        const u32 t = step();
        EXPECT_FALSE(z80_is_stopped());
        return t;
    }
};

// Unprefixed T-states, not taken / unconditional (0 = prefix, HALT or EI: tested elsewhere).
// clang-format off
constexpr u8 kMainT[256] = {
    4, 10,  7,  6,  4,  4,  7,  4,  4, 11,  7,  6,  4,  4,  7,  4,
    8, 10,  7,  6,  4,  4,  7,  4, 12, 11,  7,  6,  4,  4,  7,  4,
    7, 10, 16,  6,  4,  4,  7,  4,  7, 11, 16,  6,  4,  4,  7,  4,
    7, 10, 13,  6, 11, 11, 10,  4,  7, 11, 13,  6,  4,  4,  7,  4,
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    7,  7,  7,  7,  7,  7,  0,  7,  4,  4,  4,  4,  4,  4,  7,  4,
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    5, 10, 10, 10, 10, 11,  7, 11,  5, 10, 10,  0, 10, 17,  7, 11,
    5, 10, 10, 11, 10, 11,  7, 11,  5,  4, 10, 11, 10,  0,  7, 11,
    5, 10, 10, 19, 10, 11,  7, 11,  5,  4, 10,  4, 10,  0,  7, 11,
    5, 10, 10,  4, 10, 11,  7, 11,  5,  6, 10,  0, 10,  0,  7, 11,
};
// clang-format on

TEST_F(Z80InstrTest, UnprefixedTStates) {
    for (int op = 0; op < 256; ++op) {
        if (kMainT[op] == 0) continue;
        SCOPED_TRACE(op);
        const bool jr_cc = op == 0x20 || op == 0x28 || op == 0x30 || op == 0x38;
        const bool cc    = op >= 0xC0 && ((op & 7) == 0 || (op & 7) == 2 || (op & 7) == 4);
        if (jr_cc || cc) {
            // With F = 0 the conditions NZ, NC, PO, P hold; with F = 0xFF the others.
            const int y     = jr_cc ? ((op >> 3) & 7) - 4 : (op >> 3) & 7;
            const u32 taken = jr_cc ? 12 : ((op & 7) == 0 ? 11 : ((op & 7) == 2 ? 10 : 17));
            EXPECT_EQ(run_at_100({static_cast<u8>(op)}, (y & 1) ? 0x00 : 0xFF), kMainT[op]);
            EXPECT_EQ(run_at_100({static_cast<u8>(op)}, (y & 1) ? 0xFF : 0x00), taken);
        } else {
            EXPECT_EQ(run_at_100({static_cast<u8>(op)}, 0), kMainT[op]);
        }
    }
    // DJNZ: 13 taken, 8 falling through with B = 0.
    EXPECT_EQ(run_at_100({0x10, 0xFE}, 0, 0x0200), 13u);
    EXPECT_EQ(c.pc, 0x100);
    EXPECT_EQ(run_at_100({0x10, 0xFE}, 0, 0x0100), 8u);
    EXPECT_EQ(c.bc >> 8, 0);
    EXPECT_EQ(c.pc, 0x102);
}

TEST_F(Z80InstrTest, CbTStates) {
    for (int op = 0; op < 256; ++op) {
        if (op >= 0x30 && op < 0x38) continue;
        SCOPED_TRACE(op);
        const bool mem = (op & 7) == 6;
        const u32 t    = !mem ? 8 : ((op >> 6) == 1 ? 12 : 15);
        EXPECT_EQ(run_at_100({0xCB, static_cast<u8>(op)}, 0), t);
        EXPECT_EQ(c.pc, 0x102);
    }
}

TEST_F(Z80InstrTest, EdTStatesAndLengths) {
    // slot -> {T-states, length}; block repeats are checked with BC = B = 1 (last step).
    std::map<int, std::pair<u32, u32>> live;
    for (int op :
         {0x40, 0x48, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78, 0x41, 0x49, 0x51, 0x59, 0x61, 0x69, 0x79})
        live[op] = {12, 2};
    for (int op : {0x42, 0x52, 0x62, 0x72, 0x4A, 0x5A, 0x6A, 0x7A}) live[op] = {15, 2};
    for (int op : {0x43, 0x53, 0x63, 0x73, 0x4B, 0x5B, 0x6B, 0x7B}) live[op] = {20, 4};
    for (int op : {0x44, 0x46, 0x56, 0x5E}) live[op] = {8, 2};
    for (int op : {0x47, 0x4F, 0x57, 0x5F}) live[op] = {9, 2};
    for (int op : {0x67, 0x6F}) live[op] = {18, 2};
    for (int op = 0xA0; op < 0xC0; ++op)
        if ((op & 7) < 4 && op != 0xA4) live[op] = {16, 2};
    for (auto& [op, tl] : live) {
        SCOPED_TRACE(op);
        // B = 1 finishes the port blocks, BC = 1 the copies; the compares find A = (HL) = 0.
        const u16 bc = (op & 0xF7) == 0xB0 ? 0x0001 : 0x0101;
        EXPECT_EQ(run_at_100({0xED, static_cast<u8>(op), 0x00, 0x01}, 0, bc), tl.first);
        EXPECT_EQ(c.pc, 0x100 + tl.second);
    }
    // RETN and RETI pop (here 0x0000 from the cleared stack) and copy IFF2 into IFF1.
    for (int op : {0x45, 0x4D}) {
        EXPECT_EQ(run_at_100({0xED, static_cast<u8>(op)}, 0), 14u);
        EXPECT_EQ(c.pc, 0x0000);
    }
}

TEST_F(Z80InstrTest, RetiAndRetnCopyIff2IntoIff1) {
    for (u8 op : {0x45, 0x4D}) {
        load({0xED, op});
        c.pc   = 0;
        c.sp   = 0x1000;
        c.iff1 = 0;
        c.iff2 = kZ80IffOn;
        step();
        EXPECT_EQ(c.iff1, kZ80IffOn);
    }
}

TEST_F(Z80InstrTest, IndexTStatesAndLengths) {
    // slot -> {T-states, length}
    std::map<int, std::pair<u32, u32>> live = {
        {0x09, {15, 2}}, {0x19, {15, 2}}, {0x29, {15, 2}}, {0x39, {15, 2}}, {0x21, {14, 4}},
        {0x22, {20, 4}}, {0x2A, {20, 4}}, {0x23, {10, 2}}, {0x2B, {10, 2}}, {0x34, {23, 3}},
        {0x35, {23, 3}}, {0x36, {19, 4}}, {0xE1, {14, 2}}, {0xE3, {23, 2}}, {0xE5, {15, 2}},
        {0xF9, {10, 2}}, {0x26, {7, 3}},  {0x2E, {7, 3}}};
    for (int op : {0x46, 0x4E, 0x56, 0x5E, 0x66, 0x6E, 0x7E, 0x70, 0x71, 0x72, 0x73,
                   0x74, 0x75, 0x77, 0x86, 0x8E, 0x96, 0x9E, 0xA6, 0xAE, 0xB6, 0xBE})
        live[op] = {19, 3};
    for (int op : {0x44, 0x45, 0x4C, 0x4D, 0x54, 0x55, 0x5C, 0x5D, 0x7C, 0x7D, 0x60, 0x61,
                   0x62, 0x63, 0x64, 0x65, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F})
        live[op] = {4, 2};
    for (int op = 0x84; op < 0xC0; op += 8) live[op] = live[op + 1] = {4, 2};
    ASSERT_EQ(live.size(), 80u);  // with JP (IX) and the DD CB entry, 82 slots
    for (u8 prefix : {0xDD, 0xFD}) {
        for (auto& [op, tl] : live) {
            SCOPED_TRACE(testing::Message() << std::hex << int(prefix) << " " << op);
            EXPECT_EQ(run_at_100({prefix, static_cast<u8>(op), 0x00, 0x00}, 0), tl.first);
            EXPECT_EQ(c.pc, 0x100 + tl.second);
        }
        // JP (IX): 8 T-states, to the index register's address.
        EXPECT_EQ(run_at_100({prefix, 0xE9}, 0), 8u);
        EXPECT_EQ(c.pc, prefix == 0xDD ? 0x0A00 : 0x0B00);
        // DD CB d op: BIT 20, the rest 23, all 4 bytes.
        for (int op = 6; op < 256; op += 8) {
            if (op == 0x36) continue;
            SCOPED_TRACE(op);
            EXPECT_EQ(run_at_100({prefix, 0xCB, 0x00, static_cast<u8>(op)}, 0),
                      (op >> 6) == 1 ? 20u : 23u);
            EXPECT_EQ(c.pc, 0x104);
        }
    }
}

struct FlagCase {
    std::vector<u8> code;
    u8 a, b, f;
    u8 a_out, b_out, f_out;
};

TEST_F(Z80InstrTest, EightBitFlagRules) {
    const std::vector<FlagCase> cases = {
        // ADD A,0x80 to 0x80: zero, carry, overflow; bits 3 and 5 kept
        {{0x80}, 0x80, 0x80, 0x28, 0x00, 0x80, 0x6D},
        {{0x80}, 0x0F, 0x01, 0x00, 0x10, 0x01, 0x10},        // half carry
        {{0x88}, 0x7F, 0x00, 0x01, 0x80, 0x00, 0x94},        // ADC carry in, overflow
        {{0x90}, 0x00, 0x01, 0x00, 0xFF, 0x01, 0x93},        // SUB borrow
        {{0x98}, 0x80, 0x00, 0x01, 0x7F, 0x00, 0x16},        // SBC overflow
        {{0xB8}, 0x42, 0x42, 0x28, 0x42, 0x42, 0x6A},        // CP equal: Z, N, no C
        {{0xFE, 0x43}, 0x42, 0x00, 0x00, 0x42, 0x00, 0x93},  // CP n below: S H N C
        {{0xA0}, 0xF0, 0x0F, 0x01, 0x00, 0x0F, 0x54},        // AND: H, parity, C cleared
        {{0xA8}, 0xFF, 0x01, 0x13, 0xFE, 0x01, 0x80},        // XOR: odd parity
        {{0xB0}, 0x00, 0x03, 0x00, 0x03, 0x03, 0x04},        // OR: even parity
        {{0x3C}, 0x7F, 0x00, 0x01, 0x80, 0x00, 0x95},        // INC A: H, V, C kept
        {{0x3D}, 0x80, 0x00, 0x00, 0x7F, 0x00, 0x16},        // DEC A: H, V, N
        {{0x05}, 0x00, 0x01, 0x29, 0x00, 0x00, 0x6B},        // DEC B to zero, 3/5 and C kept
        {{0xED, 0x44}, 0x01, 0x00, 0x00, 0xFF, 0x00, 0x93},  // NEG
        {{0xED, 0x44}, 0x80, 0x00, 0x00, 0x80, 0x00, 0x87},  // NEG 0x80 overflows
        {{0x27}, 0x0A, 0x00, 0x28, 0x10, 0x00, 0x10},        // DAA after an add; clears 3/5
        {{0x27}, 0x9A, 0x00, 0x00, 0x00, 0x00, 0x55},        // DAA: both adjusts
        {{0x27}, 0x0F, 0x00, 0x12, 0x09, 0x00, 0x16},        // DAA after a subtract
        {{0x27}, 0x03, 0x00, 0x12, 0xFD, 0x00, 0x93},        // DAA subtract borrows
        {{0x2F}, 0x5A, 0x00, 0x00, 0xA5, 0x00, 0x12},        // CPL
        {{0x37}, 0x00, 0x00, 0xD2, 0x00, 0x00, 0xC1},        // SCF
        {{0x3F}, 0x00, 0x00, 0x01, 0x00, 0x00, 0x10},        // CCF with C: H := old C
        {{0x3F}, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01},        // CCF without C
        {{0x07}, 0x81, 0x00, 0xD6, 0x03, 0x00, 0xC5},        // RLCA keeps S Z P
        {{0x1F}, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01},        // RRA
        {{0x17}, 0x80, 0x00, 0x01, 0x01, 0x00, 0x01},        // RLA takes C in
        {{0xCB, 0x00}, 0x00, 0x80, 0x28, 0x00, 0x01, 0x01},  // RLC B clears 3/5
        {{0xCB, 0x28}, 0x00, 0x81, 0x00, 0x00, 0xC0, 0x85},  // SRA B keeps bit 7
        {{0xCB, 0x38}, 0x00, 0x01, 0x00, 0x00, 0x00, 0x45},  // SRL B to zero
        {{0xCB, 0x10}, 0x00, 0x80, 0x00, 0x00, 0x00, 0x45},  // RL B through C
        {{0xCB, 0x7F}, 0x80, 0x00, 0x00, 0x80, 0x00, 0x90},  // BIT 7,A set: S, H
        {{0xCB, 0x47}, 0xFE, 0x00, 0x29, 0xFE, 0x00, 0x7D},  // BIT 0,A clear: Z, P/V; C kept
        {{0xCB, 0x87}, 0xFF, 0x00, 0x00, 0xFE, 0x00, 0x00},  // RES 0,A: no flags
        {{0xCB, 0xF8}, 0x00, 0x00, 0xFF, 0x00, 0x80, 0xFF},  // SET 7,B: no flags
        {{0xED, 0x78}, 0x00, 0x00, 0x01, 0x01, 0x00, 0x01},  // IN A,(C): port 1 reads 1
        {{0xED, 0x70}, 0x11, 0x00, 0x00, 0x11, 0x00, 0x44},  // IN F,(C): flags only
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::PrintToString(k.code) + " a=" + std::to_string(k.a) +
                     " b=" + std::to_string(k.b) + " f=" + std::to_string(k.f));
        z80_reset_records();
        z80_reset();
        for (std::size_t i = 0; i < k.code.size(); ++i) z80_ram[i] = k.code[i];
        c.af = static_cast<u16>(k.a << 8 | k.f);
        c.bc = static_cast<u16>(k.b << 8 | (k.code[0] == 0xED && k.code[1] == 0x78 ? 1 : 0));
        step();
        EXPECT_EQ(a(), k.a_out);
        EXPECT_EQ(c.bc >> 8, k.b_out);
        EXPECT_EQ(f(), k.f_out);
    }
}

TEST_F(Z80InstrTest, SixteenBitFlagRules) {
    struct Case {
        std::vector<u8> code;
        u16 hl, de, bc;
        u8 f;
        u16 hl_out;
        u8 f_out;
    };
    const std::vector<Case> cases = {
        {{0x19}, 0xFFFF, 0x0001, 0, 0xD6, 0x0000, 0xC5},        // ADD HL,DE: S Z P/V kept, H 0
        {{0x19}, 0x0FFF, 0x0001, 0, 0x00, 0x1000, 0x00},        // no half carry from bit 11
        {{0xED, 0x4A}, 0x7FFF, 0, 0x0000, 0x01, 0x8000, 0x84},  // ADC HL,BC overflow
        {{0xED, 0x42}, 0x0000, 0, 0x0001, 0x28, 0xFFFF, 0xAB},  // SBC HL,BC borrow
        {{0xED, 0x42}, 0x8000, 0, 0x0000, 0x01, 0x7FFF, 0x06},  // SBC overflow
        {{0xED, 0x5A}, 0xFFFF, 0x0001, 0, 0x00, 0x0000, 0x41},  // ADC HL,DE to zero
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::PrintToString(k.code) + " hl=" + std::to_string(k.hl));
        z80_reset_records();
        z80_reset();
        for (std::size_t i = 0; i < k.code.size(); ++i) z80_ram[i] = k.code[i];
        c.hl = k.hl, c.de = k.de, c.bc = k.bc;
        set_f(k.f);
        step();
        EXPECT_EQ(c.hl, k.hl_out);
        EXPECT_EQ(f(), k.f_out);
    }
}

TEST_F(Z80InstrTest, DaaKeepsItsDirection) {
    // sub 0x01 from 0x10, then two DAAs: both adjust downwards.
    load({0xD6, 0x01, 0x27, 0x27});
    set_a(0x10);
    step();
    step();
    EXPECT_EQ(a(), 0x09);
    EXPECT_TRUE(f() & 0x02);
    step();
    EXPECT_EQ(a(), 0x03);
}

TEST_F(Z80InstrTest, StackExchangeAndRestarts) {
    // push af / pop bc keeps bits 3 and 5; rst 0x38 pushes the next address.
    load({0xF5, 0xC1, 0xFF});
    c.af = 0x12FF;
    c.sp = 0x1000;
    step();
    step();
    EXPECT_EQ(c.bc, 0x12FF);
    step();
    EXPECT_EQ(c.pc, 0x38);
    EXPECT_EQ(z80_ram[0x0FFE], 0x03);
    EXPECT_EQ(z80_ram[0x0FFF], 0x00);
    // ex (sp),hl / exx / ex af,af'
    load({0xE3, 0xD9, 0x08}, 0x40);
    c.pc = 0x40;
    c.hl = 0xABCD;
    step();
    EXPECT_EQ(c.hl, 0x0003);
    EXPECT_EQ(z80_ram[0x0FFE], 0xCD);
    c.bc2 = 0x1111;
    step();
    EXPECT_EQ(c.bc, 0x1111);
    EXPECT_EQ(c.bc2, 0x12FF);
    c.af2 = 0x2222;
    step();
    EXPECT_EQ(c.af, 0x2222);
    // jr -2 loops on itself
    load({0x18, 0xFE}, 0x50);
    c.pc = 0x50;
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(c.pc, 0x50);
}

TEST_F(Z80InstrTest, PortsOfTheGenesisReadTheirNumber) {
    load({0xDB, 0x40, 0xD3, 0x7F});  // in a,(0x40) / out (0x7f),a
    c.af = 0x00FF;
    EXPECT_EQ(step(), 11u);
    EXPECT_EQ(c.af, 0x40FF);
    EXPECT_EQ(step(), 11u);
}

TEST_F(Z80InstrTest, BlockCopyRepeatsUntilBcIsZero) {
    load({0xED, 0xB0});  // ldir
    load({1, 2, 3}, 0x200);
    c.hl = 0x200, c.de = 0x300, c.bc = 3;
    set_f(0xFF);
    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(c.pc, 0);
    EXPECT_EQ(f(), 0xED);  // H N cleared, P/V set: more to copy
    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(c.pc, 2);
    EXPECT_EQ(c.bc, 0);
    EXPECT_EQ(f(), 0xE9);
    EXPECT_EQ(z80_ram[0x300], 1);
    EXPECT_EQ(z80_ram[0x302], 3);
    EXPECT_EQ(c.hl, 0x203);
    // lddr counts down
    load({0xED, 0xB8}, 0x10);
    c.pc = 0x10, c.hl = 0x202, c.de = 0x402, c.bc = 2;
    step();
    step();
    EXPECT_EQ(z80_ram[0x402], 3);
    EXPECT_EQ(z80_ram[0x401], 2);
    EXPECT_EQ(c.hl, 0x200);
    EXPECT_EQ(c.pc, 0x12);
}

TEST_F(Z80InstrTest, CompareRepeatStopsAtTheMatch) {
    load({0xED, 0xB1});  // cpir
    load({'A', 'B', 'C', 'D'}, 0x200);
    c.hl = 0x200, c.bc = 10;
    set_a('C');
    set_f(0x01);
    u32 total = 0;
    while (c.pc == 0) total += step();
    EXPECT_EQ(total, 21u + 21u + 16u);
    EXPECT_EQ(c.hl, 0x203);
    EXPECT_EQ(c.bc, 7);
    EXPECT_EQ(f(), 0x40 | 0x04 | 0x02 | 0x01);  // Z, more left, N, C kept
    // cpi to the end of the count: P/V clear
    load({0xED, 0xA1}, 0x10);
    c.pc = 0x10, c.bc = 1;
    set_a(0);
    step();
    EXPECT_EQ(f() & 0x04, 0);
}

TEST_F(Z80InstrTest, PortBlocks) {
    // inir with B = 2 reads port C (its number) twice; otir writes (silently) and counts B.
    load({0xED, 0xB2});
    c.bc = 0x0277, c.hl = 0x300;
    set_f(0x29);
    EXPECT_EQ(step(), 21u);
    EXPECT_EQ(f(), 0x28);  // S Z from B = 1, H N C cleared
    EXPECT_EQ(step(), 16u);
    EXPECT_EQ(f(), 0x28 | 0x40 | 0x04);  // Z and P/V = Z
    EXPECT_EQ(z80_ram[0x300], 0x77);
    EXPECT_EQ(z80_ram[0x301], 0x77);
    load({0xED, 0xA3}, 0x10);  // outi
    c.pc = 0x10, c.bc = 0x8100;
    step();
    EXPECT_EQ(c.bc, 0x8000);
    EXPECT_EQ(f(), 0x28 | 0x80);
    EXPECT_EQ(c.hl, 0x303);
}

TEST_F(Z80InstrTest, DigitRotates) {
    load({0xED, 0x6F, 0xED, 0x67});  // rld / rrd
    z80_ram[0x200] = 0x20;
    c.hl           = 0x200;
    set_a(0x84);
    set_f(0x01);
    EXPECT_EQ(step(), 18u);
    EXPECT_EQ(a(), 0x82);
    EXPECT_EQ(z80_ram[0x200], 0x04);
    EXPECT_EQ(f(), 0x85);  // S, even parity, C kept
    EXPECT_EQ(step(), 18u);
    EXPECT_EQ(a(), 0x84);
    EXPECT_EQ(z80_ram[0x200], 0x20);
}

TEST_F(Z80InstrTest, IndexForms) {
    // ld h,(ix-1): the real H
    load({0xDD, 0x66, 0xFF});
    z80_ram[0x04FF] = 0x5A;
    c.ix            = 0x0500;
    step();
    EXPECT_EQ(c.hl >> 8, 0x5A);
    EXPECT_EQ(c.ix, 0x0500);
    // ld (iy-128),0x99
    load({0xFD, 0x36, 0x80, 0x99}, 0x10);
    c.pc = 0x10, c.iy = 0x0600;
    EXPECT_EQ(step(), 19u);
    EXPECT_EQ(z80_ram[0x0580], 0x99);
    // ld ixh,ixh changes nothing; ld ixl,ixh copies
    load({0xDD, 0x64, 0xDD, 0x6C}, 0x20);
    c.pc = 0x20, c.ix = 0x1234;
    EXPECT_EQ(step(), 4u);
    EXPECT_EQ(c.ix, 0x1234);
    step();
    EXPECT_EQ(c.ix, 0x1212);
    // add a,iyl / ld e,iyh
    load({0xFD, 0x85, 0xFD, 0x5C}, 0x30);
    c.pc = 0x30, c.iy = 0x7F01;
    set_a(0x10);
    step();
    EXPECT_EQ(a(), 0x11);
    step();
    EXPECT_EQ(c.de & 0xFF, 0x7F);
    // inc (ix+2) and set 1,(iy+3) read, change and write back
    load({0xDD, 0x34, 0x02, 0xFD, 0xCB, 0x03, 0xCE}, 0x40);
    c.pc = 0x40, c.ix = 0x700, c.iy = 0x700;
    z80_ram[0x702] = 0x7F;
    z80_ram[0x703] = 0x00;
    step();
    EXPECT_EQ(z80_ram[0x702], 0x80);
    step();
    EXPECT_EQ(z80_ram[0x703], 0x02);
    // ex (sp),iy / push ix / pop iy
    load({0xFD, 0xE3, 0xDD, 0xE5, 0xFD, 0xE1}, 0x50);
    c.pc = 0x50, c.sp = 0x800, c.iy = 0xBEEF, c.ix = 0x1357;
    z80_ram[0x800] = 0x34;
    z80_ram[0x801] = 0x12;
    step();
    EXPECT_EQ(c.iy, 0x1234);
    EXPECT_EQ(z80_ram[0x800], 0xEF);
    step();
    step();
    EXPECT_EQ(c.iy, 0x1357);
}

// The (HL) and (IX+d) bit tests read and do not write; the other CB forms write back.
TEST_F(Z80InstrTest, BitTestsDoNotWrite) {
    static int writes;
    writes = 0;
    // Bank 0: Z80 0x8000 is 68000 address 0.
    m68k_page_read_byte[0]  = [](u32) -> u32 { return 0x01; };
    m68k_page_write_byte[0] = [](u32, u32) { ++writes; };
    load({0xCB, 0x5E, 0xCB, 0x06, 0xDD, 0xCB, 0x00, 0x46});  // bit 3,(hl) / rlc (hl) / bit 0,(ix+0)
    c.hl = 0x8000, c.ix = 0x8000;
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(writes, 0);
    EXPECT_TRUE(f() & 0x40);
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(step(), 20u);
    EXPECT_EQ(writes, 1);
    EXPECT_FALSE(f() & 0x40);
}

}  // namespace
}  // namespace varn::test
