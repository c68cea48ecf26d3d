#pragma once
// The language file: replacement texts for the menu, the messages and the dialogs, one
// "KEY=text" line each. A key is found by searching "KEY=" anywhere in the file's first
// 16 KB (first occurrence wins, case matters, section headers are decoration); the value
// runs to the line end and keeps its spaces, quotes and '&' marks. Menu texts get their
// accelerator suffix ("...\tF3") appended, so a translation is written without it. A text
// is cut at 255 bytes, suffix included.
//
// The file is read once at start-up, before any message can be shown; there is no writer.

#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "base/types.h"
#include "settings/lang_texts.h"
#include "settings/menu_table.h"
#include "settings/menu_view.h"

namespace varn {

inline constexpr std::size_t kLangTextMax = 255;

// One key of the language file and what it renames: menu items by command id, popup
// titles by position chain, or a slot of `lang_texts`.
struct LangKey {
    const char* name;  // without its '='
    std::vector<u32> commands;
    std::vector<std::vector<u32>> popups;
    int slot           = -1;
    const char* suffix = "";
};

// Every key in the order of replacement: the menu (File, Config, Help), the six name
// slots, the one late menu key, then the messages and the dialog texts. When two keys reach
// the same item, the later one wins.
std::span<const LangKey> lang_keys();

// The key list of a menu built over `rows`: the rows' keys in their read passes, each menu
// key aimed at the entries that name its row (and at the row's absent id).
std::vector<LangKey> lang_keys_for(std::span<const TextRow> rows,
                                   const std::vector<MenuEntry>& menu);

// Applies the keys found in `text` to the menu and to `lang_texts`; `keys` is the key list of
// the program's own menu (the main program's unless given).
void lang_apply(std::string_view text, MenuView& menu);
void lang_apply(std::string_view text, MenuView& menu, std::span<const LangKey> keys);

// Reads the language file if there is one: sets `lang_file_loaded` once it opens, then
// applies it. A missing or unreadable file changes nothing. Returns whether it was read.
bool lang_load(const std::filesystem::path& file, MenuView& menu);
bool lang_load(const std::filesystem::path& file, MenuView& menu, std::span<const LangKey> keys);

}  // namespace varn
