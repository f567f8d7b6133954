#pragma once

#include <QString>

#include <optional>

// What the picture shows: the window as it starts, in replay mode, or after
// replaying a recording to its end in a given analysis mode and channel,
// its plots autoscaled if asked.
struct ScreenshotRequest {
    QString path;
    bool replayMode = false;
    QString recording;  // replayed fast to its end when given (implies replayMode)
    QString mode;       // "Spike", "EP", "ISI" or "Slope"; empty keeps the stored one
    int channel = 0;    // 1-16 selects it; 0 keeps the selection
    bool autoscale = false;  // both selected-channel plots scaled to what they show
};

// Shows the main window on the chosen device, waits for its first paint, does
// what the request asks and saves the window as a PNG. Returns 0 on success.
int saveMainWindowScreenshot(const ScreenshotRequest& request);

// The request of "--screenshot OUT.png [--replay] [--open RECORDING] [--mode M]
// [--channel N] [--autoscale]"; none for an unknown option, a missing value or
// a channel that is not a whole number 1-16.
std::optional<ScreenshotRequest> screenshotRequest(int argc, char** argv);
