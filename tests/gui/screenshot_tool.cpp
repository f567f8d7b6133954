#include "tests/gui/screenshot_tool.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>

#include <cstdio>

#include "acquisition/device_choice.h"
#include "app/korin16_form.h"

int saveMainWindowScreenshot(const QString& path, bool replayMode) {
    Korin16Form::registerFontSubstitutes();
    DeviceChoice device = chooseDevice();
    Korin16Form form(device.driver, QString::fromStdString(device.description));
    form.show();
    // The first paint and the layout passes it queues.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (replayMode) {
        form.toolStripButtonSwitch_Click();
        for (int i = 0; i < 10; ++i) QApplication::processEvents();
    }
    const QPixmap picture = form.grab();
    if (!picture.save(path, "PNG")) {
        std::fprintf(stderr, "Cannot write %s\n", path.toLocal8Bit().constData());
        return 1;
    }
    std::printf("Saved %dx%d window to %s\n", picture.width(), picture.height(), path.toLocal8Bit().constData());
    return 0;
}
