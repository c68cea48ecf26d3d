#pragma once
// The settings file: lines of key, '=', value under section headers. The reader finds each
// key by searching "key=" anywhere in the file's first 16 KB (the headers are decoration,
// the first occurrence wins, a key may stand after other text on its line); the writer
// rewrites the whole file from the configuration, one LF after each line, with an empty
// line between sections. Numbers are fixed-width: hex 1 and hex 2 as upper-case digits,
// dec 4 as four decimal digits; texts run to the line end.

#include <array>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "base/file_write.h"
#include "frontend/config/config_keys.h"

namespace varn {

class OptionModel;

inline constexpr std::size_t kIniReadLimit = 16384;
inline constexpr const char* kIniFileName  = "VARN.INI";

// The 24 name bytes of a CD drive record as the file carries them under `CDD`.
using CdDriveName = std::array<char, 24>;
// "<none>" and 18 NUL bytes: no drive chosen.
CdDriveName cd_drive_none();

// The file the reader read (or created); the writer writes exactly this one. Empty until
// a read succeeded, so nothing is written over a file that could not be read.
inline std::filesystem::path ini_file_path;

// Reads every key of `keys` found in `text` (only its first 16 KB) into its word. Keys that
// are not found keep their values. A text longer than 255 bytes is not taken.
void ini_parse(std::string_view text, std::span<const ConfigKey> keys);

// The table's limits on the words the reader filled.
void config_apply_limits(std::span<const ConfigKey> keys);

// The checks after reading: the limits, then region and controller ports applied through
// their commands, then the menu's check marks.
void config_post_read(std::span<const ConfigKey> keys, OptionModel& options);

// The whole file as the writer writes it.
std::string ini_format(std::span<const ConfigKey> keys, const CdDriveName& drive);

struct IniReadResult {
    bool found = false;  // the file existed and was read
    std::string error;   // why it could not be read or created; empty when all went well
};

// What the reader does when the file is not there: the window creates it empty so that the
// writer has a place; a reader that never writes (the headless runner) leaves the folder as
// it is.
enum class IniMissing : u8 { kCreate, kLeave };

// Start-up: defaults, then the file's keys, then the post-read checks. A file that exists
// but cannot be read keeps the defaults and is not written over at exit.
IniReadResult ini_read(const std::filesystem::path& file, OptionModel& options,
                       IniMissing missing = IniMissing::kCreate);

// Exit: writes the configuration to `ini_file_path`, replacing the file only once the new
// bytes are safely written.
FileWriteResult ini_write(const CdDriveName& drive);

// Reads at most `limit` bytes of a file; false when it cannot be opened or read.
bool read_file_prefix(const std::filesystem::path& file, std::size_t limit, std::string& bytes,
                      std::string& error);

}  // namespace varn
