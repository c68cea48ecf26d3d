// One emulated second of the drive reading a data track (165,120 ticks, 75 sectors): every
// sector asked for ahead is filled into the sector cache as the user interface would, and
// each one reached is copied into the CD controller's ring. Counters: disc seconds a second,
// and sectors a second.

#include <benchmark/benchmark.h>

#include "base/host.h"
#include "compose/compose.h"
#include "genesis/runtime/power_on.h"
#include "m68k/m68k_bus.h"
#include "runtime/thread_link.h"
#include "segacd/scd_cache.h"
#include "segacd/scd_drive.h"
#include "segacd/segacd.h"

namespace varn {
namespace {

constexpr u32 kTicksPerSecond = 165120;

// Serves sector requests at once with a pattern sector.
class FillingHost : public NullHost {
  public:
    void post_request(u32 code, u32 param) override {
        if (code != kRequestCdReadSector) return;
        cd_cache_fill(static_cast<s32>(param), [param](std::span<u8, kCdRawSectorBytes> raw) {
            for (u32 i = 0; i < kCdRawSectorBytes; ++i) raw[i] = static_cast<u8>(param + i);
        });
    }
};

void BM_DriveReadingDataTrack(benchmark::State& state) {
    FillingHost host;
    emu_set_host(&host);
    compose_varn();
    scd_sub_cpu_init();
    scd_power_on();
    cd_clear_read_cache();
    cd_default_toc(cd_toc);
    // Read from 00:02:00.
    const u8 read[10] = {3, 0, 0, 0, 0, 2, 0, 0, 0, 10};
    for (u32 i = 0; i < 10; ++i) s68k_write_byte(0xFF8042 + i, read[i]);
    for (u32 i = 0; i < kCddCommandTicks; ++i) scd_tick();
    for (auto _ : state) {
        for (u32 i = 0; i < kTicksPerSecond; ++i) scd_tick();
        if (cdd.reading == 0) {
            state.SkipWithError("the drive stopped");
            break;
        }
    }
    benchmark::DoNotOptimize(scd_cdc_buffer.data());
    state.counters["disc_seconds_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["sectors_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * 75, benchmark::Counter::kIsRate);
    emu_set_host(nullptr);
}
BENCHMARK(BM_DriveReadingDataTrack)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varn

BENCHMARK_MAIN();
