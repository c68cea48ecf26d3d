#include "frontend/host/window_host.h"

#include "genesis/vdp/render_output.h"

namespace varn {

WindowHost::WindowHost(RequestQueue& requests, FrameImages& images, SoundOutput& sound)
    : requests_(requests), images_(images), sound_(sound) {}

FrameSurface WindowHost::present_frame() {
    // The light-gun cross-hair and other overlay text go onto the finished picture.
    overlay_text_draw();
    const FrameSurface next = images_.present();
    if (!repaint_pending_.exchange(true, std::memory_order_acq_rel) && repaint_) repaint_();
    return next;
}

}  // namespace varn
