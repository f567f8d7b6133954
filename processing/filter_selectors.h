// Reading the filter selectors of the window (live and replay pairs) into the
// arguments of Filter. Pure functions over the selector's text, so the window
// and the command-line tool apply the same rules; each also returns the text the
// selector should show afterwards.
#pragma once

#include <string>
#include <string_view>

namespace korin {

constexpr const char* kFilterNoneText = "None";
constexpr float kMaxLowPassHz = 10000.0f;
constexpr float kMinHighPassHz = 0.1f;
constexpr float kHighPassFallbackHz = 1.0f;

struct SwitchReading {
    bool none;         // the stage is off: pass 0 as its switch to Filter
    std::string text;  // the selector's text afterwards
};

struct ValueReading {
    float value;       // the cut-off in Hz to pass to Filter
    std::string text;  // the selector's text afterwards
};

// True for "None"; a text that is not a number also reads as "None" and the
// selector is turned to "None".
SwitchReading isFilterComboBoxNoneLPF(std::string_view text);
SwitchReading isFilterComboBoxNoneHPF(std::string_view text);

// Low-pass cut-off: above 10000 reads as 10000 (and the text becomes "10000");
// a text that is not a number gives 10000.
ValueReading getFilterComboBoxValueLPF(std::string_view text);

// High-pass cut-off: below 0.1 reads as 0.1 (and the text becomes "0.1"); a text
// that is not a number gives 1.
ValueReading getFilterComboBoxValueHPF(std::string_view text);

}  // namespace korin
