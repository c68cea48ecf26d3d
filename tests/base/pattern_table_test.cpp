#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "base/pattern_table.h"

namespace varn {
namespace {

using Table   = std::array<int, kOpcodeTableSize>;
using Pattern = OpcodePattern<int>;

// Overlapping patterns shaped like a CPU's: a catch-all, a line, a refinement of the
// line, and a single opcode inside the refinement.
const std::vector<Pattern> kOverlapping = {
    {4, 0x6100, 0xFFFF},  // one opcode
    {3, 0x6100, 0xFF00},  // a 256-value refinement
    {2, 0x6000, 0xF000},  // the whole line
    {1, 0x0000, 0x0000},  // catch-all
};

std::unique_ptr<Table> build(const std::vector<Pattern>& patterns, MatchOrder order) {
    auto t = std::make_unique<Table>();
    t->fill(-1);
    EXPECT_FALSE(build_pattern_table<int>(patterns, *t, order).has_value());
    return t;
}

TEST(PatternTable, FirstAndLastMatchOnOverlaps) {
    struct Case {
        u16 opcode;
        int first_wins;
        int last_wins;
    };
    const Case cases[] = {
        {0x6100, 4, 1}, {0x6101, 3, 1}, {0x61FF, 3, 1}, {0x6000, 2, 1},
        {0x6200, 2, 1}, {0x6FFF, 2, 1}, {0x5FFF, 1, 1}, {0x7000, 1, 1},
    };
    const auto first = build(kOverlapping, MatchOrder::kFirstWins);
    const auto last  = build(kOverlapping, MatchOrder::kLastWins);
    for (const auto& c : cases) {
        EXPECT_EQ((*first)[c.opcode], c.first_wins) << std::hex << c.opcode;
        EXPECT_EQ((*last)[c.opcode], c.last_wins) << std::hex << c.opcode;
    }
    // Reversing the list swaps the two orders.
    const std::vector<Pattern> reversed(kOverlapping.rbegin(), kOverlapping.rend());
    EXPECT_EQ(*build(reversed, MatchOrder::kLastWins), *first);
}

TEST(PatternTable, MatchesExactlyTheValuesUnderTheMask) {
    // A brute-force scan agrees with the builder on scattered masks.
    const std::vector<Pattern> patterns = {
        {1, 0x1018, 0xF0F8}, {2, 0x0100, 0xF1C0}, {3, 0x0001, 0x8001}, {4, 0xABCD, 0xFFFF}};
    const auto t = build(patterns, MatchOrder::kFirstWins);
    for (u32 x = 0; x < kOpcodeTableSize; ++x) {
        int expected = -1;
        for (const auto& p : patterns) {
            if ((x & p.mask) == p.match) {
                expected = p.handler;
                break;
            }
        }
        ASSERT_EQ((*t)[x], expected) << std::hex << x;
    }
    int count = 0;
    for_each_match(0x1018, 0xF0F8, [&](u16) { ++count; });
    EXPECT_EQ(count, 1 << 7);
}

TEST(PatternTable, RefusesMatchBitsOutsideTheMask) {
    const std::vector<Pattern> patterns = {{1, 0x6000, 0xF000}, {2, 0x6001, 0xF000}};
    auto t                              = std::make_unique<Table>();
    t->fill(-1);
    const auto bad = build_pattern_table<int>(patterns, *t, MatchOrder::kFirstWins);
    ASSERT_TRUE(bad.has_value());
    EXPECT_EQ(*bad, 1u);
    EXPECT_EQ((*t)[0x6000], -1);  // nothing written
}

}  // namespace
}  // namespace varn
