// Scan-line rendering speed: lines rendered and copied to a 16-bit surface per second, for
// a busy scene (both planes filled and scrolled per line, a window, 80 sprites linked in one
// list), with shadow/highlight and in interlace. The scene counts as changed before every
// frame, so that each line is drawn; the unchanged run shows lines kept from the frame
// before.

#include <benchmark/benchmark.h>

#include <vector>

#include "base/config.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_render.h"

namespace varn {
namespace {

void reg(u32 n, u32 v) { vdp_write_register(n, v); }
void vram(u32 a, u16 w) { vdp_vram[(a & 0xFFFF) >> 1] = w; }

void busy_scene(u32 mode12) {
    vdp_reset_all();
    reg(0, 0x04);
    reg(1, 0x44);
    reg(2, 0x30);   // plane A 0xC000
    reg(3, 0x2C);   // window 0xB000
    reg(4, 0x07);   // plane B 0xE000
    reg(5, 0x54);   // sprites 0xA800
    reg(11, 0x03);  // per-line H scroll
    reg(12, mode12);
    reg(13, 0x2B);  // H scroll 0xAC00
    reg(16, 0x01);
    reg(17, 0x03);
    reg(18, 0x02);
    for (u32 i = 0; i < 0x5000; ++i) vdp_vram[i] = static_cast<u16>(i * 0x9E37);  // patterns
    for (u32 c = 0; c < 64 * 32; ++c) {
        vram(0xC000 + 2 * c, static_cast<u16>(((c * 7) & 0x3FF) | (c & 8 ? 0x8000 : 0)));
        vram(0xE000 + 2 * c, static_cast<u16>(((c * 13) & 0x3FF) | (c & 0x40) << 7));
    }
    for (u32 line = 0; line < 224; ++line) {
        vram(0xAC00 + line * 4, static_cast<u16>(line));
        vram(0xAC00 + line * 4 + 2, static_cast<u16>(line * 3));
    }
    for (u32 i = 0; i < 80; ++i) {
        const u32 a = 0xA800 + i * 8;
        vram(a, static_cast<u16>(128 + (i * 37) % 224));
        vram(a + 2, static_cast<u16>(0x0F00 | ((i + 1) % 80)));
        vram(a + 4, static_cast<u16>((0x100 + i * 16) | (i & 1 ? 0x8000 : 0)));
        vram(a + 6, static_cast<u16>(128 + (i * 53) % 320));
    }
    for (u32 i = 0; i < 64; ++i) vdp_cram[i] = static_cast<u16>(i * 0x1A2 & 0xEEE);
    vdp_rebuild_palette();
    vdp_note_change();  // VRAM was written in place
}

void render_lines(benchmark::State& state, u32 mode12, u32 mode, bool unchanged = false) {
    busy_scene(mode12);
    render_mode = mode;
    FrameImage image;
    image.attach(320, 480);
    u64 lines = 0;
    for (auto _ : state) {
        if (!unchanged) vdp_note_change();
        for (u32 line = 0; line < 224; ++line) render_line_at(line);
        lines += 224;
        benchmark::DoNotOptimize(vdp_line_buffer.data());
    }
    state.counters["lines_per_second"] =
        benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}

void BM_RenderLines(benchmark::State& state) { render_lines(state, 0x81, 0); }
void BM_RenderLinesShadowHighlight(benchmark::State& state) { render_lines(state, 0x89, 0); }
void BM_RenderLinesDoubled(benchmark::State& state) { render_lines(state, 0x81, 4); }
void BM_RenderLinesUnchanged(benchmark::State& state) { render_lines(state, 0x81, 0, true); }
void BM_RenderLinesInterlace(benchmark::State& state) {
    cfg_set(cfg_squash_interlace, 0);
    render_lines(state, 0x87, 8);
    cfg_set(cfg_squash_interlace, 1);
}

BENCHMARK(BM_RenderLines);
BENCHMARK(BM_RenderLinesShadowHighlight);
BENCHMARK(BM_RenderLinesDoubled);
BENCHMARK(BM_RenderLinesUnchanged);
BENCHMARK(BM_RenderLinesInterlace);

}  // namespace
}  // namespace varn

BENCHMARK_MAIN();
