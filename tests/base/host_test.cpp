#include <gtest/gtest.h>

#include <thread>

#include "base/host.h"

namespace varn {
namespace {

TEST(RecordingHost, RecordsRequestsFromAnotherThreadAndDrivesItsClock) {
    RecordingHost host;
    host.set_clock(1000);
    std::thread t([&] {
        host.post_request(1);
        host.post_request(0x20000001);
        host.sleep_ms(5);
    });
    t.join();
    EXPECT_EQ(host.requests(), (std::vector<u32>{1, 0x20000001}));
    EXPECT_EQ(host.now_ms(), 1005u);
    host.set_yield_step(2);
    host.sleep_ms(0);
    EXPECT_EQ(host.now_ms(), 1007u);
    EXPECT_EQ(host.total_sleep_ms(), 5u);
    host.clear();
    EXPECT_TRUE(host.requests().empty());
}

TEST(NullHost, ClockMovesForward) {
    NullHost host;
    const u32 a = host.now_ms();
    host.sleep_ms(2);
    EXPECT_GE(host.now_ms() - a, 1u);
}

}  // namespace
}  // namespace varn
