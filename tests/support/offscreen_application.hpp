#pragma once
// The Qt application of a test program of widgets, on the offscreen platform.

#include <stdlib.h>

#include <QApplication>

namespace tavrin::test {

inline void useOffscreenApplication() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "tests";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: destroyed among the other statics it would crash.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

}  // namespace tavrin::test
