#pragma once
// The File menu's commands on side files: Load State, Save State, Load Patch, Save
// Screenshot, Load Demo, Record Demo and Record Wave. Each pauses the emulation for its work
// (file-command reason), takes its file by itself (the command's folder, the game's name and
// its extension) when its automatic-naming option is on or else from a file dialog, and
// shows a file it could not use or write in a message box. A file that cannot be opened for
// reading ends the command quietly, like a cancelled dialog. All run on the user-interface
// thread.

#include "base/host.h"
#include "base/types.h"

namespace varn {

// Load State; 0 when the dialog is cancelled, else 1. Reads the program's own state files
// or, with the Genecyst filter chosen, Genecyst state files.
u32 state_load_dialog();
// Save State.
void state_save_dialog();
// Load Patch: an IPS patch applied to the running image in place, without a reboot.
void patch_load_dialog();
// Save Screenshot of `picture`: its pixels start at the picture's top-left corner and
// `width` x `height` are the picture's size.
void screenshot_save_dialog(const FrameSurface& picture);
// Load Demo: the demo plays from a reboot.
void demo_load_dialog();
// Record Demo, a toggle: the first use starts recording from a reboot, the second asks for
// the file and writes the recording.
void demo_save_dialog();
// Record Wave, a toggle: the first use starts the sound log, the second ends it.
void wav_log_start_dialog();

}  // namespace varn
