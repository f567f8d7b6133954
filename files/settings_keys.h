// The keys of the settings store: each key's value format, its default and the
// pass of the start-up loading it belongs to, as one table; the rules that turn
// a stored text into the value the window applies, and the window's values back
// into stored texts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "display/colors.h"
#include "processing/evoked_windows.h"

namespace korin {

class SettingsStore;

// In the order of the table (and of the entries written at exit).
enum class SettingKey : std::uint8_t {
    InputRange, Trace, Hours, Min, Sec, HoursInterval, MinInterval, SecInterval,
    LowCut, HighCut, LowCutReplay, HighCutReplay, DataFormat, DataFormatReplay,
    RawAutoscale, RawDuration, RawVoltage, SelectedRawAutoscale, SelectedRawDuration, SelectedFreqAutoscale,
    Step1Enable, Step2Enable, Step1F, Step2F, StepMF, Mode, ReplayMode,
    RawYMax, RawYMin, FreqYMax, FreqYMin, Delay, SelectCh,
    Step1S1Ch, Step1S2Ch, Step2S1Ch, Step2S2Ch, StepMS1Ch, StepMS2Ch,
    // Each output's own "Increase intensity", beside the shown output's box text.
    Step1S1Increment, Step1S2Increment, Step2S1Increment, Step2S2Increment, StepMS1Increment, StepMS2Increment,
    // The three step editors' boxes: step 1, then "2", then "M", eight each.
    Unit, Pulse, DurationTrain, Intensity, Pre, Post, Units, AutoIncrement,
    Unit2, Pulse2, DurationTrain2, Intensity2, Pre2, Post2, Units2, AutoIncrement2,
    UnitM, PulseM, DurationTrainM, IntensityM, PreM, PostM, UnitsM, AutoIncrementM,
    BackColorR, BackColorG, BackColorB, LineColorR, LineColorG, LineColorB, GridColorR, GridColorG, GridColorB,
    StepFilter, UIType, RawUpYUnit, EpYUnit, EpXUnit, Device,
    // The eight evoked-response windows (ms), then the Slope view's measure,
    // baseline traces and unit.
    EvokedBaseFrom, EvokedBaseTo, EvokedBlank, EvokedWinFrom, EvokedWinTo, EvokedSlopeFrom, EvokedSlopeTo,
    EvokedWidth, SlopeMeasure, SlopeBaselineTraces, SlopeAbsolute,
};
inline constexpr std::size_t kSettingKeyCount = static_cast<std::size_t>(SettingKey::SlopeAbsolute) + 1;

// How a stored text becomes the value the window applies.
enum class ValueRule : std::uint8_t {
    Text,          // as stored
    WriteOnly,     // written at exit, never read back
    Selector,      // exactly one of the selector's items; anything else keeps the default,
                   // as a list-only selector ignores a text that is none of its items
    WholeNumber,   // a whole-number time field: a 32-bit integer as stored, anything else "0"
                   // (the field's own rule on every change of its text)
    Flag,          // "True" / "False"; anything else keeps the default
    Integer,       // whole number within [min, max]; anything else keeps the default
    LimitBox,      // a number box: stored re-formatted, or the key's fallback when not a number
                   // (the rule of the window's getDoubleChecktextBox… helpers)
    StepFilter,    // "1" or "2"; any other text -1 (both steps)
    LayoutType,    // "A"; any other text "C"
    MicroOrMilli,  // "μV"; any other text "mV"
    SecOrMin,      // "sec"; any other text "min"
    DeviceChoice,  // "Auto", "NI-DAQmx", "Simulated"; any other text "Auto"
    Number,        // a finite decimal number, in its shortest form; anything else keeps the default
};

// Pass 1 sets what the pulse lists are checked against (the trace duration);
// pass 3 the rest, after the pulse lists.
enum class LoadPass : std::uint8_t { First, Second };

struct SettingKeyInfo {
    SettingKey id;
    std::string_view name;
    std::string_view defaultText;
    ValueRule rule;
    LoadPass pass;
    std::int32_t min = 0;     // Integer
    std::int32_t max = 0;
    double fallback = 0;      // LimitBox: stored when the box is not a number
    std::span<const std::string_view> items = {};  // a selector's items, in the order it lists them
};

const std::array<SettingKeyInfo, kSettingKeyCount>& settingKeys();
const SettingKeyInfo& keyInfo(SettingKey key);

// The three step editors, in the order of their keys.
enum class StepEditor : std::uint8_t { Step1, Step2, Manual };
enum class EditorBox : std::uint8_t { Unit, Pulse, DurationTrain, Intensity, Pre, Post, Units, AutoIncrement };
SettingKey editorKey(StepEditor editor, EditorBox box);
// Electrode key of output f (0 = S1, 1 = S2) of a step.
SettingKey electrodeKey(StepEditor editor, int f);
// "Increase intensity" key of output f of a step.
SettingKey incrementKey(StepEditor editor, int f);

enum class ViewColour : std::uint8_t { Back, Line, Grid };
// Red key of a colour; green and blue follow it.
SettingKey colourKey(ViewColour colour);

inline constexpr std::string_view kDeviceAuto = "Auto";
inline constexpr std::string_view kDeviceNiDaqmx = "NI-DAQmx";
inline constexpr std::string_view kDeviceSimulated = "Simulated";

enum class SettingSource : std::uint8_t { Default, Store };

// Every key's value as text, in the form the window applies it (when read) or
// stores it (when written), and where it came from.
struct SettingsValues {
    std::array<std::string, kSettingKeyCount> text;
    std::array<SettingSource, kSettingKeyCount> source{};

    // TatiagariSyokiti: every key at its default.
    static SettingsValues defaults();

    const std::string& get(SettingKey key) const { return text[static_cast<std::size_t>(key)]; }
    SettingSource from(SettingKey key) const { return source[static_cast<std::size_t>(key)]; }
    bool flag(SettingKey key) const;
    std::int32_t integer(SettingKey key) const;  // 0 when the text is not a whole number
    Rgb colour(ViewColour colour) const;

    // Write side: the window's current value of a key, normalised by its rule
    // (a limit box that is not a number becomes its fallback, and so on).
    void set(SettingKey key, std::string_view windowText);
    void setFlag(SettingKey key, bool on);
    void setInteger(SettingKey key, std::int32_t value);
    void setColour(ViewColour colour, Rgb value);
};

// The evoked-response windows of the values. Each key has been read on its
// own, so together they may still be inconsistent: such a set gives the
// default windows, with windowsProblem's text in `problem`.
EvokedWindows evokedWindows(const SettingsValues& values, std::string* problem = nullptr);
// The windows into their eight keys, for saving.
void setEvokedWindows(SettingsValues& values, const EvokedWindows& windows);

// A limit box's text (RawYMax, RawYMin, FreqYMax, FreqYMin) as the window
// stores and re-shows it: the number in its plain form, or the key's fallback
// (0.5, -0.5, 10, 0) when the text is not a number. The one definition of the
// getDoubleChecktextBox… rule.
std::string limitBoxText(SettingKey key, std::string_view text);

// The text of a whole-number time field (trace hours and minutes, the three
// interval fields) after a change: unchanged when it reads as a 32-bit
// integer, else "0".
std::string wholeNumberTimeText(std::string_view text);

// The one rule of each key that turns a stored text into the value the window
// applies, for the window and for the command-line tool alike: true with
// `applied` set, or false when the entry is skipped (its default kept) with the
// reason in `why`.
bool appliedValue(SettingKey key, std::string_view stored, std::string* applied, std::string* why);

// Reads every key of the table from the store over the defaults. Entries that
// are skipped leave one line each in `console`.
SettingsValues readSettings(const SettingsStore& store, std::vector<std::string>* console = nullptr);
// Replaces every key of the table in the store with the values, in table order.
void writeSettings(SettingsStore& store, const SettingsValues& values);

}  // namespace korin
