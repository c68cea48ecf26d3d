// YM2612 synthesis: operator steps, envelopes, the eight algorithms and the output mix.
// Integer arithmetic over the start-up tables only; nothing here uses floating point.

#include <utility>

#include "genesis/sound/sound_options.h"
#include "genesis/sound/ym2612.h"
#include "genesis/sound/ym2612_tables.h"

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

// op1 = slot +0, op2 = +8, op3 = +4, op4 = +0xC; op1 is never modulated.
template <int Alg>
void render_algorithm(int ch) {
    const int b = ch * 4;
    auto step   = [b](int op, s16 mod) { return ym2612_operator_step(b + op, mod); };
    s16 out     = 0;
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
    ym2612_state.channel_output[static_cast<std::size_t>(ch)] = to_slot(out);
}

template <std::size_t... A>
constexpr std::array<void (*)(int), 8> algorithm_table(std::index_sequence<A...>) {
    return {&render_algorithm<static_cast<int>(A)>...};
}

// Channel routines by algorithm number.
constexpr auto ym2612_algorithm_table = algorithm_table(std::make_index_sequence<8>{});

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
}

s16 ym2612_operator_step(int n, s16 mod) {
    Ym2612State& ym = ym2612_state;
    auto& o         = ym.op[static_cast<std::size_t>(n)];
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
    // operator keeps its sign and gives the smallest value of its half wave.
    u32 a = s + ym.level[static_cast<std::size_t>(n)][kYmPhaseAttack] + e;
    if ((s & kSignFlag) == 0) {
        if (a >= 0x20000) a = 0x1FFFF;
    } else if (a >= 0x40000) {
        a = 0x3FFFF;
    }
    return slot_value(ym2612_level_table[a]);
}

void ym2612_render_channel(int ch) {
    ym2612_algorithm_table[ym2612_state.channel[static_cast<std::size_t>(ch)].algorithm & 7](ch);
}

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
        for (int ch = 0; ch < 5; ++ch) ym2612_render_channel(ch);
        if (ym.dac_enable_mask == 0) ym2612_render_channel(5);
        s32 sum = 0;
        for (u32 slot : ym.channel_output) sum += slot_value(slot);
        v = (sum >> 1) + sample;
    } else if (dac) {
        v = (slot_value(dac_slot) >> 1) + sample;
    } else {
        return;
    }
    sample = static_cast<s16>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
}

}  // namespace varn
