#include "frontend/config/config_paths.h"

namespace varn {

std::string config_host_path(std::string_view stored) {
    std::string path(stored);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    if (config_program_folder.empty() || path.starts_with('/')) return path;
    // "./" in front says "the program's folder", which the join below says already.
    while (path.starts_with("./")) path.erase(0, 2);
    if (path == ".") path.clear();
    std::string folder = config_program_folder.string();
    if (!folder.ends_with('/')) folder += '/';
    return folder + path;
}

}  // namespace varn
