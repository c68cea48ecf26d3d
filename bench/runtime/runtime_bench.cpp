// Whole frames of the Genesis: the scheduler, the 68000 running a busy cartridge, the Z80
// chain test, the VDP line events, the sound chips' samples and the frame end, with a
// clock that never makes the loop wait.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <iterator>
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

namespace varn {
namespace {

bool load_busy_cart() {
    std::ifstream in(VARN_BUSY_CART, std::ios::binary);
    const std::vector<char> image((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    if (image.empty()) return false;
    std::fill(cart_rom.begin(), cart_rom.end(), u8{0});
    std::transform(image.begin(), image.end(), cart_rom.begin(),
                   [](char c) { return static_cast<u8>(c); });
    return true;
}

void BM_GenesisFrames(benchmark::State& state) {
    RecordingHost host;
    host.set_yield_step(1);
    emu_set_host(&host);
    if (!load_busy_cart()) {
        state.SkipWithError("busy cartridge not assembled");
        return;
    }
    compose_varn();
    machine_kind = kMachineGenesis;
    genesis_power_on_machine();
    scheduler_reset();
    pace_rebase(host.now_ms());
    constexpr int kFrames = 600;
    for (auto _ : state) {
        for (int i = 0; i < kFrames; ++i) {
            if (run_frame() != FrameResult::kFrameEnd) {
                state.SkipWithError("the 68000 halted");
                return;
            }
        }
    }
    state.counters["frames_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
    emu_set_host(nullptr);
}
BENCHMARK(BM_GenesisFrames)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varn

BENCHMARK_MAIN();
