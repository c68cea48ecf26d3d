#pragma once
// The text settings of the configuration: folders the file dialogs start in, the system ROM
// files and the chosen CD drive's name. They keep the stored form of the settings file
// (Windows-style, ".\" for the program's folder, '\' between names); `config_host_path`
// turns a stored path into one the host can open. The program's folder of that form is the
// profile folder here: the settings file sits there, and a relative path (every default)
// names a file beside it, wherever the program was started from.
//
// Owner: the user-interface thread. The settings reader fills them at start-up, the option
// commands and the media commands change them, the writer saves them at exit; the emulation
// thread never reads them. A stored path holds at most `kConfigPathMax` bytes.

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/types.h"

namespace varn {

inline constexpr std::size_t kConfigPathMax = 255;

// [File IO] folders, each ending in '\' by convention.
inline std::string cfg_rom_path{".\\"};         // `ROMPath`
inline std::string cfg_brm_path{".\\"};         // `BRMPath`: save RAM and backup RAM files
inline std::string cfg_state_path{".\\"};       // `GSSPath`
inline std::string cfg_patch_path{".\\"};       // `PATPath`
inline std::string cfg_screenshot_path{".\\"};  // `SHTPath`
inline std::string cfg_demo_path{".\\"};        // `DEMPath`
inline std::string cfg_wave_path{".\\"};        // `WAVPath`
inline std::string cfg_vgm_path{".\\"};         // `VGMPath`, kept in the file only
inline std::string cfg_movie_path{".\\"};       // `MOVPath`, kept in the file only
inline std::string help_folder{".\\"};          // `GCDPath`: folder of the help database

// System ROM files, in the order of their keys.
enum SystemRomPath : u32 {
    kGenSysRom0U,  // `GenSysRom0UPath`: Genesis boot ROM
    kGenSysRom0E,  // kept in the file only
    kGenSysRom0J,  // kept in the file only
    k32xSysRom0U,  // `32XSysRom0UPath`: 32X master SH-2
    k32xSysRom1U,  // `32XSysRom1UPath`: 32X slave SH-2
    k32xSysRom2U,  // `32XSysRom2UPath`: 32X 68000
    k32xSysRom0E,  // the E and J 32X files are kept in the file only
    k32xSysRom1E,
    k32xSysRom2E,
    k32xSysRom0J,
    k32xSysRom1J,
    k32xSysRom2J,
    kScdSysRom0U,  // `SCDSysRom0UPath`
    kScdSysRom0E,  // `SCDSysRom0EPath`
    kScdSysRom0J,  // `SCDSysRom0JPath`
    kSmsSysRom0U,  // `SMSSysRom0UPath`
    kSmsSysRom0E,  // `SMSSysRom0EPath`
    kSmsSysRom0J,  // `SMSSysRom0JPath`
    kSystemRomPaths
};

inline constexpr std::array<const char*, kSystemRomPaths> kSystemRomDefaultPaths = {
    ".\\GEN_BIOS_U.BIN",   ".\\GEN_BIOS_E.BIN",   ".\\GEN_BIOS_J.BIN",   ".\\32X_M_BIOS.BIN",
    ".\\32X_S_BIOS.BIN",   ".\\32X_G_BIOS.BIN",   ".\\32X_M_BIOS_E.BIN", ".\\32X_S_BIOS_E.BIN",
    ".\\32X_G_BIOS_E.BIN", ".\\32X_M_BIOS_J.BIN", ".\\32X_S_BIOS_J.BIN", ".\\32X_G_BIOS_J.BIN",
    ".\\us_scd1_9210.bin", ".\\eu_mcd1_9210.bin", ".\\jp_mcd1_9112.bin", ".\\SMS_BIOS_U.BIN",
    ".\\SMS_BIOS_E.BIN",   ".\\SMS_BIOS_J.BIN",
};

inline std::array<std::string, kSystemRomPaths> cfg_system_rom_paths = [] {
    std::array<std::string, kSystemRomPaths> paths;
    for (u32 i = 0; i < kSystemRomPaths; ++i) paths[i] = kSystemRomDefaultPaths[i];
    return paths;
}();

// `CDD` as read from the file: the drive name looked up among the listed drives, whose
// index then goes to `cfg_cd_drive` (base/config.h). Empty when the key is missing.
inline std::string cfg_cd_drive_text;

// The folder relative stored paths resolve against: the profile folder, set once at start-up
// by each program before the settings are read. Empty (tests, tools): the current folder.
inline std::filesystem::path config_program_folder;

// A stored path as the host opens it: every '\' becomes '/', and a relative path is taken
// from `config_program_folder` ("" and ".\" name that folder itself). A folder keeps its
// trailing '/'.
std::string config_host_path(std::string_view stored);

}  // namespace varn
