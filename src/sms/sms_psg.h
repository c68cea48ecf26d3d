#pragma once
// The Master System's only sound source: an SN76489 PSG, a second chip of the Genesis PSG's
// design with its own record. Its sample is (output 0 + output 1 + output 2) >> 2, one
// shift less than the Genesis instance, and it stores the whole sample: nothing adds to it.
// It has no state chunk.

#include "base/config.h"
#include "base/types.h"
#include "genesis/sound/psg.h"

namespace varn {

extern PsgRegs sms_psg_regs;

// Its own enable word beside the shared one (all ones; no menu changes it).
inline ConfigWord sound_enable_sms_psg{0xFFFFFFFFu};

// The port (0x7E and 0x7F).
void sms_psg_write(u8 data);
void sms_psg_reset();
// Stores one sample (0 while disabled).
void sms_psg_render_sample(s16& sample);

}  // namespace varn
