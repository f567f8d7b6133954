#pragma once

#include <QString>

// Shows the main window on the chosen device (in replay mode if asked), waits
// for its first paint and saves the window as a PNG. Returns 0 on success.
int saveMainWindowScreenshot(const QString& path, bool replayMode);
