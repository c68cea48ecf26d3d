#pragma once
// The one interface through which the emulation core meets the platform. The core never
// includes a window-system, sound or input header; the front end implements this with its
// libraries, and tests and the headless runner use NullHost or RecordingHost.
//
// Calls come from the emulation thread unless stated otherwise. Implementations must make
// post_request safe to call from that thread: requests are queued and drained on the
// user-interface thread.

#include <atomic>
#include <mutex>
#include <vector>

#include "base/types.h"

namespace varn {

class Host {
  public:
    virtual ~Host() = default;

    // Asks the user interface for work (reboot, stop, display size changed, status bar,
    // CD drive work); the codes belong to the runtime. Never blocks on the UI thread.
    virtual void post_request(u32 code) = 0;

    // Millisecond clock for frame pacing; wraps at 2^32 like the system timer it stands for.
    virtual u32 now_ms() = 0;
    // Gives up the processor for about `ms` milliseconds (0 = yield).
    virtual void sleep_ms(u32 ms) = 0;
};

// Drops every request; real clock and real sleep.
class NullHost : public Host {
  public:
    void post_request(u32) override {}
    u32 now_ms() override;
    void sleep_ms(u32 ms) override;
};

// Records what the core asked for, with a clock the test drives: sleep_ms advances the
// clock instead of waiting (a zero sleep advances it by `yield_step_ms`, so a loop that
// polls while yielding still sees time pass).
class RecordingHost : public Host {
  public:
    void post_request(u32 code) override;
    u32 now_ms() override { return clock_ms_.load(std::memory_order_relaxed); }
    void sleep_ms(u32 ms) override;

    void set_clock(u32 ms) { clock_ms_.store(ms, std::memory_order_relaxed); }
    void advance_clock(u32 ms) { clock_ms_.fetch_add(ms, std::memory_order_relaxed); }
    void set_yield_step(u32 ms) { yield_step_ms_.store(ms, std::memory_order_relaxed); }

    // Copies of what was recorded; safe from any thread.
    std::vector<u32> requests() const;
    u32 total_sleep_ms() const { return slept_ms_.load(std::memory_order_relaxed); }
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<u32> requests_;
    std::atomic<u32> clock_ms_{0};
    std::atomic<u32> yield_step_ms_{0};
    std::atomic<u32> slept_ms_{0};
};

}  // namespace varn
