#pragma once
// The earlier release's menu: the main menu with what that release does not have taken out
// (wave logs, sound, the Master System, the naming libraries and the help database, the
// stretch modes, the game-name order, the newer Genesis and Sega CD options, the light guns
// beyond the Menacer) and its own two items put in ("&Enhance visibility" under Graphics and
// "&Use Cartridge BRMs" as the Sega CD's one option).

#include <span>
#include <vector>

#include "base/types.h"
#include "settings/lang_file.h"
#include "settings/menu_table.h"

namespace varn {

namespace cmd {
// "&Enhance visibility" takes the id its language-file key names in the main program, where
// no item has it.
inline constexpr u32 kLegacyEnhanceVisibility = kEnhanceVisibility;
inline constexpr u32 kLegacyScdCartridgeBrms  = 34002;
}  // namespace cmd

// Derives the earlier release's menu from `main` (the main program's menu tree).
std::vector<MenuEntry> legacy_menu_from(const std::vector<MenuEntry>& main);

// The earlier release's menu, derived once from the main menu.
const std::vector<MenuEntry>& legacy_menu_entries();
// The language file's keys aimed at the entries of that menu (a popup's position differs
// from the main menu's where entries were taken out).
std::span<const LangKey> legacy_lang_keys();

}  // namespace varn
