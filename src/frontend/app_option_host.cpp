#include "frontend/app_option_host.h"

#include "frontend/host/request_queue.h"
#include "frontend/host/sound_output.h"
#include "frontend/main_frame.h"
#include "genesis/runtime/thread_link.h"

namespace varn {

void AppOptionHost::pause_request(u32 reasons) { emu_pause_request(reasons); }
void AppOptionHost::resume_request(u32 reasons) { emu_resume_request(reasons); }

void AppOptionHost::clear_surfaces() {
    if (frame_ != nullptr) frame_->clear_surfaces();
}

void AppOptionHost::window_fit_to_mode() {
    if (frame_ != nullptr) frame_->fit_to_mode();
}

void AppOptionHost::status_bar_update() {
    if (frame_ != nullptr && gui_ready.load() == 1) frame_->update_status_bar();
}

void AppOptionHost::enter_fullscreen() {
    if (frame_ != nullptr) frame_->enter_fullscreen();
}

void AppOptionHost::enter_windowed() {
    if (frame_ != nullptr) frame_->enter_windowed();
}

void AppOptionHost::rebuild_sound_output() { sound_.rebuild(); }

}  // namespace varn
