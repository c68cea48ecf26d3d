#include "settings/lang_texts.h"

#include "settings/menu_table.h"

namespace varn {

namespace {

// The rows with a slot hold the slots 0-194, each once and in row order.
consteval bool rows_fill_the_slots_in_order() {
    u32 next = 0;
    for (const TextRow& row : kTextRows) {
        if (row.slot == kNoSlot) {
            if ((row.read & (kNameKey | kTextKey)) != 0) return false;  // nothing to repoint
            continue;
        }
        if (row.slot != next++) return false;
    }
    return next == kLangSlots;
}
static_assert(rows_fill_the_slots_in_order());

consteval std::array<const char*, kLangSlots> defaults_from_rows() {
    std::array<const char*, kLangSlots> texts{};
    for (const TextRow& row : kTextRows)
        if (row.slot != kNoSlot) texts[row.slot] = row.text;
    return texts;
}

}  // namespace

constexpr std::array<const char*, kLangSlots> lang_default_texts = defaults_from_rows();

std::array<const char*, kLangSlots> lang_texts = lang_default_texts;
u32 lang_file_loaded                           = 0;
StringList lang_string_store;

namespace {

u32 filter_slot(u32 filter_index) {
    if (filter_index < 1 || filter_index > lang::kFilterCount) filter_index = lang::kFilterGenesis;
    return 183 + 2 * filter_index;
}

}  // namespace

const char* lang_filter_description(u32 filter_index) {
    return lang_texts[filter_slot(filter_index)];
}
const char* lang_filter_pattern(u32 filter_index) {
    return lang_texts[filter_slot(filter_index) + 1];
}

void lang_set_text(lang::Slot slot, std::string_view text) {
    lang_texts[slot] = lang_string_store.PushBack(text);
}

void lang_texts_reset() {
    lang_texts       = lang_default_texts;
    lang_file_loaded = 0;
    lang_string_store.Clear();
}

}  // namespace varn
