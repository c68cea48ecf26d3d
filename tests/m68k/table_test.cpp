// The opcode tables: dispatch of the refinements, the defaults, and the census of the
// families that have landed.

#include <gtest/gtest.h>

#include <array>
#include <bit>

#include "m68k/m68k_family.h"
#include "m68k_test_support.h"

namespace varn::test {
namespace {

using m68k::Instance;

class M68kTable : public M68kFixture {
  protected:
    static M68kHandler at(u32 opcode) { return m68k_jump_table[opcode]; }
    static M68kHandler unassigned() {
        return m68k::kTableEntry<m68k::Main, &m68k::op_unassigned<m68k::Main>>;
    }
    static M68kHandler line_f() {
        return m68k::kTableEntry<m68k::Main, &m68k::op_line_f<m68k::Main>>;
    }
};

TEST_F(M68kTable, RefinementsOwnTheirOpcodes) {
    EXPECT_EQ(at(0x6000), at(0x60FF));  // BRA
    EXPECT_EQ(at(0x6100), at(0x61FF));  // BSR
    EXPECT_NE(at(0x6000), at(0x6100));
    EXPECT_NE(at(0x6000), at(0x6200));
    EXPECT_EQ(at(0x6200), at(0x6FFF));             // Bcc
    EXPECT_NE(at(0x101F), at(0x101E));             // MOVE.B (A7)+,D0 has its own handler
    EXPECT_EQ(at(0x101E), at(0x1018));             // the general (An)+ form
    EXPECT_NE(at(0x1EC0), at(0x1CC0));             // MOVE.B D0,(A7)+
    EXPECT_NE(at(0x50DF), at(0x50D8));             // Scc (A7)+
    EXPECT_EQ(at(0x4AFC) == unassigned(), false);  // ILLEGAL
    EXPECT_EQ(at(0x4AFB), unassigned());
    EXPECT_NE(at(0x49C0), unassigned());  // EXTB.L
    EXPECT_EQ(at(0x49C8), unassigned());
    EXPECT_EQ(at(0xA000), unassigned());
    EXPECT_EQ(at(0xAFFF), unassigned());
    EXPECT_EQ(at(0xF000), line_f());
    EXPECT_EQ(at(0xFFFF), line_f());
    EXPECT_EQ(at(0x1040), unassigned());  // no MOVEA.B
    EXPECT_EQ(at(0x35C0), unassigned());  // MOVE.W D0,d16(PC)
    EXPECT_EQ(at(0x57FC), unassigned());  // Scc #imm
    EXPECT_EQ(at(0x4E74), unassigned());
    EXPECT_EQ(at(0x4188), unassigned());  // CHK An
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

// With every family in, the table holds what the instruction set defines: per opcode line
// the opcodes with a handler, line F's exception and the halts.
TEST_F(M68kTable, CensusOfTheWholeTable) {
    const auto main = m68k::table_census(Instance::kMain);
    const auto sub  = m68k::table_census(Instance::kSub);
    EXPECT_EQ(main.handled, sub.handled);
    const std::array<u32, 16> handled = {2994, 3050, 3538, 3538, 2007, 3584, 4096, 2048,
                                         3256, 3768, 0,    3768, 3448, 3768, 3408, 0};
    for (u32 line = 0; line < 16; ++line) {
        EXPECT_EQ(main.handled[line], handled[line]) << "line " << line;
    }
    EXPECT_EQ(main.line_f[0xF], 4096u);
    EXPECT_EQ(main.unassigned[0xF], 0u);
    EXPECT_EQ(main.total_handled(), 46271u);
    EXPECT_EQ(main.total_unassigned(), 15169u);
    // 1678 instruction patterns and the two defaults.
    EXPECT_EQ(m68k::pattern_list(Instance::kMain).size(), 1680u);
}

}  // namespace
}  // namespace varn::test
