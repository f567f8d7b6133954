// Parse-with-fallback rules for the free-text numeric fields of the main window.
// Every function returns a usable value for any text; none of them throws.
#pragma once

#include <array>
#include <string>
#include <string_view>

// wholeNumberTimeText and limitBoxText: one rule each for the fields and the store.
#include "files/settings_keys.h"

namespace korin {

// A text as a single-precision number; 0 when it is not one.
float checkText(std::string_view text);
// A text as a double; 0 when it is not one.
double getDoubleParse(std::string_view text);

// Axis limits of the selected-channel views, parsed and written back in the
// plain number form, or the limit's fallback when the text is not a number
// (the settings store's rule for the same boxes, limitBoxText).
std::string getDoubleChecktextBoxRawYMax(std::string_view text);   // fallback "0.5"
std::string getDoubleChecktextBoxRawYMin(std::string_view text);   // fallback "-0.5"
std::string getDoubleChecktextBoxFreqYMax(std::string_view text);  // fallback "10"
std::string getDoubleChecktextBoxFreqYMin(std::string_view text);  // fallback "0"

// A whole number written back as text; "0" when the text is not one.
std::string getIntChecktextDelay(std::string_view text);

// One numeric entry field and the text it falls back to.
struct NumericField {
    std::string_view name;
    std::string_view fallback;
};

// The fields that applyEnterBackColor cleans, in the order it cleans them.
inline constexpr std::array<NumericField, 16> kEnterBackColorFields{{
    {"comboBoxTrace", "1"},
    {"comboBoxHours", "0"},
    {"comboBoxMin", "0"},
    {"comboBoxSec", "0"},
    {"comboBoxInHours", "0"},
    {"comboBoxInMin", "0"},
    {"comboBoxInSec", "0"},
    {"textBoxAutoIncrement", "0"},
    {"textBoxAutoIncrement2", "0"},
    {"textBoxAutoIncrementM", "0"},
    {"textBoxUnits", "1"},
    {"textBoxUnits2", "1"},
    {"textBoxTraceFrom", "1"},
    {"textBoxTraceTo", "1"},
    {"textBoxTimeFrom", "0"},
    {"textBoxTimeTo", "0"},
}};

// Further fields whose click also runs the clean-up (the pulse-table entries of
// the three step tabs, the manual add count and the two export file-name
// fields); they are not cleaned themselves.
inline constexpr std::array<std::string_view, 15> kEnterBackColorTriggerOnlyFields{{
    "textBoxIntensity", "textBoxPre", "textBoxPost", "textBoxDurationTrain",
    "textBoxIntensity2", "textBoxPre2", "textBoxPost2", "textBoxDurationTrain2",
    "textBoxIntensityM", "textBoxPreM", "textBoxPostM", "textBoxDurationTrainM",
    "textBoxUnitsM", "textBoxExportfilename", "textBoxExportfilenameReplay",
}};

// The trace-duration hours and minutes and the three interval fields take whole
// numbers only: any other text turns into "0" as soon as it is typed
// (wholeNumberTimeText).
inline constexpr std::array<std::string_view, 5> kWholeNumberTimeFields{{
    "comboBoxHours", "comboBoxMin", "comboBoxInHours", "comboBoxInMin", "comboBoxInSec",
}};

// The field's text when it reads as a single-precision number (exactly as typed),
// else the fallback.
std::string sanitisedText(std::string_view text, std::string_view fallback);

// The three interval fields are usable unless the repeat count reads exactly "1".
bool intervalFieldsEnabled(std::string_view repeatCountText);

}  // namespace korin
