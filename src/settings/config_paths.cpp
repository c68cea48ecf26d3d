#include "settings/config_paths.h"

namespace varn {

std::string config_host_path(std::string_view stored) {
    std::string path(stored);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

}  // namespace varn
