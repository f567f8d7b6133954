// Runs the window tests inside one QApplication. With "--screenshot OUT.png
// [--replay]" it instead saves a picture of the main window after its first
// paint (scripts/screenshot uses this).
#include <QApplication>
#include <QByteArray>

#include <gtest/gtest.h>

#include <cstring>

#include "tests/gui/screenshot_tool.h"

int main(int argc, char** argv) {
    // Without an X display (a plain ctest run) the window still runs, off screen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "--screenshot") == 0) {
        const bool replay = argc >= 4 && std::strcmp(argv[3], "--replay") == 0;
        return saveMainWindowScreenshot(QString::fromLocal8Bit(argv[2]), replay);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
