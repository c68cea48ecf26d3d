// The differential check of the two 68000 cores on random programs (see
// support/m68k_differential.h): no difference outside the named intended ones.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/m68k_differential.h"

namespace varn::test {
namespace {

// A random program: registers, SR and interrupt levels at random, address registers near
// the code or in work RAM so that memory operands and jumps land somewhere useful, and
// opcodes that both cores define (the rest stop a run at once), with random extension words.
std::vector<u8> random_program(std::mt19937& rng, u32 words) {
    std::vector<u8> in(diff::kHeader + 2 * words);
    auto put32 = [&](std::size_t at, u32 v) { store_be32(&in[at], v); };
    for (u32 i = 0; i < 8; ++i) put32(4 * i, rng());
    for (u32 i = 0; i < 7; ++i) {
        const u32 r = rng();
        put32(32 + 4 * i, (r & 1) ? 0x001000 + (r >> 8) % 0x2000 : 0xFF0000 + (r >> 8) % 0x10000);
    }
    const u16 sr = static_cast<u16>((rng() & 0x271F) | ((rng() & 3) == 0 ? 0 : 0x2000));
    store_be16(&in[0x3C], sr);
    in[0x3E] = static_cast<u8>((rng() & 3) == 0 ? rng() & 0xFE : 0);
    diff::prepare_once();
    for (u32 w = 0; w < words; ++w) {
        u32 op = rng() & 0xFFFF;
        if ((rng() & 1) == 0) {
            while (!diff::main_defines(op) || !diff::legacy_defines(op)) op = rng() & 0xFFFF;
        }
        store_be16(&in[diff::kHeader + 2 * w], static_cast<u16>(op));
    }
    return in;
}

TEST(LegacyDifferential, RandomProgramsDifferOnlyWhereIntended) {
    diff::prepare_once();
    diff::reset_memory();
    std::mt19937 rng(0x41u);
    std::map<std::string, u32> stops;
    u32 rounds = 0;
    for (u32 n = 0; n < 3000; ++n) {
        const std::vector<u8> in = random_program(rng, 64);
        const DiffResult r       = run_differential(in, 256);
        ASSERT_FALSE(r.differs) << "program " << n << ": " << r.detail;
        rounds += r.rounds;
        if (r.stopped) ++stops[r.stopped];
    }
    // The runs compare real work, not just a first instruction.
    EXPECT_GT(rounds, 3000u * 4);
    RecordProperty("rounds", static_cast<int>(rounds));
    for (const auto& [name, count] : stops) RecordProperty(name, static_cast<int>(count));
    for (const auto& [name, count] : stops) {
        bool named = false;
        for (const char* d : kIntendedDifferences) named = named || name == d;
        EXPECT_TRUE(named) << name;
    }
}

}  // namespace
}  // namespace varn::test
