#include "frontend/app_option_host.h"

#include <QFileDialog>
#include <algorithm>
#include <cstdio>

#include "frontend/dialogs/dialogs.h"
#include "frontend/host/request_queue.h"
#include "frontend/host/sound_output.h"
#include "frontend/input/input_devices.h"
#include "frontend/main_frame.h"
#include "runtime/thread_link.h"
#include "settings/config_paths.h"

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

bool AppOptionHost::joystick_ok() { return input_joystick_ok(); }
bool AppOptionHost::mouse_captured() { return input_mouse_captured(); }
// Without a mouse the capture key takes nothing.
void AppOptionHost::mouse_acquire() { input_mouse_acquire(); }
void AppOptionHost::mouse_release() { input_mouse_release(); }

void AppOptionHost::show_message(std::string_view text) {
    if (message) message(std::string(text));
}

void AppOptionHost::open_define_input(u32 player_slot, DefineInputPart part) {
    // Define Keys without a keyboard has no keys to wait for.
    if (part == DefineInputPart::kKeys && !input_keyboard_ok()) return;
    varn::open_define_input(player_slot, part);
}

void AppOptionHost::open_cd_drive_chooser() { varn::open_cd_drive_chooser(); }

std::optional<std::string> AppOptionHost::choose_brm_folder() { return choose_brm_path(frame_); }

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
