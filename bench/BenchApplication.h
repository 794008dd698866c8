// The application every benchmark that draws needs: fonts, images and painters belong to a
// QGuiApplication, and one made on the offscreen platform draws the same pixels without a
// display. Made once, on first use, before any scene exists, with the program's use of memory.
#pragma once

#include <QGuiApplication>

#include "common/MemoryReuse.h"

inline void EnsureApplication() {
    static int Argc = 1;
    static char Name[] = "torvane_bench";
    static char* Argv[] = {Name, nullptr};
    if (!QGuiApplication::instance()) {
        KeepFreedMemoryForReuse();
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication Application(Argc, Argv);
    }
}
