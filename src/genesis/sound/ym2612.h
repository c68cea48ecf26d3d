#pragma once
// YM2612 FM sound chip: six channels of four operators, a DAC that can replace channel 6,
// and two timers, behind two register banks (bank I: channels 1-3 and the global
// registers; bank II: channels 4-6).
//
// Both CPUs reach the chip through the same four entries: the 68000 through its Z80-area
// window and the Z80 at 0x4000-0x4003 (the bus decides which address does what):
//   ym2612_latch_part1(reg)       address port of bank I
//   ym2612_write_data_part1(data) data port of bank I, to the register last latched
//   ym2612_latch_part2(reg)       address port of bank II
//   ym2612_write_data_part2(data) data port of bank II
//   ym2612_read_status()          bit 0 timer A overflow, bit 1 timer B overflow
//
// Per output sample the scheduler lets the PSG store the sample, then calls
// ym2612_output_sample(sample) which adds the FM and DAC output with 16-bit saturation.
// Once per 68000 timeslice it calls ym2612_timers_line().
//
// The synthesis is deliberately simple: eight algorithms, frequency from F-number, block
// and MUL, a four-phase envelope, total level, the channel 3/6 special frequencies and
// the DAC. Detune, key scaling, LFO, feedback, SSG-EG, CSM and panning are stored (so
// that states keep them) but do not change the sound. The output is mono.
//
// The start-up tables (ym2612_tables.h) must be built once before any sound is made.

#include <array>

#include "base/byte_io.h"
#include "base/types.h"

namespace varn {

// Envelope phases.
enum : u8 {
    kYmPhaseOff     = 0,
    kYmPhaseAttack  = 1,
    kYmPhaseDecay   = 2,
    kYmPhaseSustain = 3,
    kYmPhaseRelease = 4,
};

inline constexpr int kYmChannels  = 6;
inline constexpr int kYmOperators = 24;  // channel * 4 + slot index

// Operators inside a channel are indexed in register-slot order +0, +4, +8, +0xC, that is
// S1, S3, S2, S4. These name them by their role in the algorithms.
inline constexpr int kYmOp1 = 0;  // slot +0
inline constexpr int kYmOp3 = 1;  // slot +4
inline constexpr int kYmOp2 = 2;  // slot +8
inline constexpr int kYmOp4 = 3;  // slot +0xC

// Register fields of one operator, one byte each, as decoded from the register writes.
struct Ym2612OperatorRegs {
    u8 dt;      // detune, 3 bits (stored only)
    u8 mul;     // frequency multiple, 4 bits
    u8 ks;      // key scale, 2 bits (stored only)
    u8 am;      // 0 or 0xFF (stored only)
    u8 ssg_eg;  // 4 bits (stored only)
    u8 tl;      // total level, 7 bits
    u8 sl;      // sustain level, 4 bits
    u8 ar;      // attack rate, 5 bits
    u8 dr;      // decay rate, 5 bits
    u8 sr;      // sustain rate, 5 bits
    u8 rr;      // release rate, 4 bits
};

// Register fields of one channel. A frequency is a low byte beside its high 3 bits.
struct Ym2612ChannelRegs {
    u8 fnum_lo;             // 0xA0-0xA2
    u8 fnum_hi;             // 0xA4-0xA6 bits 0-2
    u8 special_fnum_lo[3];  // 0xA8, 0xA9, 0xAA (channels 3 and 6 only)
    u8 special_fnum_hi[3];  // 0xAC, 0xAD, 0xAE bits 0-2
    u8 block;               // 0xA4-0xA6 bits 3-5
    u8 special_block[3];    // 0xAC-0xAE bits 3-5
    u8 algorithm;           // 0xB0-0xB2 bits 0-2
    u8 feedback;            // bits 3-5 (stored only)
    u8 lr;                  // 0xB4-0xB6 bits 6-7 (stored only)
    u8 ams;                 // bits 4-5 (stored only)
    u8 pms;                 // bits 0-2 (stored only)
    Ym2612OperatorRegs op[4];
};

// Running state of one operator.
struct Ym2612OperatorState {
    u32 phase_acc;  // one sine period is 2^28
    u32 phase_inc;
    u32 env_counter;  // the curve position is (counter - base) >> 14
    u32 env_rate;     // current rate, added per sample
    u32 env_base;
    u8 env_phase;  // kYmPhase*
};

struct Ym2612State {
    u8 ym2612_latch_part1;  // register number last written to bank I's address port
    u8 ym2612_latch_part2;  // ... and to bank II's

    // Timers. Counters and reload values hold the negated period in 68000 timeslices. The
    // counters advance lazily (see ym2612_timers_sync).
    u32 timer_a_reload;
    u32 timer_b_reload;
    u32 timer_a_counter;
    u32 timer_b_counter;
    u32 timer_a_run;  // 0 or 1
    u32 timer_b_run;
    u32 timer_a_flag_enable;  // 0 or all ones
    u32 timer_b_flag_enable;
    u8 timer_a_overflow;  // 0 or 0xFF
    u8 timer_b_overflow;

    // Mirrors of the global registers, kept for the timers and for saving.
    u8 reg_22;
    u8 reg_24;
    u8 reg_25;
    u8 reg_26;
    u8 reg_27;
    u8 reg_27_part2;
    u8 reg_2b;
    u8 dac_data;          // 0x80 is silence
    u32 dac_enable_mask;  // all ones while register 0x2B bit 7 is set

    std::array<Ym2612OperatorState, kYmOperators> op;

    u32 ch3_special;  // 0 or all ones
    u32 ch6_special;

    std::array<u8, kYmChannels> key_mask;         // bit n: operator n keyed on
    std::array<u32, kYmChannels> channel_output;  // low 16 bits: last signed output

    std::array<Ym2612ChannelRegs, kYmChannels> channel;

    // Per operator, indexed by envelope phase: [0] 0x80000000, [1] TL << 10,
    // [2] sustain level, [3] 0xFF000000.
    std::array<std::array<u32, 4>, kYmOperators> level;
    // Per operator, indexed by envelope phase: [0] 0, then attack, decay, sustain, release.
    std::array<std::array<u32, 5>, kYmOperators> rate;

    // Slices left until the next one at which a running timer carries (0 while neither
    // runs), and the value it had when the counters were last brought up to date. Derived,
    // never saved.
    u32 timer_wait;
    u32 timer_span;

    // Bit n set while operator n's envelope phase is not off; kept beside env_phase by key
    // on/off, the envelope and the resets so that a silent channel or chip costs one test
    // per sample. Derived, never saved.
    u32 sounding_ops;
};

extern Ym2612State ym2612_state;

// Operation behind one register number of one bank.
using Ym2612RegisterHandler = void (*)(u8 data);
// [bank][register number]; bank 0 is bank I.
extern const std::array<std::array<Ym2612RegisterHandler, 256>, 2> ym2612_register_tables;

// --- Ports -----------------------------------------------------------------------------
inline void ym2612_latch_part1(u8 reg) { ym2612_state.ym2612_latch_part1 = reg; }
inline void ym2612_latch_part2(u8 reg) { ym2612_state.ym2612_latch_part2 = reg; }
void ym2612_write_data_part1(u8 data);
void ym2612_write_data_part2(u8 data);
// Timer overflow flags: bit 0 timer A, bit 1 timer B; busy and the other bits read 0.
// Reading clears nothing.
inline u8 ym2612_read_status() {
    return static_cast<u8>((ym2612_state.timer_a_overflow & 1) |
                           (ym2612_state.timer_b_overflow & 2));
}
// A 16-bit read gives the status byte in both halves.
inline u16 ym2612_read_status_word() {
    const u16 s = ym2612_read_status();
    return static_cast<u16>(s << 8 | s);
}

// --- Machine ---------------------------------------------------------------------------
// Power-on reset (Genesis, Sega CD, 32X). Leaves the latches, the global register
// mirrors, the DAC enable and the special-mode flags as they are; every operator is off
// and no key is held.
void ym2612_reset();
// Back to the program-start state, every field zero (the latches and mirrors included),
// so that tests start clean. Not a power-on: that is ym2612_reset.
void ym2612_clear();
// One step of both timers; run once per 68000 timeslice. Nothing can happen between two
// carries of a running timer, so a slice only counts down to the next carry; the counters
// are brought up to date there, before any timer register changes, and by
// ym2612_timers_sync.
void ym2612_timers_event();
inline void ym2612_timers_line() {
    u32& wait = ym2612_state.timer_wait;
    if (wait != 0 && --wait == 0) ym2612_timers_event();
}
// Adds the steps taken since the counters were last brought up to date.
void ym2612_timers_sync();
void ym2612_timer_a_load();
void ym2612_timer_b_load();
// Keys operators of one channel (0-5) on and off; bit n of a set is operator n.
void ym2612_key_on_off(int channel, u8 keys_on, u8 keys_off);

// --- Synthesis -------------------------------------------------------------------------
// Adds this sample's FM and DAC output, with saturation, to the sample the PSG stored.
void ym2612_output_sample(s16& sample);
// Runs the algorithm of a channel (0-5) and stores its output slot.
void ym2612_render_channel(int channel);
// Steps one operator with a modulation input; returns its signed output.
s16 ym2612_operator_step(int op, s16 mod);
// Moves an operator's envelope on to its next phase (called by the operator step).
void ym2612_envelope_next_phase(int op);

// --- State chunk 0x88 -----------------------------------------------------------------
inline constexpr u8 kYm2612ChunkId      = 0x88;
inline constexpr u32 kYm2612ChunkLength = 213;
// Writes the chunk (id as id_width little-endian bytes, u32 length, data). Returns false
// and writes nothing when the buffer has no room.
bool ym2612_save_state_chunk(ByteWriter& out, u32 id_width = 1);
// Reads a chunk whose id starts at the reader's position, replays its registers and
// leaves the reader after the chunk (by its stored length). Returns false, changing
// nothing, when the data are short or the chunk is shorter than its layout.
bool ym2612_load_state_chunk(ByteReader& in, u32 id_width = 1);

}  // namespace varn
