#pragma once
// Sound output: the frame's sample area and its hand-over to the host's circular buffer.
//
// During a frame the sound chips write 16-bit mono samples into `sound_frame.samples` at
// `sound_write_pos` (one sample per carry of the scheduler's sample clock). At every frame
// end the area is consumed whatever the sound state: copied into the host's ring when the
// host streams sound, handed to the sound log, and emptied. The write position in the host
// ring is kept between a minimum and a maximum lead over the device's write cursor.

#include "base/host.h"
#include "base/types.h"
#include "runtime/sound_options.h"

namespace varn {

// Samples a second by `cfg_sound_rate` (0, 1, 2).
inline constexpr u32 kSoundRates[3] = {44100, 22050, 11025};
// One frame at 44100 Hz is 735 samples; the area holds two such frames.
inline constexpr u32 kFrameSampleCapacity = 2 * 735;
inline constexpr u32 kFrameSampleBytes    = 2 * kFrameSampleCapacity;
// Bytes of the host ring locked at each frame end (two frames at 44100 Hz).
inline constexpr u32 kSoundLockBytes = 0xB80;

struct SoundFrame {
    s16 samples[kFrameSampleCapacity];  // this frame's samples, from the start
    u32 sound_write_pos;                // bytes of samples so far (2 a sample)
    u32 sound_host_write_pos;           // where the next frame goes in the host ring
    u32 host_buffer_size;               // bytes of the host ring, read at each frame end
    u32 host_write_cursor;              // the device's write cursor, read at each frame end
    SoundWindow lock_window;            // the locked window of the host ring
};
extern SoundFrame sound_frame;

// Where the chips write the next sample: the slot at `sound_write_pos`, or null when the
// area is full (the sample is then dropped; nothing is written past the area).
inline s16* sound_next_slot() {
    const u32 pos = sound_frame.sound_write_pos;
    return pos < kFrameSampleBytes ? &sound_frame.samples[pos / 2] : nullptr;
}

// Both positions to 0 (the boot, and the front end when it recreates its buffer).
void sound_reset_positions();
// Drift control: moves `sound_host_write_pos` back between the lead limits of the rate.
void sound_sync_write_cursor();
// Copies the frame into the locked window, advances the host position by the whole frame
// and consumes the frame (also in fast-forward, where nothing is copied).
void sound_copy_to_buffer();
// After a change of the output rate: the running machine's chips recompute their rate
// tables (the FM chip, for the machines that have one).
void sound_dispatch_by_mode();

// The frame end's sound work: the hand-over to the host when it streams, the sound log,
// then the area is emptied.
void sound_frame_end();

// Receives every frame's samples (the sound log; the headless runner's WAV writer). Not
// called in fast-forward. Null: no log.
using SoundLogSlot = void (*)(const s16* samples, u32 bytes);
extern SoundLogSlot sound_log_slot;

void sound_output_reset();

}  // namespace varn
