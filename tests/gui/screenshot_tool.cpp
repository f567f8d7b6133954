#include "tests/gui/screenshot_tool.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "acquisition/device_choice.h"
#include "app/korin16_form.h"
#include "app/replay_controller_form.h"
#include "display/cell_layout.h"
#include "display/gl/sixteen_channel_view.h"

namespace {

void settle(int ms) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

template <typename T>
T* control(Korin16Form& form, const char* name) {
    T* widget = form.findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr) std::fprintf(stderr, "The window has no %s\n", name);
    return widget;
}

// A click at the middle of the channel's cell, as the user selects it.
bool selectChannel(Korin16Form& form, int channel) {
    SixteenChannelView& view = *form.panelRawData1View;
    const CellGrid grid = cellGrid(arrayTypeFromText(view.settings().UIType), view.width(), view.height());
    for (int y = 0; y < view.height(); y += 4)
        for (int x = 0; x < view.width(); x += 4)
            if (channelAtPoint(grid, x, y) == channel - 1) {
                int right = x;
                while (right + 1 < view.width() && channelAtPoint(grid, right + 1, y) == channel - 1) ++right;
                int bottom = y;
                while (bottom + 1 < view.height() && channelAtPoint(grid, x, bottom + 1) == channel - 1) ++bottom;
                view.panelRawData1_MouseClick((x + right) / 2, (y + bottom) / 2);
                return true;
            }
    return false;
}

}  // namespace

std::optional<ScreenshotRequest> screenshotRequest(int argc, char** argv) {
    ScreenshotRequest request;
    request.path = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--replay") == 0) {
            request.replayMode = true;
            continue;
        }
        if (std::strcmp(option, "--autoscale") == 0) {
            request.autoscale = true;
            continue;
        }
        if (i + 1 >= argc) return std::nullopt;
        const char* value = argv[++i];
        if (std::strcmp(option, "--open") == 0) {
            request.recording = QString::fromLocal8Bit(value);
        } else if (std::strcmp(option, "--mode") == 0) {
            request.mode = QString::fromLocal8Bit(value);
        } else if (std::strcmp(option, "--channel") == 0) {
            char* end = nullptr;
            const long channel = std::strtol(value, &end, 10);
            if (end == value || *end != '\0' || channel < 1 || channel > 16) return std::nullopt;
            request.channel = static_cast<int>(channel);
        } else {
            return std::nullopt;
        }
    }
    return request;
}

int saveMainWindowScreenshot(const ScreenshotRequest& request) {
    Korin16Form::registerFontSubstitutes();
    DeviceChoice device = chooseDevice();
    Korin16Form form(device.driver, QString::fromStdString(device.description));
    form.show();
    settle(500);  // the first paint and the layout passes it queues
    if (request.replayMode || !request.recording.isEmpty()) {
        form.toolStripButtonSwitch_Click();
        settle(100);
    }
    if (!request.recording.isEmpty()) {
        const std::string recording = request.recording.toStdString();
        form.replayController->chooseRecordingFile = [recording](const std::string&) { return recording; };
        auto* open = control<QPushButton>(form, "buttonFileOpen");
        auto* delay = control<QComboBox>(form, "comboBoxDelay");
        auto* play = control<QToolButton>(form, "toolStripButtonPlay2");
        if (open == nullptr || delay == nullptr || play == nullptr) return 1;
        open->click();
        delay->setCurrentText("Fast");
        play->click();  // returns at the end of the range
    }
    if (request.autoscale) {
        for (const char* name : {"MenuItemRawUpAutoOn", "MenuItemFreqAutoOn"}) {
            auto* on = control<QAction>(form, name);
            if (on == nullptr) return 1;
            on->trigger();
        }
    }
    if (!request.mode.isEmpty()) {
        QToolButton* mode = form.modeButton();
        for (int i = 0; i < 4 && mode->text() != request.mode; ++i) mode->click();
        if (mode->text() != request.mode) {
            std::fprintf(stderr, "No analysis mode %s\n", request.mode.toLocal8Bit().constData());
            return 1;
        }
    }
    if (request.channel != 0 && !selectChannel(form, request.channel)) {
        std::fprintf(stderr, "No channel %d on the view\n", request.channel);
        return 1;
    }
    settle(300);
    const QPixmap picture = form.grab();
    if (!picture.save(request.path, "PNG")) {
        std::fprintf(stderr, "Cannot write %s\n", request.path.toLocal8Bit().constData());
        return 1;
    }
    std::printf("Saved %dx%d window to %s\n", picture.width(), picture.height(),
                request.path.toLocal8Bit().constData());
    return 0;
}
