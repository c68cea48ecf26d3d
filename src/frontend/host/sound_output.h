#pragma once
// The host sound device: one looping mono 16-bit stream at the chosen output rate (44100,
// 22050 or 11025 Hz), two seconds long, into which the emulation thread writes each
// frame's samples (see SoundRing for its cursors). Played through SDL's audio device.
//
// Without a usable device the program runs on in silent mode, which lasts for the rest of
// the run: the stream then never takes samples, and the frame ends only consume them.
//
// The device is opened, paused, resumed, stopped and reopened on the user-interface thread;
// the emulation thread only asks whether the stream takes samples and writes them.

#include <atomic>
#include <functional>
#include <string>

#include "base/host.h"
#include "base/types.h"
#include "frontend/host/sound_ring.h"

namespace varn {

class SoundOutput {
  public:
    using MessageFn = std::function<void(const std::string&)>;
    explicit SoundOutput(MessageFn message);
    ~SoundOutput();
    SoundOutput(const SoundOutput&)            = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Start-up: opens the device at the configured rate, or enters silent mode with its
    // message. Always succeeds.
    void init();
    // Start-up of a program that makes no sound: silent mode without a device or a message.
    void init_silent();
    // Releases the stream and the device.
    void shutdown();

    // Stops and silences the stream (a pause, fast-forward); `resume` starts it again.
    void pause();
    void resume();
    // Stops and silences the stream (a stop, a reboot).
    void stop_clear();

    // Recreates the stream at the rate of `cfg_sound_rate` (0, 1, 2). The emulation thread
    // must be paused or stopped.
    void stream_release();
    void stream_create();
    // After a change of the output rate: the stream at the new rate, and the sound chips'
    // rate-dependent steps recomputed.
    void rebuild();

    bool enabled() const { return enabled_.load(std::memory_order_relaxed); }
    u32 rate() const { return rate_.load(std::memory_order_relaxed); }
    u32 size_bytes() const { return size_.load(std::memory_order_relaxed); }
    bool paused() const { return paused_.load(std::memory_order_relaxed); }
    bool stopped() const { return stopped_.load(std::memory_order_relaxed); }

    // The emulation thread's side, as the Host interface asks for it.
    bool streaming() const;
    u32 write_cursor() const { return ring_.write_cursor(); }
    bool lock(u32 offset, u32 bytes, SoundWindow& window) {
        return ring_.lock(offset, bytes, window);
    }
    void unlock() { ring_.unlock(); }

    SoundRing& ring() { return ring_; }

  private:
    static void device_callback(void* self, u8* out, int bytes);
    // Opens the device and the buffer at the configured rate; false when it cannot.
    bool open_stream();

    MessageFn message_;
    SoundRing ring_;
    u32 device_     = 0;  // SDL audio device id, 0 none
    bool subsystem_ = false;
    std::atomic<bool> enabled_{true};
    std::atomic<bool> paused_{true};
    std::atomic<bool> stopped_{true};
    std::atomic<bool> has_stream_{false};
    std::atomic<u32> rate_{44100};
    std::atomic<u32> size_{0};
};

}  // namespace varn
