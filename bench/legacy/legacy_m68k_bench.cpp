// Instructions per second of the earlier release's 68000 core and of the main core on the
// same mixed workload (bench/m68k/mixed.s: moves, arithmetic, logic, shifts, branches,
// loops, calls, most addressing modes) over the same flat bus: 0x000000-0x3FFFFF the image,
// 0xE00000-0xFFFFFF the 64 KB work RAM (mirrored), everything else plain RAM. Each iteration
// runs the workload from reset to the line-A opcode that ends it. The instructions are counted
// once beforehand through counting entries in every table slot, so the timed runs use the
// real tables. Reported as items (instructions) per second.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "base/endian.h"
#include "base/speed_paths.h"
#include "legacy/m68k/m68k_v024_core.h"
#include "m68k/m68k.h"
#include "m68k/m68k_bus.h"
#include "m68k/m68k_core.h"
#include "memory/memory.h"

namespace {

using namespace varn;

std::vector<u8> flat(0x1000000);

u8* at(u32 a) {
    a &= 0xFFFFFF;
    if (a < 0x400000) return &cart_rom[a];
    if (a >= 0xE00000) return &m68k_ram[a & 0xFFFF];
    return &flat[a];
}
// Word and long accesses that stay inside a 64 KB block go at once, others byte by byte.
template <u32 N>
u32 rd(u32 a) {
    if ((a & 0xFFFF) <= 0x10000 - N) {
        if constexpr (N == 1) return *at(a);
        if constexpr (N == 2) return load_be16(at(a));
        if constexpr (N == 4) return load_be32(at(a));
    }
    u32 v = 0;
    for (u32 i = 0; i < N; ++i) v = (v << 8) | *at(a + i);
    return v;
}
template <u32 N>
void wr(u32 a, u32 v) {
    for (u32 i = 0; i < N; ++i) *at(a + i) = static_cast<u8>(v >> (8 * (N - 1 - i)));
}

const std::vector<u8>& image() {
    static const std::vector<u8> bytes = [] {
        std::ifstream in(VARN_BENCH_IMAGE, std::ios::binary);
        return std::vector<u8>(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
    }();
    return bytes;
}

void load() {
    memory_clear();
    std::fill(flat.begin(), flat.end(), u8{0});
    m68k_page_read_byte.fill(&rd<1>);
    m68k_page_read_word.fill(&rd<2>);
    m68k_page_read_long.fill(&rd<4>);
    m68k_page_write_byte.fill(&wr<1>);
    m68k_page_write_word.fill(&wr<2>);
    m68k_page_write_long.fill(&wr<4>);
    std::copy(image().begin(), image().end(), cart_rom.begin());
}

// The two cores behind one face.
struct MainCore {
    static void build() { m68k_build_jump_table(); }
    static void reset(s32 slice) {
        m68k_reset_records();
        m68k_clear_slots();
        m68k_context.fetch_base   = kCartRomOffset;
        m68k_context.slice_cycles = slice;
        m68k_reset();
    }
    static void slice() { m68k_run_slice_alone(); }
    static bool halted() { return m68k_context.status & kM68kStatusHalted; }
    static u64& count() {
        static u64 n = 0;
        return n;
    }
    static u32 counting(u32 ir);
    static M68kJumpTable& saved() {
        static M68kJumpTable t;
        return t;
    }
    static void count_on() {
        saved() = m68k_jump_table;
        m68k_jump_table.fill(&counting);
    }
    static void count_off() { m68k_jump_table = saved(); }
};
u32 MainCore::counting(u32 ir) {
    ++count();
    return saved()[ir >> 16](ir);
}

struct OlderCore {
    static void build() { m68k_build_jump_table_v024(); }
    static void reset(s32 slice) {
        m68k_reset_records_v024();
        m68k_context_v024.fetch_base   = kCartRomOffset;
        m68k_context_v024.slice_cycles = slice;
        m68k_reset_v024();
    }
    static void slice() { m68k_run_slice_v024(); }
    static bool halted() { return m68k_context_v024.status & kM68kStatusHalted; }
    static u64& count() {
        static u64 n = 0;
        return n;
    }
    static bool counting();
    static M68kJumpTableV024& saved() {
        static M68kJumpTableV024 t;
        return t;
    }
    static void count_on() {
        saved() = m68k_jump_table_v024;
        m68k_jump_table_v024.fill(&counting);
    }
    static void count_off() { m68k_jump_table_v024 = saved(); }
};
bool OlderCore::counting() {
    ++count();
    return saved()[load_be16(memory_arena + m68k_context_v024.host_pc)]();
}

template <class Core>
void run_to_halt(s32 slice) {
    load();
    Core::reset(slice);
    while (!Core::halted()) Core::slice();
}

template <class Core>
void workload(benchmark::State& state, s32 slice) {
    if (image().empty()) {
        state.SkipWithError("the mixed workload image was not built");
        return;
    }
    set_speed_paths(true);
    Core::build();
    Core::count() = 0;
    Core::count_on();
    run_to_halt<Core>(slice);
    Core::count_off();
    const u64 instructions = Core::count();
    for (auto _ : state) run_to_halt<Core>(slice);
    state.SetItemsProcessed(static_cast<int64_t>(instructions * state.iterations()));
    state.counters["instructions"] = static_cast<double>(instructions);
}

constexpr s32 kLong = -(1 << 30);

void BM_MixedMainLongSlices(benchmark::State& s) { workload<MainCore>(s, kLong); }
void BM_MixedOlderLongSlices(benchmark::State& s) { workload<OlderCore>(s, kLong); }
void BM_MixedMainShippedSlices(benchmark::State& s) {
    workload<MainCore>(s, kM68kDefaultSliceCycles);
}
void BM_MixedOlderShippedSlices(benchmark::State& s) {
    workload<OlderCore>(s, kM68kSliceCyclesV024);
}

BENCHMARK(BM_MixedMainLongSlices)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MixedOlderLongSlices)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MixedMainShippedSlices)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MixedOlderShippedSlices)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
