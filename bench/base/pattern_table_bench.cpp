// Start-up cost of an opcode table: a CPU-sized pattern list with a catch-all, one
// 4096-value line and many narrow patterns, built first-match-wins.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "base/pattern_table.h"

namespace {

using varn::OpcodePattern;

void BM_BuildOpcodeTable(benchmark::State& state) {
    std::vector<OpcodePattern<int>> patterns;
    for (int line = 0; line < 16; ++line) {
        for (int mode = 0; mode < 64; ++mode) {
            patterns.push_back(
                {line * 64 + mode, static_cast<varn::u16>(line << 12 | mode << 3), 0xF1F8});
        }
    }
    patterns.push_back({-2, 0xF000, 0xF000});
    patterns.push_back({-1, 0x0000, 0x0000});
    auto table = std::make_unique<std::array<int, varn::kOpcodeTableSize>>();
    for (auto _ : state) {
        varn::build_pattern_table<int>(patterns, *table, varn::MatchOrder::kFirstWins);
        benchmark::DoNotOptimize(table->data());
    }
}
BENCHMARK(BM_BuildOpcodeTable);

}  // namespace

BENCHMARK_MAIN();
