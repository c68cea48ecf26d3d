#include "frontend/app_option_host.h"

#include <QFileDialog>
#include <algorithm>
#include <cstdio>

#include "frontend/config/config_paths.h"
#include "frontend/host/request_queue.h"
#include "frontend/host/sound_output.h"
#include "frontend/main_frame.h"
#include "genesis/runtime/thread_link.h"

namespace varn {

void AppOptionHost::pause_request(u32 reasons) { emu_pause_request(reasons); }
void AppOptionHost::resume_request(u32 reasons) { emu_resume_request(reasons); }

void AppOptionHost::clear_surfaces() {
    if (frame_ != nullptr) frame_->clear_surfaces();
}

void AppOptionHost::window_fit_to_mode() {
    if (frame_ != nullptr) frame_->fit_to_mode();
}

void AppOptionHost::status_bar_update() {
    if (frame_ != nullptr && gui_ready.load() == 1) frame_->update_status_bar();
}

void AppOptionHost::enter_fullscreen() {
    if (frame_ != nullptr) frame_->enter_fullscreen();
}

void AppOptionHost::enter_windowed() {
    if (frame_ != nullptr) frame_->enter_windowed();
}

void AppOptionHost::rebuild_sound_output() { sound_.rebuild(); }

// The input devices join with the input layer.
bool AppOptionHost::joystick_ok() { return false; }
bool AppOptionHost::mouse_captured() { return false; }
void AppOptionHost::mouse_acquire() {}
void AppOptionHost::mouse_release() {}

void AppOptionHost::show_message(std::string_view text) {
    if (message) message(std::string(text));
}

// The dialogs join with the dialog layer.
void AppOptionHost::open_define_input(u32, DefineInputPart) {}
void AppOptionHost::open_cd_drive_chooser() {}
std::optional<std::string> AppOptionHost::choose_brm_folder() { return std::nullopt; }

std::optional<std::string> AppOptionHost::choose_system_rom(std::string_view current) {
    const QString path = QFileDialog::getOpenFileName(
        frame_, {}, QString::fromStdString(config_host_path(current)), "System ROM (*.BIN *.bin)");
    if (path.isEmpty()) return std::string{};
    // Kept only when it can be read.
    std::FILE* file = std::fopen(path.toUtf8().constData(), "rb");
    if (file == nullptr) return std::string{};
    std::fclose(file);
    // The settings keep paths with '\' between names.
    std::string stored = path.toStdString();
    std::replace(stored.begin(), stored.end(), '/', '\\');
    return stored;
}

}  // namespace varn
