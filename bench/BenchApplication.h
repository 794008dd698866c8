// The application every benchmark that draws needs: fonts, images and painters belong to a
// QGuiApplication, and one made on the offscreen platform draws the same pixels without a
// display. Made once, on first use, before any scene exists.
#pragma once

#include <QGuiApplication>

inline void EnsureApplication() {
    static int Argc = 1;
    static char Name[] = "torvane_bench";
    static char* Argv[] = {Name, nullptr};
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication Application(Argc, Argv);
    }
}
