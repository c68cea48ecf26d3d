#pragma once
// The earlier release's menu: the main menu with what that release does not have taken out
// (wave logs, sound, the Master System, the naming libraries and the help database, the
// stretch modes, the game-name order, the newer Genesis and Sega CD options, the light guns
// beyond the Menacer) and its own two items put in ("&Enhance visibility" under Graphics and
// "&Use Cartridge BRMs" as the Sega CD's one option).

#include <vector>

#include "base/types.h"
#include "frontend/menu_resource.h"

namespace varn {

namespace cmd {
inline constexpr u32 kLegacyEnhanceVisibility = 34001;
inline constexpr u32 kLegacyScdCartridgeBrms  = 34002;
}  // namespace cmd

// Derives the earlier release's menu from `main` (the main program's menu tree).
std::vector<MenuEntry> legacy_menu_from(const std::vector<MenuEntry>& main);

// The earlier release's menu, derived once from the main menu.
const std::vector<MenuEntry>& legacy_menu_entries();

}  // namespace varn
