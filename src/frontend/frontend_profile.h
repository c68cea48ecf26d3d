#pragma once
// What makes one window program differ from another built on the same front end: the menu
// it shows, the letters the status bar gives its state files and the folder its settings
// live in. The main program's profile is the default everywhere; the earlier release has
// its own.

#include <string_view>
#include <vector>

#include "frontend/menu_resource.h"

namespace varn {

struct FrontendProfile {
    const std::vector<MenuEntry>* menu = nullptr;  // null: the main menu
    // Pane 3 of the status bar: the state slot after these letters, for the program's own
    // state files (the Genecyst filter always shows "GS").
    std::string_view own_state_letters = "VK";
    // The profile folder's name under the user's configuration folder.
    std::string_view folder_name = "varn";

    const std::vector<MenuEntry>& menu_entries() const {
        return menu != nullptr ? *menu : main_menu_entries();
    }
};

// The main program's profile.
inline const FrontendProfile& main_frontend_profile() {
    static const FrontendProfile profile;
    return profile;
}

}  // namespace varn
