// The texts the window's controls take when it starts, before any remembered
// settings are applied; and the selectors that accept only their own items.
#pragma once

#include <array>
#include <string_view>

namespace korin {

struct ControlText {
    std::string_view control;  // object name
    std::string_view text;
};

// In the order they are applied. "# Repeat" comes before the interval fields so
// that the interval is gated for a single trace by the time they are set.
inline constexpr std::array<ControlText, 22> kStartUpTexts{{
    {"comboInputRange", "2000"},
    {"comboBoxTrace", "1"},
    {"comboBoxHours", "0"},
    {"comboBoxMin", "20"},
    {"comboBoxSec", "0"},
    {"comboBoxInHours", "0"},
    {"comboBoxInMin", "0"},
    {"comboBoxInSec", "0"},
    {"comboBoxHPF", "1"},
    {"comboBoxLPF", "5000"},
    {"comboBoxHPFReplay", "None"},
    {"comboBoxLPFReplay", "None"},
    {"comboBoxDataFormat", "Pellor (16 bit)"},
    {"comboBoxDataFormatReplay", "Short (16 bit)"},
    {"comboStep1F", "S1"},
    {"comboStep2F", "S1"},
    {"comboMNL", "S1"},
    {"textBoxRawYMax", "50"},
    {"textBoxRawYMin", "-50"},
    {"textBoxFreqYMax", "10"},
    {"textBoxFreqYMin", "0"},
    {"comboBoxDelay", "Fast"},
}};

// comboBoxDropDownStyle: the selectors that take no typed text.
inline constexpr std::array<std::string_view, 18> kListOnlySelectors{{
    "comboInputRange", "comboBoxEasySettings", "comboBoxHPF", "comboBoxLPF",
    "comboStep1F", "comboBoxUnit", "comboBoxPulse", "comboBoxDataFormat",
    "comboStep2F", "comboBoxUnit2", "comboBoxPulse2",
    "comboMNL", "comboBoxUnitM", "comboBoxPulseM",
    "comboBoxHPFReplay", "comboBoxLPFReplay", "comboBoxDataFormatReplay", "comboBoxDelay",
}};

inline constexpr std::string_view kEasySettingsStartText = "Custom";

// The evoked-potential window of every channel at start-up, ms after the trace start.
inline constexpr float kEPWindowStartMs = 10.0f;
inline constexpr float kEPWindowEndMs = 80.0f;

// The selected channel at start-up: index 1, the second channel.
inline constexpr int kStartSelectedChannel = 1;

// View settings at start-up.
inline constexpr std::string_view kStartRawXaxis = "500";   // ms per division
inline constexpr std::string_view kStartRawYaxis = "50";    // µV per division
inline constexpr std::string_view kStartRawUpXaxis = "10";  // s across the upper plot

}  // namespace korin
