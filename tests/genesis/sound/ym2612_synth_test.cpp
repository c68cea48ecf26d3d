// YM2612 synthesis: envelopes, operator output, algorithms and the output mix.

#include <algorithm>
#include <vector>

#include "genesis/sound/sound_render.h"
#include "signal.h"
#include "sound_fixture.h"

namespace varn::test {
namespace {

class YmSynthTest : public SoundTest {
  protected:
    // A channel of four operators: MUL 1, TL 0, AR 31, DR 0, SR 0, RR 15, SL 0,
    // F-number 0x28D block 4 (about 265 Hz).
    void patch(int ch, u8 algorithm, u8 tl = 0) {
        const int bank = ch / 3;
        const int c    = ch % 3;
        for (int slot = 0; slot < 4; ++slot) {
            const u8 base = static_cast<u8>(c + slot * 4);
            ym_write(bank, 0x30 + base, 0x01);
            ym_write(bank, 0x40 + base, tl);
            ym_write(bank, 0x50 + base, 0x1F);
            ym_write(bank, 0x60 + base, 0x00);
            ym_write(bank, 0x70 + base, 0x00);
            ym_write(bank, 0x80 + base, 0x0F);
        }
        ym_write(bank, 0xB0 + c, algorithm);
        ym_write(bank, 0xA4 + c, 0x22);
        ym_write(bank, 0xA0 + c, 0x8D);
    }
    static void key(int ch, u8 slots) {
        ym_write(0, 0x28, static_cast<u8>(slots << 4 | (ch < 3 ? ch : ch + 1)));
    }
    static s16 mix(s16 stored) {
        ym2612_output_sample(stored);
        return stored;
    }
    static std::vector<s16> render(std::size_t n) {
        std::vector<s16> out(n);
        genesis_sound_render_samples(out);
        return out;
    }
};

TEST_F(YmSynthTest, SilentChipPassesThePsgSampleUnchanged) {
    patch(0, 7);
    for (s16 v : {s16{0}, s16{1234}, s16{-32768}, s16{32767}}) EXPECT_EQ(mix(v), v);
    cfg_set(sound_enable_fm, 0);
    cfg_set(sound_enable_dac, 0);
    key(0, 0xF);
    EXPECT_EQ(mix(-77), -77);
}

TEST_F(YmSynthTest, DacReplacesChannelSix) {
    patch(5, 7);
    key(5, 0xF);
    ym_write(0, 0x2B, 0x80);
    ym_write(0, 0x2A, 0x80);  // silence
    for (int i = 0; i < 300; ++i) ASSERT_EQ(mix(100), 100) << i;
    EXPECT_EQ(ym2612_state.op[20].env_phase, kYmPhaseAttack) << "channel 6 is not stepped";
    ym_write(0, 0x2A, 0x00);
    EXPECT_EQ(mix(100), 100 - 16384);
    EXPECT_EQ(static_cast<s16>(ym2612_state.channel_output[5]), -32768);
    ym_write(0, 0x2A, 0xFF);
    EXPECT_EQ(mix(0), 16256);
    EXPECT_EQ(mix(30000), 32767);  // saturated

    // With FM off only the DAC, halved, is added.
    patch(0, 7);
    key(0, 0xF);
    cfg_set(sound_enable_fm, 0);
    ym_write(0, 0x2A, 0x00);
    EXPECT_EQ(mix(5), 5 - 16384);
    // With everything off nothing is added.
    cfg_set(sound_enable_all, 0);
    EXPECT_EQ(mix(5), 5);
}

TEST_F(YmSynthTest, TheSoundMenuSwitchesSilenceTheOutputAndBringItBack) {
    // A PSG tone and an FM note; the two words the Sound menu flips. Each look takes 500
    // samples: whether the FM note added to a sample and whether the tone was heard.
    psg_write(0x80);
    psg_write(0x10);
    psg_write(0x90);  // tone 0 at full volume
    patch(0, 7);
    key(0, 0xF);
    struct Heard {
        bool fm = false, psg = false;
    };
    auto listen = [] {
        Heard h;
        for (int i = 0; i < 500; ++i) {
            s16 tone = 0;
            psg_render_sample(tone);
            h.psg = h.psg || tone != 0;
            h.fm  = h.fm || mix(100) != 100;
        }
        return h;
    };
    const struct {
        u32 all, ym;
        bool fm, psg;
    } steps[] = {
        {0xFFFFFFFF, 0xFFFFFFFF, true, true},
        {0xFFFFFFFF, 0, false, true},          // YM2612 > All off
        {0, 0xFFFFFFFF, false, false},         // Enable > All off
        {0xFFFFFFFF, 0xFFFFFFFF, true, true},  // both back on
    };
    for (const auto& step : steps) {
        cfg_set(sound_output_mask, step.all);
        cfg_set(ym2612_output_mask, step.ym);
        const Heard h = listen();
        EXPECT_EQ(h.fm, step.fm) << std::hex << step.all << " " << step.ym;
        EXPECT_EQ(h.psg, step.psg) << std::hex << step.all << " " << step.ym;
    }
}

TEST_F(YmSynthTest, EnvelopeRunsThroughItsPhases) {
    patch(0, 7);
    ym_write(0, 0x80, 0x3F);  // SL 3, RR 15
    ym_write(0, 0x60, 0x14);  // DR 20
    ym_write(0, 0x70, 0x05);  // SR 5
    key(0, 0x1);
    const auto& o = ym2612_state.op[0];
    // The capped attack takes 127 samples from 42 dB to full level.
    for (int i = 0; i < 126; ++i) ym2612_operator_step(0, 0);
    EXPECT_EQ(o.env_phase, kYmPhaseAttack);
    ym2612_operator_step(0, 0);
    EXPECT_EQ(o.env_phase, kYmPhaseDecay);
    EXPECT_EQ(ym2612_env_curve[(o.env_counter - o.env_base) >> 14], 0u);  // 0 dB
    // Decay ends at the sustain level: SL 3 is 8.4 dB.
    int n = 0;
    while (o.env_phase == kYmPhaseDecay && n < 100000) {
        ym2612_operator_step(0, 0);
        ++n;
    }
    ASSERT_EQ(o.env_phase, kYmPhaseSustain);
    const double db = ym2612_env_curve[(o.env_counter - o.env_base) >> 14] / (131071.0 / 96.0);
    EXPECT_NEAR(db, 8.4, 0.1);
    EXPECT_EQ(o.env_rate, ym2612_state.rate[0][kYmPhaseSustain]);
    // Release at the capped rate ends in silence, and the operator stops.
    key(0, 0x0);
    for (int i = 0; i < 127; ++i) ym2612_operator_step(0, 0);
    EXPECT_EQ(o.env_phase, kYmPhaseOff);
    const u32 acc = o.phase_acc;
    EXPECT_EQ(ym2612_operator_step(0, 0), 0);
    EXPECT_EQ(o.phase_acc, acc);
}

TEST_F(YmSynthTest, SustainLevelZeroGoesStraightToSustainAtFullLevel) {
    patch(0, 7);
    ym_write(0, 0x60, 0x05);  // DR 5, SL 0
    key(0, 0x1);
    for (int i = 0; i < 129; ++i) ym2612_operator_step(0, 0);
    const auto& o = ym2612_state.op[0];
    EXPECT_EQ(o.env_phase, kYmPhaseSustain);
    EXPECT_LT(ym2612_env_curve[(o.env_counter - o.env_base) >> 14], 50u);
}

TEST_F(YmSynthTest, ReleaseRateZeroHoldsTheLevel) {
    patch(0, 7);
    ym_write(0, 0x80, 0x00);  // RR 0
    key(0, 0x1);
    for (int i = 0; i < 200; ++i) ym2612_operator_step(0, 0);
    key(0, 0x0);
    const u32 counter = ym2612_state.op[0].env_counter;
    for (int i = 0; i < 1000; ++i) ym2612_operator_step(0, 0);
    EXPECT_EQ(ym2612_state.op[0].env_phase, kYmPhaseRelease);
    EXPECT_EQ(ym2612_state.op[0].env_counter, counter);
}

TEST_F(YmSynthTest, OverAttenuatedOperatorStillGivesPlusOrMinusOne) {
    patch(0, 7, 127);         // TL 127
    ym_write(0, 0x50, 0x00);  // AR 0: held at the attack start, 42 dB
    key(0, 0x1);
    int plus = 0, minus = 0;
    for (int i = 0; i < 2000; ++i) {
        const s16 v = ym2612_operator_step(0, 0);
        ASSERT_TRUE(v == 1 || v == -1) << i << " " << v;
        (v > 0 ? plus : minus)++;
    }
    EXPECT_GT(plus, 100);
    EXPECT_GT(minus, 100);
}

TEST_F(YmSynthTest, AlgorithmSevenSaturatesChannelAndMix) {
    for (int ch = 0; ch < kYmChannels; ++ch) {
        patch(ch, 7);
        key(ch, 0xF);
    }
    s16 ch_max = 0, ch_min = 0, mix_max = 0, mix_min = 0;
    for (int i = 0; i < 2000; ++i) {
        const s16 v = mix(0);
        const s16 c = static_cast<s16>(ym2612_state.channel_output[0]);
        ch_max      = std::max(ch_max, c);
        ch_min      = std::min(ch_min, c);
        mix_max     = std::max(mix_max, v);
        mix_min     = std::min(mix_min, v);
    }
    EXPECT_EQ(ch_max, 32767);
    EXPECT_EQ(ch_min, -32768);
    EXPECT_EQ(mix_max, 32767);
    EXPECT_EQ(mix_min, -32768);
}

TEST_F(YmSynthTest, ModulationChangesTheCarrier) {
    // Algorithm 0 with only the carrier keyed is a pure tone; keying the modulators adds
    // harmonics, so the waveform differs.
    patch(0, 0);
    key(0, 0x8);  // S4: the carrier
    const auto pure = render(2000);
    SetUp();
    patch(0, 0);
    key(0, 0xF);
    const auto modulated = render(2000);
    EXPECT_NE(pure, modulated);
    // Each algorithm produces sound from its carriers.
    for (u8 alg = 0; alg < 8; ++alg) {
        SetUp();
        patch(0, alg, 8);
        key(0, 0xF);
        const auto s        = render(1000);
        const auto [lo, hi] = std::minmax_element(s.begin() + 200, s.end());
        EXPECT_GT(*hi - *lo, 2000) << +alg;
    }
}

TEST_F(YmSynthTest, KeyedFmChannelIsAnAudibleUnclippedTone) {
    // One pure sine carrier at about 265 Hz, TL 8 (6 dB down), for two seconds.
    patch(0, 7, 8);
    key(0, 0x1);
    const auto s        = render(2 * 44100);
    const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
    EXPECT_LT(*hi, 32767);
    EXPECT_GT(*lo, -32768);
    double sq = 0;
    for (s16 v : s) sq += static_cast<double>(v) * v;
    const double rms = std::sqrt(sq / static_cast<double>(s.size()));
    EXPECT_GT(rms, 3000.0);
    EXPECT_NEAR(zero_crossing_hz(s, 44100), 265.37, 0.5);
    EXPECT_NEAR(dominant_hz(s, 44100, 100, 1000, 1.0), 265.0, 1.0);
}

TEST_F(YmSynthTest, OutputRateKeepsPitchAndEnvelopeTimes) {
    for (u32 rate : {0u, 1u, 2u}) {
        SetUp();
        cfg_set(cfg_sound_rate, rate);
        patch(0, 7, 8);
        key(0, 0x1);
        const double hz = 44100.0 / (1 << rate);
        const auto s    = render(static_cast<std::size_t>(hz));
        EXPECT_NEAR(zero_crossing_hz(s, hz), 265.37, 0.5) << rate;
    }
}

}  // namespace
}  // namespace varn::test
