#include "frontend/host/help.h"

#include <fstream>

#include "settings/config_paths.h"

namespace varn {

namespace {

bool viewer_failed = false;

}  // namespace

bool help_open(HelpUi& ui, const std::string& path, u32 context) {
    if (viewer_failed) return false;
    if (!ui.open_document(path, context)) {
        viewer_failed = true;
        return false;
    }
    return true;
}

bool help_show_database(HelpUi& ui, u32 game_crc) {
    std::string path = config_host_path(help_folder) + kHelpDatabaseName;
    if (!std::ifstream(path, std::ios::binary)) {
        std::optional<std::string> chosen = ui.choose_database(config_host_path(help_folder));
        if (!chosen || chosen->empty()) return false;
        // Keep the folder, up to and including its last separator, when the settings file
        // can hold it.
        const std::size_t cut = chosen->find_last_of("/\\");
        std::string folder =
            cut == std::string::npos ? std::string{".\\"} : chosen->substr(0, cut + 1);
        if (folder.size() <= kConfigPathMax) help_folder = std::move(folder);
        path = *chosen;
    }
    return help_open(ui, path, game_crc);
}

void help_reset() { viewer_failed = false; }

}  // namespace varn
