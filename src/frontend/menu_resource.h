#pragma once
// The main menu and the accelerator table as data (toolkit-free).
//
// The menu tree (`main_menu_entries`, settings/menu_table.h) is built from the text rows
// that also give the language file its keys. The window builds its menu bar from it, the
// language file renames items by command id and popups by their position chain (separators
// count), and the check marks are set by command id. The accelerators map key chords to
// command ids; the accelerator-only ids reach the same handlers as the menu items they
// stand for.

#include <span>
#include <string_view>

#include "base/types.h"
#include "settings/menu_table.h"

namespace varn {

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
