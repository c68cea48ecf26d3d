#include "media/wav_log.h"

#include <cstring>

#include "base/byte_io.h"
#include "base/file_write.h"
#include "runtime/sound_options.h"
#include "runtime/sound_output.h"

namespace varn {

std::atomic<u32> wav_logging{0};

namespace {

constexpr u32 kChannels = 1;  // the sound output is mono
// The RIFF size field counts everything after itself: the data must leave room for it.
constexpr u32 kMaxDataBytes = 0xFFFFFFFFu - (kWavHeaderBytes - 8);

struct WavLog {
    ReplacingFile file;
    u32 rate       = 0;
    u32 data_bytes = 0;
    std::string ended_error;
};
WavLog wav_log;

void put_tag(ByteWriter& out, const char (&tag)[5]) {
    out.write_bytes(std::span<const u8>(reinterpret_cast<const u8*>(tag), 4));
}

u32 current_rate() { return kSoundRates[sound_rate_index()]; }

MediaResult finish_log() {
    sound_log_slot    = nullptr;
    wav_logging       = 0;
    const auto header = wav_fill_header(kChannels, wav_log.rate, wav_log.data_bytes);
    wav_log.file.write_at(0, header);
    if (auto committed = wav_log.file.commit(); !committed) {
        return MediaResult::failed(committed.error);
    }
    return MediaResult::ok();
}

}  // namespace

std::array<u8, kWavHeaderBytes> wav_fill_header(u32 channels, u32 rate, u32 data_bytes) {
    std::array<u8, kWavHeaderBytes> h{};
    ByteWriter out(h);
    put_tag(out, "RIFF");
    out.write_le32(kWavHeaderBytes - 8 + data_bytes);
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    out.write_le32(16);  // format chunk size
    out.write_le16(1);   // PCM
    out.write_le16(static_cast<u16>(channels));
    out.write_le32(rate);
    out.write_le32(rate * 2 * channels);
    out.write_le16(static_cast<u16>(2 * channels));
    out.write_le16(16);  // bits a sample
    put_tag(out, "data");
    out.write_le32(data_bytes);
    return h;
}

MediaResult wav_log_start(const std::filesystem::path& path) {
    if (wav_logging != 0) (void)wav_log_stop();
    wav_log.ended_error.clear();
    if (auto opened = wav_log.file.open(path); !opened) return MediaResult::failed(opened.error);
    wav_log.rate       = current_rate();
    wav_log.data_bytes = 0;
    if (!wav_log.file.append(wav_fill_header(kChannels, wav_log.rate, 0))) {
        auto result = wav_log.file.commit();  // reports the write's error, removes the file
        return MediaResult::failed(result.error);
    }
    sound_log_slot = wav_write_samples;
    wav_logging    = 1;
    return MediaResult::ok();
}

MediaResult wav_log_stop() {
    if (!wav_log.file.is_open()) {
        sound_log_slot = nullptr;
        wav_logging    = 0;
        return MediaResult::ok();
    }
    return finish_log();
}

void wav_write_samples(const s16* samples, u32 bytes) {
    if (wav_logging == 0) return;
    if (current_rate() != wav_log.rate) {
        const auto result   = finish_log();
        wav_log.ended_error = result.message;
        return;
    }
    // Samples in the file's byte order, a frame at a time.
    u8 buffer[kFrameSampleBytes];
    u32 count = bytes / 2;
    if (count > kFrameSampleCapacity) count = kFrameSampleCapacity;
    if (count * 2 > kMaxDataBytes - wav_log.data_bytes) {
        count = (kMaxDataBytes - wav_log.data_bytes) / 2;  // the format holds no more
    }
    for (u32 i = 0; i < count; ++i) store_le16(buffer + 2 * i, static_cast<u16>(samples[i]));
    if (wav_log.file.append(std::span<const u8>(buffer, count * 2)))
        wav_log.data_bytes += count * 2;
}

const std::string& wav_log_ended_error() { return wav_log.ended_error; }

}  // namespace varn
