#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "frontend/host/display.h"
#include "frontend/host/display_geometry.h"
#include "frontend/host/frame_images.h"
#include "genesis/vdp/vdp.h"

namespace varn {
namespace {

void fill(const FrameSurface& s, u16 value) {
    std::fill(s.pixels, s.pixels + s.pitch * s.height, value);
}

bool uniform(const u16* pixels, u16 value) {
    return std::all_of(pixels, pixels + FrameImages::kPitch * kSurfaceHeight,
                       [value](u16 p) { return p == value; });
}

TEST(FrameImages, TheWindowSeesTheNewestFinishedFrameAndKeepsItForRepaints) {
    FrameImages images;
    EXPECT_FALSE(images.has_frame());
    EXPECT_TRUE(uniform(images.latest(), 0));  // black before the first frame

    FrameSurface s = images.drawing_surface();
    EXPECT_EQ(s.width, 640u);
    EXPECT_EQ(s.height, 480u);
    fill(s, 0x1111);
    s = images.present();
    fill(s, 0x2222);
    s = images.present();  // two frames before the window looks: the newer one wins
    fill(s, 0x3333);       // being drawn, not finished
    EXPECT_TRUE(uniform(images.latest(), 0x2222));
    EXPECT_TRUE(images.has_frame());
    EXPECT_TRUE(uniform(images.latest(), 0x2222));  // nothing newer: the same frame
    EXPECT_EQ(images.frames_presented(), 2u);
}

TEST(FrameImages, ClearBlackensWhatTheWindowHoldsAndEveryImageDrawnAfter) {
    FrameImages images;
    for (u16 v : {u16{5}, u16{6}, u16{7}}) {
        fill(images.drawing_surface(), v);
        images.present();
    }
    images.latest();
    fill(images.drawing_surface(), 8);
    images.present();  // finished but not taken: dropped by the clear
    images.clear();
    EXPECT_FALSE(images.has_frame());
    EXPECT_TRUE(uniform(images.shown(), 0));
    EXPECT_TRUE(uniform(images.latest(), 0));
    // The images handed out for drawing after the clear are black.
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(uniform(images.present().pixels, 0));
}

// The emulation thread draws frame after frame while the window takes them: a taken frame is
// always one whole frame, never an image still being drawn.
TEST(FrameImages, NoTornFrameBetweenTheThreads) {
    FrameImages images;
    std::atomic<bool> done{false};
    std::thread emu([&] {
        FrameSurface s = images.drawing_surface();
        for (u16 frame = 1; frame <= 400; ++frame) {
            fill(s, frame);
            s = images.present();
        }
        done = true;
    });
    u16 last = 0;
    while (!done.load()) {
        const u16* p = images.latest();
        const u16 v  = p[0];
        ASSERT_TRUE(uniform(p, v));
        ASSERT_GE(v, last);  // frames arrive in order
        last = v;
    }
    emu.join();
    EXPECT_TRUE(uniform(images.latest(), 400));
}

TEST(Display, ColourTableIsBuiltForFiveSixFivePixels) {
    ASSERT_TRUE(display_open());
    EXPECT_EQ(host_colour_table[0], 0);
    // Each 3-bit component lands in the top bits of its field.
    EXPECT_EQ(host_colour_table[0x1FF], 0xE71C);  // white
    EXPECT_EQ(host_colour_table[0x1C0], 0xE000);  // red 7
    EXPECT_EQ(host_colour_table[0x038], 0x0700);  // green 7
    EXPECT_EQ(host_colour_table[0x007], 0x001C);  // blue 7
    EXPECT_EQ(host_colour_table[0x049], 0x2104);  // 1, 1, 1
    display_close();
}

TEST(Display, ScreenshotTakesTheDrawnPictureAndNeverMoreThanTheImage) {
    ASSERT_TRUE(display_open());
    FrameImages& images = display_frame_images();
    FrameSurface s      = images.drawing_surface();
    fill(s, 0);
    s.pixels[0]                   = 0xF800;  // red
    s.pixels[s.pitch * 223 + 319] = 0x001F;  // blue, the picture's last pixel
    images.present();

    display_geometry.source_width  = 320;
    display_geometry.source_height = 224;
    ScreenshotRows shot            = screenshot_grab_frame();
    ASSERT_EQ(shot.width, 320u);
    ASSERT_EQ(shot.height, 224u);
    ASSERT_EQ(shot.rows.size(), (320u * 3 + 1) * 224);
    EXPECT_EQ(shot.rows[0], 0);  // filter byte
    EXPECT_EQ(shot.rows[1], 0xF8);
    EXPECT_EQ(shot.rows[2], 0);
    EXPECT_EQ(shot.rows.back(), 0xF8);
    EXPECT_EQ(shot.rows[shot.rows.size() - 3], 0);

    // A picture size past the image (a large full-screen picture) grabs the image only.
    display_geometry.source_width  = 1920;
    display_geometry.source_height = 1080;
    shot                           = screenshot_grab_frame();
    EXPECT_EQ(shot.width, 640u);
    EXPECT_EQ(shot.height, 480u);
    EXPECT_EQ(shot.rows.size(), (640u * 3 + 1) * 480);
    display_geometry = DisplayGeometry{};
    display_close();
}

}  // namespace
}  // namespace varn
