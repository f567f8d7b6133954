#include "tools/cli_record_settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "acquisition/headless_run_window.h"
#include "acquisition/number_text.h"
#include "acquisition/sim_device.h"
#include "stimulation/pulse_parameters.h"
#include "stimulation/step_editor.h"
#include "tools/cli_protocol.h"

namespace {

using K = korin::SettingKey;

// The stored keys a run reads from the window, in the window's texts. "Data
// format" is not among them: the window does not read it back either.
constexpr std::pair<K, RunText> kRunKeys[] = {
    {K::InputRange, RunText::InputRange},
    {K::Trace, RunText::Repeat},
    {K::Hours, RunText::Hours},
    {K::Min, RunText::Minutes},
    {K::Sec, RunText::Seconds},
    {K::HoursInterval, RunText::IntervalHours},
    {K::MinInterval, RunText::IntervalMinutes},
    {K::SecInterval, RunText::IntervalSeconds},
    {K::LowCut, RunText::Highpass},
    {K::HighCut, RunText::Lowpass},
};

}  // namespace

std::optional<std::string> settingsOption(int argc, char** argv, bool* missing) {
    *missing = false;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--settings") != 0) continue;
        if (i + 1 >= argc) {
            *missing = true;
            return std::nullopt;
        }
        return std::string(argv[i + 1]);
    }
    return std::nullopt;
}

void printLoadWarnings(const korin::LoadedSettings& loaded) {
    for (const std::string& line : loaded.console)
        if (line.rfind(korin::kStimLastOneError, 0) != 0) std::fprintf(stderr, "warning: %s\n", line.c_str());
    for (const korin::PulseListFile& file : loaded.lists)
        if (file.status != korin::ListStatus::Missing && !file.error.empty())
            std::fprintf(stderr, "warning: %s%s\n", std::string(korin::kStimLastOneError).c_str(), file.error.c_str());
}

std::optional<korin::LoadedSettings> loadRecordSettings(const std::string& folder, HeadlessRunWindow& window,
                                                        std::string* error) {
    if (!std::filesystem::is_directory(folder)) {
        *error = folder + " is not a folder";
        return std::nullopt;
    }
    korin::LoadedSettings loaded = korin::loadSettings(folder, korin::SettingsStore::Damaged::LeaveInPlace);
    printLoadWarnings(loaded);
    for (const auto& [key, text] : kRunKeys) window.texts[text] = loaded.values.get(key);
    window.step1Enabled = loaded.values.flag(K::Step1Enable);
    window.step2Enabled = loaded.values.flag(K::Step2Enable);
    std::printf("Settings: %s\n", korin::settingsStorePath(folder).c_str());
    return loaded;
}

bool protocolGiven(const CliProtocol& p) {
    return p.s1Electrode != 0 || p.s2Electrode != 0 || !p.step1S1.empty() || !p.step1S2.empty() || p.repeatAll ||
           p.byRep || !p.increment.empty();
}

double traceSecondsOf(const HeadlessRunWindow& window) {
    auto number = [&](RunText t) { return korin::parseDouble(window.text(t)).value_or(0.0); };
    return number(RunText::Hours) * 3600 + number(RunText::Minutes) * 60 + number(RunText::Seconds);
}

std::string applyRecordPrograms(const korin::LoadedSettings& loaded, double traceSeconds, PulseParameters& step1,
                                PulseParameters& step2, PulseParameters& manual) {
    stim::StepEditor editors[] = {{step1, stim::StepKind::Step1}, {step2, stim::StepKind::Step2},
                                  {manual, stim::StepKind::Manual}};
    std::string refused;
    for (const korin::PulseListInfo& info : korin::pulseLists()) {
        stim::StepEditor& editor = editors[info.step];
        editor.setTraceSeconds(traceSeconds);
        std::string alert;
        korin::setStimLastOneMemory(editor, info.f, loaded.lists[static_cast<std::size_t>(info.id)], &alert);
        if (!alert.empty() && refused.empty()) refused = std::string(info.fileName) + ": " + alert;
    }
    korin::applyToPrograms(loaded.values, step1, step2, manual);
    return refused;
}

namespace {

// Electrode number (1–16) of a routing code, 0 for none.
int electrodeOfCode(std::uint32_t code) {
    if (code >= 16 && code <= 23) return static_cast<int>(code) - 15;
    if (code >= 8 && code <= 15) return static_cast<int>(code) + 1;
    return 0;
}

std::string electrodeText(int electrode) { return electrode == 0 ? "none" : "electrode " + std::to_string(electrode); }

}  // namespace

std::string stimulationSummary(SimulatedDevice& device) {
    const std::vector<SimulatedDevice::AnalogRun> runs = device.analogOutputRuns();
    if (runs.empty()) return "Stimulation: none";
    double low[2] = {0, 0}, high[2] = {0, 0};
    for (const SimulatedDevice::AnalogRun& r : runs)
        for (int f = 0; f < 2; ++f) {
            low[f] = std::min(low[f], r.volts[f]);
            high[f] = std::max(high[f], r.volts[f]);
        }
    const std::uint32_t word = device.routingWord();
    char text[160];
    std::snprintf(text, sizeof text, "Stimulation: S1 on %s, %.3f to %.3f V; S2 on %s, %.3f to %.3f V",
                  electrodeText(electrodeOfCode(word & 31u)).c_str(), low[0], high[0],
                  electrodeText(electrodeOfCode((word >> 5) & 31u)).c_str(), low[1], high[1]);
    return text;
}
