// The window programs' common start: options, the display check, signals, the event loop.
//
// An image named on the command line is loaded as the Load ROM command would load it (under
// the filter its name calls for) and booted once start-up is over. An interrupt or
// termination signal closes the window as its close box does, so the machine's RAM files and
// the settings are written; a message box or dialog open at that moment is left first, so
// the signal is not held up by a box nobody answers.
//
// Without a display to open the window on (no X server or Wayland compositor reachable) the
// program says so and exits with status 1.

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "frontend/emu_app.h"
#include "frontend/main_frame.h"
#include "frontend/window_main.h"
#include "settings/ini_file.h"
#include "settings/profile_folder.h"

namespace {

int signal_pipe[2]  = {-1, -1};
bool quit_requested = false;

void on_signal(int) {
    const char byte = 1;
    (void)!write(signal_pipe[1], &byte, 1);
}

const varn::WindowProgram* program = nullptr;

void print_usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: %s [IMAGE]\n\n"
                 "%s\n"
                 "Profile folder (settings %s, system ROMs, save RAM, states, screenshots):\n"
                 "  %s\n"
                 "Without a display, varn-run runs an image headless.\n",
                 program->name, program->description, varn::kIniFileName,
                 varn::profile_folder(program->profile_name).c_str());
}

// Qt ends the program with a core dump when it finds no display; the platform's start-up is
// watched instead, and its fatal message turns into a plain one and exit status 1. What Qt
// says before that is held back and given out only when the start-up went well.
std::vector<std::string> held_messages;
bool starting_platform = false;

void start_up_messages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr,
                     "%s: needs a display to open its window, and none could be opened "
                     "(DISPLAY=%s, WAYLAND_DISPLAY=%s).\n"
                     "To run an image without a window, use varn-run (see varn-run --help).\n",
                     program->name, std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "",
                     std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "");
        std::fflush(stderr);
        // Nothing was started that needs closing, and Qt is half set up: leave at once.
        std::_Exit(1);
    }
    if (starting_platform) held_messages.push_back(text.toStdString());
}

}  // namespace

namespace varn {

int run_window_program(int argc, char** argv, const WindowProgram& info) {
    program = &info;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            print_usage(stdout);
            return 0;
        }
    }
    starting_platform               = true;
    const QtMessageHandler previous = qInstallMessageHandler(start_up_messages);
    QApplication qt(argc, argv);
    starting_platform = false;
    qInstallMessageHandler(previous);
    for (const auto& text : held_messages) std::fprintf(stderr, "%s\n", text.c_str());
    held_messages.clear();
    QApplication::setApplicationName("VARN");
    // Qt has taken its own options out of the list; what is left is ours.
    if (argc > 2 || (argc == 2 && argv[1][0] == '-' && argv[1][1] != '\0')) {
        if (argc == 2) std::fprintf(stderr, "%s: unknown option %s\n", program->name, argv[1]);
        print_usage(stderr);
        return 2;
    }
    const std::unique_ptr<EmuApp> owned = info.make_app();
    EmuApp& app                         = *owned;
    if (!app.start()) return 1;

    // Signals reach the window through a socket the event loop watches.
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signal_pipe) == 0) {
        auto* notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, &qt);
        QObject::connect(notifier, &QSocketNotifier::activated, [] {
            char byte = 0;
            (void)!read(signal_pipe[0], &byte, 1);
            // Every event loop ends, a modal box's included, and no new one starts; the
            // window is closed below, once the code that opened the box has returned.
            quit_requested = true;
            QCoreApplication::exit(0);
        });
        struct sigaction action {};
        action.sa_handler = on_signal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }

    if (argc == 2) app.load_image(argv[1]);
    const int result = quit_requested ? 0 : QApplication::exec();
    if (app.frame()->isVisible()) app.frame()->close();
    return result;
}

}  // namespace varn
