// Routing of the two stimulator outputs to the sixteen electrodes: the code of
// each output on the digital port, the ten-line word, and the electrode-button
// rule of the stimulation tabs.
#pragma once

#include <cstdint>

namespace stim {

inline constexpr std::int32_t kNotRouted = 24;
inline constexpr int kElectrodes = 16;

// Routing code of electrode index ch (electrode number − 1; −1 = none):
// electrodes 1–8 are codes 16–23, electrodes 9–16 codes 8–15, anything else 24.
std::int32_t getPOch(std::int32_t ch);

// Word for "Dev1/port0/line0:9": S1's code in bits 0–4, S2's in bits 5–9.
inline std::uint32_t routingWord(std::int32_t chS1, std::int32_t chS2) {
    return static_cast<std::uint32_t>(chS2 & 31) * 32u + static_cast<std::uint32_t>(chS1 & 31);
}

// Outcome of a click on electrode button `label` (1–16).
struct ElectrodeClick {
    int redButton;           // label − 1 of the one red button, −1 when all are white
    std::int32_t electrode;  // the selected output's new electrode index, −1 = none
};

// `redButton` is the button shown red before the click (−1 for none) and
// `electrode` the selected output's electrode. A red button turns everything
// white, any other click makes it the only red one; the output's electrode
// toggles between the clicked one and none.
ElectrodeClick clickElectrodeButton(int redButton, int label, std::int32_t electrode);

// The button shown red for an output's electrode (−1 for none).
inline int redButtonFor(std::int32_t electrode) {
    return electrode >= 0 && electrode < kElectrodes ? electrode : -1;
}

}  // namespace stim
