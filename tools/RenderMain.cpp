// Entry of the command-line renderer. It needs no display: without one it draws on Qt's
// offscreen platform.
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

#include "tools/RenderCommand.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication Application(argc, argv);
    QTextStream Out(stdout), Err(stderr);
    return RunRender(QGuiApplication::arguments().mid(1), Out, Err);
}
