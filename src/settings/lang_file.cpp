#include "settings/lang_file.h"

#include <string>

#include "settings/ini_file.h"
#include "settings/text_helpers.h"

namespace varn {

namespace {

// The targets of every row's key in `menu`: the command ids of the items and the position
// chains of the popups that name the row.
struct RowTargets {
    std::vector<std::vector<u32>> ids;
    std::vector<std::vector<std::vector<u32>>> popups;
};

void collect(const std::vector<MenuEntry>& entries, std::vector<u32>& path, RowTargets& t) {
    for (u32 i = 0; i < entries.size(); ++i) {
        const MenuEntry& e = entries[i];
        path.push_back(i);
        if (e.row != kNoRow && e.keyed && e.row < t.ids.size()) {
            if (e.kind == MenuEntry::Kind::kItem) t.ids[e.row].push_back(e.id);
            if (e.kind == MenuEntry::Kind::kPopup) t.popups[e.row].push_back(path);
        }
        collect(e.children, path, t);
        path.pop_back();
    }
}

}  // namespace

std::vector<LangKey> lang_keys_for(std::span<const TextRow> rows,
                                   const std::vector<MenuEntry>& menu) {
    RowTargets targets{std::vector<std::vector<u32>>(rows.size()),
                       std::vector<std::vector<std::vector<u32>>>(rows.size())};
    std::vector<u32> path;
    collect(menu, path, targets);

    std::vector<LangKey> keys;
    for (const u8 pass : {kMenuKey, kNameKey, kLateMenuKey, kTextKey}) {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const TextRow& row = rows[r];
            if ((row.read & pass) == 0) continue;
            if (pass == kNameKey || pass == kTextKey) {
                keys.push_back({row.key, {}, {}, static_cast<int>(row.slot), ""});
                continue;
            }
            std::vector<u32> ids = targets.ids[r];
            if (row.absent_id != 0) ids.push_back(row.absent_id);
            keys.push_back({row.key, std::move(ids), targets.popups[r], -1, row.suffix});
        }
    }
    return keys;
}

std::span<const LangKey> lang_keys() {
    static const std::vector<LangKey> keys = lang_keys_for(kTextRows, main_menu_entries());
    return keys;
}

void lang_apply(std::string_view text, MenuView& menu) { lang_apply(text, menu, lang_keys()); }

void lang_apply(std::string_view text, MenuView& menu, std::span<const LangKey> keys) {
    text = text.substr(0, kIniReadLimit);
    for (const LangKey& key : keys) {
        const int at = text_find(text, std::string(key.name) + "=");
        if (at < 0) continue;
        const std::string_view suffix(key.suffix);
        std::string value =
            text_copy_line(text.substr(static_cast<std::size_t>(at)), kLangTextMax - suffix.size());
        if (key.slot >= 0) {
            lang_set_text(static_cast<lang::Slot>(key.slot), value);
            continue;
        }
        for (const auto& path : key.popups) menu.set_text_at(path, value);
        value += suffix;
        for (u32 id : key.commands) menu.set_text(id, value);
    }
}

bool lang_load(const std::filesystem::path& file, MenuView& menu) {
    return lang_load(file, menu, lang_keys());
}

bool lang_load(const std::filesystem::path& file, MenuView& menu, std::span<const LangKey> keys) {
    std::string bytes, error;
    if (!read_file_prefix(file, kIniReadLimit, bytes, error)) return false;
    lang_file_loaded = 1;
    lang_apply(bytes, menu, keys);
    return true;
}

}  // namespace varn
