#pragma once
// One QApplication for the whole test program, made on first use (tests run offscreen).
#include <QApplication>
#include <QElapsedTimer>

namespace kelmora::testing {

inline QApplication& extrasQtApp() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance())
                                   ? qobject_cast<QApplication*>(QCoreApplication::instance())
                                   : new QApplication(argc, argv);
    return *app;
}

// Runs the event loop until `done` holds or `ms` pass.
template <class Pred>
bool processEventsUntil(Pred done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

}  // namespace kelmora::testing
