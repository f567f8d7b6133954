#include "stimulation/step_editor.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "acquisition/alert_messages.h"
#include "acquisition/number_text.h"
#include "acquisition/rounding.h"
#include "stimulation/electrode_routing.h"

namespace stim {

namespace {

constexpr const char* kUnparsableIntensity = "10";
// Single-precision values have always been shown with seven significant digits.
constexpr int kSingleSignificantDigits = 7;

int unitNumber(const std::string& text) {
    auto v = parseFloat32(text);
    return v ? static_cast<int>(*v) : 0;
}

EditResult refused(std::string alert) {
    EditResult r;
    r.alert = std::move(alert);
    return r;
}

std::string xMaxText(const PulseParameters& p, int decimals) {
    return korin::formatFixed(getTimeLineXMax(p) * kSecondsPerSample, decimals);
}

}  // namespace

std::string getIntensityValue(const std::string& text) {
    auto v = korin::parseDouble(text);
    if (!v) return kUnparsableIntensity;
    if (*v > kIntensityLimitUa) return "100";
    if (*v < -kIntensityLimitUa) return "-100";
    return text;
}

std::string floatText(float value) {
    // 0.3f / 5 reads "0.06", not "0.060000002".
    return korin::defaultNumberText(static_cast<double>(value), kSingleSignificantDigits);
}

std::pair<std::int32_t, std::int32_t> getprepost(const PulseParameters& program, int f, int unit) {
    const auto& lengths = f == PulseParameters::kS1 ? program.AryLengthS1 : program.AryLengthS2;
    if (unit < 1 || unit > static_cast<int>(lengths.size())) return {-1, -1};
    std::int64_t start = 0;
    for (int i = 0; i < unit - 1; ++i) start += lengths[static_cast<std::size_t>(i)];
    return {static_cast<std::int32_t>(start), static_cast<std::int32_t>(start + lengths[static_cast<std::size_t>(unit - 1)])};
}

bool StepEditor::checkInput() {
    tab.fields.Intensity = getIntensityValue(tab.fields.Intensity);
    const std::string clamped =
        korin::formatFixed(korin::parseDouble(tab.fields.Intensity).value_or(0.0), 2);
    const std::array<const std::string*, 5> checked = {&tab.fields.Duration, &clamped, &tab.fields.Pre,
                                                       &tab.fields.Post, &tab.units};
    for (const std::string* text : checked)
        if (!parseFloat32(*text)) return false;
    return true;
}

std::string StepEditor::lengthProblem(std::int64_t samples, std::size_t pulses) const {
    if (samples > kMaxSamplesPerOutput || pulses > static_cast<std::size_t>(kMaxSamplesPerOutput))
        return korin::alerts::kPatternTooLong;
    return {};
}

EditResult StepEditor::add() {
    if (!checkInput()) return refused(korin::alerts::kNumericalValue);
    return setStepF(tab.output, tab.fields, std::to_string(tab.selectedUnit), tab.units);
}

EditResult StepEditor::setStepF(int f, const PulseConfigs& pulse, const std::string& unitText,
                                const std::string& countText) {
    if (std::string problem = pulseProblem(pulse); !problem.empty()) return refused(problem);
    const auto count = parseFloat32(countText);
    if (!count || *count < 1 || *count != std::floor(*count)) return refused(korin::alerts::kUnitsNotWhole);
    const auto& old = program_.pulses(f);
    const double n = *count;
    if (n > kMaxSamplesPerOutput) return refused(korin::alerts::kPatternTooLong);
    const auto copies = static_cast<std::size_t>(n);

    const std::int64_t total = listSamples(old) + static_cast<std::int64_t>(copies) * shapeOf(pulse).total();
    if (!manual() && static_cast<double>(total) * kSecondsPerSample > traceSeconds_)
        return refused(korin::alerts::kPatternLongerThanTrace);
    if (std::string problem = lengthProblem(total, old.size() + copies); !problem.empty()) return refused(problem);

    const int k = std::clamp(unitNumber(unitText), 0, static_cast<int>(old.size()));
    std::vector<PulseConfigs> list;
    list.reserve(old.size() + copies);
    list.insert(list.end(), old.begin(), old.begin() + k);
    list.insert(list.end(), copies, pulse);
    list.insert(list.end(), old.begin() + k, old.end());
    EditResult result = rebuilt(f, std::move(list), {});
    result.timeLineXMax = xMaxText(program_, 5);
    if (f == tab.output) SetUnitNumber(program_.pulseCount(f));
    return result;
}

EditResult StepEditor::enter() {
    if (!checkInput()) return refused(korin::alerts::kNumericalValue);
    return setPulseModify();
}

EditResult StepEditor::setPulseModify() {
    const int k = tab.selectedUnit;
    const int f = tab.output;
    if (k < 1 || k > program_.pulseCount(f)) return {};
    if (std::string problem = pulseProblem(tab.fields); !problem.empty()) return refused(problem);
    std::vector<PulseConfigs> list = program_.pulses(f);
    list[static_cast<std::size_t>(k - 1)] = tab.fields;
    if (std::string problem = lengthProblem(listSamples(list), list.size()); !problem.empty())
        return refused(problem);
    EditResult result = rebuilt(f, std::move(list), {});
    result.timeLineXMax = xMaxText(program_, 5);
    return result;
}

EditResult StepEditor::deleteSyori() {
    const int k = tab.selectedUnit;
    const int f = tab.output;
    if (k < 1 || k > program_.pulseCount(f)) return {};
    std::vector<PulseConfigs> list = program_.pulses(f);
    list.erase(list.begin() + (k - 1));
    EditResult result = rebuilt(f, std::move(list), {});
    result.timeLineXMax = xMaxText(program_, 2);
    SetUnitNumber(program_.pulseCount(f));
    return result;
}

EditResult StepEditor::setPulseAllUnitsIncrement() {
    const int f = tab.output;
    auto inc = parseFloat32(f == PulseParameters::kS1 ? program_.autoincrementS1 : program_.autoincrementS2);
    if (!inc || program_.pulseCount(f) == 0) return {};
    std::vector<PulseConfigs> list = program_.pulses(f);
    for (PulseConfigs& p : list) {
        if (!isBiphasic(p)) continue;
        auto intensity = parseFloat32(p.Intensity);
        if (!intensity) return {};
        const float moved = *intensity < 0 ? *intensity - *inc : *intensity + *inc;
        p.Intensity = floatText(moved);
    }
    EditResult result = rebuilt(f, std::move(list), {});
    // The S2 case redraws both panels, as it always has.
    result.autoscaleS1 = true;
    result.autoscaleS2 = f == PulseParameters::kS2;
    setPulseConfig();
    return result;
}

EditResult StepEditor::rebuilt(int f, std::vector<PulseConfigs> list, const std::string& xMax) {
    program_.setPulses(f, std::move(list));
    EditResult result;
    result.changed = true;
    result.timeLineXMax = xMax;
    result.autoscaleS1 = result.autoscaleS2 = true;
    return result;
}

void StepEditor::toggleByRep() {
    std::uint8_t& flag = tab.output == PulseParameters::kS1 ? program_.addIncrementByRepS1 : program_.addIncrementByRepS2;
    flag = flag ? 0 : 1;
}

void StepEditor::toggleRepeatAll() { program_.repeatAll = program_.repeatAll ? 0 : 1; }

void StepEditor::setIncrementText(const std::string& text) {
    tab.increment = text;
    (tab.output == PulseParameters::kS1 ? program_.autoincrementS1 : program_.autoincrementS2) = text;
}

void StepEditor::setPulseConfig() {
    const int k = tab.selectedUnit;
    if (k < 1 || k > program_.pulseCount(tab.output)) return;
    tab.fields = program_.pulses(tab.output)[static_cast<std::size_t>(k - 1)];
}

void StepEditor::selectUnit(int unit) {
    tab.selectedUnit = std::clamp(unit, 0, tab.unitCount);
    setPulseConfig();
}

EditResult StepEditor::selectOutput(int f) {
    tab.output = f == PulseParameters::kS1 ? PulseParameters::kS1 : PulseParameters::kS2;
    tab.redButton = redButtonFor(program_.electrode(tab.output));
    EditResult result = SetUnitNumber(program_.pulseCount(tab.output));
    tab.increment = tab.output == PulseParameters::kS1 ? program_.autoincrementS1 : program_.autoincrementS2;
    return result;
}

EditResult StepEditor::SetUnitNumber(int k) {
    tab.unitCount = k > 0 ? k : 0;
    tab.selectedUnit = tab.unitCount;
    setPulseConfig();
    EditResult result;
    result.autoscaleS1 = result.autoscaleS2 = true;
    return result;
}

void StepEditor::clickElectrode(int label) {
    std::int32_t& electrode = tab.output == PulseParameters::kS1 ? program_.S1Ch : program_.S2Ch;
    const ElectrodeClick click = clickElectrodeButton(tab.redButton, label, electrode);
    tab.redButton = click.redButton;
    electrode = click.electrode;
}

std::string StepEditor::tabTitle() const {
    switch (kind_) {
        case StepKind::Step1: return tab.enabled ? "Step 1" : "#Step 1#";
        case StepKind::Step2: return tab.enabled ? "Step 2" : "#Step 2#";
        case StepKind::Manual: break;
    }
    return "Manual";
}

}  // namespace stim
