// Cost of one frame of Genesis sound (735 samples at 44100 Hz): all six FM channels keyed
// with the three PSG tones sounding, an idle pair of chips, and the DAC playing a sample
// while the FM channels are quiet; and the start-up cost of the YM2612 tables.

#include <benchmark/benchmark.h>

#include <array>
#include <span>

#include "base/config.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/sound_render.h"
#include "genesis/sound/ym2612.h"
#include "genesis/sound/ym2612_tables.h"

namespace varn {
namespace {

void ym_write(int bank, u8 reg, u8 data) {
    if (bank == 0) {
        ym2612_latch_part1(reg);
        ym2612_write_data_part1(data);
    } else {
        ym2612_latch_part2(reg);
        ym2612_write_data_part2(data);
    }
}

void build_tables() {
    ym2612_tables_init_sine();
    ym2612_tables_init_level();
    ym2612_tables_init_env_a();
    ym2612_tables_init_env_c();
}

void reset_chips() {
    static bool tables = false;
    if (!tables) {
        build_tables();
        tables = true;
    }
    cfg_set(cfg_sound_rate, 0);
    ym2612_reset();
    psg_reset();
}

void set_up_chips() {
    reset_chips();
    // Every channel a different algorithm and pitch; slow envelopes so all 24 operators
    // stay active for the whole run.
    for (int ch = 0; ch < 6; ++ch) {
        const int bank = ch / 3;
        const int c    = ch % 3;
        for (int slot = 0; slot < 4; ++slot) {
            const u8 r = static_cast<u8>(c + slot * 4);
            ym_write(bank, 0x30 + r, static_cast<u8>(1 + slot));
            ym_write(bank, 0x40 + r, static_cast<u8>(slot * 6));
            ym_write(bank, 0x50 + r, 0x1F);
            ym_write(bank, 0x60 + r, 0x02);
            ym_write(bank, 0x70 + r, 0x00);  // SR 0: sustain holds
            ym_write(bank, 0x80 + r, 0x2F);
        }
        ym_write(bank, 0xB0 + c, static_cast<u8>(ch + 1));
        ym_write(bank, 0xB4 + c, 0xC0);
        ym_write(bank, 0xA4 + c, static_cast<u8>(0x20 | ch));
        ym_write(bank, 0xA0 + c, static_cast<u8>(0x40 + ch * 0x20));
        ym_write(0, 0x28, static_cast<u8>(0xF0 | (ch < 3 ? ch : ch + 1)));
    }
    for (u8 ch = 0; ch < 3; ++ch) {
        psg_write(static_cast<u8>(0x80 | ch << 5 | 5));
        psg_write(static_cast<u8>(0x08 + ch));
        psg_write(static_cast<u8>(0x90 | ch << 5 | 2));
    }
}

// Renders whole frames through both chips as they stand.
void render_frames(benchmark::State& state) {
    std::array<s16, 735> frame{};
    for (auto _ : state) {
        genesis_sound_render_samples(frame);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<s64>(frame.size()));
}

void BM_SoundFrameSixFmChannels(benchmark::State& state) {
    set_up_chips();
    render_frames(state);
    int active = 0;
    for (const auto& op : ym2612_state.op) active += op.env_phase != kYmPhaseOff;
    state.counters["operators_sounding"] = active;
}
BENCHMARK(BM_SoundFrameSixFmChannels);

void BM_SoundFramePsgOnly(benchmark::State& state) {
    set_up_chips();
    std::array<s16, 735> frame{};
    for (auto _ : state) {
        for (s16& s : frame) psg_render_sample(s);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<s64>(frame.size()));
}
BENCHMARK(BM_SoundFramePsgOnly);

// Nothing keyed, the PSG silent: what most frames of most games cost between notes.
void BM_SoundFrameIdle(benchmark::State& state) {
    reset_chips();
    render_frames(state);
}
BENCHMARK(BM_SoundFrameIdle);

// The DAC replaces channel 6 and gets a new byte every few samples, as a driver streams a
// drum; the FM channels are idle.
void BM_SoundFrameDac(benchmark::State& state) {
    reset_chips();
    ym_write(0, 0x2B, 0x80);
    std::array<s16, 735> frame{};
    u8 data = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < frame.size(); i += 5) {
            ym_write(0, 0x2A, data);
            data = static_cast<u8>(data + 37);
            genesis_sound_render_samples(std::span<s16>(frame).subspan(i, 5));
        }
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<s64>(frame.size()));
}
BENCHMARK(BM_SoundFrameDac);

// The start-up tables, built once per process before the first power-on.
void BM_YmTablesBuild(benchmark::State& state) {
    for (auto _ : state) {
        build_tables();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_YmTablesBuild)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varn

BENCHMARK_MAIN();
