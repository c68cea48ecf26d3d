#pragma once
// One QApplication for a test program, on Qt's offscreen platform (and SDL's dummy drivers)
// unless the environment chose otherwise.

#include <QApplication>
#include <cstdlib>

namespace varn::test {

inline QApplication& qt_offscreen_app() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    static int argc          = 1;
    static char name[]       = "varn_test";
    static char* argv[]      = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs the deferred deletions of closed dialogs.
inline void qt_run_deferred_deletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace varn::test
