#pragma once
// The main menu and the accelerator table as data (toolkit-free).
//
// The menu is a tree of popups, command items and separators with their built-in texts: a
// '&' marks the mnemonic and a tab separates a text from the shortcut it shows. The window
// builds its menu bar from this tree, the language file renames items by command id and
// popups by their position chain (separators count), and the check marks are set by command
// id. The accelerators map key chords to command ids; the accelerator-only ids reach the
// same handlers as the menu items they stand for.

#include <span>
#include <string_view>
#include <vector>

#include "base/types.h"

namespace varn {

struct MenuEntry {
    enum class Kind : u8 { kItem, kPopup, kSeparator };
    Kind kind = Kind::kItem;
    std::string_view text;  // item or popup title; empty for a separator
    u32 id = 0;             // command id of an item
    std::vector<MenuEntry> children;
};

// The menu bar: File, Config, Help.
const std::vector<MenuEntry>& main_menu_entries();

// File and Help command ids.
namespace cmd {
inline constexpr u32 kLoadRom         = 33040;
inline constexpr u32 kLoadState       = 33041;
inline constexpr u32 kSaveState       = 33042;
inline constexpr u32 kTogglePause     = 33043;
inline constexpr u32 kReset           = 33801;
inline constexpr u32 kStateSlotFirst  = 33850;  // keys 0-9: 33850-33859
inline constexpr u32 kLoadPatch       = 33861;
inline constexpr u32 kSaveScreenshot  = 33862;
inline constexpr u32 kBootSegaCd      = 33864;
inline constexpr u32 kJoystickSetup   = 33867;  // no handler
inline constexpr u32 kSaveDemo        = 33868;
inline constexpr u32 kLoadDemo        = 33888;
inline constexpr u32 kSaveWaveLog     = 33895;
inline constexpr u32 kHelpDatabase    = 33908;
inline constexpr u32 kAboutKestgen    = 33940;
inline constexpr u32 kAboutKest32x    = 33941;
inline constexpr u32 kAbout           = 57664;
inline constexpr u32 kExit            = 57665;
inline constexpr u32 kAccelLoadRom    = 36001;
inline constexpr u32 kAccelAbout      = 36003;
inline constexpr u32 kAccelSaveState  = 36004;
inline constexpr u32 kAccelLoadState  = 36005;
inline constexpr u32 kAccelWaveLog    = 36007;
inline constexpr u32 kAccelGymLog     = 36008;  // no handler
inline constexpr u32 kAccelMovie      = 36009;  // no handler
inline constexpr u32 kAccelSaveDemo   = 36010;
inline constexpr u32 kAccelScreenshot = 36011;
}  // namespace cmd

// One accelerator: a key chord and the command id it sends.
struct Accelerator {
    enum Modifier : u8 { kNone = 0, kAlt = 1, kKeypad = 2 };
    u32 key      = 0;  // a printable key as its upper-case character, or one of the kKey values
    u8 modifiers = kNone;
    u32 id       = 0;
    std::string_view shown;  // as the menu texts show it ("Alt L"), for the table's readers
};

// Keys that are not characters.
inline constexpr u32 kKeyF1 = 0x100;  // F1 .. F12: kKeyF1 + n - 1

std::span<const Accelerator> accelerator_table();

// The command an accelerator-only id stands for (36001-36013), or the id itself.
u32 accelerator_target(u32 id);

}  // namespace varn
