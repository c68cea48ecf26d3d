#include "wav_writer.h"

#include <cerrno>
#include <cstring>

#include "base/endian.h"

namespace varn {

namespace {

constexpr u32 kHeaderBytes = 44;
// The RIFF size field counts everything after itself: the rest of the header and the data.
constexpr u32 kMaxDataBytes = 0xFFFFFFFFu - (kHeaderBytes - 8);

}  // namespace

WavWriter::~WavWriter() {
    if (file_ != nullptr) std::fclose(file_);
}

bool WavWriter::write_header(u32 data_bytes) {
    u8 h[kHeaderBytes];
    u8* p       = h;
    auto put4cc = [&](const char* tag) {
        std::memcpy(p, tag, 4);
        p += 4;
    };
    auto put32 = [&](u32 v) {
        store_le32(p, v);
        p += 4;
    };
    auto put16 = [&](u16 v) {
        store_le16(p, v);
        p += 2;
    };
    put4cc("RIFF");
    put32(kHeaderBytes - 8 + data_bytes);
    put4cc("WAVE");
    put4cc("fmt ");
    put32(16);         // format chunk size
    put16(1);          // PCM
    put16(1);          // mono
    put32(rate_);      // samples a second
    put32(rate_ * 2);  // bytes a second
    put16(2);          // bytes a sample frame
    put16(16);         // bits a sample
    put4cc("data");
    put32(data_bytes);
    return std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, file_) == sizeof h;
}

std::string WavWriter::open(const std::string& path, u32 rate) {
    path_ = path;
    rate_ = rate;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) return "cannot create " + path + ": " + std::strerror(errno);
    if (!write_header(0)) return "cannot write " + path + ": " + std::strerror(errno);
    return {};
}

bool WavWriter::write(const s16* samples, u32 count) {
    if (file_ == nullptr || failed_) return false;
    u8 buffer[512];
    while (count != 0) {
        u32 n = count < sizeof buffer / 2 ? count : sizeof buffer / 2;
        if (n * 2 > kMaxDataBytes - data_bytes_) n = (kMaxDataBytes - data_bytes_) / 2;
        if (n == 0) break;  // the format holds no more: the rest is left out
        for (u32 i = 0; i < n; ++i) store_le16(buffer + 2 * i, static_cast<u16>(samples[i]));
        if (std::fwrite(buffer, 2, n, file_) != n) {
            failed_ = true;
            return false;
        }
        data_bytes_ += n * 2;
        samples += n;
        count -= n;
    }
    return true;
}

std::string WavWriter::close() {
    if (file_ == nullptr) return {};
    std::string error;
    if (failed_ || !write_header(data_bytes_)) {
        error = "cannot write " + path_ + ": " + std::strerror(errno);
    }
    if (std::fclose(file_) != 0 && error.empty()) {
        error = "cannot write " + path_ + ": " + std::strerror(errno);
    }
    file_ = nullptr;
    return error;
}

}  // namespace varn
