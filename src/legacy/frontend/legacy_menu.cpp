#include "legacy/frontend/legacy_menu.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "settings/option_model.h"

namespace varn {

namespace {

using Kind = MenuEntry::Kind;

// Items the earlier release does not have.
constexpr std::array<u32, 28> kDroppedItems = {
    cmd::kSaveWaveLog,
    cmd::kSystemRomFirst + 7,  // the three Master System system ROMs
    cmd::kSystemRomFirst + 8,
    cmd::kSystemRomFirst + 9,
    cmd::kBrmInStates,
    cmd::kAutonameWaves,
    cmd::kForceDisplay,
    cmd::kErrorMsgFirst + 1,  // WNASPI32.DLL: its message always shows
    cmd::kErrorMsgFirst + 4,  // the naming libraries
    cmd::kErrorMsgFirst + 5,
    cmd::kErrorMsgFirst + 6,
    cmd::kAutoPauseFocus,
    cmd::kGenSpriteLimit,
    cmd::kSquashInterlace,
    cmd::kHelpDatabase,
    cmd::kAboutKestgen,
    cmd::kAboutKest32x,
    32950,                 // Port 1 "Empty"
    cmd::kPort1First + 5,  // Konami Justifier
    cmd::kPort1First + 6,  // EA 4 way
    cmd::kPort1First + 7,  // the Master System's controllers
    cmd::kPort1First + 8,
    cmd::kPort1First + 9,
    32961,  // Port 2 "Empty"
    cmd::kPort2First + 5,
    cmd::kPort2First + 6,
    cmd::kPort2First + 7,
    cmd::kPort2First + 8,
};
constexpr std::array<u32, 3> kDroppedItems2 = {cmd::kPort2First + 9, 33818, 33835};  // 2nd guns

// Popups the earlier release does not have, by title.
constexpr std::array<std::string_view, 5> kDroppedPopups = {
    "Sound", "Frame/Stretch Behavior", "&Game Name Search Order", "SMS", "RAM cartridge size"};

bool dropped(const MenuEntry& e) {
    if (e.kind == Kind::kItem) {
        const auto in = [&e](const auto& list) {
            return std::find(list.begin(), list.end(), e.id) != list.end();
        };
        // The multitap ports' "Empty" items sit just before their first device.
        for (const auto& sub : kExpansionPortItems)
            if (e.id == sub[0] - 1) return true;
        return in(kDroppedItems) || in(kDroppedItems2);
    }
    if (e.kind == Kind::kPopup)
        return std::find(kDroppedPopups.begin(), kDroppedPopups.end(), e.text) !=
               kDroppedPopups.end();
    return false;
}

// Separators left at an edge or doubled by what was taken out go too.
void tidy_separators(std::vector<MenuEntry>& entries) {
    std::vector<MenuEntry> out;
    for (auto& e : entries) {
        if (e.kind == Kind::kSeparator && (out.empty() || out.back().kind == Kind::kSeparator))
            continue;
        out.push_back(std::move(e));
    }
    while (!out.empty() && out.back().kind == Kind::kSeparator) out.pop_back();
    entries = std::move(out);
}

void derive(std::vector<MenuEntry>& entries) {
    std::erase_if(entries, dropped);
    for (auto& e : entries) {
        // The row stays: its language-file key renames the item as in the main program.
        if (e.kind == Kind::kItem && e.id == cmd::kAutofixChecksum) e.text = "&Autofix Checksum";
        if (e.kind != Kind::kPopup) continue;
        derive(e.children);
        if (e.text == "Graphics") {
            e.children.push_back(menu::separator());
            e.children.push_back(menu::item(text_row("MEN_CFG_GFX_ENV"),
                                            cmd::kLegacyEnhanceVisibility, "&Enhance visibility"));
        }
        if (e.text == "Sega CD") {
            // One option in place of the newer release's four.
            e.children = {menu::plain("&Use Cartridge BRMs", cmd::kLegacyScdCartridgeBrms)};
        }
    }
    tidy_separators(entries);
}

}  // namespace

std::vector<MenuEntry> legacy_menu_from(const std::vector<MenuEntry>& main) {
    std::vector<MenuEntry> menu = main;
    derive(menu);
    return menu;
}

const std::vector<MenuEntry>& legacy_menu_entries() {
    static const std::vector<MenuEntry> menu = legacy_menu_from(main_menu_entries());
    return menu;
}

std::span<const LangKey> legacy_lang_keys() {
    static const std::vector<LangKey> keys = lang_keys_for(kTextRows, legacy_menu_entries());
    return keys;
}

}  // namespace varn
