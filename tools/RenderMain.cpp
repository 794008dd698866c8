// Entry of the command-line renderer. It needs no display: without one it draws on Qt's
// offscreen platform.
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

#include "common/MemoryReuse.h"
#include "tools/RenderCommand.h"

namespace {

// Standard error carries the renderer's own messages for scripts to read; the platform's
// notice about a missing runtime folder on a headless machine is noise there.
void QuietPlatformNotices(QtMsgType Type, const QMessageLogContext& Context, const QString& Text) {
    if (Type == QtWarningMsg && Text.contains(QStringLiteral("XDG_RUNTIME_DIR"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(Type, Context, Text)));
}

}  // namespace

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietPlatformNotices);
    QGuiApplication Application(argc, argv);
    QTextStream Out(stdout), Err(stderr);
    return RunRender(QGuiApplication::arguments().mid(1), Out, Err);
}
