// The Master System PSG: the shared chip over its own record, mixed one shift louder.

#include "sms/sms_psg.h"

#include "runtime/sound_options.h"

namespace varn {

PsgRegs sms_psg_regs{};

void sms_psg_write(u8 data) { psg_chip_write(sms_psg_regs, data); }

void sms_psg_reset() { sms_psg_regs = PsgRegs{}; }

void sms_psg_render_sample(s16& sample) {
    if ((cfg(sound_enable_all) & cfg(sound_enable_sms_psg)) == 0) {
        sample = 0;
        return;
    }
    // Three full-volume tones in phase reach 24,575 or -24,576.
    sample =
        static_cast<s16>(psg_chip_tone_sum(sms_psg_regs, psg_step_table[sound_rate_index()]) >> 2);
}

}  // namespace varn
