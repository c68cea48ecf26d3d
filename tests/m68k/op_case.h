#pragma once
// Table-driven instruction tests: one case places an instruction at kCodeAt, sets registers,
// memory and the CCR, runs that one instruction and compares every register, the listed
// memory, SR, the cycles and the instruction length with the expected ones.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "m68k/m68k_family.h"
#include "m68k_test_support.h"

namespace varn::test {

inline constexpr u32 kCodeAt = 0x001000;
inline constexpr u32 kData   = 0xFF8000;  // work RAM for operands

// CCR bits.
inline constexpr u32 kX = 0x10, kN = 0x08, kZ = 0x04, kV = 0x02, kC = 0x01;

struct RegValue {
    u32 index;  // 0-7 D0-D7, 8-15 A0-A7
    u32 value;
};
constexpr RegValue D(u32 n, u32 v) { return {n, v}; }
constexpr RegValue A(u32 n, u32 v) { return {8 + n, v}; }

struct MemValue {
    u32 addr;
    u32 value;
    u32 size;
};
constexpr MemValue B(u32 addr, u32 v) { return {addr, v, 1}; }
constexpr MemValue W(u32 addr, u32 v) { return {addr, v, 2}; }
constexpr MemValue L(u32 addr, u32 v) { return {addr, v, 4}; }

struct OpCase {
    const char* name;
    std::vector<u16> code;  // the instruction and its extension words
    std::vector<RegValue> regs{};
    std::vector<MemValue> mem{};
    u32 ccr = 0;                     // before; the system byte is 0x27
    std::vector<RegValue> expect{};  // registers that change; all others must not
    std::vector<MemValue> expect_mem{};
    u32 expect_ccr = 0;
    u32 cycles     = ~0u;  // ~0u: not compared
};

class M68kOpTest : public M68kFixture {
  protected:
    void run_case(const OpCase& t) {
        SCOPED_TRACE(t.name);
        std::vector<u16> words = t.code;
        words.push_back(0xA000);  // a halt behind, should the instruction run on
        // Each case starts clean: registers zero, work RAM and the code area cleared.
        std::fill(m68k_ram.begin(), m68k_ram.end(), u8{0});
        for (u32 i = 0; i < 0x400; ++i) poke(kCodeAt + i, 0, 1);
        m68k_context.regs = {};
        start_at(kCodeAt, {});
        u32 at = kCodeAt;
        for (u16 w : words) {
            poke(at, w, 2);
            at += 2;
        }
        auto& c = m68k_context;
        for (const RegValue& r : t.regs) c.regs[r.index] = r.value;
        for (const MemValue& m : t.mem) poke(m.addr, m.value, m.size);
        c.sr                         = static_cast<u16>(0x2700 | t.ccr);
        std::array<u32, 16> expected = c.regs;
        for (const RegValue& r : t.expect) expected[r.index] = r.value;

        const u32 cycles = step();

        EXPECT_EQ(c.status & kM68kStatusHalted, 0u) << "halted";
        EXPECT_EQ(c.pc, kCodeAt + 2 * t.code.size()) << "instruction length";
        for (u32 i = 0; i < 16; ++i) {
            EXPECT_EQ(c.regs[i], expected[i])
                << (i < 8 ? 'D' : 'A') << (i & 7) << std::hex << " = 0x" << c.regs[i]
                << ", expected 0x" << expected[i];
        }
        for (const MemValue& m : t.expect_mem) {
            EXPECT_EQ(peek(m.addr, m.size), m.value) << std::hex << "memory at 0x" << m.addr;
        }
        EXPECT_EQ(c.sr, 0x2700 | t.expect_ccr) << std::hex << "SR 0x" << c.sr;
        if (t.cycles != ~0u) {
            EXPECT_EQ(cycles, t.cycles);
        }
    }

    void run_cases(const std::vector<OpCase>& cases) {
        for (const OpCase& t : cases) run_case(t);
    }

    // True when the opcode's table entry is the halt of unassigned opcodes.
    static bool unassigned(u32 opcode) {
        return m68k_jump_table[opcode] == m68k_jump_table[0xA000];
    }

    // Opcodes in [first, last] without a handler.
    static u32 count_unassigned(u32 first, u32 last) {
        u32 n = 0;
        for (u32 x = first; x <= last; ++x) n += unassigned(x) ? 1 : 0;
        return n;
    }

    // Places `code` with SR = `sr`: supervisor stack at 0xFFFF00, user stack at
    // 0xFF7000, A7 the one of `sr`'s mode.
    void enter(std::initializer_list<u16> code, u16 sr) {
        start_at(kCodeAt, code);
        auto& c         = m68k_context;
        c.sr            = sr;
        c.sp_slots      = {0xFF7000, 0xFFFF00};
        c.sp_slot_index = (sr & kM68kSrS) ? kM68kSupervisorSlot : kM68kUserSlot;
        c.regs[15]      = c.sp_slots[c.sp_slot_index];
    }

    // Runs `opcode` (followed by zero words) and reports whether the core halted on it.
    bool halts(u16 opcode) {
        start_at(kCodeAt, {opcode, 0, 0, 0, 0});
        m68k_context.status = 0;
        step();
        const bool halted   = (m68k_context.status & kM68kStatusHalted) != 0;
        m68k_context.status = 0;
        return halted;
    }
};

}  // namespace varn::test
