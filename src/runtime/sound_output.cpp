#include "runtime/sound_output.h"

#include <algorithm>
#include <cstring>

#include "base/config.h"
#include "runtime/machine_table.h"
#include "runtime/thread_link.h"

namespace varn {

SoundFrame sound_frame;
SoundLogSlot sound_log_slot = nullptr;

namespace {

// Lead limits at 44100 Hz in bytes; each rate index halves them.
constexpr u32 kMinLead      = 0x5C0;
constexpr u32 kUnderrunLead = 0x628;
constexpr u32 kMaxLead      = 0x1140;
constexpr u32 kOverrunLead  = 0x10D8;

}  // namespace

void sound_reset_positions() {
    sound_frame.sound_write_pos      = 0;
    sound_frame.sound_host_write_pos = 0;
}

void sound_sync_write_cursor() {
    const u32 size = sound_frame.host_buffer_size;
    if (size == 0) return;
    const u32 r      = sound_rate_index();
    const u32 cursor = sound_frame.host_write_cursor % size;
    const u32 lead   = (sound_frame.sound_host_write_pos + size - cursor) % size;
    if (lead >= size / 2 || lead < (kMinLead >> r)) {
        sound_frame.sound_host_write_pos = (cursor + (kUnderrunLead >> r)) % size;
    } else if (lead >= (kMaxLead >> r)) {
        sound_frame.sound_host_write_pos = (cursor + (kOverrunLead >> r)) % size;
    }
}

void sound_copy_to_buffer() {
    if (!emu_fast_forward()) {
        const auto* bytes    = reinterpret_cast<const u8*>(sound_frame.samples);
        const u32 total      = std::min(sound_frame.sound_write_pos, kFrameSampleBytes);
        const SoundWindow& w = sound_frame.lock_window;
        const u32 first      = w.piece1 != nullptr ? std::min(w.length1, total) : 0;
        if (first != 0) std::memcpy(w.piece1, bytes, first);
        const u32 second = w.piece2 != nullptr ? std::min(w.length2, total - first) : 0;
        if (second != 0) std::memcpy(w.piece2, bytes + first, second);
        // The position moves by the whole frame even when samples were dropped.
        if (sound_frame.host_buffer_size != 0) {
            sound_frame.sound_host_write_pos =
                (sound_frame.sound_host_write_pos + sound_frame.sound_write_pos) %
                sound_frame.host_buffer_size;
        }
        if (sound_log_slot != nullptr) sound_log_slot(sound_frame.samples, total);
    }
    sound_frame.sound_write_pos = 0;
}

void sound_dispatch_by_mode() {
    const MachineRecord* machine = machine_current();
    if (machine != nullptr && machine->sound_rate_changed != nullptr) machine->sound_rate_changed();
}

void sound_frame_end() {
    Host& host              = emu_host();
    sound_frame.lock_window = {};
    if (!emu_fast_forward() && host.sound_streaming() && host.sound_buffer_bytes() != 0) {
        sound_frame.host_buffer_size  = host.sound_buffer_bytes();
        sound_frame.host_write_cursor = host.sound_write_cursor();
        sound_sync_write_cursor();
        if (!host.sound_lock(sound_frame.sound_host_write_pos, kSoundLockBytes,
                             sound_frame.lock_window)) {
            // Nothing can be copied: the frame's samples are lost to the device (the
            // sound log still gets them).
            sound_frame.lock_window = {};
        } else {
            sound_copy_to_buffer();
            host.sound_unlock(sound_frame.lock_window);
            sound_frame.lock_window = {};
            return;
        }
    }
    // No host copy: the log still receives the frame, and the area is emptied.
    if (!emu_fast_forward() && sound_log_slot != nullptr) {
        sound_log_slot(sound_frame.samples,
                       std::min(sound_frame.sound_write_pos, kFrameSampleBytes));
    }
    sound_frame.sound_write_pos = 0;
}

void sound_output_reset() {
    sound_frame  = SoundFrame{};
    machine_kind = 0;
}

}  // namespace varn
