#include "base/host.h"

#include <chrono>
#include <thread>

namespace varn {

u32 NullHost::now_ms() {
    using namespace std::chrono;
    return static_cast<u32>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void NullHost::sleep_ms(u32 ms) {
    if (ms == 0) {
        std::this_thread::yield();
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

void RecordingHost::post_request(u32 code) {
    std::lock_guard lock(mutex_);
    requests_.push_back(code);
}

void RecordingHost::sleep_ms(u32 ms) {
    const u32 step = ms != 0 ? ms : yield_step_ms_.load(std::memory_order_relaxed);
    clock_ms_.fetch_add(step, std::memory_order_relaxed);
    slept_ms_.fetch_add(ms, std::memory_order_relaxed);
    std::this_thread::yield();
}

std::vector<u32> RecordingHost::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void RecordingHost::clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
    slept_ms_.store(0, std::memory_order_relaxed);
}

}  // namespace varn
