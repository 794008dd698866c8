// Program entry: creates the application and shows the main window.
#include <QApplication>
#include <QStringList>

#include "app/FTorvane.h"
#include "common/MemoryReuse.h"

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvane"));

    TTorvane window;
    window.show();
    // A document named on the command line (as a file manager passes it) opens at once.
    const QStringList Arguments = QApplication::arguments();
    window.Start(Arguments.size() > 1 ? Arguments[1] : QString());
    return QApplication::exec();
}
