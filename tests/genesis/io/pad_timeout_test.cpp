#include "genesis/bus/pad_timeout.h"

#include <gtest/gtest.h>

#include <vector>

namespace varn {
namespace {

std::vector<u32> expired;

class PadTimeoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pad_timeout_reset();
        expired.clear();
        pad_timeout_expired = [](u32 port) { expired.push_back(port); };
    }
    void TearDown() override { pad_timeout_expired = nullptr; }
};

TEST_F(PadTimeoutTest, PortFallsBackAfter208SlicesWithoutAWrite) {
    pad_timeout_restart(1);
    for (u32 i = 0; i < kPadTimeoutSlices - 1; ++i) pad_timeout_tick();
    EXPECT_TRUE(expired.empty());
    pad_timeout_tick();
    EXPECT_EQ(expired, std::vector<u32>{1});
    for (int i = 0; i < 500; ++i) pad_timeout_tick();
    EXPECT_EQ(expired.size(), 1u) << "an idle counter stays at 0";
}

TEST_F(PadTimeoutTest, WritesKeepTheSequenceAlive) {
    for (int i = 0; i < 10; ++i) {
        pad_timeout_restart(0);
        for (int s = 0; s < 100; ++s) pad_timeout_tick();
    }
    EXPECT_TRUE(expired.empty());
}

}  // namespace
}  // namespace varn
