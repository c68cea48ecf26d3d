// Whole frames of the Sega CD with both 68000s busy (the main CPU counting in work RAM, the
// sub-CPU in its idle loop taking a timer interrupt every five ticks, PCM channel 0 playing),
// next to the same frames of a Genesis running a busy cartridge.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <span>
#include <vector>

#include "base/config.h"
#include "base/host.h"
#include "compose/compose.h"
#include "genesis/runtime/power_on.h"
#include "genesis/runtime/scheduler.h"
#include "memory/memory.h"
#include "runtime/machine_table.h"
#include "runtime/pacing.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "segacd/scd_graphics.h"
#include "segacd/segacd.h"

namespace varn {
namespace {

bool load(const char* path, std::span<u8> into) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> image((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    if (image.empty() || image.size() > into.size()) return false;
    std::fill(into.begin(), into.end(), u8{0});
    std::transform(image.begin(), image.end(), into.begin(),
                   [](char c) { return static_cast<u8>(c); });
    return true;
}

void run_frames(benchmark::State& state) {
    constexpr int kFrames = 600;
    for (auto _ : state) {
        for (int i = 0; i < kFrames; ++i) {
            if (run_frame() != FrameResult::kFrameEnd) {
                state.SkipWithError("a 68000 halted");
                return;
            }
        }
    }
    state.counters["frames_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
}

void BM_GenesisFrames(benchmark::State& state) {
    RecordingHost host;
    host.set_yield_step(1);
    emu_set_host(&host);
    if (!load(VARN_BUSY_CART, cart_rom)) {
        state.SkipWithError("busy cartridge not assembled");
        return;
    }
    compose_varn();
    machine_kind = kMachineGenesis;
    genesis_power_on_machine();
    scheduler_reset();
    pace_rebase(host.now_ms());
    run_frames(state);
    emu_set_host(nullptr);
}
BENCHMARK(BM_GenesisFrames)->Unit(benchmark::kMillisecond);

void BM_SegaCdFrames(benchmark::State& state) {
    RecordingHost host;
    host.set_yield_step(1);
    emu_set_host(&host);
    if (!load(VARN_SCD_BIOS, scd_bios)) {
        state.SkipWithError("test BIOS not assembled");
        return;
    }
    compose_varn();
    scd_sub_cpu_init();
    machine_kind = kMachineSegaCd;
    scd_power_on();
    scheduler_reset();
    pace_rebase(host.now_ms());
    for (int i = 0; i < 10; ++i) run_frame();  // past the hand-shake, both CPUs in their loops
    if (scd_ga.run_state == 0) {
        state.SkipWithError("the sub-CPU was not started");
        return;
    }
    run_frames(state);
    emu_set_host(nullptr);
}
BENCHMARK(BM_SegaCdFrames)->Unit(benchmark::kMillisecond);

// One graphics operation of a full screen, 256 x 224 dots: a 4096-dot map of 32-dot stamps
// with every orientation, turned and scaled, repeat on, drawn over the image buffer by
// overwrite priority.
void BM_GraphicsOperation(benchmark::State& state) {
    scd_sub_cpu_init();
    u32 seed = 12345;
    for (u8& b : scd_word_ram) {
        seed = seed * 1103515245 + 12345;
        b    = static_cast<u8>(seed >> 16);
    }
    auto put16 = [](u32 at, u32 v) {
        scd_word_ram[at]     = static_cast<u8>(v >> 8);
        scd_word_ram[at + 1] = static_cast<u8>(v);
    };
    constexpr u32 kTrace = 0x30000, kImage = 0x20000, kLines = 224;
    for (u32 l = 0; l < kLines; ++l) {
        put16(kTrace + 8 * l, 0x2000 - 3 * l);
        put16(kTrace + 8 * l + 2, 0x1000 + 7 * l);
        put16(kTrace + 8 * l + 4, 0x0700);
        put16(kTrace + 8 * l + 6, 0x0300);
    }
    auto reg = [](u32 r, u32 v) {
        scd_ga.regs[r]     = static_cast<u8>(v >> 8);
        scd_ga.regs[r + 1] = static_cast<u8>(v);
    };
    scd_ga.priority = 2;
    for (auto _ : state) {
        reg(0x58, 0x0007);  // repeat, 32-dot stamps, 4096-dot map
        reg(0x5A, 0x0000);
        reg(0x5C, 27);  // 28 cells: 224 rows
        reg(0x5E, kImage / 4);
        reg(0x62, 256);
        reg(0x64, kLines);
        reg(0x66, kTrace / 4);
        scd_graphics_start();
    }
    state.counters["dots_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * 256 * kLines, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GraphicsOperation)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace varn

BENCHMARK_MAIN();
