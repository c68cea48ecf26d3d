// The older core's opcode tables: what the ordered record lists build under the last-match
// rule.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "legacy/m68k/m68k_v024_table.h"
#include "legacy_m68k_support.h"

namespace varn::test {
namespace {

using m68k_v024::RecordV024;

class LegacyTableTest : public LegacyFixture {};

TEST_F(LegacyTableTest, MainTableCounts) {
    const std::vector<RecordV024> records = m68k_v024::m68k_records_v024();
    EXPECT_EQ(records.size(), 437u);
    std::set<M68kHandlerV024> handlers(m68k_jump_table_v024.begin(), m68k_jump_table_v024.end());
    EXPECT_EQ(handlers.size(), 303u);
    const auto unassigned = m68k_v024::m68k_unassigned_v024();
    EXPECT_EQ(std::count(m68k_jump_table_v024.begin(), m68k_jump_table_v024.end(), unassigned),
              17915);

    // Opcodes that records of more than one handler match, and those of them that the
    // first-match rule would give another handler.
    u32 overlapped = 0, reordered = 0;
    for (u32 x = 0; x < 65536; ++x) {
        const RecordV024* first = nullptr;
        const RecordV024* last  = nullptr;
        std::set<M68kHandlerV024> matching;
        for (const RecordV024& r : records) {
            if ((x & r.mask) != r.match) continue;
            if (!first) first = &r;
            last = &r;
            matching.insert(r.handler);
        }
        ASSERT_NE(last, nullptr) << x;  // no catch-all needed: every opcode matches a record
        EXPECT_EQ(m68k_jump_table_v024[x], last->handler) << x;
        if (matching.size() > 1) ++overlapped;
        if (first->handler != last->handler) ++reordered;
    }
    EXPECT_EQ(overlapped, 8689u);
    EXPECT_EQ(reordered, 8346u);
}

// The sub-CPU's list has the same records in the same order, bound to its own handlers.
TEST_F(LegacyTableTest, SubTableMirrorsTheMainOne) {
    const auto main = m68k_v024::m68k_records_v024();
    const auto sub  = m68k_v024::s68k_records_v024();
    ASSERT_EQ(main.size(), sub.size());
    for (std::size_t i = 0; i < main.size(); ++i) {
        EXPECT_EQ(main[i].match, sub[i].match) << i;
        EXPECT_EQ(main[i].mask, sub[i].mask) << i;
    }
    const auto m_unassigned = m68k_v024::m68k_unassigned_v024();
    const auto s_unassigned = m68k_v024::s68k_unassigned_v024();
    std::set<M68kHandlerV024> main_handlers(m68k_jump_table_v024.begin(),
                                            m68k_jump_table_v024.end());
    for (u32 x = 0; x < 65536; ++x) {
        ASSERT_EQ(m68k_jump_table_v024[x] == m_unassigned, s68k_jump_table_v024[x] == s_unassigned)
            << x;
        ASSERT_EQ(main_handlers.count(s68k_jump_table_v024[x]), 0u) << x;
    }
}

// Where later records override earlier ones.
TEST_F(LegacyTableTest, LastMatchingRecordWins) {
    const auto unassigned = m68k_v024::m68k_unassigned_v024();
    const auto& t         = m68k_jump_table_v024;
    struct Case {
        u16 opcode;
        bool halts;
    };
    for (const Case c : {Case{0x003C, false},  // ORI to CCR after the immediate-mode rejection
                         Case{0x003D, true},  Case{0x003F, true},
                         Case{0x007C, false}, Case{0x4AFC, false},  // ILLEGAL
                         Case{0x4AFD, true},  Case{0x4AFF, true},
                         Case{0x4008, true},  // NEGX on an address register
                         Case{0x400F, true},  Case{0x4000, false},
                         Case{0x4E74, true},                        // RTD
                         Case{0x0E00, true},                        // MOVES
                         Case{0x013C, true},                        // BTST Dn,#imm
                         Case{0x15C0, true},                        // MOVE to d16(PC)
                         Case{0x1008, false},                       // MOVE.B A0,D0
                         Case{0x1040, false},                       // MOVE.B D0,A0
                         Case{0x49C0, false},                       // EXTB.L
                         Case{0x4848, false}, Case{0x4100, false},  // CHK with size field 10
                         Case{0x8140, false},                       // OR.W D0,D0 (Dn destination)
                         Case{0x817C, false},  // OR.W D0,#imm: bound to OR, halts in it
                         Case{0xA000, true},  Case{0xAFFF, true},
                         Case{0xF000, true},  Case{0xFFFF, true},
                         Case{0xE8C0, true},  Case{0xEFFF, true}}) {
        EXPECT_EQ(t[c.opcode] == unassigned, c.halts) << std::hex << c.opcode;
    }
    // The A7 byte forms have handlers of their own.
    EXPECT_NE(t[0x1EC0], t[0x1CC0]);
    EXPECT_NE(t[0x1F00], t[0x1D00]);
    // 0x200C, bound again by the last record, keeps its general handler.
    EXPECT_EQ(t[0x200C], t[0x200D]);
}

// The same list built with the first-match rule gives another table: ORI.B #,Dn never
// reaches its own handler.
TEST_F(LegacyTableTest, FirstMatchRuleBuildsAnotherTable) {
    const auto records = m68k_v024::m68k_records_v024();
    auto table         = std::make_unique<M68kJumpTableV024>();
    ASSERT_FALSE(build_pattern_table<M68kHandlerV024>(records, *table, MatchOrder::kFirstWins));
    EXPECT_NE((*table)[0x0000], m68k_jump_table_v024[0x0000]);
    EXPECT_EQ((*table)[0x0000], (*table)[0x0010]);  // the memory form's handler
}

}  // namespace
}  // namespace varn::test
