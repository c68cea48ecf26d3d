#include "frontend/host/frame_images.h"

#include <algorithm>

#include "frontend/host/display_geometry.h"

namespace varn {

FrameImages::FrameImages() {
    for (auto& image : images_) image.assign(kPitch * kSurfaceHeight, 0);
}

FrameSurface FrameImages::drawing_surface() {
    return {images_[drawing_].data(), kPitch, kSurfaceWidth, kSurfaceHeight, 0, 0};
}

FrameSurface FrameImages::present() {
    const u32 previous = ready_.exchange(drawing_ | kFresh, std::memory_order_acq_rel);
    drawing_           = previous & 3;
    const u32 wanted   = clear_generation_.load(std::memory_order_acquire);
    if (cleared_generation_[drawing_] != wanted) {
        std::fill(images_[drawing_].begin(), images_[drawing_].end(), u16{0});
        cleared_generation_[drawing_] = wanted;
    }
    presented_.fetch_add(1, std::memory_order_relaxed);
    return drawing_surface();
}

const u16* FrameImages::latest() {
    if ((ready_.load(std::memory_order_acquire) & kFresh) != 0) {
        // Only this thread takes the fresh mark away, so the exchange returns it.
        const u32 taken  = ready_.exchange(shown_, std::memory_order_acq_rel);
        shown_           = taken & 3;
        shown_has_frame_ = true;
    }
    return images_[shown_].data();
}

void FrameImages::clear() {
    const u32 generation = clear_generation_.fetch_add(1, std::memory_order_acq_rel) + 1;
    std::fill(images_[shown_].begin(), images_[shown_].end(), u16{0});
    cleared_generation_[shown_] = generation;
    shown_has_frame_            = false;
    u32 ready                   = ready_.load(std::memory_order_acquire);
    while ((ready & kFresh) != 0 &&
           !ready_.compare_exchange_weak(ready, ready & 3, std::memory_order_acq_rel)) {
    }
}

}  // namespace varn
