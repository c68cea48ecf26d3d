#include "frontend/host/display.h"

#include <algorithm>

#include "frontend/host/display_geometry.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"

namespace varn {

bool display_rebuild_busy = true;

FrameImages& display_frame_images() {
    static FrameImages images;
    return images;
}

bool display_open() {
    // 5-6-5: red's top bit 15, green's 10, blue's 4.
    if (host_colour_table_build(15, 10, 4) != nullptr) return false;
    vdp_rebuild_palette();
    const FrameSurface s = display_frame_images().drawing_surface();
    surface_set_origin(s.pixels, s.pitch, s.width, s.height, s.x, s.y);
    return true;
}

void display_close() { surface_set_origin(nullptr, 0, 0, 0, 0, 0); }

ScreenshotRows screenshot_grab_frame() {
    ScreenshotRows shot;
    shot.width  = std::min(display_geometry.source_width, kSurfaceWidth);
    shot.height = std::min(display_geometry.source_height, kSurfaceHeight);
    shot.rows.assign((shot.width * 3 + 1) * shot.height, 0);
    const u16* pixels = display_frame_images().latest();
    png_convert_surface_rows(pixels, FrameImages::kPitch, shot.width, shot.height, shot.rows);
    return shot;
}

}  // namespace varn
