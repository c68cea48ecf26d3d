#pragma once
// The emulation thread's requests to the user interface: each {code, parameter} is queued
// from any thread and drained, in order, on the user-interface thread. Posting never waits
// for the user interface; the first request into an empty queue wakes the window once.
// While the user interface is not ready (before start-up ends, from the start of shut-down)
// requests are dropped.

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

#include "base/types.h"

namespace varn {

// 1 while the user interface accepts requests.
extern std::atomic<u32> gui_ready;

struct ThreadRequest {
    u32 code  = 0;
    u32 param = 0;
};

class RequestQueue {
  public:
    // Called (from the posting thread) when a request lands in an empty queue.
    void set_wake(std::function<void()> wake) { wake_ = std::move(wake); }

    // Any thread. Dropped unless `gui_ready` is 1.
    void post(u32 code, u32 param);
    // User-interface thread: runs `handle` for every queued request, oldest first,
    // including those posted while draining.
    void drain(const std::function<void(const ThreadRequest&)>& handle);
    bool empty() const;

  private:
    mutable std::mutex mutex_;
    std::deque<ThreadRequest> queue_;
    std::function<void()> wake_;
};

}  // namespace varn
