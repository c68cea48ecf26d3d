#include "frontend/host/sound_ring.h"

#include <algorithm>
#include <cstring>

namespace varn {

void SoundRing::open(u32 bytes, u32 bytes_per_second) {
    std::lock_guard lock(mutex_);
    buffer_.assign(bytes & ~1u, 0);
    bytes_per_second_ = bytes_per_second;
    read_pos_         = 0;
    last_take_        = 0;
    playing_          = false;
}

void SoundRing::close() {
    std::lock_guard lock(mutex_);
    buffer_.clear();
    buffer_.shrink_to_fit();
    read_pos_  = 0;
    last_take_ = 0;
    playing_   = false;
}

u32 SoundRing::size() const {
    std::lock_guard lock(mutex_);
    return static_cast<u32>(buffer_.size());
}

void SoundRing::start() {
    std::lock_guard lock(mutex_);
    playing_ = !buffer_.empty();
}

void SoundRing::stop() {
    std::lock_guard lock(mutex_);
    playing_ = false;
}

bool SoundRing::playing() const {
    std::lock_guard lock(mutex_);
    return playing_;
}

void SoundRing::zero() {
    std::lock_guard lock(mutex_);
    std::fill(buffer_.begin(), buffer_.end(), u8{0});
}

u32 SoundRing::played_of_last_take(Clock::time_point now) const {
    if (!playing_ || now <= last_take_time_) return 0;
    const auto us =
        std::chrono::duration_cast<std::chrono::microseconds>(now - last_take_time_).count();
    const u64 bytes = static_cast<u64>(us) * bytes_per_second_ / 1000000;
    return static_cast<u32>(std::min<u64>(bytes, last_take_)) & ~1u;
}

u32 SoundRing::play_cursor(Clock::time_point now) const {
    std::lock_guard lock(mutex_);
    const u32 size = static_cast<u32>(buffer_.size());
    if (size == 0) return 0;
    return (read_pos_ + size - last_take_ + played_of_last_take(now)) % size;
}

u32 SoundRing::write_cursor(Clock::time_point now) const {
    std::lock_guard lock(mutex_);
    const u32 size = static_cast<u32>(buffer_.size());
    if (size == 0) return 0;
    return (read_pos_ + played_of_last_take(now)) % size;
}

bool SoundRing::lock(u32 offset, u32 bytes, SoundWindow& window) {
    mutex_.lock();
    const u32 size = static_cast<u32>(buffer_.size());
    if (size == 0 || bytes > size) {
        mutex_.unlock();
        window = {};
        return false;
    }
    offset %= size;
    const u32 first = std::min(bytes, size - offset);
    window          = {buffer_.data() + offset, first, first < bytes ? buffer_.data() : nullptr,
                       bytes - first};
    locked_         = true;
    return true;
}

void SoundRing::unlock() {
    if (!locked_) return;
    locked_ = false;
    mutex_.unlock();
}

u32 SoundRing::take(u8* out, u32 bytes, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    const u32 size = static_cast<u32>(buffer_.size());
    if (!playing_ || size == 0) {
        std::memset(out, 0, bytes);
        return 0;
    }
    // A request larger than the buffer plays the buffer once and silence after it.
    const u32 from_buffer = std::min(bytes, size);
    u32 done              = 0;
    while (done < from_buffer) {
        const u32 piece = std::min(from_buffer - done, size - read_pos_);
        std::memcpy(out + done, buffer_.data() + read_pos_, piece);
        std::memset(buffer_.data() + read_pos_, 0, piece);
        read_pos_ = (read_pos_ + piece) % size;
        done += piece;
    }
    if (from_buffer < bytes) std::memset(out + from_buffer, 0, bytes - from_buffer);
    last_take_      = from_buffer;
    last_take_time_ = now;
    return from_buffer;
}

std::vector<u8> SoundRing::contents() const {
    std::lock_guard lock(mutex_);
    return buffer_;
}

}  // namespace varn
