#include "frontend/host/request_queue.h"

namespace varn {

std::atomic<u32> gui_ready{0};

void RequestQueue::post(u32 code, u32 param) {
    if (gui_ready.load() != 1) return;
    bool was_empty = false;
    {
        std::lock_guard lock(mutex_);
        was_empty = queue_.empty();
        queue_.push_back({code, param});
    }
    if (was_empty && wake_) wake_();
}

void RequestQueue::drain(const std::function<void(const ThreadRequest&)>& handle) {
    for (;;) {
        ThreadRequest request;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return;
            request = queue_.front();
            queue_.pop_front();
        }
        handle(request);
    }
}

bool RequestQueue::empty() const {
    std::lock_guard lock(mutex_);
    return queue_.empty();
}

}  // namespace varn
