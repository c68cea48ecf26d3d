// The YM2612 and PSG state-chunk loaders read bytes from state files. Whatever the bytes,
// a load either fails without reading past the data or leaves chips that make sound
// safely and save the same registers again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "genesis/sound/psg.h"
#include "genesis/sound/sound_render.h"
#include "genesis/sound/ym2612.h"
#include "genesis/sound/ym2612_tables.h"

namespace {

std::vector<varn::u8> save_both() {
    std::vector<varn::u8> out(512);
    varn::ByteWriter w(out);
    if (!varn::ym2612_save_state_chunk(w) || !varn::psg_save_state(w)) std::abort();
    out.resize(w.position());
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varn;
    static const bool tables = [] {
        ym2612_tables_init_sine();
        ym2612_tables_init_level();
        ym2612_tables_init_env_a();
        ym2612_tables_init_env_c();
        return true;
    }();
    (void)tables;
    if (size == 0) return 0;

    ym2612_clear();
    ym2612_reset();
    psg_reset();
    const u32 id_width = 1 + data[0] % 4;
    ByteReader in(std::span<const u8>(data + 1, size - 1));
    const bool ym  = ym2612_load_state_chunk(in, id_width);
    const bool psg = psg_load_state(in, id_width);

    s16 samples[64];
    genesis_sound_render_samples(samples);
    for (int i = 0; i < 64; ++i) ym2612_timers_line();

    if (ym && psg) {
        // Registers saved after a load load back to the same registers.
        const auto first = save_both();
        ByteReader again(first);
        if (!ym2612_load_state_chunk(again) || !psg_load_state(again)) std::abort();
        if (save_both() != first) std::abort();
    }
    return 0;
}
