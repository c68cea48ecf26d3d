#include "genesis/sound/sound_render.h"

#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"

namespace varn {

void genesis_sound_render_samples(std::span<s16> out) {
    for (s16& sample : out) {
        psg_render_sample(sample);
        ym2612_output_sample(sample);
    }
}

}  // namespace varn
