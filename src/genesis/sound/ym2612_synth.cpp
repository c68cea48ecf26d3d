// YM2612 synthesis: operator steps, envelopes, the eight algorithms and the output mix.
// Integer arithmetic over the start-up tables only; nothing here uses floating point.

#include <utility>

#include "genesis/sound/ym2612.h"
#include "genesis/sound/ym2612_tables.h"
#include "runtime/sound_options.h"

namespace varn {

namespace {

constexpr u32 kSignFlag = 0x20000;
constexpr u32 kEnvStart = 0x80000000u;
constexpr u32 kEnvEnd   = 0xFF000000u;

// Phase that follows the one whose counter reached the end.
constexpr std::array<u8, 5> ym2612_next_phase_table = {kYmPhaseOff, kYmPhaseDecay, kYmPhaseSustain,
                                                       kYmPhaseOff, kYmPhaseOff};

// 16-bit signed addition with saturation.
inline s16 add_sat(s32 a, s32 b) {
    const s32 v = a + b;
    return static_cast<s16>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
}

inline s16 slot_value(u32 slot) { return static_cast<s16>(static_cast<u16>(slot)); }

inline u32 to_slot(s16 v) { return static_cast<u16>(v); }

// One sample of one operator. Inlined into every channel routine: this runs up to 24 times a
// sample, so it must cost no call and, for an operator that is off, one test.
inline s16 operator_step(Ym2612State& ym, int n, s16 mod) {
    auto& o = ym.op[static_cast<std::size_t>(n)];
    if (o.env_phase == kYmPhaseOff) return 0;

    // One sine period is 2^28 of the accumulator; a full-scale modulator moves the phase
    // by up to four periods.
    o.phase_acc += o.phase_inc;
    const u32 index = ((o.phase_acc >> 16) + static_cast<u32>(mod >> 1)) & (kYmSineSize - 1);
    const u32 s     = ym2612_sine_table[index];

    o.env_counter += o.env_rate;
    if (o.env_counter >= kEnvEnd) ym2612_envelope_next_phase(n);
    const u32 e = ym2612_env_curve[(o.env_counter - o.env_base) >> 14];

    // Sine, total level and envelope add up in the log domain; an over-attenuated
    // operator keeps its sign and gives the smallest value of its half wave: the sum is
    // held at the last entry of the sine value's own half (0x1FFFF, or 0x3FFFF with the
    // sign flag).
    const u32 a     = s + ym.level[static_cast<std::size_t>(n)][kYmPhaseAttack] + e;
    const u32 limit = s | (kSignFlag - 1);
    return ym2612_level_table[a < limit ? a : limit];
}

// op1 = slot +0, op2 = +8, op3 = +4, op4 = +0xC; op1 is never modulated. One instance per
// channel and algorithm, so that every operator's fields sit at fixed addresses.
template <int Ch, int Alg>
s16 render_algorithm() {
    Ym2612State& ym = ym2612_state;
    auto step       = [](int op, s16 mod) { return operator_step(ym2612_state, Ch * 4 + op, mod); };
    s16 out         = 0;
    if constexpr (Alg == 0) {
        const s16 o1 = step(kYmOp1, 0);
        const s16 o2 = step(kYmOp2, o1);
        const s16 o3 = step(kYmOp3, o2);
        out          = step(kYmOp4, o3);
    } else if constexpr (Alg == 1) {
        const s16 o1 = step(kYmOp1, 0);
        const s16 o2 = step(kYmOp2, 0);
        const s16 o3 = step(kYmOp3, add_sat(o1, o2));
        out          = step(kYmOp4, o3);
    } else if constexpr (Alg == 2) {
        const s16 o1 = step(kYmOp1, 0);
        const s16 o2 = step(kYmOp2, 0);
        const s16 o3 = step(kYmOp3, o2);
        out          = step(kYmOp4, add_sat(o1, o3));
    } else if constexpr (Alg == 3) {
        const s16 o1 = step(kYmOp1, 0);
        const s16 o2 = step(kYmOp2, o1);
        const s16 o3 = step(kYmOp3, 0);
        out          = step(kYmOp4, add_sat(o2, o3));
    } else if constexpr (Alg == 4) {
        const s16 o1 = step(kYmOp1, 0);
        const s16 o2 = step(kYmOp2, o1);
        const s16 o3 = step(kYmOp3, 0);
        const s16 o4 = step(kYmOp4, o3);
        out          = add_sat(o2, o4);
    } else if constexpr (Alg == 5) {
        const s16 o1 = step(kYmOp1, 0);
        const s16 o3 = step(kYmOp3, o1);
        const s16 o2 = step(kYmOp2, o1);
        const s16 o4 = step(kYmOp4, o1);
        out          = add_sat(add_sat(o3, o2), o4);
    } else if constexpr (Alg == 6) {
        const s16 o1 = step(kYmOp1, 0);
        const s16 o2 = step(kYmOp2, o1);
        const s16 o3 = step(kYmOp3, 0);
        const s16 o4 = step(kYmOp4, 0);
        out          = add_sat(add_sat(o2, o3), o4);
    } else {
        const s16 o1 = step(kYmOp1, 0);
        const s16 o3 = step(kYmOp3, 0);
        const s16 o2 = step(kYmOp2, 0);
        const s16 o4 = step(kYmOp4, 0);
        out          = add_sat(add_sat(add_sat(o1, o3), o2), o4);
    }
    ym.channel_output[Ch] = to_slot(out);
    return out;
}

using ChannelRoutine = s16 (*)();

template <int Ch, std::size_t... A>
constexpr std::array<ChannelRoutine, 8> algorithm_table(std::index_sequence<A...>) {
    return {&render_algorithm<Ch, static_cast<int>(A)>...};
}
template <std::size_t... C>
constexpr std::array<std::array<ChannelRoutine, 8>, kYmChannels> channel_tables(
    std::index_sequence<C...>) {
    return {algorithm_table<static_cast<int>(C)>(std::make_index_sequence<8>{})...};
}

// Channel routines by channel and algorithm number.
constexpr auto ym2612_algorithm_table = channel_tables(std::make_index_sequence<kYmChannels>{});

// Runs a channel and returns its output, or, while all four of its operators are off
// (most channels of most frames), stores 0 at once: every step would return 0 without
// advancing anything.
inline s16 render_channel(Ym2612State& ym, int ch) {
    const auto c = static_cast<std::size_t>(ch);
    if (((ym.sounding_ops >> (ch * 4)) & 0xF) == 0) {
        ym.channel_output[c] = 0;
        return 0;
    }
    return ym2612_algorithm_table[c][ym.channel[c].algorithm & 7]();
}

// Channels 1-5 in order, unrolled so that each channel's test is a constant mask.
template <std::size_t... C>
s32 render_channels_1_to_5(Ym2612State& ym, std::index_sequence<C...>) {
    s32 sum = 0;
    ((sum += render_channel(ym, static_cast<int>(C))), ...);
    return sum;
}

}  // namespace

void ym2612_envelope_next_phase(int n) {
    Ym2612State& ym = ym2612_state;
    auto& o         = ym.op[static_cast<std::size_t>(n)];
    const u8 next   = ym2612_next_phase_table[o.env_phase < 5 ? o.env_phase : 0];
    o.env_phase     = next;
    o.env_counter -= o.env_base;
    o.env_base = kEnvEnd - ym.level[static_cast<std::size_t>(n)][next];
    if (next == kYmPhaseDecay) o.env_counter = kEnvStart;  // the overshoot is dropped
    o.env_counter += o.env_base;
    o.env_rate = ym.rate[static_cast<std::size_t>(n)][next];
    if (next == kYmPhaseOff) ym.sounding_ops &= ~(1u << n);
}

s16 ym2612_operator_step(int n, s16 mod) { return operator_step(ym2612_state, n, mod); }

void ym2612_render_channel(int ch) { render_channel(ym2612_state, ch); }

void ym2612_output_sample(s16& sample) {
    Ym2612State& ym = ym2612_state;
    auto& dac_slot  = ym.channel_output[5];  // shared by channel 6 and the DAC
    dac_slot        = 0;
    const u32 all   = cfg(sound_enable_all);
    const bool dac  = (all & cfg(sound_enable_dac)) != 0;
    if (dac) {
        const s32 v = (static_cast<s32>(ym.dac_data) - 0x80) * 256;
        dac_slot    = static_cast<u32>(v) & ym.dac_enable_mask;
    }
    s32 v = 0;
    if ((all & cfg(sound_enable_fm)) != 0) {
        if (ym.sounding_ops == 0) {
            // A silent chip: channels 1-5 output 0 and channel 6 leaves the DAC slot alone
            // or stores 0 over the 0 already there. Without the DAC it adds nothing.
            for (int ch = 0; ch < 5; ++ch) ym.channel_output[static_cast<std::size_t>(ch)] = 0;
            if (dac_slot == 0) return;
            v = (slot_value(dac_slot) >> 1) + sample;
        } else {
            s32 sum = render_channels_1_to_5(ym, std::make_index_sequence<5>{});
            sum += ym.dac_enable_mask == 0 ? render_channel(ym, 5) : slot_value(dac_slot);
            v = (sum >> 1) + sample;
        }
    } else if (dac) {
        v = (slot_value(dac_slot) >> 1) + sample;
    } else {
        return;
    }
    sample = static_cast<s16>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
}

}  // namespace varn
