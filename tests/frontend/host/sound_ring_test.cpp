#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "frontend/host/sound_ring.h"

namespace varn {
namespace {

void write(SoundRing& ring, u32 offset, u8 value, u32 bytes) {
    SoundWindow w;
    ASSERT_TRUE(ring.lock(offset, bytes, w));
    std::memset(w.piece1, value, w.length1);
    if (w.piece2 != nullptr) std::memset(w.piece2, value, w.length2);
    ring.unlock();
}

using namespace std::chrono_literals;

TEST(SoundRing, CursorsFollowWhatTheDeviceTakes) {
    SoundRing ring;
    ring.open(1000, 1000);  // a byte a millisecond
    const auto t0 = SoundRing::Clock::now();
    EXPECT_EQ(ring.size(), 1000u);
    EXPECT_EQ(ring.play_cursor(t0), 0u);
    EXPECT_EQ(ring.write_cursor(t0), 0u);
    write(ring, 0, 0x11, 600);

    std::vector<u8> out(256, 0xEE);
    // Stopped: silence, and the cursors stay.
    EXPECT_EQ(ring.take(out.data(), 256, t0), 0u);
    EXPECT_EQ(out, std::vector<u8>(256, 0));
    EXPECT_EQ(ring.write_cursor(t0 + 50ms), 0u);

    ring.start();
    EXPECT_EQ(ring.take(out.data(), 256, t0), 256u);
    EXPECT_EQ(out, std::vector<u8>(256, 0x11));
    EXPECT_EQ(ring.play_cursor(t0), 0u);  // the piece being played starts there
    EXPECT_EQ(ring.write_cursor(t0), 256u);
    // Between takes the cursors move on with the sound, at most by the piece taken.
    EXPECT_EQ(ring.play_cursor(t0 + 100ms), 100u);
    EXPECT_EQ(ring.write_cursor(t0 + 100ms), 356u);
    EXPECT_EQ(ring.write_cursor(t0 + 900ms), 512u);
    ring.take(out.data(), 256, t0 + 256ms);
    EXPECT_EQ(ring.play_cursor(t0 + 256ms), 256u);
    EXPECT_EQ(ring.write_cursor(t0 + 256ms), 512u);
    ring.stop();  // a stopped device's cursors stand still
    EXPECT_EQ(ring.write_cursor(t0 + 400ms), 512u);
    ring.start();

    // What was taken is zeroed: a writer that falls behind leaves silence, not old sound.
    const std::vector<u8> c = ring.contents();
    EXPECT_EQ(c[0], 0);
    EXPECT_EQ(c[511], 0);
    EXPECT_EQ(c[512], 0x11);

    // The device wraps at the end of the buffer.
    std::vector<u8> more(600);
    ring.take(more.data(), 600, t0 + 512ms);
    EXPECT_EQ(ring.write_cursor(t0 + 512ms), 112u);
    EXPECT_EQ(ring.play_cursor(t0 + 512ms), 512u);
}

TEST(SoundRing, LockWrapsAtTheEndAndRefusesWhatCannotFit) {
    SoundRing ring;
    SoundWindow w;
    EXPECT_FALSE(ring.lock(0, 2, w));  // no buffer yet
    ring.open(1000, 1000);
    ASSERT_TRUE(ring.lock(900, 300, w));
    EXPECT_EQ(w.length1, 100u);
    EXPECT_EQ(w.length2, 200u);
    ring.unlock();
    ASSERT_TRUE(ring.lock(0, 300, w));
    EXPECT_EQ(w.length1, 300u);
    EXPECT_EQ(w.piece2, nullptr);
    EXPECT_EQ(w.length2, 0u);
    ring.unlock();
    EXPECT_FALSE(ring.lock(0, 1002, w));
    EXPECT_EQ(w.piece1, nullptr);
    ring.unlock();  // harmless without a lock
}

TEST(SoundRing, ZeroAndStopSilenceEverythingAndKeepThePosition) {
    SoundRing ring;
    ring.open(400, 1000);
    const auto t0 = SoundRing::Clock::now();
    ring.start();
    write(ring, 0, 0x7F, 400);
    std::vector<u8> out(100);
    ring.take(out.data(), 100, t0);
    ring.stop();
    ring.zero();
    EXPECT_EQ(ring.contents(), std::vector<u8>(400, 0));
    EXPECT_EQ(ring.write_cursor(t0 + 10ms), 100u);
    ring.start();
    ring.take(out.data(), 100, t0 + 20ms);
    EXPECT_EQ(out, std::vector<u8>(100, 0));  // resuming starts from silence
    EXPECT_EQ(ring.write_cursor(t0 + 20ms), 200u);
}

}  // namespace
}  // namespace varn
