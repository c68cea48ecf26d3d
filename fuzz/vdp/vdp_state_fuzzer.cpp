// The VDP's state-chunk and Genecyst loaders read bytes from files. Whatever the bytes, a load
// either fails without reading past the data or leaves a chip whose every register and table
// value renders in every mode without reading or writing outside its arrays, and saves again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/config.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/vdp/vdp_render.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varn;
    if (size == 0) return 0;
    vdp_reset_all();
    const std::span<const u8> input(data, size);

    // The chunk (id, length, data) as a state file holds it, then the Genecyst form.
    ByteReader chunk(input);
    (void)vdp_load_state_chunk(chunk, 1);
    if (!vdp_load_gs_registers(input) && size >= 0x40) {
        ByteReader again(input.subspan(1));
        (void)vdp_load_state_chunk(again, 1);
    }

    // The memories from the input repeated, so that every table holds fuzzer bytes.
    std::vector<u8> fill(0x10000 + 0x80 + 0x50);
    for (std::size_t i = 0; i < fill.size(); ++i) fill[i] = data[(i * 7 + 3) % size];
    ByteReader memories(fill);
    if (!vdp_load_vram_data(memories) || !vdp_load_cram_data(memories) ||
        !vdp_load_vsram_data(memories))
        std::abort();

    // Every render mode, both interlace settings and the sprite limit both ways.
    std::vector<u16> fb(0x1000);
    for (std::size_t i = 0; i < fb.size(); ++i)
        fb[i] = static_cast<u16>(data[i % size] * 0x0101u ^ i);
    std::vector<u16> palette(256, 0x8421);
    s32x_composite_source = {fb.data(), static_cast<u32>(fb.size()), palette.data()};
    FrameImage image;
    image.attach(320, 448);
    const u32 modes[] = {0, 4, 8, 12, 0x10, 0x1C, 0x24, 0x28, 0x34, 0x38};
    for (u32 m = 0; m < sizeof modes / sizeof modes[0]; ++m) {
        render_mode = modes[m];
        cfg_set(cfg_squash_interlace, m & 1);
        cfg_set(cfg_gen_sprite_limit, (m >> 1) & 1);
        for (u32 line = 0; line < 224; line += 3) render_line_at(line);
    }
    cfg_set(cfg_squash_interlace, 1);
    cfg_set(cfg_gen_sprite_limit, 1);
    overlay_text.x = data[0];
    overlay_text.y = data[size - 1];
    overlay_text.text.fill('A');
    overlay_text_draw();

    std::vector<u8> out(64);
    ByteWriter w(out);
    if (!vdp_save_state_chunk(w, 1)) std::abort();
    vdp_reset_all();
    return 0;
}
