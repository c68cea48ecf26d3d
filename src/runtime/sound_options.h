#pragma once
// Options the sound chips read on every sample: the Sound menu's enable words and the
// output-rate index. The enable words are 0 or all ones, all ones at start; the front end
// inverts sound_enable_all and sound_enable_fm from its menu, the others stay on. Every
// source tests sound_enable_all and its own word before it contributes.
//
// The two words the menu inverts are the configuration's output masks themselves (Sound >
// Enable > All and its YM2612 > All), so that what the menu shows is what the chips hear.

#include "base/config.h"
#include "base/types.h"

namespace varn {

inline constexpr u32 kSoundEnabled = 0xFFFFFFFFu;

inline ConfigWord& sound_enable_all = sound_output_mask;
inline ConfigWord& sound_enable_fm  = ym2612_output_mask;
inline ConfigWord sound_enable_dac{kSoundEnabled};
inline ConfigWord sound_enable_psg{kSoundEnabled};

// The output-rate index: 0 44100, 1 22050, 2 11025 samples a second. Only the low byte of
// the option counts; a value outside 0-2 (a damaged settings file) is taken as 44100 so
// that no rate table is indexed out of range.
constexpr u32 sound_rate_index_of(u32 option_byte) { return option_byte <= 2 ? option_byte : 0; }
inline u32 sound_rate_index() { return sound_rate_index_of(cfg(cfg_sound_rate) & 0xFF); }

}  // namespace varn
