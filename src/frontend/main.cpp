// winvarn: the window program.
//
//   winvarn [IMAGE]
//
// Starts the emulator's window; an image named on the command line is loaded and booted
// once start-up is over (frontend/window_main.h).

#include <memory>

#include "frontend/emu_app.h"
#include "frontend/window_main.h"

int main(int argc, char** argv) {
    const varn::WindowProgram program{
        "winvarn",
        "Opens the VARN window. IMAGE, when given, is loaded and started as File > Load\n"
        "ROM would: a Genesis (.bin .gen .md .smd), 32X (.32x), Sega CD (.iso .bin .raw\n"
        ".cue) or Master System (.sms) image, or a ZIP or RAR archive holding one.\n",
        "varn", [] { return std::make_unique<varn::EmuApp>(); }};
    return varn::run_window_program(argc, argv, program);
}
