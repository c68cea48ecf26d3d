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

void RecordingHost::post_request(u32 code, u32 param) {
    std::lock_guard lock(mutex_);
    requests_.push_back(code);
    params_.push_back(param);
}

FrameSurface RecordingHost::present_frame() {
    presents_.fetch_add(1, std::memory_order_relaxed);
    return {};
}

bool RecordingHost::sound_streaming() {
    return !ring_.empty() && !sound_paused_.load(std::memory_order_relaxed);
}

bool RecordingHost::sound_lock(u32 offset, u32 bytes, SoundWindow& window) {
    const u32 size = static_cast<u32>(ring_.size());
    if (lock_fails_ || size == 0 || offset >= size || bytes > size) return false;
    const u32 first = bytes < size - offset ? bytes : size - offset;
    window = {ring_.data() + offset, first, first < bytes ? ring_.data() : nullptr, bytes - first};
    return true;
}

bool RecordingHost::sound_unlock(const SoundWindow&) { return true; }

void RecordingHost::sleep_ms(u32 ms) {
    const u32 step = ms != 0 ? ms : yield_step_ms_.load(std::memory_order_relaxed);
    clock_ms_.fetch_add(step, std::memory_order_relaxed);
    slept_ms_.fetch_add(ms, std::memory_order_relaxed);
    std::this_thread::yield();
}

void RecordingHost::poll_input(HostInputState& state) {
    std::lock_guard lock(mutex_);
    state = input_;
    polls_.fetch_add(1, std::memory_order_relaxed);
}

void RecordingHost::set_input(const HostInputState& state) {
    std::lock_guard lock(mutex_);
    input_ = state;
}

std::vector<u32> RecordingHost::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<u32> RecordingHost::request_params() const {
    std::lock_guard lock(mutex_);
    return params_;
}

void RecordingHost::clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
    params_.clear();
    presents_.store(0, std::memory_order_relaxed);
    polls_.store(0, std::memory_order_relaxed);
    slept_ms_.store(0, std::memory_order_relaxed);
}

}  // namespace varn
