#pragma once
// Where and how large the picture appears: for every screen size (single, double, full
// screen) and stretch mode, the part of the frame image that holds the picture, the area
// the picture is placed in, the picture's size on screen and the centred destination
// rectangle. Toolkit-free, so the rules can be checked without a window.
//
// The words live for the program's life and are written on the user-interface thread only;
// the screenshot writer reads the picture size from them.

#include "base/types.h"

namespace varn {

// The frame images the emulation thread draws into: 640 x 480 16-bit pixels each.
inline constexpr u32 kSurfaceWidth  = 640;
inline constexpr u32 kSurfaceHeight = 480;

// Screen sizes (`cfg_screen_size`).
inline constexpr u32 kScreenSingle     = 0;
inline constexpr u32 kScreenDouble     = 1;
inline constexpr u32 kScreenFullScreen = 2;

// Stretch modes (`cfg_frame_stretch_behavior`).
inline constexpr u32 kStretchSelfAdjust      = 0;
inline constexpr u32 kStretchStaticSquare    = 1;
inline constexpr u32 kStretchStaticStretched = 2;
inline constexpr u32 kStretchResizeSquare    = 3;
inline constexpr u32 kStretchResizeCustom    = 4;
inline constexpr u32 kStretchResizeStretched = 5;

struct DisplayRect {
    s32 left   = 0;
    s32 top    = 0;
    s32 right  = 0;
    s32 bottom = 0;
    s32 width() const { return right - left; }
    s32 height() const { return bottom - top; }
    bool operator==(const DisplayRect&) const = default;
};

// What the geometry is computed from.
struct DisplayInputs {
    u32 screen_size         = kScreenSingle;
    u32 stretch_mode        = kStretchSelfAdjust;
    bool scanlines          = false;  // the line output draws every line twice (scan lines)
    bool interlaced         = false;  // the chip interlaces and the option does not squash it
    u32 screen_width        = 320;    // the emulated picture
    u32 screen_height       = 224;
    u32 custom_window_x     = 320;
    u32 custom_window_y     = 224;
    u32 custom_fullscreen_x = 640;
    u32 custom_fullscreen_y = 480;
    s32 origin_x            = 0;  // where the target area starts (client area or screen)
    s32 origin_y            = 0;
};

// What the window must do after a fit.
enum class FitFollowUp {
    kResizeWindow,          // size the window to the target area
    kResizeWindowAndClear,  // the same, then blacken the frame images and the area
    kClear,                 // blacken the frame images and the area
    kNothing,
};

struct DisplayGeometry {
    u32 source_width   = 320;
    u32 source_height  = 224;
    u32 natural_width  = 320;
    u32 natural_height = 224;
    u32 target_width   = 320;
    u32 target_height  = 224;
    u32 picture_width  = 320;
    u32 picture_height = 224;
    DisplayRect source_rect{0, 0, 320, 224};
    DisplayRect dest_rect{0, 0, 320, 224};
};

// The geometry in force (user-interface thread).
extern DisplayGeometry display_geometry;

// Recomputes `geometry` from `in`. The resizeable modes keep `geometry`'s target area (the
// window's client size as last reported). The source never exceeds the frame image, and a
// target or reference size of 0 (a minimised window, a custom size of 0) counts as 1.
FitFollowUp display_fit(const DisplayInputs& in, DisplayGeometry& geometry);

// A reference size (w, h) fitted into (W, H) keeping its aspect: H high when W / H is the
// wider ratio, else W wide; the computed side truncated toward zero.
void display_fit_aspect(u32 w, u32 h, u32 W, u32 H, u32& out_w, u32& out_h);

// The configured inputs as the option words hold them (the origin is left at 0, 0).
DisplayInputs display_inputs_from_config();

}  // namespace varn
