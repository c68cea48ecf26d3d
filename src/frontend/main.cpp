// winvarn: the window program.
//
//   winvarn [IMAGE]
//
// Starts the emulator's window; an image named on the command line is loaded as the Load
// ROM command would load it (under the filter its name calls for) and booted once start-up
// is over. An interrupt or termination signal closes the window as its close box does, so the
// machine's RAM files and the settings are written; a message box or dialog open at that
// moment is left first, so the signal is not held up by a box nobody answers.

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "frontend/emu_app.h"
#include "frontend/main_frame.h"

namespace {

int signal_pipe[2]  = {-1, -1};
bool quit_requested = false;

void on_signal(int) {
    const char byte = 1;
    (void)!write(signal_pipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    QApplication::setApplicationName("VARN");
    if (argc > 2) {
        std::fprintf(stderr, "usage: winvarn [IMAGE]\n");
        return 2;
    }
    varn::EmuApp app;
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
