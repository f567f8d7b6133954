// The small dialog of the eight evoked-response windows (ms relative to a
// stimulus onset). OK takes the boxes as one set: a box that is not a number
// is refused with "Please input a numerical value.", an inconsistent set with
// the text that says what is wrong, and the dialog stays open with the boxes
// as typed; Cancel keeps the windows as they were.
#pragma once

#include <QDialog>

#include <array>
#include <functional>

#include "processing/evoked_windows.h"

class QLineEdit;

class EvokedWindowsDialog : public QDialog {
    Q_OBJECT
public:
    // `alert` shows a refusal (the window's alert dialog).
    EvokedWindowsDialog(const korin::EvokedWindows& windows, std::function<void(const QString&)> alert,
                        QWidget* parent = nullptr);

    // The windows of the last accepted OK (the given ones before).
    const korin::EvokedWindows& windows() const { return windows_; }
    // The boxes in the order of the windows: BASE_FROM, BASE_TO, BLANK,
    // WIN_FROM, WIN_TO, SLOPE_FROM, SLOPE_TO, WIDTH.
    const std::array<QLineEdit*, korin::kEvokedWindowCount>& boxes() const { return boxes_; }

    void accept() override;

private:
    korin::EvokedWindows windows_;
    std::function<void(const QString&)> alert_;
    std::array<QLineEdit*, korin::kEvokedWindowCount> boxes_{};
};
