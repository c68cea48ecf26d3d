#pragma once
// Where the settings and language files live: beside the executable when a settings file
// is there (a portable installation), otherwise in the user's configuration folder,
// $XDG_CONFIG_HOME/varn/ or ~/.config/varn/.

#include <filesystem>
#include <string_view>

namespace varn {

inline constexpr const char* kLangFileName = "VARN_LNG.INI";

// The folder of the running executable; empty when it cannot be found.
std::filesystem::path executable_folder();

// The profile folder for an executable in `exe_folder`, with the environment's
// XDG_CONFIG_HOME and HOME (either may be null or empty). `name` is the program's folder
// under the configuration folder ("varn" for the main program). The folder is not created
// here.
std::filesystem::path profile_folder(const std::filesystem::path& exe_folder,
                                     const char* xdg_config_home, const char* home,
                                     std::string_view name = "varn");

// The same for this process.
std::filesystem::path profile_folder(std::string_view name = "varn");

}  // namespace varn
