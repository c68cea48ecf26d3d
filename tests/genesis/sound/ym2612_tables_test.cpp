// YM2612 start-up tables: spot values of the curves, every entry of the power curves
// against its defining formula, and the fixed numeric tables.

#include <cmath>

#include "sound_fixture.h"

namespace varn::test {
namespace {

using YmTablesTest = SoundTest;

TEST_F(YmTablesTest, SineTableHalvesAndEnds) {
    EXPECT_EQ(ym2612_sine_table[0], 0x1FFFFu);
    EXPECT_EQ(ym2612_sine_table[2048], 0x3FFFFu);
    // Quarter period: sin is at its peak, 0 dB.
    EXPECT_EQ(ym2612_sine_table[1024], 0x20000u);  // positive half carries the sign flag
    EXPECT_EQ(ym2612_sine_table[2048 + 1024], 0u);
    // The largest magnitude, next to the zero crossing, is about 76,850 units.
    const u32 a1 = ym2612_sine_table[1] - 0x20000;
    EXPECT_NEAR(static_cast<double>(a1), 76850.0, 10.0);
    EXPECT_EQ(ym2612_sine_table[2049], a1);
    for (u32 i = 1; i < 2048; ++i) {
        ASSERT_EQ(ym2612_sine_table[i], ym2612_sine_table[2048 + i] | 0x20000u) << i;
    }
}

TEST_F(YmTablesTest, LevelTableIsSignedAndFallsToOne) {
    EXPECT_EQ(static_cast<s16>(ym2612_level_table[0x20000]), 32767);
    EXPECT_EQ(static_cast<s16>(ym2612_level_table[0]), -32767);
    EXPECT_EQ(static_cast<s16>(ym2612_level_table[0x3FFFF]), 1);
    EXPECT_EQ(static_cast<s16>(ym2612_level_table[0x1FFFF]), -1);
    // 6 dB (8192 units) halves the amplitude: round(32767 * 10^(-8192/27306.67)).
    EXPECT_EQ(static_cast<s16>(ym2612_level_table[0x20000 + 8192]), 16422);
}

TEST_F(YmTablesTest, EnvelopeCurvesAndInverses) {
    EXPECT_EQ(ym2612_env_curve[0], 57343u);  // attack starts at 42 dB
    EXPECT_EQ(ym2612_env_curve[0x1FDFF], 0u);
    EXPECT_EQ(ym2612_env_curve[0x1FFFF], 0u);
    EXPECT_EQ(ym2612_env_curve[0x20000], 0u);       // decay starts at 0 dB
    EXPECT_EQ(ym2612_env_curve[0x3FDFF], 100351u);  // ... and ends near 73.5 dB
    EXPECT_EQ(ym2612_env_curve[0x3FE00], 0x1FFFFu);
    EXPECT_EQ(ym2612_env_curve[0x3FFFF], 0x1FFFFu);
    for (u32 k = 1; k < 0x1FE00; ++k) {
        ASSERT_LE(ym2612_env_curve[k], ym2612_env_curve[k - 1]) << k;
        ASSERT_GE(ym2612_env_curve[0x20000 + k], ym2612_env_curve[0x20000 + k - 1]) << k;
    }

    EXPECT_EQ(ym2612_attack_inverse[0], 0x1FDFFu);
    EXPECT_LE(ym2612_attack_inverse[0xDFFF], 1u);
    EXPECT_EQ(ym2612_attack_inverse[0xE000], 0u);  // 42 dB or more: attack start
    EXPECT_EQ(ym2612_decay_inverse[0], 0u);
    EXPECT_EQ(ym2612_decay_inverse[0x187FF], 0x1FDFFu);  // beyond 73.5 dB: curve end
    EXPECT_EQ(ym2612_decay_inverse[0x1FFFF], 0x1FDFFu);
    // The inverses find a position whose attenuation is the one asked for.
    for (u32 att : {100u, 5000u, 30000u, 57000u}) {
        const u32 pa = ym2612_attack_inverse[att];
        EXPECT_NEAR(static_cast<double>(ym2612_env_curve[pa]), att, 40.0) << att;
    }
    for (u32 att : {100u, 5000u, 60000u, 100000u}) {
        const u32 pd = ym2612_decay_inverse[att];
        EXPECT_NEAR(static_cast<double>(ym2612_env_curve[0x20000 + pd]), att, 2.0) << att;
    }
}

// The builders evaluate the power curves by cheaper means than a library power per entry;
// every entry must still be the rounded value of the formula itself.
TEST_F(YmTablesTest, PowerCurvesEqualTheirFormulasEverywhere) {
    auto round         = [](double v) { return static_cast<u32>(std::nearbyint(v)); };
    constexpr u32 kEnd = 0x1FDFF;
    for (u32 j = 0; j < 0x20000; ++j) {
        const u32 l = round(32767.0 * std::pow(10.0, -(j * 384.0) / 10485760.0));
        ASSERT_EQ(ym2612_level_table[0x20000 + j], static_cast<s16>(l)) << j;
        ASSERT_EQ(ym2612_level_table[j], static_cast<s16>(-static_cast<s32>(l))) << j;
    }
    for (u32 k = 0; k < kEnd; ++k) {  // entry 0 (k = kEnd) is set apart: the 42 dB start
        const double x = static_cast<double>(k) / kEnd;
        ASSERT_EQ(ym2612_env_curve[kEnd - k], round(std::pow(x, 2.25) * 131071.0 * 42.0 / 96.0))
            << k;
    }
    for (u32 m = 0; m <= 0xDFFF; ++m) {
        const double x = static_cast<double>(m) * 96.0 / (42.0 * 131071.0);
        ASSERT_EQ(ym2612_attack_inverse[m], kEnd - round(std::pow(x, 4.0 / 9.0) * kEnd)) << m;
    }
    for (u32 n = 0; n <= kEnd; ++n) {
        ASSERT_EQ(ym2612_env_curve[0x20000 + n],
                  round(static_cast<double>(n) / kEnd * 131071.0 * 147.0 / 192.0))
            << n;
    }
    for (u32 p = 0; p <= 0x187FE; ++p) {
        ASSERT_EQ(ym2612_decay_inverse[p],
                  round(static_cast<double>(p) / 131071.0 * 192.0 / 147.0 * kEnd))
            << p;
    }
}

TEST_F(YmTablesTest, FixedTablesAsGiven) {
    EXPECT_EQ(ym2612_rate_divisors[0], 1736249u);
    EXPECT_EQ(ym2612_rate_divisors[1], 868125u);
    EXPECT_EQ(ym2612_rate_divisors[2], 434062u);
    // Not an exact doubling: these are the numbers as given.
    EXPECT_EQ(ym2612_attack_rate_table[1], 0x2F5Eu);
    EXPECT_EQ(ym2612_attack_rate_table[23], 0x17AF31Du);
    EXPECT_EQ(ym2612_attack_rate_table[24], 0x2000000u);
    EXPECT_EQ(ym2612_attack_rate_table[31], 0x2000000u);
    EXPECT_EQ(ym2612_decay_rate_table[1], 0x3FBu);
    EXPECT_EQ(ym2612_decay_rate_table[31], 0x1FD4EF0u);
    EXPECT_EQ(ym2612_sustain_level_table[7], 0x44000000u);
    EXPECT_EQ(ym2612_sustain_level_table[15], 0x91B6DB6Eu);
    EXPECT_EQ(psg_volume_table[0], 0xFFFE);
    EXPECT_EQ(psg_volume_table[8], 0x2892);
    EXPECT_EQ(psg_volume_table[15], 0);
    EXPECT_EQ(psg_step_table[0], 319);
    EXPECT_EQ(psg_step_table[2], 1276);
}

}  // namespace
}  // namespace varn::test
