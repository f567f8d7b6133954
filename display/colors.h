// Colours of the data views as plain red-green-blue data: what the user can
// change ("Preferences"), what "Default" restores, and the fixed greys and reds.
#pragma once

#include <cstdint>

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// A drawing colour: each component is the byte value / 255.
struct Rgbf {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    friend constexpr bool operator==(const Rgbf&, const Rgbf&) = default;
};

constexpr Rgbf toDrawingColor(Rgb c) {
    return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f};
}

namespace colors {
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
// Off state of a replay channel button.
inline constexpr Rgb kButtonGrey{128, 128, 128};
// The area around the cells and the clear colour: (211, 211, 211) written as a
// fraction with the precision it has always been drawn with.
inline constexpr float kLightGreyComponent = 0.8274509906768799f;
inline constexpr Rgbf kLightGrey{kLightGreyComponent, kLightGreyComponent, kLightGreyComponent};
inline constexpr Rgbf kSelectionRed{1.0f, 0.0f, 0.0f};
}  // namespace colors

// The window's trace colours. The three "16" colours are shared by the
// sixteen-channel view and the selected-channel views and remembered between runs.
struct ViewColors {
    static constexpr Rgb BackColor1 = colors::kWhite;
    static constexpr Rgb LineColor1 = colors::kBlack;
    static constexpr Rgb GridColor1 = colors::kBlack;

    Rgb BackColor16 = BackColor1;
    Rgb LineColor16 = LineColor1;
    Rgb GridColor16 = GridColor1;
    Rgb ChColor16 = colors::kBlack;  // channel numbers; not user-changeable

    Rgb BackColorStim = colors::kWhite;
    Rgb LineColorStim = colors::kBlack;
    Rgb HighLightColorStim = colors::kRed;

    // "Default" of the Preferences menus: background, line and grid back to
    // their defaults, whatever was chosen before.
    void restoreDefaults() {
        LineColor16 = LineColor1;
        BackColor16 = BackColor1;
        GridColor16 = GridColor1;
    }
};
