#include "frontend/dialogs/dialogs.h"

#include "cddrive/cd_drive_table.h"
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

// The drives of the CD layer's table, as its start-up scan found them.
std::vector<std::string> table_drives() {
    std::vector<std::string> names;
    for (u32 n = 1; n <= cd_drive_count && n < cd_drive_records.size(); ++n)
        names.emplace_back(cd_drive_records[n].name_text());
    return names;
}
CdDriveNames drive_names_source = table_drives;

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
    drive_names_source = source != nullptr ? source : table_drives;
}

}  // namespace varn
