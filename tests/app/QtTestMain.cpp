// Entry point of the window tests: GoogleTest inside a QApplication on the offscreen platform,
// which renders like a real X server (fonts included) without needing one.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // An explicit choice (for example xcb, to watch the tests) is left alone.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
