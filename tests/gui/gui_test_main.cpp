// Runs the window tests inside one QApplication. With "--screenshot OUT.png
// [--replay] [--open RECORDING] [--mode M] [--channel N] [--autoscale]" it instead saves a
// picture of the main window after its first paint, or after replaying
// RECORDING to its end (scripts/screenshot uses this).
#include <QApplication>
#include <QByteArray>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>

#include "tests/gui/screenshot_tool.h"

namespace {

// A local X display whose socket is gone (no server, or a virtual one that
// already quit) cannot be reached.
bool localDisplayReachable(const QByteArray& display) {
    if (!display.startsWith(':')) return true;  // remote or unusual: let the platform try
    const QByteArray number = display.mid(1).split('.').value(0);
    return QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X") + QString::fromLatin1(number));
}

}  // namespace

int main(int argc, char** argv) {
    // The windows read and may write their remembered settings: never the user's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // Without a reachable display (a plain ctest run) the window still runs, off screen.
    const QByteArray display = qgetenv("DISPLAY");
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && (display.isEmpty() || !localDisplayReachable(display)))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "--screenshot") == 0) {
        const std::optional<ScreenshotRequest> request = screenshotRequest(argc, argv);
        if (!request) {
            std::fprintf(stderr, "usage: --screenshot OUT.png [--replay] [--open RECORDING] [--mode "
                                 "Spike|EP|ISI|Slope] [--channel 1-16] [--autoscale]\n");
            return 2;
        }
        return saveMainWindowScreenshot(*request);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
