// The sound test cartridges: their register writes, replayed on the chips, give the
// sound the end-to-end WAV checks expect (a 429 Hz PSG tone; a non-silent, unclipped FM
// tone). Each keeps its writes in a table at 0x400: a count, then the bytes (PSG) or
// register and data pairs (YM2612 bank I).

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/endian.h"
#include "genesis/sound/sound_render.h"
#include "signal.h"
#include "sound_fixture.h"
#include "support/test_files.h"

namespace varn::test {
namespace {

constexpr std::size_t kTable = 0x400;

class SoundCartridgeTest : public SoundTest {
  protected:
    static std::vector<u8> load(const std::string& name) {
        auto rom = read_program(name);
        EXPECT_GT(rom.size(), kTable + 1) << name;
        if (rom.size() <= kTable + 1) return {};
        EXPECT_EQ(std::string(rom.begin() + 0x100, rom.begin() + 0x104), "SEGA");
        const u32 pc = load_be32(rom.data() + 4);
        EXPECT_GE(pc, 0x200u);
        EXPECT_LT(pc, rom.size());
        return rom;
    }
    static std::vector<s16> two_seconds() {
        std::vector<s16> out(2 * 44100);
        genesis_sound_render_samples(out);
        return out;
    }
};

TEST_F(SoundCartridgeTest, PsgToneCartridgePlays429Hz) {
    const auto rom = load("sound_psg_tone");
    ASSERT_FALSE(rom.empty());
    const std::size_t n = rom[kTable];
    ASSERT_LE(kTable + 1 + n, rom.size());
    for (std::size_t i = 0; i < n; ++i) psg_write(rom[kTable + 1 + i]);
    EXPECT_EQ(psg_regs.tone_period[0], 0x100u);

    const auto s = two_seconds();
    EXPECT_NEAR(dominant_hz(s, 44100, 50, 4000, 1.0), 429.0, 1.0);
    const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
    EXPECT_EQ(*hi, 4095);
    EXPECT_EQ(*lo, -4096);
}

TEST_F(SoundCartridgeTest, FmKeyOnCartridgeIsAudibleAndUnclipped) {
    const auto rom = load("sound_fm_keyon");
    ASSERT_FALSE(rom.empty());
    const std::size_t n = rom[kTable];
    ASSERT_LE(kTable + 1 + 2 * n, rom.size());
    for (std::size_t i = 0; i < n; ++i) {
        ym2612_latch_part1(rom[kTable + 1 + 2 * i]);
        ym2612_write_data_part1(rom[kTable + 2 + 2 * i]);
    }
    EXPECT_EQ(ym2612_state.key_mask[0], 1);

    const auto s        = two_seconds();
    const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
    EXPECT_LT(*hi, 32767);
    EXPECT_GT(*lo, -32768);
    double sq = 0;
    for (s16 v : s) sq += static_cast<double>(v) * v;
    EXPECT_GT(std::sqrt(sq / static_cast<double>(s.size())), 3000.0);
    EXPECT_NEAR(dominant_hz(s, 44100, 50, 4000, 1.0), 265.0, 1.0);
}

}  // namespace
}  // namespace varn::test
