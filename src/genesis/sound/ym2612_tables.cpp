// YM2612 start-up tables and operator recalculation.

#include "genesis/sound/ym2612_tables.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "base/config.h"
#include "genesis/sound/ym2612.h"
#include "runtime/sound_options.h"

namespace varn {

std::array<u32, kYmSineSize> ym2612_sine_table{};
std::array<s16, kYmLevelSize> ym2612_level_table{};
std::array<u32, kYmCurveSize> ym2612_env_curve{};
std::array<u32, kYmInvSize> ym2612_attack_inverse{};
std::array<u32, kYmInvSize> ym2612_decay_inverse{};

// 1,736,249; 868,125; 434,062: the output frequency is about p * 0.0254 Hz at every rate.
const std::array<u32, 3> ym2612_rate_divisors = {0x1A7E39, 0xD3F1D, 0x69F8E};

// Envelope speeds are fixed by the chip's counting; these are the numbers the envelope
// has always used (not an exact doubling everywhere), so they are kept as they stand.
const std::array<u32, 32> ym2612_attack_rate_table = {
    0,         0x2F5E,    0x470E,    0x5EBD,    0x8E1B,    0xBD7A,    0x11C36,   0x17AF3,
    0x2386D,   0x2F5E6,   0x470D9,   0x5EBCC,   0x8E1B3,   0xBD799,   0x11C365,  0x17AF32,
    0x2386CB,  0x2F5E64,  0x470D95,  0x5EBCC7,  0x8E1B2B,  0xBD798E,  0x11C3656, 0x17AF31D,
    0x2000000, 0x2000000, 0x2000000, 0x2000000, 0x2000000, 0x2000000, 0x2000000, 0x2000000,
};

const std::array<u32, 32> ym2612_decay_rate_table = {
    0,        0x3FB,    0x5F8,    0x7F5,    0xBF0,    0xFEA,    0x17E0,    0x1FD5,
    0x2FBF,   0x3FAA,   0x5F7F,   0x7F54,   0xBEFE,   0xFEA7,   0x17DFB,   0x1FD4F,
    0x2FBF6,  0x3FA9E,  0x5F7ED,  0x7F53C,  0xBEFDA,  0xFEA77,  0x17DFB3,  0x1FD4EF,
    0x2FBF66, 0x3FA9DE, 0x5F7ECD, 0x7F53BC, 0xBEFD9A, 0xFEA778, 0x17DFB34, 0x1FD4EF0,
};

// round(SL * 0x88000000 / 14): 2.8 dB a step through the decay curve.
const std::array<u32, 16> ym2612_sustain_level_table = {
    0,          0x09B6DB6E, 0x136DB6DB, 0x1D249249, 0x26DB6DB7, 0x30924925, 0x3A492492, 0x44000000,
    0x4DB6DB6E, 0x576DB6DB, 0x61249249, 0x6ADB6DB7, 0x74924925, 0x7E492492, 0x88000000, 0x91B6DB6E,
};

namespace {

constexpr double kUnitsPerDb  = 131071.0 / 96.0;
constexpr u32 kCurveEnd       = 0x1FDFF;  // last position of each envelope curve
constexpr u32 kAttackTop      = 57343;    // 42 dB: where every attack starts
constexpr u32 kSignFlag       = 0x20000;
constexpr u32 kMaxAttenuation = 0x1FFFF;

// Round to nearest, ties to even, for 0 <= v < 2^51: adding 2^52 leaves no fraction bits,
// so the addition itself rounds as the default floating-point mode does (what nearbyint
// gives there), without a library call per entry.
double round_even(double v) { return (v + 0x1p52) - 0x1p52; }
u32 round_u32(double v) { return static_cast<u32>(round_even(v)); }

// The big curves are defined by library powers, but a power per entry is most of the
// start-up time. They are evaluated by cheaper means that agree with the definition to
// within 1e-9; only a value that close to a rounding tie could round differently, so
// there the defining expression is evaluated and decides.
constexpr double kTieMargin = 1e-6;
template <typename Exact>
u32 round_like(double fast, Exact exact) {
    const double r = round_even(fast);
    if (std::fabs(std::fabs(fast - r) - 0.5) < kTieMargin) return round_u32(exact());
    return static_cast<u32>(r);
}

}  // namespace

void ym2612_tables_init_sine() {
    // The step is 2 pi / 4095 while the table has 4096 entries; both halves share the
    // same magnitudes.
    for (u32 i = 1; i < 2048; ++i) {
        const double s              = std::sin(2.0 * std::numbers::pi * i / 4095.0);
        const u32 a                 = round_u32(-20.0 * std::log10(s) * kUnitsPerDb);
        ym2612_sine_table[i]        = a + kSignFlag;
        ym2612_sine_table[2048 + i] = a;
    }
    ym2612_sine_table[0]    = kMaxAttenuation;
    ym2612_sine_table[2048] = kMaxAttenuation | kSignFlag;
}

void ym2612_tables_init_level() {
    // L(j) = 32767 * 10^(-j * 384 / 10485760), 0.75 dB every 1024 units. An exponential:
    // split j into high and low parts and multiply one power of each, taken from 256 + 512
    // library powers instead of 131,072.
    constexpr u32 kLowParts = 512;
    auto power              = [](u32 j) { return std::pow(10.0, -(j * 384.0) / 10485760.0); };
    std::array<double, kLowParts> low{};
    for (u32 lo = 0; lo < kLowParts; ++lo) low[lo] = power(lo);
    for (u32 hi = 0; hi < 0x20000; hi += kLowParts) {
        const double high = 32767.0 * power(hi);
        for (u32 lo = 0; lo < kLowParts; ++lo) {
            const u32 j           = hi + lo;
            const u32 l           = round_like(high * low[lo], [&] { return 32767.0 * power(j); });
            ym2612_level_table[j] = static_cast<s16>(-static_cast<s32>(l));
            ym2612_level_table[0x20000 + j] = static_cast<s16>(l);
        }
    }
}

void ym2612_tables_init_env_a() {
    // Attack: a power curve from 42 dB (position 0) to 0 dB (position 0x1FDFF); x^2.25 is
    // x * x * x^(1/4), two square roots, and the divisions become products.
    constexpr double kStep  = 1.0 / kCurveEnd;
    constexpr double kScale = 131071.0 * 42.0 / 96.0;
    for (u32 k = 0; k <= kCurveEnd; ++k) {
        const double x                  = k * kStep;
        ym2612_env_curve[kCurveEnd - k] = round_like(x * x * std::sqrt(std::sqrt(x)) * kScale, [k] {
            const double xe = static_cast<double>(k) / kCurveEnd;
            return std::pow(xe, 2.25) * 131071.0 * 42.0 / 96.0;
        });
    }
    ym2612_env_curve[0] = kAttackTop;
    for (u32 k = kCurveEnd + 1; k < 0x20000; ++k) ym2612_env_curve[k] = 0;
    ym2612_tables_init_env_b();
}

void ym2612_tables_init_env_b() {
    // Attenuation to attack position; 42 dB or more is the start of the attack.
    // The root x^(4/9) is 1 / w with w = x^(-4/9), and w solves x^4 * w^9 = 1, whose Newton
    // step w * (10 - x^4 * w^9) / 9 needs no division. Past the first entries, three steps
    // from the previous entry's w reach full precision (neighbours differ by under 0.2%).
    // Eight stretches of the table are walked side by side, so that their Newton steps
    // overlap in the processor instead of each waiting for the one before.
    constexpr u32 kFirst   = 256;
    constexpr u32 kEnd     = 0xE000;
    constexpr u32 kChains  = 8;
    constexpr u32 kStretch = (kEnd - kFirst) / kChains;
    static_assert(kFirst + kChains * kStretch == kEnd);
    constexpr double kStep = 96.0 / (42.0 * 131071.0);
    auto exact             = [](u32 m) {
        const double x = static_cast<double>(m) * 96.0 / (42.0 * 131071.0);
        return std::pow(x, 4.0 / 9.0) * kCurveEnd;
    };
    auto store = [&exact](u32 m, double root) {
        ym2612_attack_inverse[m] = kCurveEnd - round_like(root, [&] { return exact(m); });
    };

    ym2612_attack_inverse.fill(0);
    for (u32 m = 0; m < kFirst; ++m) store(m, exact(m));
    std::array<double, kChains> w{};
    for (u32 c = 0; c < kChains; ++c) w[c] = kCurveEnd / exact(kFirst + c * kStretch - 1);
    for (u32 i = 0; i < kStretch; ++i) {
        for (u32 c = 0; c < kChains; ++c) {
            const u32 m     = kFirst + c * kStretch + i;
            const double x  = m * kStep;
            const double x4 = (x * x) * (x * x);
            double v        = w[c];
            for (int step = 0; step < 3; ++step) {
                const double v2 = v * v;
                const double v9 = (v2 * v2) * (v2 * v2) * v;
                v               = v * (10.0 - x4 * v9) * (1.0 / 9.0);
            }
            w[c] = v;
            store(m, kCurveEnd / v);
        }
    }
}

void ym2612_tables_init_env_c() {
    // Decay: a straight line in decibels from 0 to 73.5 dB, then 96 dB past its end.
    constexpr double kSlope = 131071.0 * 147.0 / 192.0 / kCurveEnd;
    for (u32 n = 0; n <= kCurveEnd; ++n) {
        ym2612_env_curve[0x20000 + n] = round_like(n * kSlope, [n] {
            return static_cast<double>(n) / kCurveEnd * 131071.0 * 147.0 / 192.0;
        });
    }
    for (u32 n = kCurveEnd + 1; n < 0x20000; ++n) ym2612_env_curve[0x20000 + n] = kMaxAttenuation;
    ym2612_tables_init_env_d();
}

void ym2612_tables_init_env_d() {
    // Attenuation to decay position; beyond 73.5 dB maps to the end of the curve.
    constexpr double kSlope = 192.0 / 147.0 * kCurveEnd / 131071.0;
    ym2612_decay_inverse.fill(kCurveEnd);
    for (u32 p = 0; p <= 0x187FE; ++p) {
        ym2612_decay_inverse[p] = round_like(p * kSlope, [p] {
            return static_cast<double>(p) / 131071.0 * 192.0 / 147.0 * kCurveEnd;
        });
    }
}

namespace {

constexpr u32 kOneSinePeriod = 1u << 28;
constexpr u32 kRateCap       = 0x1000000;

// One instance per operator so that each recalculation is straight-line code.
template <int Op>
void recalc_phase_op() {
    constexpr int ch   = Op / 4;
    constexpr int slot = Op % 4;
    Ym2612State& ym    = ym2612_state;
    const auto& c      = ym.channel[ch];

    u32 f = c.fnum_lo | (static_cast<u32>(c.fnum_hi & 7) << 8);
    u32 b = c.block & 7;
    if constexpr ((ch == 2 || ch == 5) && slot != 0) {
        // Channel 3 and 6 special mode: the operators at +4, +8, +0xC take their own
        // frequency; the one at +0 keeps the channel's.
        const u32 special = ch == 2 ? ym.ch3_special : ym.ch6_special;
        if (special != 0) {
            f = c.special_fnum_lo[slot - 1] |
                (static_cast<u32>(c.special_fnum_hi[slot - 1] & 7) << 8);
            b = c.special_block[slot - 1] & 7;
        }
    }

    u32 x      = f << b;
    u32 factor = c.op[slot].mul & 0xF;
    if (factor == 0) {  // MUL 0 is a half
        x >>= 1;
        factor = 1;
    }
    const u64 p   = static_cast<u64>(x) * factor;
    const u64 inc = (p << 28) / ym2612_rate_divisors[sound_rate_index()];
    auto& o       = ym.op[Op];
    if (inc >= kOneSinePeriod && cfg(cfg_sound_aliasing) == 0) {
        o.phase_inc = 0;
        o.phase_acc = 0;
        return;
    }
    o.phase_inc = static_cast<u32>(inc);
}

template <int Op>
void recalc_envelope_op() {
    constexpr int ch   = Op / 4;
    constexpr int slot = Op % 4;
    Ym2612State& ym    = ym2612_state;
    const auto& r      = ym.channel[ch].op[slot];
    auto& o            = ym.op[Op];
    auto& rates        = ym.rate[Op];
    const u32 s        = sound_rate_index();

    // The shift by the rate index keeps envelope times the same at the lower rates.
    auto scaled            = [s](u32 v) { return std::min((v >> 1) << s, kRateCap); };
    rates[kYmPhaseAttack]  = scaled(ym2612_attack_rate_table[r.ar & 31]);
    rates[kYmPhaseDecay]   = scaled(ym2612_decay_rate_table[r.dr & 31]);
    rates[kYmPhaseSustain] = scaled(ym2612_decay_rate_table[r.sr & 31]);
    rates[kYmPhaseRelease] =
        (r.rr & 15) == 0 ? 0 : scaled(ym2612_decay_rate_table[2 * (r.rr & 15) + 1]);
    if (o.env_phase >= kYmPhaseAttack && o.env_phase <= kYmPhaseRelease) {
        o.env_rate = rates[o.env_phase];
    }
    auto& level           = ym.level[Op];
    level[kYmPhaseAttack] = static_cast<u32>(r.tl & 0x7F) << 10;
    level[kYmPhaseDecay]  = (ym2612_sustain_level_table[r.sl & 15] >> 1) | 0x80000000u;
}

template <std::size_t... I>
constexpr std::array<void (*)(), sizeof...(I)> phase_instances(std::index_sequence<I...>) {
    return {&recalc_phase_op<I>...};
}
template <std::size_t... I>
constexpr std::array<void (*)(), sizeof...(I)> envelope_instances(std::index_sequence<I...>) {
    return {&recalc_envelope_op<I>...};
}

constexpr auto kRecalcPhase    = phase_instances(std::make_index_sequence<kYmOperators>{});
constexpr auto kRecalcEnvelope = envelope_instances(std::make_index_sequence<kYmOperators>{});

}  // namespace

void ym2612_recalc_phase(int op) { kRecalcPhase[static_cast<std::size_t>(op)](); }
void ym2612_recalc_envelope(int op) { kRecalcEnvelope[static_cast<std::size_t>(op)](); }

void ym2612_recalc_all_operators() {
    for (auto* fn : kRecalcPhase) fn();
    for (auto* fn : kRecalcEnvelope) fn();
}

}  // namespace varn
