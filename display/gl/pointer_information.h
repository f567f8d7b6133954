// The pointer readout window: borderless, kept out of the task bar, four
// self-sizing labels with the coordinates of the analysis point under the
// pointer. Its size follows the labels in use.
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

#include "display/selected_controls.h"

class QLabel;

class PointerInformation : public QWidget {
    Q_OBJECT
public:
    static constexpr int kInitialWidth = 284;
    static constexpr int kInitialHeight = 136;

    explicit PointerInformation(QWidget* owner = nullptr);

    void setLabelTextSpike(const float* zahyou);
    void setLabelText(const float* zahyou);
    void setLabelTextStim(const float* zahyou);
    int getLabelSizeWidth() const { return labelwidth; }
    int getLabelSizeHeight() const { return labelheight; }

    std::array<QLabel*, 4> labelzahyou{};
    std::uint8_t showing = 0;  // 1 while shown
    int labelwidth = 0;
    int labelheight = 0;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Sets the texts; the extent counts the first `used` labels.
    void apply(const ReadoutTexts& texts, int used);
};
