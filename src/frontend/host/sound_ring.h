#pragma once
// The circular sound buffer the device plays from, with the cursors of a looping hardware
// buffer: the device takes bytes at its read position, the emulation thread writes each
// frame's samples ahead of it and keeps its own write position between a minimum and a
// maximum lead over the write cursor.
//
//   play cursor   where the device is playing now
//   write cursor  the first byte it is safe to write: the device has not taken it yet
//
// The device takes whole pieces at a time (about 12 ms each), which would make the cursors
// jump by a piece; a hardware buffer's cursors move with the sound instead, and the lead
// limits of the frame hand-over count on that. So the cursors move on smoothly from the
// last take at the playing rate, at most by the piece taken: the piece is playing while
// the next one waits.
//
// What the device has taken is zeroed behind it, so a writer that falls behind leaves
// silence rather than sound from two seconds ago. While stopped the device takes nothing
// and plays silence; the cursors stay where they are.
//
// Three threads meet here: the device's own (take), the emulation thread (cursors, lock,
// unlock) and the user-interface thread (open, stop, start, zero). One mutex guards the
// buffer; the emulation thread holds it from a lock to its unlock, a few microseconds.

#include <chrono>
#include <mutex>
#include <vector>

#include "base/host.h"
#include "base/types.h"

namespace varn {

class SoundRing {
  public:
    using Clock = std::chrono::steady_clock;

    // A zeroed buffer of `bytes` bytes (an even count) played at `bytes_per_second`, both
    // cursors at 0, stopped.
    void open(u32 bytes, u32 bytes_per_second);
    void close();
    u32 size() const;

    void start();  // the device takes bytes again from where it stopped
    void stop();
    bool playing() const;
    // Zeroes the whole buffer.
    void zero();

    u32 play_cursor(Clock::time_point now = Clock::now()) const;
    u32 write_cursor(Clock::time_point now = Clock::now()) const;

    // Writer: locks `bytes` bytes at `offset`, in two pieces when they wrap. False (nothing
    // locked) when there is no buffer or the window is larger than the buffer.
    bool lock(u32 offset, u32 bytes, SoundWindow& window);
    void unlock();

    // Device: fills `out` with the next `bytes` bytes (silence while stopped or without a
    // buffer) and returns how many came from the buffer.
    u32 take(u8* out, u32 bytes, Clock::time_point now = Clock::now());

    // Test access: a copy of the buffer.
    std::vector<u8> contents() const;

  private:
    // Bytes the device has played of its last piece by `now`.
    u32 played_of_last_take(Clock::time_point now) const;

    mutable std::mutex mutex_;
    std::vector<u8> buffer_;
    u32 read_pos_         = 0;
    u32 last_take_        = 0;
    u32 bytes_per_second_ = 0;
    Clock::time_point last_take_time_{};
    bool playing_ = false;
    bool locked_  = false;
};

}  // namespace varn
