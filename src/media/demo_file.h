#pragma once
// Demo files (".DEM"): the demo stream moved between the demo buffer and a file. A file is
// the stream as the buffer lays it out, except that a recording's opening wait record is
// left out when it counts no frames (the file then starts its records with the first
// frame's input).

#include <filesystem>
#include <string_view>

#include "base/host.h"
#include "base/types.h"
#include "media/media_file.h"

namespace varn {

inline constexpr std::string_view kDemoExtension = ".DEM";

// Writes the recorded stream (the first demo_record_length() bytes of the demo buffer).
// The buffer is left as it is, so a recording whose file could not be written can be saved
// again elsewhere.
MediaResult demo_file_save(const std::filesystem::path& path);

// Reads a demo file into the demo buffer, at most the buffer's size (a longer file loads its
// first part); `length` receives the bytes loaded. The buffer is untouched when the file
// cannot be read.
MediaResult demo_file_load(const std::filesystem::path& path, u32& length);

// Load Demo without the reboot: loads the file and starts playback of it, which checks the
// stream's device bytes. A file that is no demo is refused with playback ended. The caller
// then boots the machine (the demo plays from power-on).
MediaResult demo_file_play(const std::filesystem::path& path, Host& host);

}  // namespace varn
