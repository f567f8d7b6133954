// The "EASY SETTINGS" protocol presets: the eight factory protocols as one
// table, one in-memory store per preset that keeps the user's edits while the
// program runs, and the operations that move a preset into the window's state
// and back. The window copies its controls into a PresetState before a switch
// and shows the state afterwards; nothing here knows a control.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stimulation/pulse_parameters.h"
#include "stimulation/step_editor.h"

// One factory preset, as its table row fills it.
struct EasySettings {
    double tracetime = 0;          // s
    double tracetimeinterval = 0;  // s
    std::int32_t trace = 0;        // repeat count
    std::vector<PulseConfigs> PulseConfigS1;  // S1 of Step 1 and Step 2
    std::vector<PulseConfigs> PulseConfigS2;  // S2 of Step 1 and Step 2
    std::vector<PulseConfigs> PulseConfigMS1;
    std::vector<PulseConfigs> PulseConfigMS2;
    std::string type, duration, intensity, pre, post;  // declared, set by no preset
    std::string hpfhz, lpfhz;
    std::string oscilloX, oscilloY;                  // sixteen-channel view time and voltage scale
    std::string SelectedX, SelectedYp, SelectedYm;   // selected raw view time scale, Y maximum, Y minimum
    std::int32_t Mode = 0;                           // 0 "Spike", 1 "EP", 2 "ISI"
    std::uint8_t repeatAll = 0;
    std::uint8_t enableStep1 = 0;
    std::uint8_t enableStep2 = 0;
    std::uint8_t byrepf1 = 0;
    std::uint8_t byrepf2 = 0;
    std::string increase;
    std::string inputRange;
    std::int32_t hyouziStep = 0;  // steps the analysis views show, -1 both
};

// The part of the window a preset sets and a preset's store keeps.
struct PresetState {
    std::string trace = "1";  // "Repeat #"
    std::string hours = "0", minutes = "20", seconds = "0";
    std::string intervalHours = "0", intervalMinutes = "0", intervalSeconds = "0";
    std::string hpf = "1", lpf = "5000", inputRange = "2000";

    std::int32_t Mode = 0;
    std::string RawXaxis = "500", RawYaxis = "50";  // sixteen-channel view
    bool Rawauto = false;
    std::string RawUpXaxis = "10";  // selected raw view: X range "0" to this
    std::string textBoxRawYMax = "50", textBoxRawYMin = "-50";
    bool RawUpauto = false;
    bool Freqauto = false;
    std::int32_t hyouziStep = 1;

    PulseParameters step1, step2, manual;
    std::array<stim::StepTabState, 3> tabs;  // Step 1, Step 2, Manual

    // Set by setPulseEasySetting…: the tab to show, the time line's X range
    // texts and a vertical autoscale of both pattern panels.
    int stimTab = 0;
    std::string timeLineXMin = "0", timeLineXMax;
    bool autoscalePatterns = false;

    PresetState();
};

// The in-memory store of one preset.
class SaveEasySettings {
public:
    std::uint8_t aftersave = 0;  // the store holds data
    double tracetime = 0;
    double tracetimeinterval = 0;
    std::int32_t trace = 0;
    std::string duration, intensity, pre, post;  // filled by nothing
    std::string hpfhz, lpfhz, oscilloX, oscilloY, SelectedX, SelectedYp, SelectedYm;
    std::int32_t Mode = 0;
    std::string increaseS1, increaseS2;             // Step 1
    std::string increaseS1Step2, increaseS2Step2;   // Step 2
    std::string inputRange;
    std::vector<PulseConfigs> PulseConfigS1Step1, PulseConfigS2Step1, PulseConfigS1Step2, PulseConfigS2Step2,
        PulseConfigS1Manual, PulseConfigS2Manual;
    std::uint8_t byrepf1 = 0, byrepf2 = 0, byrepf1Step2 = 0, byrepf2Step2 = 0;
    std::uint8_t enableStep1 = 0, enableStep2 = 0;
    std::uint8_t repeatAllStep1 = 0, repeatAllStep2 = 0;
    std::int32_t stimChS1 = -1, stimChS2 = -1, stimChS1Step2 = -1, stimChS2Step2 = -1, stimChS1Manual = -1,
                 stimChS2Manual = -1;
    std::uint8_t oscilloautoscale = 0, RawUpautoscale = 0, Freqpautoscale = 0;
    std::int32_t hyouziStep = 1;

    // Keeps the current state: times from the three lists (each a single-precision
    // number, 0 when it is not one) in seconds rounded to 0.1, the repeat count
    // truncated, copies of the six lists, flags, electrodes and view settings.
    void saveMemory(const PresetState& state);
};

namespace easy {

enum class Preset : std::uint8_t { Custom, EpBaseline, EpCulture, EpIOCurve, ERP, LtpHfs, LtpTbs, Spontaneous,
                                   StraightPacing };
inline constexpr std::size_t kPresetCount = 9;
// The selector's items, in list order.
inline constexpr std::array<std::string_view, kPresetCount> kPresetNames{
    "Custom", "EP - baseline", "EP - culture", "EP - IO curve", "ERP", "LTP - HFS", "LTP - TBS", "Spontaneous",
    "Straight pacing"};
std::optional<Preset> presetFromName(std::string_view name);
std::string_view presetName(Preset preset);

// The factory values of a preset (empty for Custom).
EasySettings factoryPreset(Preset preset);

}  // namespace easy

// Reset of the stimulation side before a preset is applied: empty programs,
// Step 1's S1 routed to electrode 1 and every other output to none, every tab
// back to "Pulse #" "0" and the default pulse fields.
void EasySettingSyokika(PresetState& state);

// "Repeat #", trace duration and interval split into hours, minutes and seconds,
// filters and input range. The Load twin rounds the seconds to 0.1.
void setTraceTimeEasySetting(const EasySettings& preset, PresetState& state);
void setTraceTimeEasySettingLoad(const SaveEasySettings& store, PresetState& state);

// The three programs, their "by rep #" flags and increments, and the tabs.
void setPulseEasySetting(const EasySettings& preset, PresetState& state);
void setPulseEasySettingLoad(const SaveEasySettings& store, PresetState& state);
// One output's list of a program replaced and rendered.
void setPulseEasySettingS1(const std::vector<PulseConfigs>& list, PulseParameters& program);
void setPulseEasySettingS2(const std::vector<PulseConfigs>& list, PulseParameters& program);
void setPulseEasySettingMS1(const std::vector<PulseConfigs>& list, PulseParameters& manual);
void setPulseEasySettingMS2(const std::vector<PulseConfigs>& list, PulseParameters& manual);

// Mode, view scales and autoscale, "repeat all the time", "Enable step", step filter.
void setEasySettingScale(const EasySettings& preset, PresetState& state);
void setEasySettingScaleLoad(const SaveEasySettings& store, PresetState& state);

// The eight stores and the preset last chosen.
class EasySettingsPresets {
public:
    // comboBoxEasySettings_SelectedIndexChanged: the state goes into the store of
    // the preset being left (unless "Custom"); then the new preset is applied from
    // its store when it holds data, else from its factory values. Choosing
    // "Custom" changes nothing. False with the reason in `failure` for a name
    // that is not an item; the state is then unchanged.
    bool comboBoxEasySettings_SelectedIndexChanged(std::string_view selected, PresetState& state,
                                                   std::string* failure = nullptr);

    const std::string& EasySettingPreName() const { return EasySettingPreName_; }
    SaveEasySettings& store(easy::Preset preset);
    const SaveEasySettings& store(easy::Preset preset) const;

private:
    std::array<SaveEasySettings, easy::kPresetCount - 1> stores_;
    std::string EasySettingPreName_ = "Custom";
};
