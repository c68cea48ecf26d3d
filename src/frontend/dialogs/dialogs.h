#pragma once
// The dialogs the menu commands open.
//
// The modeless ones (CD drive chooser, Define Input, joystick calibration) are open at most
// once: each has an open-instance word that points at the open dialog and returns to null
// when it is gone, and opening it again while it is open does nothing. They run beside the
// main window without pausing the emulation, store their values however they are closed
// (button, Enter, Escape or the window's close box) and delete themselves.
//
// The modal ones (About, Set BRM Path, the archive entry) run for one choice and return it.

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "base/types.h"
#include "settings/option_host.h"

namespace varn {

class CdDriveChooserDialog;
class DefineInputDialog;
class CalibrateJoystickDialog;

// Open-instance words.
extern CdDriveChooserDialog* cd_drive_chooser;
extern DefineInputDialog* define_input_dialog;
extern CalibrateJoystickDialog* calibrate_joystick_dialog;

// About VARN (F1): modal, over `owner`.
void show_about_box(QWidget* owner);

// Set Default CD Drive: the modeless chooser of the drives the CD layer found; closing it
// sets `cfg_cd_drive` to the chosen drive (0 none).
void open_cd_drive_chooser();

// Set BRM Path: the folder tree of the file system; the chosen folder as an absolute path
// ending in '/', or nothing when the user cancelled or chose nothing.
std::optional<std::string> choose_brm_path(QWidget* owner);

// Load File: one entry of an archive that holds several. `type_text` is the description of
// the file filter the archive was opened under. The chosen entry's name, or nothing.
std::optional<std::string> choose_archive_entry(QWidget* owner, const std::string& type_text,
                                                const std::vector<std::string>& entries);

// Define Keys and Define Joystick of player slot 0-7 (1A-1D, 2A-2D): the modeless Define
// Input dialog over the slot's key map. Define Keys without a keyboard does nothing; Define
// Joystick without a joystick is refused by the command before it gets here.
void open_define_input(u32 player_slot, DefineInputPart part);

// Calibrate Joystick: learns the resting range of the stick's two axes. No menu command
// opens it.
void open_calibrate_joystick();

// Where the chooser takes its drive names from (drives 1 to count, each its vendor and
// product text): the CD layer's drive table unless a test sets another list; null sets the
// table again.
using CdDriveNames = std::vector<std::string> (*)();
void set_cd_drive_names_source(CdDriveNames source);

}  // namespace varn
