// Entry point of the window tests: GoogleTest inside a QApplication on the offscreen platform,
// which renders like a real X server (fonts included) without needing one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // An explicit choice (for example xcb, to watch the tests) is left alone.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The window keeps preferences in the user's settings: the tests keep theirs apart, in a
    // folder of their own that starts empty.
    QTemporaryDir Settings;
    qputenv("XDG_CONFIG_HOME", Settings.path().toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
