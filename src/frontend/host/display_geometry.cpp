#include "frontend/host/display_geometry.h"

#include <algorithm>

#include "base/config.h"
#include "genesis/vdp/vdp.h"

namespace varn {

DisplayGeometry display_geometry;

namespace {

u32 at_least_1(u32 v) { return v != 0 ? v : 1; }

}  // namespace

void display_fit_aspect(u32 w, u32 h, u32 W, u32 H, u32& out_w, u32& out_h) {
    w                         = at_least_1(w);
    h                         = at_least_1(h);
    W                         = at_least_1(W);
    H                         = at_least_1(H);
    const double target_ratio = static_cast<double>(W) / static_cast<double>(H);
    const double ref_ratio    = static_cast<double>(w) / static_cast<double>(h);
    if (target_ratio > ref_ratio) {
        out_h = H;
        out_w = static_cast<u32>(static_cast<double>(w) * (static_cast<double>(H) / h));
    } else {
        out_w = W;
        out_h = static_cast<u32>(static_cast<double>(h) * (static_cast<double>(W) / w));
    }
    out_w = at_least_1(out_w);
    out_h = at_least_1(out_h);
}

FitFollowUp display_fit(const DisplayInputs& in, DisplayGeometry& g) {
    const u32 size   = in.screen_size;
    const u32 mode   = in.stretch_mode;
    const u32 width  = at_least_1(in.screen_width);
    const u32 height = at_least_1(in.screen_height);

    // Source and natural size. Doubled sizes draw every line twice unless the chip already
    // delivers both fields.
    if (size == kScreenSingle) {
        g.source_width = g.natural_width = width;
        g.source_height = g.natural_height = height;
    } else {
        g.source_width   = width;
        g.source_height  = in.scanlines && !in.interlaced ? 2 * height : height;
        g.natural_width  = 2 * width;
        g.natural_height = in.interlaced ? height : 2 * height;
    }
    // The renderers never draw outside the frame image, so neither does the blit read.
    g.source_width  = std::min(g.source_width, kSurfaceWidth);
    g.source_height = std::min(g.source_height, kSurfaceHeight);

    // Target area.
    const u32 scale = size == kScreenSingle ? 1 : 2;
    if (size == kScreenFullScreen) {
        g.target_width  = in.custom_fullscreen_x;
        g.target_height = in.custom_fullscreen_y;
    } else if (mode == kStretchSelfAdjust) {
        g.target_width  = g.natural_width;
        g.target_height = g.natural_height;
    } else if (mode == kStretchStaticSquare || mode == kStretchStaticStretched) {
        g.target_width  = scale * in.custom_window_x;
        g.target_height = scale * in.custom_window_y;
    }
    // The resizeable modes keep the area the window reported.
    g.target_width  = at_least_1(g.target_width);
    g.target_height = at_least_1(g.target_height);

    // Picture size.
    switch (mode) {
        case kStretchStaticSquare:
        case kStretchResizeSquare:
            display_fit_aspect(g.natural_width, g.natural_height, g.target_width, g.target_height,
                               g.picture_width, g.picture_height);
            break;
        case kStretchStaticStretched:
            g.picture_width  = at_least_1(scale * in.custom_window_x);
            g.picture_height = at_least_1(scale * in.custom_window_y);
            break;
        case kStretchResizeCustom:
            display_fit_aspect(in.custom_window_x, in.custom_window_y, g.target_width,
                               g.target_height, g.picture_width, g.picture_height);
            break;
        case kStretchResizeStretched:
            g.picture_width  = g.target_width;
            g.picture_height = g.target_height;
            break;
        default:  // self adjust, and any value the menu cannot set
            g.picture_width  = g.natural_width;
            g.picture_height = g.natural_height;
            break;
    }

    g.source_rect = {0, 0, static_cast<s32>(g.source_width), static_cast<s32>(g.source_height)};
    // Centred; a picture larger than the area overhangs both sides by half the difference.
    const s32 left =
        in.origin_x + (static_cast<s32>(g.target_width) - static_cast<s32>(g.picture_width)) / 2;
    const s32 top =
        in.origin_y + (static_cast<s32>(g.target_height) - static_cast<s32>(g.picture_height)) / 2;
    g.dest_rect = {left, top, left + static_cast<s32>(g.picture_width),
                   top + static_cast<s32>(g.picture_height)};

    switch (mode) {
        case kStretchSelfAdjust:
        case kStretchStaticStretched:
            return FitFollowUp::kResizeWindow;
        case kStretchStaticSquare:
            return FitFollowUp::kResizeWindowAndClear;
        case kStretchResizeSquare:
        case kStretchResizeCustom:
            return FitFollowUp::kClear;
        default:
            return FitFollowUp::kNothing;
    }
}

DisplayInputs display_inputs_from_config() {
    DisplayInputs in;
    in.screen_size  = cfg(cfg_screen_size);
    in.stretch_mode = cfg(cfg_frame_stretch_behavior);
    // Doubled lines are what the line output draws (the scan-line commands set the bit).
    in.scanlines = (render_mode_load() & 4) != 0;
    // Written by the emulation thread between frames; a stale value is corrected by the
    // size request that follows every change.
    in.interlaced = __atomic_load_n(&vdp_control_state.interlace, __ATOMIC_RELAXED) &&
                    cfg(cfg_squash_interlace) == 0;
    in.screen_width        = __atomic_load_n(&screen_width, __ATOMIC_RELAXED);
    in.screen_height       = __atomic_load_n(&screen_height, __ATOMIC_RELAXED);
    in.custom_window_x     = cfg(cfg_custom_window_x);
    in.custom_window_y     = cfg(cfg_custom_window_y);
    in.custom_fullscreen_x = cfg(cfg_custom_fullscreen_x);
    in.custom_fullscreen_y = cfg(cfg_custom_fullscreen_y);
    return in;
}

}  // namespace varn
