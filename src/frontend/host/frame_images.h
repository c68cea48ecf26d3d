#pragma once
// The frame images between the emulation thread, which draws the picture line by line, and
// the user-interface thread, which shows it. Each image is 640 x 480 16-bit pixels (5-6-5).
//
// Three images turn round so that neither thread ever waits for the other: the emulation
// thread draws into one; at the end of a drawn frame it hands that one over as the newest
// finished frame and takes the image that the window has finished with; the window takes
// the newest finished frame when it paints. The last frame the window took is the "last
// finished frame" for repaints and screenshots.

#include <array>
#include <atomic>
#include <vector>

#include "base/host.h"
#include "base/types.h"

namespace varn {

class FrameImages {
  public:
    FrameImages();

    // Emulation thread: the image being drawn, as the line output's surface.
    FrameSurface drawing_surface();
    // Emulation thread, at the end of a drawn frame: publishes the image just drawn and
    // returns the next one to draw into.
    FrameSurface present();

    // User-interface thread: takes the newest finished frame if there is one, and returns
    // the last frame taken (black until the first frame arrives).
    const u16* latest();
    // User-interface thread: the last frame taken, without looking for a newer one.
    const u16* shown() const { return images_[shown_].data(); }
    // True once a frame has been taken since the last clear.
    bool has_frame() const { return shown_has_frame_; }

    // User-interface thread: blackens every image. The one the window holds at once; the
    // others as the emulation thread next takes them to draw into, and the newest finished
    // frame is dropped, so no stale picture returns after a clear.
    void clear();

    u32 frames_presented() const { return presented_.load(std::memory_order_relaxed); }

    static constexpr u32 kPitch = 640;

  private:
    static constexpr u32 kFresh = 4;  // in `ready_`: a frame the window has not taken yet

    std::array<std::vector<u16>, 3> images_;
    std::array<u32, 3> cleared_generation_{};  // per image, owned by whoever holds it
    u32 drawing_          = 0;                 // emulation thread
    u32 shown_            = 1;                 // user-interface thread
    bool shown_has_frame_ = false;             // user-interface thread
    std::atomic<u32> ready_{2};                // image index, plus kFresh
    std::atomic<u32> clear_generation_{0};
    std::atomic<u32> presented_{0};
};

}  // namespace varn
