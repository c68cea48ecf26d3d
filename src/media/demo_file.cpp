#include "media/demo_file.h"

#include <algorithm>
#include <vector>

#include "base/endian.h"
#include "base/file_write.h"
#include "genesis/io/demo_stream.h"

namespace varn {

namespace {

constexpr u8 kWaitRecord          = 0x00;
constexpr u32 kWaitBytes          = 3;  // 0x00 and a 16-bit count
constexpr const char* kNoDemoText = "not a demo file";

}  // namespace

MediaResult demo_file_save(const std::filesystem::path& path) {
    const u32 length = std::min(demo_record_length(), kDemoBufferBytes);
    if (length < kDemoHeaderBytes) return MediaResult::failed("no demo has been recorded");
    std::vector<u8> file(demo_buffer.begin(), demo_buffer.begin() + kDemoHeaderBytes);
    u32 from = kDemoHeaderBytes;
    if (length >= kDemoHeaderBytes + kWaitBytes && demo_buffer[from] == kWaitRecord &&
        load_le16(&demo_buffer[from + 1]) == 0) {
        from += kWaitBytes;
    }
    file.insert(file.end(), demo_buffer.begin() + from, demo_buffer.begin() + length);
    if (auto written = write_file_replacing(path, file); !written) {
        return MediaResult::failed(written.error);
    }
    return MediaResult::ok();
}

MediaResult demo_file_load(const std::filesystem::path& path, u32& length) {
    std::vector<u8> data;
    const auto read = read_file_capped(path, kDemoBufferBytes, data);
    if (read.status == FileReadStatus::kCannotOpen) return MediaResult::not_opened(read.error);
    if (read.status == FileReadStatus::kReadError) return MediaResult::failed(read.error);
    std::copy(data.begin(), data.end(), demo_buffer.begin());
    length = static_cast<u32>(data.size());
    return MediaResult::ok();
}

MediaResult demo_file_play(const std::filesystem::path& path, Host& host) {
    u32 length = 0;
    if (auto loaded = demo_file_load(path, length); !loaded) return loaded;
    demo_mode = 1;
    if (!demo_playback_start(length, host)) {
        return MediaResult::failed(path.string() + ": " + kNoDemoText);
    }
    return MediaResult::ok();
}

}  // namespace varn
