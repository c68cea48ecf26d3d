#pragma once
// The start of a window program: its name, its usage text, its profile folder and the
// application it runs. winvarn and winvarn-legacy differ only in these.

#include <functional>
#include <memory>
#include <string_view>

namespace varn {

class EmuApp;

struct WindowProgram {
    const char* name;         // as the messages name the program
    const char* description;  // the usage text after the usage line
    std::string_view profile_name;
    std::function<std::unique_ptr<EmuApp>()> make_app;
};

// Runs the program: options, the window, the event loop; returns the exit status.
int run_window_program(int argc, char** argv, const WindowProgram& program);

}  // namespace varn
