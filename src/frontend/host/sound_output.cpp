#include "frontend/host/sound_output.h"

#include <SDL.h>

#include "base/config.h"
#include "runtime/sound_options.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"

namespace varn {

namespace {

// Samples the device takes at a time, about 12 ms at every rate: well inside the smallest
// lead the frame hand-over keeps over the write cursor (16.7 ms).
constexpr u16 kDeviceChunkSamples[3] = {512, 256, 128};

}  // namespace

SoundOutput::SoundOutput(MessageFn message) : message_(std::move(message)) {}

SoundOutput::~SoundOutput() { shutdown(); }

void SoundOutput::device_callback(void* self, u8* out, int bytes) {
    static_cast<SoundOutput*>(self)->ring_.take(out, static_cast<u32>(bytes));
}

void SoundOutput::init() {
    paused_.store(true);
    stopped_.store(true);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        message_("DirectSound not initialized.  Executing in silent mode.");
        enabled_.store(false);
    } else {
        subsystem_ = true;
    }
    rate_.store(kSoundRates[sound_rate_index()]);
    stream_release();
    // A device that cannot be opened at start-up is a missing device: silent mode.
    if (enabled() && !open_stream()) {
        message_("DirectSound not initialized.  Executing in silent mode.");
        enabled_.store(false);
    }
}

void SoundOutput::init_silent() {
    paused_.store(true);
    stopped_.store(true);
    enabled_.store(false);
    stream_release();
}

void SoundOutput::shutdown() {
    paused_.store(true);
    stopped_.store(true);
    stream_release();
    if (subsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem_ = false;
    }
}

void SoundOutput::stream_release() {
    paused_.store(true);
    stopped_.store(true);
    has_stream_.store(false);
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);  // waits for a running callback to return
        device_ = 0;
    }
    ring_.close();
}

void SoundOutput::stream_create() {
    if (enabled() && !open_stream()) message_("Could not CreateSoundBuffer for SCD_PCM.");
}

bool SoundOutput::open_stream() {
    const u32 index = sound_rate_index();
    const u32 rate  = kSoundRates[index];
    rate_.store(rate);
    sound_reset_positions();
    size_.store(2 * 2 * rate);  // two seconds of 16-bit mono
    ring_.open(2 * 2 * rate, 2 * rate);

    SDL_AudioSpec want{};
    want.freq     = static_cast<int>(rate);
    want.format   = AUDIO_S16SYS;
    want.channels = 1;
    want.samples  = kDeviceChunkSamples[index];
    want.callback = [](void* self, Uint8* out, int bytes) { device_callback(self, out, bytes); };
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        ring_.close();
    } else {
        has_stream_.store(true);
        if ((emu_state_flags.load() & kStatePaused) == 0) ring_.start();
        SDL_PauseAudioDevice(device_, 0);
    }
    paused_.store(false);
    stopped_.store(false);
    return device_ != 0;
}

bool SoundOutput::streaming() const {
    return enabled() && has_stream_.load(std::memory_order_acquire) &&
           !paused_.load(std::memory_order_relaxed) && !stopped_.load(std::memory_order_relaxed);
}

void SoundOutput::pause() {
    paused_.store(true);
    if (!enabled()) return;
    ring_.stop();
    ring_.zero();
}

void SoundOutput::resume() {
    paused_.store(false);
    stopped_.store(false);
    if (enabled() && has_stream_.load()) ring_.start();
}

void SoundOutput::stop_clear() {
    stopped_.store(true);
    if (!enabled()) return;
    ring_.stop();
    ring_.zero();
}

void SoundOutput::rebuild() {
    stream_release();
    stream_create();
    sound_dispatch_by_mode();
}

}  // namespace varn
