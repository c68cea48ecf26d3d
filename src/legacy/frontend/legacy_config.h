#pragma once
// The earlier release's settings file: its own VARN.INI of 222 keys, in its own profile
// folder, so that the two programs never read or write each other's settings. The file
// mechanics are the main program's (settings/ini_file.h); what differs is the key table,
// the defaults, the way a damaged hexadecimal value reads, and the checks after reading.

#include <filesystem>
#include <span>
#include <string_view>

#include "base/config.h"
#include "settings/config_keys.h"
#include "settings/ini_file.h"

namespace varn {

class OptionModel;

// The profile folder's name under the user's configuration folder: the settings of the
// earlier release live in $XDG_CONFIG_HOME/varn-legacy/ (or ~/.config/varn-legacy/), or beside
// its executable when a VARN.INI is there.
inline constexpr std::string_view kLegacyProfileName = "varn-legacy";

// Words only the earlier release keeps.
inline ConfigWord legacy_layers{0};              // `Layers`: read, never written
inline ConfigWord legacy_scd_cartridge_brms{0};  // `SCDUseCartridgeBatteryRAMs`

// The 222 keys in the order the file is written, plus the read-only `Layers`.
std::span<const ConfigKey> legacy_config_keys();
inline constexpr std::size_t kLegacyWrittenKeys = 222;

// The earlier release's reading of n hexadecimal characters: a character that is no digit
// counts as the digit before it ("7Z" reads 0x77), and as 0 in the first place ("Z7" reads 7).
u32 parse_hex_u32_v024(std::string_view text, int n);
u8 parse_hex_u8_v024(std::string_view text, int n);
HexReader legacy_hex_reader();

// The checks after reading, in order: the message flags, the region, the region order, the
// controller ports and multitap ports applied through their commands, the flags; then the
// limits that keep every value usable (input device kinds 0-3, joystick buttons 0x30-0x4F or
// none); then the menu's check marks.
void legacy_config_post_read(OptionModel& options);

// Start-up and exit over `file` (normally the profile folder's VARN.INI).
IniReadResult legacy_ini_read(const std::filesystem::path& file, OptionModel& options,
                              IniMissing missing = IniMissing::kCreate);
FileWriteResult legacy_ini_write(const CdDriveName& drive);
std::string legacy_ini_format(const CdDriveName& drive);

}  // namespace varn
