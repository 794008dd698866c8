// Program entry: creates the application and shows the main window.
#include <QApplication>

#include "app/FTorvane.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvane"));

    TTorvane window;
    window.show();
    return QApplication::exec();
}
