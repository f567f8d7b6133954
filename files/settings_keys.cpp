#include "files/settings_keys.h"

#include <cmath>
#include <limits>

#include "acquisition/number_text.h"
#include "files/settings_store.h"
#include "processing/series.h"

namespace korin {

namespace {

using K = SettingKey;
using R = ValueRule;
constexpr LoadPass P1 = LoadPass::First;
constexpr LoadPass P2 = LoadPass::Second;

constexpr std::string_view kTrue = "True";
constexpr std::string_view kFalse = "False";
constexpr std::string_view kMicrovolt = "\u03BCV";

constexpr SettingKeyInfo text(K id, std::string_view name, std::string_view def, LoadPass pass = P2) {
    return {id, name, def, R::Text, pass};
}
constexpr SettingKeyInfo rule(K id, std::string_view name, std::string_view def, R r) { return {id, name, def, r, P2}; }
constexpr SettingKeyInfo integer(K id, std::string_view name, std::string_view def, std::int32_t min,
                                 std::int32_t max) {
    return {id, name, def, R::Integer, P2, min, max};
}
constexpr SettingKeyInfo limit(K id, std::string_view name, std::string_view def, double fallback) {
    return {id, name, def, R::LimitBox, P2, 0, 0, fallback};
}
constexpr SettingKeyInfo selector(K id, std::string_view name, std::span<const std::string_view> items,
                                  std::string_view def, LoadPass pass = P2, R r = R::Selector) {
    return {id, name, def, r, pass, 0, 0, 0, items};
}
constexpr SettingKeyInfo number(K id, std::string_view name, std::string_view def) {
    return {id, name, def, R::Number, P2};
}
constexpr SettingKeyInfo whole(K id, std::string_view name, std::string_view def, LoadPass pass = P2) {
    return {id, name, def, R::WholeNumber, pass};
}

constexpr std::string_view kInputRanges[] = {"2000", "10000"};
constexpr std::string_view kHighPassItems[] = {"0.1", "1", "10", "100", "None"};
constexpr std::string_view kLowPassItems[] = {"1000", "2000", "2500", "5000", "None"};
constexpr std::string_view kDataFormats[] = {"Pellor (16 bit)"};
constexpr std::string_view kExportFormats[] = {"Short (16 bit)", "CSV"};
constexpr std::string_view kOutputs[] = {"S1", "S2"};
constexpr std::string_view kPulseTypes[] = {"Biphasic", "Const"};
constexpr std::string_view kReplaySpeeds[] = {"Slow", "Normal", "Fast"};

// Analysis modes 0 "Spike", 1 "EP", 2 "ISI", 3 "Slope"; channels and electrodes 0..15,
// -1 for no electrode; "Pulse #" any whole number (the editor clamps it to its list).
constexpr std::int32_t kLastMode = 3;
// The Slope view's measures 0-3 (EvokedMeasure), its baseline of 1 up to every
// trace a run can hold, and 0 "% of baseline" or 1 absolute units.
constexpr std::int32_t kLastSlopeMeasure = 3;
constexpr std::int32_t kMostBaselineTraces = kMaxEPEntries;
constexpr std::int32_t kLastChannel = 15;
constexpr std::int32_t kNoElectrode = -1;
constexpr std::int32_t kLastUnit = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kLastComponent = 255;

constexpr std::array<SettingKeyInfo, kSettingKeyCount> kKeys{{
    selector(K::InputRange, "Input Range", kInputRanges, "2000", P1),
    text(K::Trace, "Trace", "1", P1),
    whole(K::Hours, "Hours", "0", P1),
    whole(K::Min, "Min", "20", P1),
    text(K::Sec, "Sec", "0", P1),
    whole(K::HoursInterval, "Hours Interval", "0"),
    whole(K::MinInterval, "Min Interval", "0"),
    whole(K::SecInterval, "Sec Interval", "0"),
    selector(K::LowCut, "Low cut freq", kHighPassItems, "1"),
    selector(K::HighCut, "High cut freq", kLowPassItems, "5000"),
    selector(K::LowCutReplay, "Low cut freq replay", kHighPassItems, "None"),
    selector(K::HighCutReplay, "High cut freq replay", kLowPassItems, "None"),
    selector(K::DataFormat, "Data format", kDataFormats, "Pellor (16 bit)", P2, R::WriteOnly),
    selector(K::DataFormatReplay, "Data format Replay", kExportFormats, "Short (16 bit)"),
    rule(K::RawAutoscale, "RawData Autoscale", kFalse, R::Flag),
    text(K::RawDuration, "RawData Duration", "500"),
    text(K::RawVoltage, "RawData Voltage", "50"),
    rule(K::SelectedRawAutoscale, "Selected RawData Autoscale", kFalse, R::Flag),
    text(K::SelectedRawDuration, "Selected RawData Duration", "10"),
    rule(K::SelectedFreqAutoscale, "Selected Freq Autoscale", kFalse, R::Flag),
    rule(K::Step1Enable, "Step1Enable", kFalse, R::Flag),
    rule(K::Step2Enable, "Step2Enable", kFalse, R::Flag),
    selector(K::Step1F, "Step1F", kOutputs, "S1"),
    selector(K::Step2F, "Step2F", kOutputs, "S1"),
    selector(K::StepMF, "StepMF", kOutputs, "S1"),
    integer(K::Mode, "Mode", "0", 0, kLastMode),
    rule(K::ReplayMode, "ReplayMode", kFalse, R::Flag),
    limit(K::RawYMax, "textBoxRawYMax", "50", 0.5),
    limit(K::RawYMin, "textBoxRawYMin", "-50", -0.5),
    limit(K::FreqYMax, "textBoxFreqYMax", "10", 10),
    limit(K::FreqYMin, "textBoxFreqYMin", "0", 0),
    selector(K::Delay, "Delay", kReplaySpeeds, "Fast"),
    integer(K::SelectCh, "SelectCh", "1", 0, kLastChannel),
    integer(K::Step1S1Ch, "Step1S1Ch", "-1", kNoElectrode, kLastChannel),
    integer(K::Step1S2Ch, "Step1S2Ch", "-1", kNoElectrode, kLastChannel),
    integer(K::Step2S1Ch, "Step2S1Ch", "-1", kNoElectrode, kLastChannel),
    integer(K::Step2S2Ch, "Step2S2Ch", "-1", kNoElectrode, kLastChannel),
    integer(K::StepMS1Ch, "StepMS1Ch", "-1", kNoElectrode, kLastChannel),
    integer(K::StepMS2Ch, "StepMS2Ch", "-1", kNoElectrode, kLastChannel),
    text(K::Step1S1Increment, "Step1S1Increment", "1"),
    text(K::Step1S2Increment, "Step1S2Increment", "1"),
    text(K::Step2S1Increment, "Step2S1Increment", "1"),
    text(K::Step2S2Increment, "Step2S2Increment", "1"),
    text(K::StepMS1Increment, "StepMS1Increment", "1"),
    text(K::StepMS2Increment, "StepMS2Increment", "1"),
    integer(K::Unit, "comboBoxUnit", "0", 0, kLastUnit),
    selector(K::Pulse, "comboBoxPulse", kPulseTypes, "Biphasic"),
    text(K::DurationTrain, "textBoxDurationTrain", "0.1"),
    text(K::Intensity, "textBoxIntensity", "-10"),
    text(K::Pre, "textBoxPre", "0"),
    text(K::Post, "textBoxPost", "99.9"),
    text(K::Units, "textBoxUnits", "1"),
    text(K::AutoIncrement, "textBoxAutoIncrement", "1"),
    integer(K::Unit2, "comboBoxUnit2", "0", 0, kLastUnit),
    selector(K::Pulse2, "comboBoxPulse2", kPulseTypes, "Biphasic"),
    text(K::DurationTrain2, "textBoxDurationTrain2", "0.1"),
    text(K::Intensity2, "textBoxIntensity2", "-10"),
    text(K::Pre2, "textBoxPre2", "0"),
    text(K::Post2, "textBoxPost2", "99.9"),
    text(K::Units2, "textBoxUnits2", "1"),
    text(K::AutoIncrement2, "textBoxAutoIncrement2", "1"),
    integer(K::UnitM, "comboBoxUnitM", "0", 0, kLastUnit),
    selector(K::PulseM, "comboBoxPulseM", kPulseTypes, "Biphasic"),
    text(K::DurationTrainM, "textBoxDurationTrainM", "0.1"),
    text(K::IntensityM, "textBoxIntensityM", "-10"),
    text(K::PreM, "textBoxPreM", "0"),
    text(K::PostM, "textBoxPostM", "99.9"),
    text(K::UnitsM, "textBoxUnitsM", "1"),
    text(K::AutoIncrementM, "textBoxAutoIncrementM", "1"),
    integer(K::BackColorR, "BackColor16R", "255", 0, kLastComponent),
    integer(K::BackColorG, "BackColor16G", "255", 0, kLastComponent),
    integer(K::BackColorB, "BackColor16B", "255", 0, kLastComponent),
    integer(K::LineColorR, "LineColor16R", "0", 0, kLastComponent),
    integer(K::LineColorG, "LineColor16G", "0", 0, kLastComponent),
    integer(K::LineColorB, "LineColor16B", "0", 0, kLastComponent),
    integer(K::GridColorR, "GridColor16R", "0", 0, kLastComponent),
    integer(K::GridColorG, "GridColor16G", "0", 0, kLastComponent),
    integer(K::GridColorB, "GridColor16B", "0", 0, kLastComponent),
    rule(K::StepFilter, "StepFilter", "1", R::StepFilter),
    rule(K::UIType, "UIType", "C", R::LayoutType),
    rule(K::RawUpYUnit, "RawUpYUnit", kMicrovolt, R::MicroOrMilli),
    rule(K::EpYUnit, "EpYUnit", kMicrovolt, R::MicroOrMilli),
    rule(K::EpXUnit, "EpXUnit", "sec", R::SecOrMin),
    rule(K::Device, "Device", kDeviceAuto, R::DeviceChoice),
    number(K::EvokedBaseFrom, "EvokedBaseFrom", "2"),
    number(K::EvokedBaseTo, "EvokedBaseTo", "0.2"),
    number(K::EvokedBlank, "EvokedBlank", "1"),
    number(K::EvokedWinFrom, "EvokedWinFrom", "1"),
    number(K::EvokedWinTo, "EvokedWinTo", "15"),
    number(K::EvokedSlopeFrom, "EvokedSlopeFrom", "1.5"),
    number(K::EvokedSlopeTo, "EvokedSlopeTo", "3"),
    number(K::EvokedWidth, "EvokedWidth", "1"),
    integer(K::SlopeMeasure, "SlopeMeasure", "0", 0, kLastSlopeMeasure),
    integer(K::SlopeBaselineTraces, "SlopeBaselineTraces", "10", 1, kMostBaselineTraces),
    integer(K::SlopeAbsolute, "SlopeAbsolute", "0", 0, 1),
}};

constexpr bool inTableOrder() {
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        if (static_cast<std::size_t>(kKeys[i].id) != i) return false;
    return true;
}
static_assert(inTableOrder(), "the key table must list the keys in SettingKey order");

constexpr std::size_t index(K key) { return static_cast<std::size_t>(key); }

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(first, last - first + 1));
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

const std::array<SettingKeyInfo, kSettingKeyCount>& settingKeys() { return kKeys; }
const SettingKeyInfo& keyInfo(SettingKey key) { return kKeys[index(key)]; }

std::string limitBoxText(SettingKey key, std::string_view text) {
    const auto v = parseDouble(text);
    return defaultNumberText(v ? *v : keyInfo(key).fallback);
}

SettingKey editorKey(StepEditor editor, EditorBox box) {
    constexpr std::size_t kBoxes = 8;
    return static_cast<SettingKey>(index(K::Unit) + static_cast<std::size_t>(editor) * kBoxes +
                                   static_cast<std::size_t>(box));
}

SettingKey electrodeKey(StepEditor editor, int f) {
    return static_cast<SettingKey>(index(K::Step1S1Ch) + static_cast<std::size_t>(editor) * 2 + (f == 0 ? 0 : 1));
}

SettingKey incrementKey(StepEditor editor, int f) {
    return static_cast<SettingKey>(index(K::Step1S1Increment) + static_cast<std::size_t>(editor) * 2 + (f == 0 ? 0 : 1));
}

SettingKey colourKey(ViewColour colour) {
    return static_cast<SettingKey>(index(K::BackColorR) + static_cast<std::size_t>(colour) * 3);
}

std::string wholeNumberTimeText(std::string_view text) {
    return parseInt32(text) ? std::string(text) : std::string("0");
}

bool appliedValue(SettingKey key, std::string_view stored, std::string* applied, std::string* why) {
    const SettingKeyInfo& info = keyInfo(key);
    switch (info.rule) {
        case R::Text:
        case R::LimitBox: *applied = std::string(stored); return true;
        case R::WriteOnly: *why = "not read back"; return false;
        case R::Selector:
            for (std::string_view item : info.items)
                if (stored == item) {
                    *applied = std::string(item);
                    return true;
                }
            *why = "not one of";
            for (std::size_t i = 0; i < info.items.size(); ++i)
                *why += (i == 0 ? " \"" : ", \"") + std::string(info.items[i]) + "\"";
            return false;
        case R::WholeNumber: *applied = wholeNumberTimeText(stored); return true;
        case R::Flag: {
            const std::string t = trimmed(stored);
            if (equalsIgnoringCase(t, kTrue) || equalsIgnoringCase(t, kFalse)) {
                *applied = std::string(equalsIgnoringCase(t, kTrue) ? kTrue : kFalse);
                return true;
            }
            *why = "not True or False";
            return false;
        }
        case R::Integer: {
            const auto v = parseInt32(stored);
            if (v && *v >= info.min && *v <= info.max) {
                *applied = std::to_string(*v);
                return true;
            }
            *why = v ? "out of range " + std::to_string(info.min) + ".." + std::to_string(info.max)
                     : std::string("not a whole number");
            return false;
        }
        case R::StepFilter:
            *applied = stored == "1" || stored == "2" ? std::string(stored) : std::string("-1");
            return true;
        case R::LayoutType: *applied = stored == "A" ? "A" : "C"; return true;
        case R::MicroOrMilli: *applied = stored == kMicrovolt ? std::string(kMicrovolt) : "mV"; return true;
        case R::SecOrMin: *applied = stored == "sec" ? "sec" : "min"; return true;
        case R::DeviceChoice:
            *applied = std::string(stored == kDeviceNiDaqmx || stored == kDeviceSimulated ? stored : kDeviceAuto);
            return true;
        case R::Number: {
            const auto v = parseDouble(stored);
            if (v && std::isfinite(*v)) {
                *applied = defaultNumberText(*v);
                return true;
            }
            *why = "not a number";
            return false;
        }
    }
    return false;
}

SettingsValues SettingsValues::defaults() {
    SettingsValues v;
    for (const SettingKeyInfo& info : kKeys) v.text[index(info.id)] = std::string(info.defaultText);
    return v;
}

bool SettingsValues::flag(SettingKey key) const { return get(key) == kTrue; }

std::int32_t SettingsValues::integer(SettingKey key) const { return parseInt32(get(key)).value_or(0); }

Rgb SettingsValues::colour(ViewColour c) const {
    const std::size_t r = index(colourKey(c));
    auto component = [&](std::size_t i) {
        return static_cast<std::uint8_t>(integer(static_cast<SettingKey>(r + i)));
    };
    return {component(0), component(1), component(2)};
}

void SettingsValues::set(SettingKey key, std::string_view windowText) {
    const SettingKeyInfo& info = keyInfo(key);
    std::string& out = text[index(key)];
    if (info.rule == R::LimitBox) {
        out = limitBoxText(key, windowText);
        return;
    }
    std::string applied, why;
    if (info.rule != R::WriteOnly && appliedValue(key, windowText, &applied, &why))
        out = applied;
    else
        out = std::string(windowText);
}

void SettingsValues::setFlag(SettingKey key, bool on) { text[index(key)] = std::string(on ? kTrue : kFalse); }

void SettingsValues::setInteger(SettingKey key, std::int32_t value) { set(key, std::to_string(value)); }

void SettingsValues::setColour(ViewColour c, Rgb value) {
    const std::size_t r = index(colourKey(c));
    text[r] = std::to_string(value.r);
    text[r + 1] = std::to_string(value.g);
    text[r + 2] = std::to_string(value.b);
}

namespace {

constexpr K kWindowKeys[kEvokedWindowCount] = {K::EvokedBaseFrom, K::EvokedBaseTo,  K::EvokedBlank,
                                               K::EvokedWinFrom,  K::EvokedWinTo,   K::EvokedSlopeFrom,
                                               K::EvokedSlopeTo,  K::EvokedWidth};

// The windows' fields in the order of their keys.
std::array<double*, kEvokedWindowCount> fieldsOf(EvokedWindows& w) {
    return {&w.baseFromMs, &w.baseToMs, &w.blankMs, &w.winFromMs, &w.winToMs, &w.slopeFromMs, &w.slopeToMs,
            &w.widthMs};
}

}  // namespace

EvokedWindows evokedWindows(const SettingsValues& values, std::string* problem) {
    EvokedWindows w;
    const auto fields = fieldsOf(w);
    for (int i = 0; i < kEvokedWindowCount; ++i)
        *fields[i] = parseDouble(values.get(kWindowKeys[i])).value_or(std::numeric_limits<double>::quiet_NaN());
    if (const auto refused = windowsProblem(w)) {
        if (problem) *problem = std::string(*refused);
        return EvokedWindows{};
    }
    return w;
}

void setEvokedWindows(SettingsValues& values, const EvokedWindows& windows) {
    EvokedWindows w = windows;
    const auto fields = fieldsOf(w);
    for (int i = 0; i < kEvokedWindowCount; ++i) values.set(kWindowKeys[i], defaultNumberText(*fields[i]));
}

SettingsValues readSettings(const SettingsStore& store, std::vector<std::string>* console) {
    SettingsValues values = SettingsValues::defaults();
    for (const SettingKeyInfo& info : kKeys) {
        if (info.rule == R::WriteOnly) continue;
        const auto stored = store.value(info.name);
        if (!stored) continue;
        std::string applied, why;
        if (appliedValue(info.id, *stored, &applied, &why)) {
            values.text[index(info.id)] = std::move(applied);
            values.source[index(info.id)] = SettingSource::Store;
        } else if (console) {
            console->push_back("Setting \"" + std::string(info.name) + "\" = \"" + *stored + "\" is skipped (" +
                               why + "); the default \"" + std::string(info.defaultText) + "\" is kept");
        }
    }
    return values;
}

void writeSettings(SettingsStore& store, const SettingsValues& values) {
    for (const SettingKeyInfo& info : kKeys) {
        store.remove(info.name);
        store.add(info.name, values.get(info.id));
    }
}

}  // namespace korin
