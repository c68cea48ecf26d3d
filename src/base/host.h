#pragma once
// The one interface through which the emulation core meets the platform. The core never
// includes a window-system, sound or input header; the front end implements this with its
// libraries, and tests and the headless runner use NullHost or RecordingHost.
//
// Calls come from the emulation thread unless stated otherwise. Implementations must make
// post_request safe to call from that thread: requests are queued and drained on the
// user-interface thread.

#include <array>
#include <atomic>
#include <mutex>
#include <vector>

#include "base/types.h"

namespace varn {

// Host input devices as read once a frame, in the layouts the settings file refers to.
// The joystick record is the device's: axes x and y (then axes, sliders and hat switches
// that are not carried here and read as 0), and from byte 0x30 on 32 button bytes; the
// settings file names a button by that byte offset (0x30 + button number).
inline constexpr u32 kJoystickButtonOffset = 0x30;
inline constexpr u32 kJoystickRecordBytes  = kJoystickButtonOffset + 32;

struct HostJoystick {
    u32 x = 0x8000;  // axes; the centre is what a host without a joystick reports
    u32 y = 0x8000;
    std::array<u8, 32> buttons{};  // bit 7 = down

    // The byte at `offset` in the device's record; 0 ("not pressed") outside it.
    u8 record_byte(u32 offset) const {
        if (offset < 4) return static_cast<u8>(x >> (8 * offset));
        if (offset < 8) return static_cast<u8>(y >> (8 * (offset - 4)));
        if (offset >= kJoystickButtonOffset && offset < kJoystickRecordBytes)
            return buttons[offset - kJoystickButtonOffset];
        return 0;
    }
};

struct HostMouse {
    s32 dx = 0;  // movement since the last poll
    s32 dy = 0;
    std::array<u8, 4> buttons{};  // bit 7 = down
};

struct HostInputState {
    std::array<u8, 256> keyboard{};  // by DirectInput key code, bit 7 = down
    HostJoystick joystick;
    HostMouse mouse;
};

// One of the host's two alternating frame images, locked for drawing: 16-bit pixels,
// `pitch` pixels a row, `width` x `height` in all, the emulated picture's top left corner
// at (x, y). A null `pixels` means nothing is locked and line output draws nowhere.
struct FrameSurface {
    u16* pixels = nullptr;
    u32 pitch   = 0;
    u32 width   = 0;
    u32 height  = 0;
    u32 x       = 0;
    u32 y       = 0;
};

// A window of the host's circular sound buffer, locked for writing: one piece, or two when
// the window wraps at the buffer's end.
struct SoundWindow {
    u8* piece1  = nullptr;
    u32 length1 = 0;
    u8* piece2  = nullptr;
    u32 length2 = 0;
};

class Host {
  public:
    virtual ~Host() = default;

    // Asks the user interface for work (reboot, stop, display size changed, status bar,
    // CD drive work) with a word parameter; the codes belong to the runtime. Never blocks
    // on the UI thread; requests made while the user interface is not ready are dropped.
    virtual void post_request(u32 code, u32 param = 0) = 0;

    // Millisecond clock for frame pacing; wraps at 2^32 like the system timer it stands for.
    virtual u32 now_ms() = 0;
    // Gives up the processor for about `ms` milliseconds (0 = yield).
    virtual void sleep_ms(u32 ms) = 0;

    // Frame presentation, at the end of a drawn frame: shows the finished image and
    // returns the other one, locked for the next frame's lines.
    virtual FrameSurface present_frame() { return {}; }

    // Once a frame: reads the keyboard, joystick and mouse into `state` (the controller
    // code then rebuilds the emulated pads from it). The mouse movement is cleared before
    // the call. A host without input devices leaves the rest as it is.
    virtual void poll_input(HostInputState& /*state*/) {}

    // Sound stream: a circular buffer of 16-bit mono samples that the device plays, with
    // device-style cursors. `sound_streaming` is false in silent mode, while the output is
    // stopped and without a buffer; the other calls are made only while it is true.
    virtual bool sound_streaming() { return false; }
    virtual u32 sound_buffer_bytes() { return 0; }
    // The device's write cursor: the first byte it is not about to play (bytes).
    virtual u32 sound_write_cursor() { return 0; }
    // Locks `bytes` bytes at `offset` (wrapping at the end); false when the lock fails.
    virtual bool sound_lock(u32 /*offset*/, u32 /*bytes*/, SoundWindow& /*window*/) {
        return false;
    }
    // Hands the window back; false when the device refuses it.
    virtual bool sound_unlock(const SoundWindow& /*window*/) { return true; }
    // Stops and restarts the device (fast-forward, pauses). May be called from the user-
    // interface thread.
    virtual void sound_pause() {}
    virtual void sound_resume() {}
    // Stops and silences the device for a stop or a reboot, a real drive's CD audio with
    // it (a pause only holds that audio); `sound_resume` starts the device again.
    virtual void sound_stop_clear() {}
};

// Drops every request; real clock and real sleep.
class NullHost : public Host {
  public:
    void post_request(u32, u32 = 0) override {}
    u32 now_ms() override;
    void sleep_ms(u32 ms) override;
};

// Records what the core asked for, with a clock the test drives: sleep_ms advances the
// clock instead of waiting (a zero sleep advances it by `yield_step_ms`, 1 ms unless the
// test sets it, so a loop that polls the clock while yielding still sees time pass). Its sound
// buffer, once opened, is a plain ring whose write cursor the test sets; the device never plays.
class RecordingHost : public Host {
  public:
    void post_request(u32 code, u32 param = 0) override;
    u32 now_ms() override { return clock_ms_.load(std::memory_order_relaxed); }
    void sleep_ms(u32 ms) override;

    void set_clock(u32 ms) { clock_ms_.store(ms, std::memory_order_relaxed); }
    void advance_clock(u32 ms) { clock_ms_.fetch_add(ms, std::memory_order_relaxed); }
    void set_yield_step(u32 ms) { yield_step_ms_.store(ms, std::memory_order_relaxed); }

    FrameSurface present_frame() override;
    // Input: every poll hands out the state the test set last.
    void poll_input(HostInputState& state) override;
    void set_input(const HostInputState& state);

    bool sound_streaming() override;
    u32 sound_buffer_bytes() override { return static_cast<u32>(ring_.size()); }
    u32 sound_write_cursor() override { return write_cursor_; }
    bool sound_lock(u32 offset, u32 bytes, SoundWindow& window) override;
    bool sound_unlock(const SoundWindow& window) override;
    void sound_pause() override { sound_paused_.store(true, std::memory_order_relaxed); }
    void sound_resume() override { sound_paused_.store(false, std::memory_order_relaxed); }
    void sound_stop_clear() override {
        sound_paused_.store(true, std::memory_order_relaxed);
        sound_stops_.fetch_add(1, std::memory_order_relaxed);
    }

    // Test controls of the sound ring (emulation-thread side only).
    void open_sound(u32 bytes) { ring_.assign(bytes, 0); }
    void set_sound_write_cursor(u32 cursor) { write_cursor_ = cursor; }
    void set_sound_lock_fails(bool fails) { lock_fails_ = fails; }
    const std::vector<u8>& sound_ring() const { return ring_; }
    bool sound_paused() const { return sound_paused_.load(std::memory_order_relaxed); }
    u32 sound_stops() const { return sound_stops_.load(std::memory_order_relaxed); }

    // Copies of what was recorded; safe from any thread.
    std::vector<u32> requests() const;
    std::vector<u32> request_params() const;
    u32 total_sleep_ms() const { return slept_ms_.load(std::memory_order_relaxed); }
    u32 frames_presented() const { return presents_.load(std::memory_order_relaxed); }
    u32 input_polls() const { return polls_.load(std::memory_order_relaxed); }
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<u32> requests_;
    std::vector<u32> params_;
    std::atomic<u32> presents_{0};
    std::atomic<u32> polls_{0};
    HostInputState input_{};
    std::atomic<bool> sound_paused_{false};
    std::atomic<u32> sound_stops_{0};
    std::vector<u8> ring_;
    u32 write_cursor_ = 0;
    bool lock_fails_  = false;
    std::atomic<u32> clock_ms_{0};
    std::atomic<u32> yield_step_ms_{1};
    std::atomic<u32> slept_ms_{0};
};

}  // namespace varn
