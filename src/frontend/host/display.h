#pragma once
// The host display's device side, toolkit-free: the three frame images, the colour table
// for their 5-6-5 pixels, and the screenshot grab of the last finished frame. The window
// that shows the images is the front end's (main_frame.h).

#include <vector>

#include "base/types.h"
#include "frontend/host/frame_images.h"

namespace varn {

// The program's frame images.
FrameImages& display_frame_images();

// Set while the display is rebuilt or its geometry recomputed (and from program start
// until start-up has read the settings), so that no fit runs inside another.
extern bool display_rebuild_busy;

// Builds the colour table for the frame images' 5-6-5 pixels and makes the image being
// drawn the line output's surface. False when the table cannot be built.
bool display_open();
// Detaches the line output from the frame images.
void display_close();

// The last finished frame as rows for the PNG writer: each row a 0 filter byte and then
// red, green, blue bytes per pixel. The picture is the part of the frame image the line
// output drew (the source rectangle), never more than the 640 x 480 image.
struct ScreenshotRows {
    u32 width  = 0;
    u32 height = 0;
    std::vector<u8> rows;
};
ScreenshotRows screenshot_grab_frame();

}  // namespace varn
