#pragma once
// YM2612 start-up tables and the per-operator recalculation that register writes trigger.
//
// Units: 131,071 attenuation units make 96 dB (one TL step is 1024 units, 0.75 dB); bit
// 17 (0x20000) of a sine value is its sign flag, set for the positive half wave.
//
// The tables take about 2.5 MB so that no sample needs a transcendental function. They are
// built once at program start (the four ym2612_tables_init_* entries, in any order)
// before any machine is powered on, and never change afterwards.

#include <array>

#include "base/types.h"

namespace varn {

inline constexpr u32 kYmSineSize  = 4096;
inline constexpr u32 kYmLevelSize = 1u << 18;
inline constexpr u32 kYmCurveSize = 1u << 18;
inline constexpr u32 kYmInvSize   = 1u << 17;

// Attenuation of one sine period, sign flag set in the first half.
extern std::array<u32, kYmSineSize> ym2612_sine_table;
// Signed attenuation (bit 17 sign, bits 0-16 attenuation) to a signed linear sample,
// +-32767 at 0 dB. Held as the 16-bit samples themselves: half the size of 32-bit entries,
// so that the operator steps' lookups stay in the processor's cache.
extern std::array<s16, kYmLevelSize> ym2612_level_table;
// Envelope position to attenuation: 0-0x1FFFF the attack curve, 0x20000-0x3FFFF decay.
extern std::array<u32, kYmCurveSize> ym2612_env_curve;
// Attenuation to position on the attack curve, and on the decay curve (without 0x20000).
extern std::array<u32, kYmInvSize> ym2612_attack_inverse;
extern std::array<u32, kYmInvSize> ym2612_decay_inverse;

// Phase divisor by output rate.
extern const std::array<u32, 3> ym2612_rate_divisors;
// Envelope rates by AR; by DR, SR and 2 * RR + 1; sustain levels by SL.
extern const std::array<u32, 32> ym2612_attack_rate_table;
extern const std::array<u32, 32> ym2612_decay_rate_table;
extern const std::array<u32, 16> ym2612_sustain_level_table;

void ym2612_tables_init_sine();
void ym2612_tables_init_level();
// Attack curve, then its inverse (ym2612_tables_init_env_b).
void ym2612_tables_init_env_a();
void ym2612_tables_init_env_b();
// Decay curve, then its inverse (ym2612_tables_init_env_d).
void ym2612_tables_init_env_c();
void ym2612_tables_init_env_d();

// Phase increment of one operator (0-23) from its channel's frequency, block and MUL.
void ym2612_recalc_phase(int op);
// Envelope rates, TL attenuation and sustain level of one operator.
void ym2612_recalc_envelope(int op);
// All 24 phase recalcs, then all 24 envelope recalcs; after a change of output rate.
void ym2612_recalc_all_operators();

}  // namespace varn
