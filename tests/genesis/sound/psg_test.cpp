// SN76489 PSG: port protocol, tone periods and levels, enable word and state chunk.

#include <algorithm>
#include <array>
#include <vector>

#include "genesis/sound/sound_render.h"
#include "signal.h"
#include "sound_fixture.h"

namespace varn::test {
namespace {

class PsgTest : public SoundTest {
  protected:
    static void tone(int ch, u16 period, u8 volume) {
        psg_write(static_cast<u8>(0x80 | ch << 5 | (period & 0xF)));
        psg_write(static_cast<u8>(period >> 4 & 0x3F));
        psg_write(static_cast<u8>(0x90 | ch << 5 | volume));
    }
    static std::vector<s16> render(std::size_t n) {
        std::vector<s16> out(n);
        for (s16& s : out) psg_render_sample(s);
        return out;
    }
    static std::pair<s16, s16> range(const std::vector<s16>& s) {
        const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
        return {*lo, *hi};
    }
};

TEST_F(PsgTest, LatchAndDataBytes) {
    psg_write(0x8F);  // tone 0, low bits F
    psg_write(0x3F);  // bits 4-9
    EXPECT_EQ(psg_regs.tone_period[0], 0x3FFu);
    EXPECT_EQ(psg_regs.latch, 0);
    psg_write(0x80);  // a new latch byte keeps bits 4-9
    EXPECT_EQ(psg_regs.tone_period[0], 0x3F0u);
    psg_write(0x05);  // data keeps bits 0-3
    EXPECT_EQ(psg_regs.tone_period[0], 0x050u);
    EXPECT_EQ(psg_regs.reload[0], 0x050 << 6);

    psg_write(0xB7);  // volume 1
    EXPECT_EQ(psg_regs.latch, 3);
    EXPECT_EQ(psg_regs.volume[1], 7);
    psg_write(0x2A);  // data after a volume latch changes nothing
    EXPECT_EQ(psg_regs.volume[1], 7);
    EXPECT_EQ(psg_regs.tone_period[1], 0u);

    psg_write(0xC3);
    psg_write(0x11);
    EXPECT_EQ(psg_regs.tone_period[2], 0x113u);
    EXPECT_EQ(psg_regs.latch, 4);
}

TEST_F(PsgTest, PeriodZeroIsSilentUntilAPeriodIsWritten) {
    psg_write(0x90);  // volume 0 on tone 0, period 0
    EXPECT_EQ(psg_regs.level[0], 0);
    auto [lo, hi] = range(render(500));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);
    psg_write(0x80);
    psg_write(0x10);  // period 0x100: the data byte's own refresh makes it sound
    std::tie(lo, hi) = range(render(500));
    EXPECT_EQ(hi, 32767 >> 3);
    EXPECT_EQ(lo, -(32767 >> 3) - 1);
}

TEST_F(PsgTest, VolumeLevels) {
    for (u8 v = 0; v < 16; ++v) {
        SetUp();
        tone(1, 0x100, v);
        const auto [lo, hi] = range(render(300));
        const s32 level     = psg_volume_table[v];
        const s32 half      = level >> 1;
        EXPECT_EQ(hi, (level - half) >> 3) << +v;
        EXPECT_EQ(lo, (-half) >> 3) << +v;
    }
}

TEST_F(PsgTest, ThreeFullChannelsInPhase) {
    for (int ch = 0; ch < 3; ++ch) tone(ch, 0x80, 0);
    const auto [lo, hi] = range(render(1000));
    EXPECT_EQ(hi, 12287);
    EXPECT_EQ(lo, -12288);
}

TEST_F(PsgTest, NoiseMakesNoSound) {
    psg_write(0xE4);
    psg_write(0x07);
    psg_write(0xF0);  // noise at full volume
    EXPECT_EQ(psg_regs.volume[3], 0);
    EXPECT_EQ(psg_regs.level[3], 0xFFFE);
    EXPECT_EQ(psg_regs.noise_control, 0u);
    const auto [lo, hi] = range(render(2000));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);
}

TEST_F(PsgTest, DisabledStoresZero) {
    tone(0, 0x100, 0);
    cfg_set(sound_enable_psg, 0);
    s16 s = 1234;
    psg_render_sample(s);
    EXPECT_EQ(s, 0);
    cfg_set(sound_enable_psg, kSoundEnabled);
    cfg_set(sound_enable_all, 0);
    s = -5;
    psg_render_sample(s);
    EXPECT_EQ(s, 0);
}

TEST_F(PsgTest, TonePeriodSetsThePitchAtEveryRate) {
    struct Case {
        u16 period;
        u32 rate;
    };
    for (const Case c :
         {Case{0x100, 0}, Case{0x100, 1}, Case{0x100, 2}, Case{0x040, 0}, Case{0x3FF, 0}}) {
        SetUp();
        cfg_set(cfg_sound_rate, c.rate);
        tone(0, c.period, 0);
        const double hz = 44100.0 / (1 << c.rate);
        // Two seconds; the tone sits at 44100 * 319 / 128 / N Hz.
        const auto s        = render(static_cast<std::size_t>(2 * hz));
        const double expect = 109904.296875 / c.period;
        EXPECT_NEAR(zero_crossing_hz(s, hz), expect, expect * 0.002) << c.period << " " << c.rate;
    }
}

TEST_F(PsgTest, TwoSecondToneOfPeriod0x100) {
    // The check the WAV output of a PSG test cartridge must pass: a tone of period 0x100
    // for two seconds has its dominant frequency at 429 Hz.
    tone(0, 0x100, 0);
    std::vector<s16> s(2 * 44100);
    genesis_sound_render_samples(s);  // through the full mix: the silent YM2612 adds 0
    EXPECT_NEAR(dominant_hz(s, 44100, 50, 4000, 1.0), 429.0, 1.0);
    EXPECT_NEAR(zero_crossing_hz(s, 44100), 429.33, 0.5);
}

TEST_F(PsgTest, ChunkRoundTrip) {
    tone(0, 0x3A5, 3);
    tone(1, 0x001, 9);
    tone(2, 0x2F0, 15);
    psg_write(0xF6);
    psg_write(0xE1);  // latch 6
    psg_regs.noise_control = 0x1C5;

    std::vector<u8> buf(32);
    ByteWriter w(buf);
    ASSERT_TRUE(psg_save_state(w));
    ASSERT_EQ(w.position(), 15u);
    const u8 expect[] = {0x89, 10,   0,    0,    0,    0xA5, 0x03, 0x01,
                         0x00, 0xF0, 0x02, 0xC5, 0x93, 0x6F, 6};
    EXPECT_TRUE(std::equal(std::begin(expect), std::end(expect), buf.begin()));

    const PsgRegs before = psg_regs;
    psg_reset();
    psg_regs.counter = {11, 22, 33, 44};
    ByteReader r(std::span<const u8>(buf.data(), 15));
    ASSERT_TRUE(psg_load_state(r));
    EXPECT_TRUE(r.at_end());
    EXPECT_EQ(psg_regs.tone_period, before.tone_period);
    EXPECT_EQ(psg_regs.volume, before.volume);
    EXPECT_EQ(psg_regs.latch, 6);
    EXPECT_EQ(psg_regs.noise_control, 0xC5u);
    EXPECT_EQ(psg_regs.reload, before.reload);
    EXPECT_EQ(psg_regs.level, before.level);
    EXPECT_EQ(psg_regs.counter, (std::array<u16, 4>{11, 22, 33, 44}));  // not touched
}

TEST_F(PsgTest, ChunkLoadMasksDamagedFieldsAndRejectsShortData) {
    const u8 chunk[] = {0x89, 0,    0,    0, 10,   0, 0, 0,    0xFF, 0xFF,
                        0x00, 0x01, 0x00, 0, 0xE0, 0, 0, 0xFF, 0x42};
    // id width 4, latch byte 0xFF, period 0xFFFF.
    ByteReader r(chunk);
    ASSERT_TRUE(psg_load_state(r, 4));
    EXPECT_EQ(r.remaining(), 1u);
    EXPECT_EQ(psg_regs.latch, 7);
    EXPECT_EQ(psg_regs.tone_period[0], 0x3FFu);
    EXPECT_EQ(psg_regs.reload[0], 0xFFC0);
    psg_write(0x3F);  // a data byte after the noise-volume latch changes nothing
    EXPECT_EQ(psg_regs.tone_period[0], 0x3FFu);

    psg_reset();
    const u8 short_chunk[] = {0x89, 9, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (std::size_t n = 0; n <= sizeof short_chunk; ++n) {
        ByteReader rb(std::span<const u8>(short_chunk, n));
        EXPECT_FALSE(psg_load_state(rb)) << n;
        EXPECT_EQ(rb.position(), 0u);
    }
    EXPECT_EQ(psg_regs.tone_period[0], 0u);

    std::vector<u8> small(14);
    ByteWriter w(small);
    EXPECT_FALSE(psg_save_state(w));
    EXPECT_EQ(w.position(), 0u);
}

// A silent PSG steps its generator only when it must; the counters, polarities and outputs
// it then reaches are those of stepping every sample. Checked against a plain per-sample
// model, for periods whose reload is 0, below, near and far above the step, across a rate
// change in the silence and with the noise lane's level set.
TEST_F(PsgTest, SilentStretchesEndWhereStepwiseCountingEnds) {
    struct Model {
        std::array<u16, 4> counter{}, polarity{}, level{}, reload{};
        void step(u16 s) {
            for (std::size_t i = 0; i < 4; ++i) {
                const u16 expired = counter[i] <= s ? 0xFFFF : 0;
                counter[i]        = static_cast<u16>(counter[i] - s + (reload[i] & expired));
                polarity[i] ^= expired;
            }
        }
    };
    struct Case {
        u16 period[3];
        std::array<u16, 4> counter;  // from a stretch of sound when all 0
    };
    const Case cases[] = {
        {{0, 1, 4}, {}},
        {{5, 6, 10}, {}},
        {{0x100, 0x3FF, 0x2A}, {}},
        // Counters on and beside multiples of the step: a run must stop exactly where the
        // counter reaches the step, not one sample later.
        {{0x100, 0x3FF, 0x2A}, {319 * 5, 319, 320, 1}},
        {{0x100, 7, 0}, {319 * 200, 319 * 2 + 1, 0, 318}},
    };
    for (const Case& c : cases) {
        const auto& per = c.period;
        SetUp();
        for (int ch = 0; ch < 3; ++ch) tone(ch, per[ch], 4);
        psg_write(0xF3);  // noise level: its lane keeps counting and holds an output
        render(777);      // audible: counters somewhere in their periods
        for (int ch = 0; ch < 3; ++ch) psg_write(static_cast<u8>(0x9F | ch << 5));  // silent
        if (c.counter != std::array<u16, 4>{}) psg_regs.counter = c.counter;

        Model m;
        m.counter  = psg_regs.counter;
        m.polarity = psg_regs.polarity;
        m.level    = psg_regs.level;
        m.reload   = psg_regs.reload;
        for (u32 rate : {0u, 2u, 1u}) {
            cfg_set(cfg_sound_rate, rate);
            const auto out = render(3001 + rate * 500);
            EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](s16 v) { return v == 0; }));
            for (u32 i = 0; i < 3001 + rate * 500; ++i) m.step(psg_step_table[rate]);
        }
        psg_settle();
        EXPECT_EQ(psg_regs.counter, m.counter) << per[0];
        EXPECT_EQ(psg_regs.polarity, m.polarity) << per[0];
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(psg_regs.output[i],
                      static_cast<u16>((m.polarity[i] & m.level[i]) - (m.level[i] >> 1)))
                << i;
        }
        // A volume write settles too: the tone resumes from where stepwise counting is.
        cfg_set(cfg_sound_rate, 0);
        render(100);
        for (int i = 0; i < 100; ++i) m.step(psg_step_table[0]);
        psg_write(0x90);
        EXPECT_EQ(psg_regs.counter, m.counter) << per[0];
    }
}

}  // namespace
}  // namespace varn::test
