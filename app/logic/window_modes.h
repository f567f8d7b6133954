// The window's analysis mode (what the lower selected-channel plot shows) and the
// arrangement of the sixteen-channel view.
#pragma once

#include <cstdint>
#include <string_view>

namespace korin {

// Mode: 0 spike rate, 1 evoked potential, 2 inter-spike intervals, 3 the
// evoked-response measures' time course.
inline constexpr std::uint8_t kModeSpike = 0;
inline constexpr std::uint8_t kModeEP = 1;
inline constexpr std::uint8_t kModeISI = 2;
inline constexpr std::uint8_t kModeSlope = 3;

// The mode button's text before start-up has applied the mode.
inline constexpr std::string_view kModeTextBeforeStartUp = "SPIKE";

constexpr std::string_view analysisModeText(std::uint8_t mode) {
    switch (mode) {
        case kModeEP: return "EP";
        case kModeISI: return "ISI";
        case kModeSlope: return "Slope";
        default: return "Spike";
    }
}

// A click on the mode button: Spike -> EP -> ISI -> Slope -> Spike.
constexpr std::uint8_t nextAnalysisMode(std::uint8_t mode) {
    return mode >= kModeSlope ? kModeSpike : static_cast<std::uint8_t>(mode + 1);
}

// UIType: "A" four rows of four (menu item "A/B"), "C" two rows of eight.
inline constexpr std::string_view kLayoutTypeA = "A";
inline constexpr std::string_view kLayoutTypeC = "C";

}  // namespace korin
