// winvarn-legacy: the earlier release of the window program.
//
//   winvarn-legacy [IMAGE]
//
// The earlier release's front end over the same window, dialogs and devices: its own menu,
// status bar, file commands and settings file (frontend/window_main.h does the rest).

#include <memory>

#include "frontend/window_main.h"
#include "legacy/frontend/legacy_app.h"
#include "legacy/frontend/legacy_config.h"

int main(int argc, char** argv) {
    const varn::WindowProgram program{
        "winvarn-legacy",
        "Opens the window of VARN's earlier release. IMAGE, when given, is loaded and\n"
        "started as File > Load ROM would: a Genesis (.bin .gen .md .smd), 32X (.32x) or\n"
        "Sega CD (.iso .bin .raw .cue) image, or a ZIP or RAR archive holding one. The\n"
        "earlier release makes no sound, runs no Master System images and saves no states.\n",
        varn::kLegacyProfileName, [] { return std::make_unique<varn::LegacyApp>(); }};
    return varn::run_window_program(argc, argv, program);
}
