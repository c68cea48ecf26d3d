// The Master System PSG against the Genesis PSG: the same chip, one shift louder, its own
// enable word and record.

#include "genesis/sound/psg.h"
#include "runtime/sound_options.h"
#include "sms/sms_psg.h"
#include "sms_fixture.h"

namespace varn::test {
namespace {

class SmsPsgTest : public SmsTest {
  protected:
    void SetUp() override {
        SmsTest::SetUp();
        psg_reset();
        sms_psg_reset();
    }
    void TearDown() override {
        cfg_set(sound_enable_sms_psg, kSoundEnabled);
        cfg_set(sound_enable_psg, kSoundEnabled);
        SmsTest::TearDown();
    }
    // The same bytes to both chips.
    static void write_both(std::initializer_list<u8> bytes) {
        for (u8 b : bytes) {
            psg_write(b);
            sms_psg_write(b);
        }
    }
    // Highest and lowest of n samples of each chip.
    struct Range {
        s16 gen_min = 0, gen_max = 0, sms_min = 0, sms_max = 0;
    };
    static Range sample(int n) {
        Range r;
        for (int i = 0; i < n; ++i) {
            s16 g = 0, s = 0;
            psg_render_sample(g);
            sms_psg_render_sample(s);
            r.gen_min = std::min(r.gen_min, g);
            r.gen_max = std::max(r.gen_max, g);
            r.sms_min = std::min(r.sms_min, s);
            r.sms_max = std::max(r.sms_max, s);
        }
        return r;
    }
};

TEST_F(SmsPsgTest, LevelsAreTwiceTheGenesisPsgs) {
    write_both({0x80, 0x10, 0x90});  // channel 0: period 0x100, loudest
    Range r = sample(2000);
    EXPECT_EQ(r.gen_max, 4095);
    EXPECT_EQ(r.gen_min, -4096);
    EXPECT_EQ(r.sms_max, 8191);
    EXPECT_EQ(r.sms_min, -8192);

    // Three channels in phase at full volume.
    sms_psg_reset();
    psg_reset();
    write_both({0x80, 0x10, 0x90, 0xA0, 0x10, 0xB0, 0xC0, 0x10, 0xD0});
    r = sample(2000);
    EXPECT_EQ(r.sms_max, 24575);
    EXPECT_EQ(r.sms_min, -24576);
    EXPECT_EQ(r.gen_max, 12287);

    // Attenuation 2 dB a step, as on the Genesis chip.
    sms_psg_reset();
    psg_reset();
    write_both({0x80, 0x10, 0x96});
    r = sample(2000);
    EXPECT_EQ(r.sms_max, (static_cast<s16>(psg_volume_table[6] - (psg_volume_table[6] >> 1)) >> 2));
    EXPECT_EQ(r.sms_max / 2, r.gen_max);
}

// Samples are played by holding a tone at period 1 and stepping its volume: a tone too high
// for the output rate holds its high half, so the volume steps give the waveform.
TEST_F(SmsPsgTest, TonesBeyondTheOutputRateHoldTheirHighLevel) {
    struct Case {
        u8 period;
        u32 rate;
        bool held;
    };
    for (const Case c : {Case{1, 0, true}, Case{4, 0, true}, Case{5, 0, false}, Case{9, 1, true},
                         Case{10, 1, false}}) {
        sms_psg_reset();
        cfg_set(cfg_sound_rate, c.rate);
        sms_psg_write(static_cast<u8>(0x80 | c.period));
        sms_psg_write(0x00);
        sms_psg_write(0x90);
        s16 lo = 32767, hi = -32768;
        for (int i = 0; i < 100; ++i) {
            s16 v = 0;
            sms_psg_render_sample(v);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        EXPECT_EQ(hi, 8191) << +c.period;
        EXPECT_EQ(lo, c.held ? 8191 : -8192) << +c.period << " rate " << c.rate;
    }
    cfg_set(cfg_sound_rate, 0);
    // Volume steps on a held tone follow the volume table.
    sms_psg_write(0x96);
    s16 v = 0;
    sms_psg_render_sample(v);
    EXPECT_EQ(v, static_cast<s16>(psg_volume_table[6] - (psg_volume_table[6] >> 1)) >> 2);
}

TEST_F(SmsPsgTest, OwnRecordAndEnableWord) {
    sms_psg_write(0x90);
    sms_psg_write(0x80);
    sms_psg_write(0x10);
    EXPECT_EQ(psg_regs.tone_period[0], 0u);  // the Genesis chip is untouched
    EXPECT_EQ(sms_psg_regs.tone_period[0], 0x100u);
    cfg_set(sound_enable_psg, 0);  // the Genesis enable does not mute it
    EXPECT_NE(sample(600).sms_max, 0);
    cfg_set(sound_enable_sms_psg, 0);
    const Range r = sample(600);
    EXPECT_EQ(r.sms_max, 0);
    EXPECT_EQ(r.sms_min, 0);
    cfg_set(sound_enable_sms_psg, kSoundEnabled);
    cfg_set(sound_enable_all, 0);
    EXPECT_EQ(sample(600).sms_max, 0);
    cfg_set(sound_enable_all, kSoundEnabled);
}

}  // namespace
}  // namespace varn::test
