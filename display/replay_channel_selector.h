// The sixteen replay channel buttons as state: a button is "selected" when it
// shows BackColor1 (white) and off when grey. The window paints the buttons
// from buttonColor() and hands GetSelectCh's flags to the reader.
#pragma once

#include <array>
#include <cstdint>

#include "display/colors.h"

class ReplayChannelSelector {
public:
    static constexpr int kChannels = 16;

    // A file was opened: channels present in it (flag 1) are selected, the
    // others are grey.
    void ChSelector(const std::uint8_t* presentFlags);
    // A click toggles the button between white and grey. A channel the file
    // does not hold stays grey: the reader has no samples to give for it.
    void buttonChrep_Click(int channel);
    // 1 for each white button, else 0.
    void GetSelectCh(std::uint8_t* selectFlags) const;

    Rgb buttonColor(int channel) const { return white_[channel] ? ViewColors::BackColor1 : colors::kButtonGrey; }
    bool present(int channel) const { return present_[channel]; }

private:
    std::array<bool, kChannels> white_{};
    std::array<bool, kChannels> present_{};
};
