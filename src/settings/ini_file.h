#pragma once
// The settings file: lines of key, '=', value under section headers. The reader finds each
// key by searching "key=" anywhere in the file's first 16 KB (the headers are decoration,
// the first occurrence wins, a key may stand after other text on its line); the writer
// rewrites the whole file from the configuration, one LF after each line, with an empty
// line between sections. Numbers are fixed-width: hex 1 and hex 2 as upper-case digits,
// dec 4 as four decimal digits; texts run to the line end.

#include <array>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "base/file_write.h"
#include "settings/config_keys.h"

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

// How a program reads its hexadecimal values: the digits of n characters into 32 and into 8
// bits (text_helpers.h has the main program's reading; the earlier release reads a
// character that is no digit its own way).
struct HexReader {
    u32 (*read_u32)(std::string_view text, int n) = nullptr;
    u8 (*read_u8)(std::string_view text, int n)   = nullptr;
};
// The main program's reading.
HexReader main_hex_reader();

// Reads every key of `keys` found in `text` (only its first 16 KB) into its word. Keys that
// are not found keep their values. A text longer than 255 bytes is not taken.
void ini_parse(std::string_view text, std::span<const ConfigKey> keys,
               HexReader hex = main_hex_reader());

// The table's limits on the words the reader filled.
void config_apply_limits(std::span<const ConfigKey> keys);

// The checks after reading: the limits, then region and controller ports applied through
// their commands, then the menu's check marks.
void config_post_read(std::span<const ConfigKey> keys, OptionModel& options);

// The whole file as the writer writes it. A section whose keys are all missing from
// between two others still gets its header.
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

// The reader for another program's key table: defaults, the file's keys read with `hex`,
// then `post_read` (that program's checks and check marks).
IniReadResult ini_read_keys(const std::filesystem::path& file, std::span<const ConfigKey> keys,
                            HexReader hex, IniMissing missing,
                            const std::function<void()>& post_read);

// Exit: writes the configuration to `ini_file_path`, replacing the file only once the new
// bytes are safely written.
FileWriteResult ini_write(const CdDriveName& drive);
// The same for another program's key table.
FileWriteResult ini_write_keys(std::span<const ConfigKey> keys, const CdDriveName& drive);

// Reads at most `limit` bytes of a file; false when it cannot be opened or read.
bool read_file_prefix(const std::filesystem::path& file, std::size_t limit, std::string& bytes,
                      std::string& error);

}  // namespace varn
