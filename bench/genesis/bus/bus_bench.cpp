// Cost of the 68000 bus accessors on the common regions: one page dispatch and one image
// load with the byte-order swap.

#include <benchmark/benchmark.h>

#include "genesis/bus/bus.h"
#include "m68k/m68k_bus.h"
#include "memory/memory.h"

namespace varn {
namespace {

void setup() {
    memory_clear();
    genesis_bus_reset_records();
}

void BM_RomWordReads(benchmark::State& state) {
    setup();
    u32 sum = 0;
    for (auto _ : state) {
        for (u32 a = 0; a < 0x1000; a += 2) sum += m68k_read_word(a);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 0x800);
}
BENCHMARK(BM_RomWordReads);

void BM_WorkRamLongWrites(benchmark::State& state) {
    setup();
    for (auto _ : state) {
        for (u32 a = 0xFF0000; a < 0xFF1000; a += 4) m68k_write_long(a, a);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 0x400);
}
BENCHMARK(BM_WorkRamLongWrites);

}  // namespace
}  // namespace varn

BENCHMARK_MAIN();
