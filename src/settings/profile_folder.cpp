#include "settings/profile_folder.h"

#include <cstdlib>
#include <system_error>

#include "settings/ini_file.h"

namespace varn {

std::filesystem::path executable_folder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path{} : exe.parent_path();
}

std::filesystem::path profile_folder(const std::filesystem::path& exe_folder,
                                     const char* xdg_config_home, const char* home,
                                     std::string_view name) {
    std::error_code ec;
    if (!exe_folder.empty() && std::filesystem::is_regular_file(exe_folder / kIniFileName, ec))
        return exe_folder;
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (xdg_config_home && *xdg_config_home && std::filesystem::path(xdg_config_home).is_absolute())
        return std::filesystem::path(xdg_config_home) / name;
    if (home && *home) return std::filesystem::path(home) / ".config" / name;
    // No home at all: the current folder, as the program did before profiles existed.
    return std::filesystem::current_path(ec);
}

std::filesystem::path profile_folder(std::string_view name) {
    return profile_folder(executable_folder(), std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"),
                          name);
}

}  // namespace varn
