#include "media/media_ui.h"

#include <cstdio>

namespace varn {

namespace {
HeadlessUi default_ui;
MediaUi* current_ui = &default_ui;
}  // namespace

void HeadlessUi::message_box(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

std::optional<FileChoice> HeadlessUi::open_file_dialog(const std::string&,
                                                       const std::vector<FileFilter>&, u32) {
    return file;
}

std::optional<std::string> HeadlessUi::choose_entry(const std::string& title,
                                                    const std::vector<std::string>& entries) {
    if (entry) return entry;
    // Nobody to ask: say what could have been chosen and choose nothing.
    std::fprintf(stderr, "%s:\n", title.c_str());
    for (const auto& name : entries) std::fprintf(stderr, "  %s\n", name.c_str());
    return std::nullopt;
}

MediaUi& media_ui() { return *current_ui; }
void media_set_ui(MediaUi* ui) { current_ui = ui != nullptr ? ui : &default_ui; }

}  // namespace varn
