#pragma once
// SN76489 PSG of the Genesis: three square-wave tone channels and a noise channel,
// programmed one byte at a time through psg_write (68000 at 0xC00011, Z80 at 0x7F11).
//
// Per output sample the scheduler calls psg_render_sample(sample), which STORES the
// sample (the PSG is the first source of every sample); the YM2612 then adds to it.
//
// The noise channel keeps its volume and runs a counter but makes no sound: its control
// byte is not decoded and it is left out of the mix.

#include <array>

#include "base/byte_io.h"
#include "base/types.h"

namespace varn {

// Generator lanes 0-2 are the tone channels, lane 3 the noise channel.
struct PsgRegs {
    std::array<u32, 3> tone_period;  // 10 significant bits
    u32 noise_control;               // low byte saved and loaded; no port write changes it
    std::array<u8, 4> volume;        // 4-bit attenuation codes: 0 loudest, 15 silent
    u8 latch;                        // register addressed by the last latch byte, 0-7

    // Generator, 16 bits per lane.
    std::array<u16, 4> reload;  // period << 6; lane 3 always 0
    std::array<u16, 4> counter;
    std::array<u16, 4> level;     // linear amplitude from the volume table
    std::array<u16, 4> polarity;  // 0 or 0xFFFF
    std::array<u16, 4> output;    // signed

    // While the three tone levels are 0 every sample is 0 whatever the counters hold, so
    // a silent PSG does not step its generator per sample: it counts the samples it owes
    // (and the decrement they were made at) and steps through them at once before the
    // next write, the next audible sample or psg_settle.
    u32 owed_samples;
    u16 owed_step;
};

extern PsgRegs psg_regs;

// Attenuation code to amplitude, 2 dB a step.
extern const std::array<u16, 16> psg_volume_table;
// Counter decrement per output sample, by output rate (44100, 22050, 11025 Hz).
extern const std::array<u16, 3> psg_step_table;

// The PSG port.
void psg_write(u8 data);
// Power-on: every field 0.
void psg_reset();
// Stores one sample of the three tone channels (0 while the PSG is disabled).
void psg_render_sample(s16& sample);
// Takes the generator steps a silent PSG owes, so that counters, polarities and outputs
// are those after the last sample. Every write and every audible sample does this first.
void psg_settle();

// The chip's behaviour over any record: the Genesis instance above is psg_regs, and the
// Master System carries a second chip of the same design with its own record.
void psg_chip_write(PsgRegs& p, u8 data);
void psg_chip_settle(PsgRegs& p);
// Steps the generator one sample at counter decrement `step` and returns the sum of the
// three tone outputs (each a signed half of its level); 0 while the tones are silent.
s32 psg_chip_tone_sum(PsgRegs& p, u16 step);

// --- State chunk 0x89 -----------------------------------------------------------------
inline constexpr u8 kPsgChunkId      = 0x89;
inline constexpr u32 kPsgChunkLength = 10;
// Writes the chunk (id as id_width little-endian bytes, u32 length, data). Returns false
// and writes nothing when the buffer has no room.
bool psg_save_state(ByteWriter& out, u32 id_width = 1);
// Reads a chunk whose id starts at the reader's position and leaves the reader after the
// chunk (by its stored length). Returns false, changing nothing, on short data.
bool psg_load_state(ByteReader& in, u32 id_width = 1);

}  // namespace varn
