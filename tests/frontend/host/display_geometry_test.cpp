#include <gtest/gtest.h>

#include "frontend/host/display_geometry.h"

namespace varn {
namespace {

struct GeometryCase {
    const char* what;
    DisplayInputs in;
    u32 window_w, window_h;  // the target the window reported (resizeable modes)
    u32 source_w, source_h, target_w, target_h, picture_w, picture_h;
    DisplayRect dest;
    FitFollowUp next;
};

DisplayInputs inputs(u32 size, u32 mode, u32 w = 320, u32 h = 224) {
    DisplayInputs in;
    in.screen_size   = size;
    in.stretch_mode  = mode;
    in.screen_width  = w;
    in.screen_height = h;
    return in;
}

DisplayInputs with(DisplayInputs in, void (*edit)(DisplayInputs&)) {
    edit(in);
    return in;
}

TEST(DisplayGeometry, EveryScreenSizeAndStretchMode) {
    using F                    = FitFollowUp;
    const GeometryCase cases[] = {
        {"single, self adjust",
         inputs(0, 0),
         999,
         999,
         320,
         224,
         320,
         224,
         320,
         224,
         {0, 0, 320, 224},
         F::kResizeWindow},
        {"double, self adjust",
         inputs(1, 0),
         999,
         999,
         320,
         224,
         640,
         448,
         640,
         448,
         {0, 0, 640, 448},
         F::kResizeWindow},
        {"double with scan lines draws every line twice",
         with(inputs(1, 0), [](DisplayInputs& i) { i.scanlines = true; }),
         0,
         0,
         320,
         448,
         640,
         448,
         640,
         448,
         {0, 0, 640, 448},
         F::kResizeWindow},
        {"double, interlaced: both fields are already there",
         with(inputs(1, 0),
              [](DisplayInputs& i) {
                  i.scanlines     = true;
                  i.interlaced    = true;
                  i.screen_height = 448;
              }),
         0,
         0,
         320,
         448,
         640,
         448,
         640,
         448,
         {0, 0, 640, 448},
         F::kResizeWindow},
        {"Master System at double size",
         inputs(1, 0, 256, 192),
         0,
         0,
         256,
         192,
         512,
         384,
         512,
         384,
         {0, 0, 512, 384},
         F::kResizeWindow},
        {"Master System at double size with scan lines",
         with(inputs(1, 0, 256, 192), [](DisplayInputs& i) { i.scanlines = true; }),
         0,
         0,
         256,
         384,
         512,
         384,
         512,
         384,
         {0, 0, 512, 384},
         F::kResizeWindow},
        // 320 / 240 = 1.333 is not wider than 320 / 224 = 1.4286: the width is kept.
        {"static square pixels in a 4:3 custom size",
         with(inputs(0, 1),
              [](DisplayInputs& i) {
                  i.custom_window_x = 320;
                  i.custom_window_y = 240;
              }),
         0,
         0,
         320,
         224,
         320,
         240,
         320,
         224,
         {0, 8, 320, 232},
         F::kResizeWindowAndClear},
        {"static square pixels, double size, wide custom size",
         with(inputs(1, 1),
              [](DisplayInputs& i) {
                  i.custom_window_x = 400;
                  i.custom_window_y = 224;
              }),
         0,
         0,
         320,
         224,
         800,
         448,
         640,
         448,
         {80, 0, 720, 448},
         F::kResizeWindowAndClear},
        {"static stretched",
         with(inputs(0, 2),
              [](DisplayInputs& i) {
                  i.custom_window_x = 300;
                  i.custom_window_y = 200;
              }),
         0,
         0,
         320,
         224,
         300,
         200,
         300,
         200,
         {0, 0, 300, 200},
         F::kResizeWindow},
        {"resizeable square pixels keep the window's size",
         inputs(0, 3),
         500,
         300,
         320,
         224,
         500,
         300,
         428,
         300,
         {36, 0, 464, 300},
         F::kClear},
        {"resizeable custom ratio",
         with(inputs(0, 4),
              [](DisplayInputs& i) {
                  i.custom_window_x = 4;
                  i.custom_window_y = 3;
              }),
         500,
         300,
         320,
         224,
         500,
         300,
         400,
         300,
         {50, 0, 450, 300},
         F::kClear},
        {"resizeable stretched fills the window",
         inputs(0, 5),
         500,
         300,
         320,
         224,
         500,
         300,
         500,
         300,
         {0, 0, 500, 300},
         F::kNothing},
        {"full screen, square pixels letterboxed",
         inputs(2, 1),
         0,
         0,
         320,
         224,
         640,
         480,
         640,
         448,
         {0, 16, 640, 464},
         F::kResizeWindowAndClear},
        // A custom size larger than the full-screen size overhangs by half the difference.
        {"full screen, stretched past the screen",
         with(inputs(2, 2),
              [](DisplayInputs& i) {
                  i.custom_window_x = 400;
                  i.custom_window_y = 300;
              }),
         0,
         0,
         320,
         224,
         640,
         480,
         800,
         600,
         {-80, -60, 720, 540},
         F::kResizeWindow},
        {"a minimised window still has a 1 x 1 target",
         inputs(0, 5),
         0,
         0,
         320,
         224,
         1,
         1,
         1,
         1,
         {0, 0, 1, 1},
         F::kNothing},
        {"a custom size of 0 does not divide by zero",
         with(inputs(0, 4),
              [](DisplayInputs& i) {
                  i.custom_window_x = 0;
                  i.custom_window_y = 0;
              }),
         200,
         100,
         320,
         224,
         200,
         100,
         100,
         100,
         {50, 0, 150, 100},
         F::kClear},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(c.what);
        DisplayGeometry g;
        g.target_width  = c.window_w;
        g.target_height = c.window_h;
        EXPECT_EQ(display_fit(c.in, g), c.next);
        EXPECT_EQ(g.source_width, c.source_w);
        EXPECT_EQ(g.source_height, c.source_h);
        EXPECT_EQ(g.target_width, c.target_w);
        EXPECT_EQ(g.target_height, c.target_h);
        EXPECT_EQ(g.picture_width, c.picture_w);
        EXPECT_EQ(g.picture_height, c.picture_h);
        EXPECT_EQ(g.dest_rect, c.dest);
        EXPECT_EQ(g.source_rect,
                  (DisplayRect{0, 0, static_cast<s32>(c.source_w), static_cast<s32>(c.source_h)}));
    }
}

TEST(DisplayGeometry, OriginShiftsTheDestinationAndTheSourceNeverLeavesTheImage) {
    DisplayInputs in = inputs(1, 0, 640, 480);  // more than the line output can draw
    in.scanlines     = true;
    in.origin_x      = 7;
    in.origin_y      = 9;
    DisplayGeometry g;
    display_fit(in, g);
    EXPECT_EQ(g.source_width, kSurfaceWidth);
    EXPECT_EQ(g.source_height, kSurfaceHeight);
    EXPECT_EQ(g.dest_rect.left, 7);
    EXPECT_EQ(g.dest_rect.top, 9);
}

}  // namespace
}  // namespace varn
