// The opcode tables of both instances: how the 65536 opcodes divide into handlers, line F
// and halts, which pattern owns an opcode that several match, and the built table against a
// plain scan of the pattern list.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>

#include "m68k/m68k_family.h"
#include "m68k_test_support.h"

namespace varn::test {
namespace {

using m68k::Instance;

constexpr u32 kPatterns = 1680;

// Per opcode line: opcodes with a handler, taking line F, halting.
struct LineCount {
    u32 handled, line_f, halt;
};
constexpr std::array<LineCount, 16> kLines{{
    {2994, 0, 1102},  // 0: immediate, bit operations, MOVEP
    {3050, 0, 1046},  // 1: MOVE.B
    {3538, 0, 558},   // 2: MOVE.L, MOVEA.L
    {3538, 0, 558},   // 3: MOVE.W, MOVEA.W
    {2007, 0, 2089},  // 4: miscellaneous
    {3584, 0, 512},   // 5: ADDQ, SUBQ, Scc, DBcc
    {4096, 0, 0},     // 6: branches
    {2048, 0, 2048},  // 7: MOVEQ
    {3256, 0, 840},   // 8: OR, DIVU, DIVS, SBCD
    {3768, 0, 328},   // 9: SUB, SUBA, SUBX
    {0, 0, 4096},     // A: halts
    {3768, 0, 328},   // B: CMP, CMPA, CMPM, EOR
    {3448, 0, 648},   // C: AND, MULU, MULS, ABCD, EXG
    {3768, 0, 328},   // D: ADD, ADDA, ADDX
    {3408, 0, 688},   // E: shifts and rotates
    {0, 4096, 0},     // F: line-F exception
}};

class M68kTable : public M68kFixture {
  protected:
    static const M68kJumpTable& table(Instance i) {
        return i == Instance::kMain ? m68k_jump_table : s68k_jump_table;
    }
    static M68kHandler at(u32 opcode) { return m68k_jump_table[opcode]; }
    static M68kHandler unassigned() {
        return m68k::kTableEntry<m68k::Main, &m68k::op_unassigned<m68k::Main>>;
    }
    static M68kHandler line_f() {
        return m68k::kTableEntry<m68k::Main, &m68k::op_line_f<m68k::Main>>;
    }
};

// Landmarks: opcodes that halt, take line F or run an instruction, and refinements that own
// their opcodes (a handler of their own) against the general form they refine.
TEST_F(M68kTable, Landmarks) {
    enum Kind { kHalts, kLineF, kRuns };
    struct Opcode {
        u32 opcode;
        Kind kind;
        const char* what;
    };
    const Opcode opcodes[] = {
        {0x4AFC, kRuns, "ILLEGAL"},
        {0x4AFB, kHalts, ""},
        {0x49C0, kRuns, "EXTB.L"},
        {0x49C8, kHalts, ""},
        {0x4848, kRuns, "0x4848 no-op"},
        {0x4E74, kHalts, ""},
        {0x4188, kHalts, "CHK An"},
        {0x1040, kHalts, "MOVEA.B"},
        {0x35C0, kHalts, "MOVE.W D0,d16(PC)"},
        {0x57FC, kHalts, "Scc #imm"},
        {0x7000, kRuns, "MOVEQ"},
        {0x7100, kHalts, "MOVEQ with bit 8 set"},
        {0xC180, kHalts, "the fourth EXG slot"},
        {0xA000, kHalts, "line A"},
        {0xAFFF, kHalts, "line A"},
        {0xF000, kLineF, ""},
        {0xFFFF, kLineF, ""},
    };
    for (const Opcode& k : opcodes) {
        const M68kHandler h = at(k.opcode);
        const Kind kind     = h == unassigned() ? kHalts : h == line_f() ? kLineF : kRuns;
        EXPECT_EQ(kind, k.kind) << std::hex << k.opcode << " " << k.what;
    }

    struct Pair {
        u32 a, b;
        bool same;
        const char* what;
    };
    const Pair pairs[] = {
        {0x6000, 0x60FF, true, "BRA"},
        {0x6100, 0x61FF, true, "BSR"},
        {0x6200, 0x6FFF, true, "Bcc"},
        {0x6000, 0x6100, false, "BRA, BSR"},
        {0x6000, 0x6200, false, "BRA, Bcc"},
        {0x101F, 0x101E, false, "MOVE.B (A7)+,D0 against (A6)+"},
        {0x101E, 0x1018, true, "MOVE.B (An)+,D0"},
        {0x1EC0, 0x1CC0, false, "MOVE.B D0,(A7)+ against (A6)+"},
        {0x50DF, 0x50D8, false, "Scc (A7)+ against (A0)+"},
        {0x0108, 0x0100, false, "MOVEP, BTST D0,D0"},
    };
    for (const Pair& k : pairs) {
        EXPECT_EQ(at(k.a) == at(k.b), k.same) << std::hex << k.a << " " << k.b << " " << k.what;
    }
}

// Where two patterns share an opcode, the one that owns it refines every other: its mask
// holds all their bits and more. Anything else is a mistake in some family's list.
TEST_F(M68kTable, OverlappingPatternsAreRefinements) {
    for (Instance instance : {Instance::kMain, Instance::kSub}) {
        const std::vector<m68k::Pattern> list = m68k::pattern_list(instance);
        std::vector<int> owner(65536, -1);
        std::vector<u32> owner_mask(65536, 0);
        for (std::size_t i = 0; i < list.size(); ++i) {
            for_each_match(list[i].match, list[i].mask, [&](u16 x) {
                const u32 m = list[i].mask;
                if (owner[x] < 0 || std::popcount(m) > std::popcount(owner_mask[x])) {
                    owner[x]      = static_cast<int>(i);
                    owner_mask[x] = m;
                }
            });
        }
        for (std::size_t i = 0; i < list.size(); ++i) {
            for_each_match(list[i].match, list[i].mask, [&](u16 x) {
                if (owner[x] == static_cast<int>(i)) return;
                const u32 own = owner_mask[x], m = list[i].mask;
                EXPECT_TRUE((own & m) == m && own != m)
                    << std::hex << "opcode " << x << ": pattern " << list[i].match << "/" << m
                    << " is not refined by " << list[owner[x]].match << "/" << own;
            });
        }
    }
}

TEST_F(M68kTable, PatternListAndCoverage) {
    for (Instance instance : {Instance::kMain, Instance::kSub}) {
        SCOPED_TRACE(instance == Instance::kMain ? "main" : "sub");
        const auto list = m68k::pattern_list(instance);
        ASSERT_EQ(list.size(), kPatterns);
        // The two defaults close the list.
        EXPECT_EQ(list[kPatterns - 2].match, 0xF000);
        EXPECT_EQ(list[kPatterns - 2].mask, 0xF000);
        EXPECT_EQ(list[kPatterns - 1].mask, 0x0000);

        const auto census = m68k::table_census(instance);
        for (u32 line = 0; line < 16; ++line) {
            SCOPED_TRACE(::testing::Message() << "line " << std::hex << line);
            EXPECT_EQ(census.handled[line], kLines[line].handled);
            EXPECT_EQ(census.line_f[line], kLines[line].line_f);
            EXPECT_EQ(census.unassigned[line], kLines[line].halt);
        }
        EXPECT_EQ(census.total_handled(), 46271u);
        EXPECT_EQ(census.total_unassigned(), 15169u);
        u32 line_f = 0;
        for (u32 v : census.line_f) line_f += v;
        EXPECT_EQ(line_f, 4096u);
    }
}

// Lines 1-3 hold MOVE, lines 5-7 the quick, conditional and branch families, 8-E one family
// group each: the entries by line as the instruction set lays them out.
TEST_F(M68kTable, EntriesByLine) {
    const auto list = m68k::pattern_list(Instance::kMain);
    std::array<u32, 16> per_line{};
    for (std::size_t i = 0; i + 2 < list.size(); ++i) {
        ASSERT_EQ(list[i].mask & 0xF000, 0xF000) << "entry " << i << " spans opcode lines";
        ++per_line[list[i].match >> 12];
    }
    EXPECT_EQ(per_line[0x0], 281u);
    EXPECT_EQ(per_line[0x1] + per_line[0x2] + per_line[0x3], 392u);
    EXPECT_EQ(per_line[0x4], 309u);
    EXPECT_EQ(per_line[0x5] + per_line[0x6] + per_line[0x7], 79u);
    EXPECT_EQ(per_line[0x8], 94u);
    EXPECT_EQ(per_line[0x9], 102u);
    EXPECT_EQ(per_line[0xA], 0u);
    EXPECT_EQ(per_line[0xB], 102u);
    EXPECT_EQ(per_line[0xC], 97u);
    EXPECT_EQ(per_line[0xD], 102u);
    EXPECT_EQ(per_line[0xE], 120u);
    EXPECT_EQ(per_line[0xF], 0u);
}

// 1914 opcodes are claimed by more than one handler entry, at most four; the built table
// gives every opcode to the most specific pattern that matches it, found here by scanning the
// whole list for each opcode.
TEST_F(M68kTable, TableEqualsAScanOfThePatternList) {
    for (Instance instance : {Instance::kMain, Instance::kSub}) {
        SCOPED_TRACE(instance == Instance::kMain ? "main" : "sub");
        const auto list            = m68k::pattern_list(instance);
        const M68kJumpTable& built = table(instance);
        const std::size_t handlers = list.size() - 2;  // without line F and the catch-all
        u32 shared                 = 0;
        u32 most                   = 0;
        u32 mismatches             = 0;
        for (u32 x = 0; x < 65536; ++x) {
            int best    = -1;
            u32 matches = 0;
            for (std::size_t i = 0; i < list.size(); ++i) {
                if ((x & list[i].mask) != list[i].match) continue;
                if (i < handlers) ++matches;
                if (best < 0 || std::popcount(list[i].mask) >
                                    std::popcount(list[static_cast<std::size_t>(best)].mask)) {
                    best = static_cast<int>(i);
                }
            }
            ASSERT_GE(best, 0);
            if (matches > 1) ++shared;
            most = std::max(most, matches);
            if (built[x] != list[static_cast<std::size_t>(best)].handler) {
                if (++mismatches <= 10) ADD_FAILURE() << std::hex << "opcode " << x;
            }
        }
        EXPECT_EQ(mismatches, 0u);
        EXPECT_EQ(shared, 1914u);
        EXPECT_EQ(most, 4u);
    }
}

}  // namespace
}  // namespace varn::test
