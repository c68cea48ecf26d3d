#pragma once
// The WAV sound log: every frame's samples, exactly as the sound output made them (16-bit
// mono at the output rate), appended to a WAV file from the moment the log starts until it
// stops. The header describes the data as written: PCM, one channel, the rate the log was
// started at. Its two size fields are filled in when the log stops.
//
//   offset  bytes  contents (little-endian)
//        0      4  "RIFF"
//        4      4  file length - 8
//        8      8  "WAVE" "fmt "
//       16      4  16
//       20      2  1 (PCM)
//       22      2  channels
//       24      4  samples a second
//       28      4  bytes a second (rate x 2 x channels)
//       32      2  bytes a sample frame (2 x channels)
//       34      2  16 bits a sample
//       36      4  "data"
//       40      4  file length - 44
//       44    ...  samples
//
// The log is written under a temporary name and takes its own name when it stops, so an
// older log of that name survives a log that fails. Start and stop run on the user-interface
// thread while the emulation is paused; the samples arrive on the emulation thread.

#include <array>
#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/types.h"
#include "media/media_file.h"

namespace varn {

inline constexpr u32 kWavHeaderBytes            = 44;
inline constexpr std::string_view kWavExtension = ".WAV";

// 1 while a log is open and receiving samples.
extern std::atomic<u32> wav_logging;

// The 44-byte header for `data_bytes` bytes of 16-bit samples.
std::array<u8, kWavHeaderBytes> wav_fill_header(u32 channels, u32 rate, u32 data_bytes);

// Starts a log at the current output rate. Fails, with logging off, when the file cannot be
// created (a log already running is stopped first).
MediaResult wav_log_start(const std::filesystem::path& path);
// Fills in the sizes and gives the log its name. Reports a write that failed at any point;
// the older file of that name is then kept.
MediaResult wav_log_stop();

// The sound output's frame hand-over while logging (`bytes` of host-order samples). A
// change of the output rate ends the log there: what follows would not match its header.
void wav_write_samples(const s16* samples, u32 bytes);

// The outcome of a log that ended by itself (a rate change), for the next look at it;
// empty when it ended well or none did.
const std::string& wav_log_ended_error();

}  // namespace varn
