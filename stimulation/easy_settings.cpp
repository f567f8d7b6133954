#include "stimulation/easy_settings.h"

#include <cmath>

#include "acquisition/number_text.h"
#include "acquisition/rounding.h"

namespace easy {

namespace {

constexpr std::int32_t kSpike = 0;
constexpr std::int32_t kEP = 1;
constexpr const char* kPresetInputRange = "10000";
constexpr std::int32_t kBothSteps = -1;
constexpr int kTimeLineDecimals = 5;

// `count` identical biphasic pulses.
struct PulseRun {
    int count = 0;
    std::string_view duration, intensity, pre, post;
};
// `groups` repetitions of up to three runs; no groups is an empty list.
struct Pattern {
    int groups = 0;
    std::array<PulseRun, 3> runs{};
};

constexpr Pattern kNone{};
// The "EP" presets' base: one 0.2 ms pulse per 100 ms on both outputs of both steps.
constexpr Pattern kEpBase{1, {{{1, "0.2", "-10", "0", "99.8"}}}};
constexpr Pattern kCulture{1, {{{1, "0.1", "-20", "0", "99.9"}}}};
// 1 s at 100 Hz.
constexpr Pattern kHfs{1, {{{100, "0.2", "-10", "0", "9.8"}}}};
// Ten bursts of four 100 Hz pulses, one burst every 200 ms.
constexpr Pattern kTbs{10, {{{3, "0.2", "-10", "0", "9.8"}, {1, "0.2", "-10", "0", "169.80"}}}};
// Ten pulses 1 s apart, repeated through the trace.
constexpr Pattern kPacing{1, {{{10, "0.6", "-10", "0", "999.4"}}}};
// Eleven pulses 1 s apart, then 100 ms of zeros.
constexpr Pattern kErp{1, {{{1, "0.6", "-10", "0", "0"}, {9, "0.6", "-10", "999.4", "0"}, {1, "0.6", "-10", "899.4", "100"}}}};

struct Row {
    Preset id;
    double trace, interval;  // s
    std::int32_t repeats;
    std::string_view hpf, lpf;
    std::int32_t mode;
    Pattern steps;     // S1 and S2 of Step 1 and Step 2
    Pattern manualS1;
    bool step1On, repeatAll, byRep;
    std::string_view increase;
    std::string_view oscilloX, oscilloY, selectedX, selectedYp, selectedYm;
};

// Every preset also sets the input range "10000", both analysis steps, no
// Manual S2 pulses and Step 2 off.
constexpr std::array<Row, kPresetCount - 1> kRows{{
    // setEP_Baseline
    {Preset::EpBaseline, 0.1, 20, 1000, "1", "None", kEP, kEpBase, kNone, true, false, false, "", "20", "25", "0.1", "50", "-50"},
    // setEP_Culture
    {Preset::EpCulture, 0.1, 5, 100, "100", "None", kEP, kCulture, kNone, true, false, false, "", "10", "25", "0.05", "50", "-50"},
    // setEP_IOCurve
    {Preset::EpIOCurve, 0.1, 20, 90, "1", "None", kEP, kEpBase, kNone, true, false, true, "1", "20", "25", "0.1", "50", "-50"},
    // setERP
    {Preset::ERP, 15, 30, 1, "0.1", "None", kSpike, kErp, kNone, true, false, false, "", "500", "50", "10", "100", "-100"},
    // setEP_HFS
    {Preset::LtpHfs, 0.1, 20, 1000, "1", "None", kEP, kEpBase, kHfs, true, false, false, "", "20", "25", "0.1", "50", "-50"},
    // setEP_TBS
    {Preset::LtpTbs, 0.1, 20, 1000, "1", "None", kEP, kEpBase, kTbs, true, false, false, "", "20", "25", "0.1", "50", "-50"},
    // setSpontaneous
    {Preset::Spontaneous, 1200, 0, 1, "1", "None", kSpike, kNone, kNone, false, false, false, "", "500", "25", "10", "50", "-50"},
    // setStraightpacing
    {Preset::StraightPacing, 600, 0, 1, "0.1", "None", kSpike, kPacing, kNone, true, true, false, "", "500", "50", "10", "50", "-50"},
}};

std::vector<PulseConfigs> pulses(const Pattern& pattern) {
    std::vector<PulseConfigs> list;
    for (int g = 0; g < pattern.groups; ++g)
        for (const PulseRun& run : pattern.runs)
            for (int i = 0; i < run.count; ++i) {
                PulseConfigs p;
                p.setParameter(PulseConfigs::kBiphasic, std::string(run.duration), std::string(run.intensity),
                               std::string(run.pre), std::string(run.post));
                list.push_back(std::move(p));
            }
    return list;
}

}  // namespace

std::optional<Preset> presetFromName(std::string_view name) {
    for (std::size_t i = 0; i < kPresetNames.size(); ++i)
        if (kPresetNames[i] == name) return static_cast<Preset>(i);
    return std::nullopt;
}

std::string_view presetName(Preset preset) { return kPresetNames[static_cast<std::size_t>(preset)]; }

EasySettings factoryPreset(Preset preset) {
    EasySettings e;
    for (const Row& r : kRows) {
        if (r.id != preset) continue;
        e.tracetime = r.trace;
        e.tracetimeinterval = r.interval;
        e.trace = r.repeats;
        e.PulseConfigS1 = pulses(r.steps);
        e.PulseConfigS2 = pulses(r.steps);
        e.PulseConfigMS1 = pulses(r.manualS1);
        e.hpfhz = r.hpf;
        e.lpfhz = r.lpf;
        e.oscilloX = r.oscilloX;
        e.oscilloY = r.oscilloY;
        e.SelectedX = r.selectedX;
        e.SelectedYp = r.selectedYp;
        e.SelectedYm = r.selectedYm;
        e.Mode = r.mode;
        e.repeatAll = r.repeatAll;
        e.enableStep1 = r.step1On;
        e.byrepf1 = r.byRep;
        e.byrepf2 = r.byRep;
        e.increase = r.increase;
        e.inputRange = kPresetInputRange;
        e.hyouziStep = kBothSteps;
    }
    return e;
}

}  // namespace easy

namespace {

constexpr double kSecondsPerHour = 3600;
constexpr double kSecondsPerMinute = 60;

struct TimeParts {
    double hours, minutes, seconds;
};

TimeParts split(double t) {
    if (!(t > 0)) t = 0;
    const double h = std::floor(t / kSecondsPerHour);
    const double m = std::floor((t - h * kSecondsPerHour) / kSecondsPerMinute);
    return {h, m, t - h * kSecondsPerHour - m * kSecondsPerMinute};
}

void showTime(double t, bool roundSeconds, std::string& h, std::string& m, std::string& s) {
    const TimeParts p = split(t);
    h = korin::defaultNumberText(p.hours);
    m = korin::defaultNumberText(p.minutes);
    s = korin::defaultNumberText(roundSeconds ? korin::roundHalfEven(p.seconds, 1) : p.seconds);
}

float single(const std::string& text) { return korin::parseSingle(text).value_or(0.0f); }

double seconds(const std::string& h, const std::string& m, const std::string& s) {
    const float total = single(h) * 3600.0f + single(m) * 60.0f + single(s);
    return korin::roundHalfEven(total, 1);
}

// "Pulse #" after a list was set: "1" … count with the last selected, its
// fields shown; an empty list leaves the tab as the reset made it.
void showUnits(stim::StepTabState& tab, const std::vector<PulseConfigs>& list) {
    tab.output = PulseParameters::kS1;
    if (list.empty()) return;
    tab.unitCount = static_cast<int>(list.size());
    tab.selectedUnit = tab.unitCount;
    tab.fields = list.back();
}

// What both setPulseEasySetting twins do once the lists are in.
void showTabs(PresetState& s) {
    showUnits(s.tabs[1], s.step2.PulseConfigS1);
    showUnits(s.tabs[2], s.manual.PulseConfigS1);
    s.stimTab = 0;
    showUnits(s.tabs[0], s.step1.PulseConfigS1);
    s.timeLineXMin = "0";
    s.timeLineXMax = korin::formatFixed(stim::getTimeLineXMaxF1(s.step1) * stim::kSecondsPerSample, 5);
    s.autoscalePatterns = true;
    s.tabs[1].enabled = false;
}

}  // namespace

PresetState::PresetState() {
    for (PulseParameters* p : {&step1, &step2, &manual}) p->S1Ch = p->S2Ch = PulseParameters::kNoElectrode;
}

void SaveEasySettings::saveMemory(const PresetState& s) {
    tracetime = seconds(s.hours, s.minutes, s.seconds);
    tracetimeinterval = seconds(s.intervalHours, s.intervalMinutes, s.intervalSeconds);
    trace = korin::truncToInt32(single(s.trace));
    hpfhz = s.hpf;
    lpfhz = s.lpf;
    oscilloX = s.RawXaxis;
    oscilloY = s.RawYaxis;
    SelectedX = s.RawUpXaxis;
    SelectedYp = s.textBoxRawYMax;
    SelectedYm = s.textBoxRawYMin;
    Mode = s.Mode;
    inputRange = s.inputRange;
    PulseConfigS1Step1 = s.step1.PulseConfigS1;
    PulseConfigS2Step1 = s.step1.PulseConfigS2;
    PulseConfigS1Step2 = s.step2.PulseConfigS1;
    PulseConfigS2Step2 = s.step2.PulseConfigS2;
    PulseConfigS1Manual = s.manual.PulseConfigS1;
    PulseConfigS2Manual = s.manual.PulseConfigS2;
    enableStep1 = s.tabs[0].enabled;
    enableStep2 = s.tabs[1].enabled;
    repeatAllStep1 = s.step1.repeatAll;
    repeatAllStep2 = s.step2.repeatAll;
    oscilloautoscale = s.Rawauto;
    RawUpautoscale = s.RawUpauto;
    Freqpautoscale = s.Freqauto;
    hyouziStep = s.hyouziStep;
    increaseS1 = s.step1.autoincrementS1;
    increaseS2 = s.step1.autoincrementS2;
    increaseS1Step2 = s.step2.autoincrementS1;
    increaseS2Step2 = s.step2.autoincrementS2;
    byrepf1 = s.step1.addIncrementByRepS1;
    byrepf2 = s.step1.addIncrementByRepS2;
    byrepf1Step2 = s.step2.addIncrementByRepS1;
    byrepf2Step2 = s.step2.addIncrementByRepS2;
    stimChS1 = s.step1.S1Ch;
    stimChS2 = s.step1.S2Ch;
    stimChS1Step2 = s.step2.S1Ch;
    stimChS2Step2 = s.step2.S2Ch;
    stimChS1Manual = s.manual.S1Ch;
    stimChS2Manual = s.manual.S2Ch;
    aftersave = 1;
}

void EasySettingSyokika(PresetState& s) {
    s.step1 = PulseParameters{};
    s.step2 = PulseParameters{};
    s.manual = PulseParameters{};
    s.step1.S1Ch = 0;  // electrode "1"
    s.step1.S2Ch = PulseParameters::kNoElectrode;
    for (PulseParameters* p : {&s.step2, &s.manual}) p->S1Ch = p->S2Ch = PulseParameters::kNoElectrode;
    for (stim::StepTabState& tab : s.tabs) {
        tab.unitCount = 0;
        tab.selectedUnit = 0;
        tab.fields = stim::StepTabState{}.fields;
        tab.redButton = -1;
    }
    s.tabs[0].redButton = s.step1.S1Ch;
}

void setTraceTimeEasySetting(const EasySettings& e, PresetState& s) {
    s.trace = std::to_string(e.trace);
    showTime(e.tracetime, false, s.hours, s.minutes, s.seconds);
    showTime(e.tracetimeinterval, false, s.intervalHours, s.intervalMinutes, s.intervalSeconds);
    s.hpf = e.hpfhz;
    s.lpf = e.lpfhz;
    s.inputRange = e.inputRange;
}

void setTraceTimeEasySettingLoad(const SaveEasySettings& m, PresetState& s) {
    s.trace = std::to_string(m.trace);
    showTime(m.tracetime, true, s.hours, s.minutes, s.seconds);
    showTime(m.tracetimeinterval, true, s.intervalHours, s.intervalMinutes, s.intervalSeconds);
    s.hpf = m.hpfhz;
    s.lpf = m.lpfhz;
    s.inputRange = m.inputRange;
}

void setPulseEasySettingS1(const std::vector<PulseConfigs>& list, PulseParameters& p) {
    p.setPulses(PulseParameters::kS1, list);
}
void setPulseEasySettingS2(const std::vector<PulseConfigs>& list, PulseParameters& p) {
    p.setPulses(PulseParameters::kS2, list);
}
void setPulseEasySettingMS1(const std::vector<PulseConfigs>& list, PulseParameters& m) { setPulseEasySettingS1(list, m); }
void setPulseEasySettingMS2(const std::vector<PulseConfigs>& list, PulseParameters& m) { setPulseEasySettingS2(list, m); }

void setPulseEasySetting(const EasySettings& e, PresetState& s) {
    for (PulseParameters* step : {&s.step1, &s.step2}) {
        setPulseEasySettingS1(e.PulseConfigS1, *step);
        setPulseEasySettingS2(e.PulseConfigS2, *step);
        step->addIncrementByRepS1 = e.byrepf1;
        step->addIncrementByRepS2 = e.byrepf2;
        step->autoincrementS1 = e.increase;
        step->autoincrementS2 = e.increase;
    }
    setPulseEasySettingMS1(e.PulseConfigMS1, s.manual);
    setPulseEasySettingMS2(e.PulseConfigMS2, s.manual);
    s.tabs[0].increment = e.increase;
    s.tabs[1].increment = e.increase;
    showTabs(s);
}

void setPulseEasySettingLoad(const SaveEasySettings& m, PresetState& s) {
    setPulseEasySettingS1(m.PulseConfigS1Step1, s.step1);
    setPulseEasySettingS2(m.PulseConfigS2Step1, s.step1);
    setPulseEasySettingS1(m.PulseConfigS1Step2, s.step2);
    setPulseEasySettingS2(m.PulseConfigS2Step2, s.step2);
    setPulseEasySettingMS1(m.PulseConfigS1Manual, s.manual);
    setPulseEasySettingMS2(m.PulseConfigS2Manual, s.manual);
    s.step1.addIncrementByRepS1 = m.byrepf1;
    s.step1.addIncrementByRepS2 = m.byrepf2;
    s.step2.addIncrementByRepS1 = m.byrepf1Step2;
    s.step2.addIncrementByRepS2 = m.byrepf2Step2;
    s.step1.autoincrementS1 = m.increaseS1;
    s.step1.autoincrementS2 = m.increaseS2;
    s.step2.autoincrementS1 = m.increaseS1Step2;
    s.step2.autoincrementS2 = m.increaseS2Step2;
    s.tabs[0].increment = m.increaseS1;
    s.tabs[1].increment = m.increaseS1Step2;
    showTabs(s);
    s.step1.S1Ch = m.stimChS1;
    s.step1.S2Ch = m.stimChS2;
    s.step2.S1Ch = m.stimChS1Step2;
    s.step2.S2Ch = m.stimChS2Step2;
    s.manual.S1Ch = m.stimChS1Manual;
    s.manual.S2Ch = m.stimChS2Manual;
    // Each tab shows its S1 electrode.
    s.tabs[0].redButton = s.step1.S1Ch;
    s.tabs[1].redButton = s.step2.S1Ch;
    s.tabs[2].redButton = s.manual.S1Ch;
}

void setEasySettingScale(const EasySettings& e, PresetState& s) {
    s.Mode = e.Mode;
    s.RawXaxis = e.oscilloX;
    s.RawYaxis = e.oscilloY;
    s.Rawauto = false;
    s.RawUpXaxis = e.SelectedX;
    s.RawUpauto = false;
    s.textBoxRawYMax = e.SelectedYp;
    s.textBoxRawYMin = e.SelectedYm;
    s.Freqauto = true;
    s.step1.repeatAll = e.repeatAll;
    s.step2.repeatAll = e.repeatAll;
    s.tabs[0].enabled = e.enableStep1 != 0;
    s.tabs[1].enabled = e.enableStep2 != 0;
    s.hyouziStep = e.hyouziStep;
}

void setEasySettingScaleLoad(const SaveEasySettings& m, PresetState& s) {
    s.Mode = m.Mode;
    s.RawXaxis = m.oscilloX;
    s.RawYaxis = m.oscilloY;
    s.Rawauto = m.oscilloautoscale != 0;
    s.RawUpXaxis = m.SelectedX;
    s.RawUpauto = m.RawUpautoscale != 0;
    s.textBoxRawYMax = m.SelectedYp;
    s.textBoxRawYMin = m.SelectedYm;
    s.Freqauto = m.Freqpautoscale != 0;
    s.step1.repeatAll = m.repeatAllStep1;
    s.step2.repeatAll = m.repeatAllStep2;
    s.tabs[0].enabled = m.enableStep1 != 0;
    s.tabs[1].enabled = m.enableStep2 != 0;
    s.hyouziStep = m.hyouziStep;
}

SaveEasySettings& EasySettingsPresets::store(easy::Preset preset) {
    return stores_[static_cast<std::size_t>(preset) - 1];
}
const SaveEasySettings& EasySettingsPresets::store(easy::Preset preset) const {
    return stores_[static_cast<std::size_t>(preset) - 1];
}

bool EasySettingsPresets::comboBoxEasySettings_SelectedIndexChanged(std::string_view selected, PresetState& state,
                                                                    std::string* failure) {
    const std::optional<easy::Preset> next = easy::presetFromName(selected);
    if (!next) {
        if (failure) *failure = "\"" + std::string(selected) + "\" is not a preset";
        return false;
    }
    const std::optional<easy::Preset> previous = easy::presetFromName(EasySettingPreName_);
    if (previous && *previous != easy::Preset::Custom) store(*previous).saveMemory(state);
    EasySettingPreName_ = std::string(selected);
    if (*next == easy::Preset::Custom) return true;

    EasySettingSyokika(state);
    const SaveEasySettings& kept = store(*next);
    if (kept.aftersave) {
        setTraceTimeEasySettingLoad(kept, state);
        setPulseEasySettingLoad(kept, state);
        setEasySettingScaleLoad(kept, state);
    } else {
        const EasySettings factory = easy::factoryPreset(*next);
        setTraceTimeEasySetting(factory, state);
        setPulseEasySetting(factory, state);
        setEasySettingScale(factory, state);
    }
    return true;
}
