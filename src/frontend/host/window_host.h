#pragma once
// The Host interface as the window program fills it (toolkit-free): requests go into the request
// queue that the main window drains, finished frames into the frame images (the window is asked to
// repaint), sound into the sound output; the clock is the monotonic one.

#include <atomic>
#include <functional>

#include "base/host.h"
#include "cddrive/cd_requests.h"
#include "frontend/host/frame_images.h"
#include "frontend/host/request_queue.h"
#include "frontend/host/sound_output.h"

namespace varn {

class WindowHost : public NullHost {
  public:
    WindowHost(RequestQueue& requests, FrameImages& images, SoundOutput& sound);

    // Called (from the emulation thread) when a new frame is ready and the window has not
    // been asked to repaint since it last painted.
    void set_repaint(std::function<void()> repaint) { repaint_ = std::move(repaint); }
    // The window painted: the next frame asks again.
    void painted() { repaint_pending_.store(false, std::memory_order_release); }
    // Reads the input devices once a frame (on the emulation thread); unset reads nothing.
    void set_input_poll(std::function<void(HostInputState&)> poll) { poll_ = std::move(poll); }

    void post_request(u32 code, u32 param = 0) override { requests_.post(code, param); }
    FrameSurface present_frame() override;
    void poll_input(HostInputState& state) override {
        if (poll_) poll_(state);
    }

    bool sound_streaming() override { return sound_.streaming(); }
    u32 sound_buffer_bytes() override { return sound_.size_bytes(); }
    u32 sound_write_cursor() override { return sound_.write_cursor(); }
    bool sound_lock(u32 offset, u32 bytes, SoundWindow& window) override {
        return sound_.lock(offset, bytes, window);
    }
    bool sound_unlock(const SoundWindow&) override {
        sound_.unlock();
        return true;
    }
    // A real drive's CD audio pauses and resumes with the sound, on the user-interface
    // thread where the drive's commands run.
    void sound_pause() override {
        sound_.pause();
        requests_.post(kRequestCdPauseAudio, 0);
    }
    void sound_resume() override {
        sound_.resume();
        requests_.post(kRequestCdResumeAudio, kCdResumeWithSound);
    }
    // A stop or a reboot ends the drive's audio: nothing resumes it with the sound.
    void sound_stop_clear() override {
        sound_.stop_clear();
        requests_.post(kRequestCdStopAudio, 0);
    }

  private:
    RequestQueue& requests_;
    FrameImages& images_;
    SoundOutput& sound_;
    std::function<void()> repaint_;
    std::function<void(HostInputState&)> poll_;
    std::atomic<bool> repaint_pending_{false};
};

}  // namespace varn
