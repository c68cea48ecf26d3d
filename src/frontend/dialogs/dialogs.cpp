#include "frontend/dialogs/dialogs.h"

#include <cstring>

#include "frontend/dialogs/about_dialog.h"
#include "frontend/dialogs/brm_path_dialog.h"
#include "frontend/dialogs/calibrate_joystick_dialog.h"
#include "frontend/dialogs/cd_drive_chooser.h"
#include "frontend/dialogs/define_input_dialog.h"
#include "frontend/dialogs/load_file_dialog.h"
#include "frontend/input/input_devices.h"

namespace varn {

CdDriveChooserDialog* cd_drive_chooser             = nullptr;
DefineInputDialog* define_input_dialog             = nullptr;
CalibrateJoystickDialog* calibrate_joystick_dialog = nullptr;

namespace {

std::vector<std::string> no_drives() { return {}; }
CdDriveNames drive_names_source = no_drives;

template <class Dialog>
void show_modeless(Dialog* dialog) {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace

void show_about_box(QWidget* owner) {
    AboutDialog about(owner);
    about.exec();
}

void open_cd_drive_chooser() {
    if (cd_drive_chooser != nullptr) return;
    cd_drive_chooser = new CdDriveChooserDialog(drive_names_source());
    show_modeless(cd_drive_chooser);
}

std::optional<std::string> choose_brm_path(QWidget* owner) {
    BrmPathDialog dialog(owner, {std::filesystem::path("/")});
    return dialog.run_and_get_path();
}

std::optional<std::string> choose_archive_entry(QWidget* owner, const std::string& type_text,
                                                const std::vector<std::string>& entries) {
    LoadFileDialog dialog(owner, type_text, entries);
    return dialog.run_and_get_choice();
}

void open_define_input(u32 player_slot, DefineInputPart part) {
    if (define_input_dialog != nullptr) return;
    // Without the device there is nothing to wait for.
    if (part == DefineInputPart::kKeys && !input_keyboard_ok()) return;
    if (part == DefineInputPart::kJoystick && !input_joystick_ok()) return;
    define_input_dialog = new DefineInputDialog(player_slot, part);
    show_modeless(define_input_dialog);
}

void open_calibrate_joystick() {
    if (calibrate_joystick_dialog != nullptr) return;
    calibrate_joystick_dialog = new CalibrateJoystickDialog;
    show_modeless(calibrate_joystick_dialog);
}

void set_cd_drive_names_source(CdDriveNames source) {
    drive_names_source = source != nullptr ? source : no_drives;
}

std::vector<std::string> cd_drive_names_from_table(u8 count, const u8* records,
                                                   std::size_t record_bytes) {
    constexpr std::size_t kRecordSize = 32;
    constexpr std::size_t kNameAt     = 4;
    constexpr std::size_t kNameSize   = 24;
    std::vector<std::string> names;
    if (records == nullptr) return names;
    for (std::size_t n = 1; n <= count; ++n) {
        if ((n + 1) * kRecordSize > record_bytes) break;  // a count beyond the table
        const char* name = reinterpret_cast<const char*>(records + n * kRecordSize + kNameAt);
        names.emplace_back(name, strnlen(name, kNameSize));
    }
    return names;
}

}  // namespace varn
