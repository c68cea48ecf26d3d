#include <vector>

#include "runtime_fixture.h"

namespace varn::test {
namespace {

class PacingTest : public RuntimeTest {
  protected:
    // Drawn (true) or skipped for `frames` frame ends, advancing the clock by `late_ms`
    // before each.
    std::vector<bool> drawn_pattern(u32 frames, u32 late_ms = 0) {
        std::vector<bool> out;
        for (u32 i = 0; i < frames; ++i) {
            host.advance_clock(late_ms);
            out.push_back(!frame_pace());
        }
        return out;
    }
};

TEST_F(PacingTest, FixedSettingsDrawOneFrameInOneTwoFourOrEightWithoutPacing) {
    host.set_yield_step(1);
    struct Case {
        u32 setting;
        u32 period;
    };
    for (const Case c : {Case{0, 1}, Case{1, 2}, Case{3, 4}, Case{7, 8}}) {
        pace_reset();
        frame_skip_select(c.setting);
        const u32 clock    = host.now_ms();
        const auto pattern = drawn_pattern(16);
        // The counter starts at 0, so the first drawn frame is the period's last.
        for (u32 i = 0; i < 16; ++i) {
            EXPECT_EQ(pattern[i], i % c.period == c.period - 1) << c.setting << " " << i;
        }
        EXPECT_EQ(host.now_ms(), clock) << "a fixed setting never waits";
    }
}

TEST_F(PacingTest, MenuChoiceSetsTheLevelWithTheSetting) {
    const std::pair<u32, u32> cases[] = {{15, 0}, {0, 0}, {1, 8}, {3, 24}, {7, 56}, {2, 0}};
    for (auto [setting, level] : cases) {
        pace.frame_skip_level = 33;
        frame_skip_select(setting);
        EXPECT_EQ(pace.frame_skip_level, level) << setting;
        EXPECT_EQ(cfg(cfg_frame_skip), setting == 2 ? 15u : setting);
    }
}

TEST_F(PacingTest, ALateHostClimbsToLevel56AndDrawsOneFrameInEight) {
    pace_rebase(host.now_ms());
    drawn_pattern(40, 30);
    EXPECT_EQ(pace.frame_skip_level, 40u);
    drawn_pattern(40, 30);
    EXPECT_EQ(pace.frame_skip_level, 56u);
    const auto pattern = drawn_pattern(24, 30);
    std::vector<u32> drawn;
    for (u32 i = 0; i < pattern.size(); ++i) {
        if (pattern[i]) drawn.push_back(i);
    }
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[1] - drawn[0], 8u);
    EXPECT_EQ(drawn[2] - drawn[1], 8u);
}

TEST_F(PacingTest, AFastHostWaitsForEachFrame) {
    host.set_yield_step(1);
    host.set_clock(5000);
    pace_rebase(host.now_ms());
    pace.frame_skip_level = 3;
    drawn_pattern(60);
    // 60 frames of 16.667 ms; being early lowers the level back to 0.
    EXPECT_NEAR(static_cast<double>(host.now_ms() - 5000), 1000.0, 1.0);
    EXPECT_EQ(pace.frame_skip_level, 0u);

    emu_thread_state.store(kThreadFastForward);
    cfg_set(cfg_frame_skip, 0);  // fast-forward paces whatever the setting
    drawn_pattern(1);
    const u32 start = host.now_ms();
    drawn_pattern(60);
    EXPECT_NEAR(static_cast<double>(host.now_ms() - start), 320.0, 2.0);
}

TEST_F(PacingTest, TargetIsRebasedEverySecondAndAfterALongGap) {
    host.set_yield_step(1);
    pace_rebase(host.now_ms());
    for (int i = 0; i < 200; ++i) {
        frame_pace();
        ASSERT_LT(pace.pace_target, kRebasePoint);
    }
    EXPECT_GE(pace.pace_base_ms, 3000u);
    // Ten seconds without a frame: counting starts again instead of raising the level.
    host.advance_clock(10000);
    frame_pace();
    EXPECT_EQ(pace.frame_skip_level, 0u);
    EXPECT_EQ(pace.pace_base_ms, host.now_ms());
    EXPECT_EQ(pace.pace_target, kFrameTime);
}

}  // namespace
}  // namespace varn::test
