// The colour scheme of the window's buttons: each kind has an enabled look and a
// dimmed one, which keeps the hue and drops the alpha to kDimmedAlpha.
#pragma once

#include <cstdint>

namespace korin {

struct Argb {
    std::uint8_t a, r, g, b;
    friend constexpr bool operator==(Argb, Argb) = default;
};

struct ButtonColours {
    Argb fore;
    Argb back;
    friend constexpr bool operator==(ButtonColours, ButtonColours) = default;
};

enum class ButtonKind : std::uint8_t {
    Ordinary,          // add/delete, "in all units", toggles when off, the manual button
    OrdinarySelected,  // a toggle that is on: the ordinary colours swapped
    Toolbar,           // Play, Pause, Stop, Back, Next, Switch, Mode
    Record,
};

inline constexpr std::uint8_t kOpaqueAlpha = 255;
inline constexpr std::uint8_t kDimmedAlpha = 10;  // opacityButton

inline constexpr Argb kButtonGrey{kOpaqueAlpha, 90, 90, 90};
inline constexpr Argb kButtonWhite{kOpaqueAlpha, 255, 255, 255};
inline constexpr Argb kRecordRed{kOpaqueAlpha, 255, 0, 0};

constexpr Argb dimmed(Argb colour) { return {kDimmedAlpha, colour.r, colour.g, colour.b}; }

constexpr ButtonColours buttonColours(ButtonKind kind, bool enabled) {
    ButtonColours colours{kButtonGrey, kButtonWhite};
    switch (kind) {
        case ButtonKind::Ordinary:
        case ButtonKind::Toolbar: colours = {kButtonGrey, kButtonWhite}; break;
        case ButtonKind::OrdinarySelected: colours = {kButtonWhite, kButtonGrey}; break;
        case ButtonKind::Record: colours = {kRecordRed, kButtonWhite}; break;
    }
    if (!enabled) colours = {dimmed(colours.fore), dimmed(colours.back)};
    return colours;
}

}  // namespace korin
