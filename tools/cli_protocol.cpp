#include "tools/cli_protocol.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "acquisition/headless_run_window.h"
#include "acquisition/number_text.h"
#include "stimulation/electrode_routing.h"
#include "stimulation/run_checks.h"
#include "stimulation/step_editor.h"

namespace {

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = text.find(separator, from);
        parts.emplace_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
        if (at == std::string_view::npos) return parts;
        from = at + 1;
    }
}

std::optional<int> electrodeNumber(const char* text) {
    auto n = korin::parseInt32(text);
    if (!n || *n < 1 || *n > stim::kElectrodes) return std::nullopt;
    return *n;
}

// Adds the pulses of `list` to output f in order, each through "Add". A
// refusal names the option and the pulse: `--step1-s1 pulse 2 "…": why`.
std::string addPulses(stim::StepEditor& editor, int f, const std::string& list, const char* option) {
    if (list.empty()) return {};
    editor.selectOutput(f);
    int number = 0;
    for (const std::string& text : split(list, ';')) {
        const std::string pulse = std::string(option) + " pulse " + std::to_string(++number) + " \"" + text + "\": ";
        const std::vector<std::string> field = split(text, ',');
        // The window's boxes would turn an unparsable intensity into 10 and clamp
        // one beyond the range in sight; unseen here, so these are refused.
        if (std::string problem = stim::pulseTextProblem(std::vector<std::string_view>(field.begin(), field.end())); !problem.empty())
            return pulse + problem;
        editor.tab.fields.setParameter(field[0], field[1], field[2], field[3], field[4]);
        editor.tab.units = "1";
        if (std::string alert = editor.add().alert; !alert.empty()) return pulse + alert;
    }
    return {};
}

}  // namespace

const char* protocolUsage() {
    return "                          [--s1-electrode 1-16] [--s2-electrode 1-16]\n"
           "                          [--step1-s1 PULSES] [--step1-s2 PULSES] [--repeat-all] [--by-rep]\n"
           "                          [--increment UA]\n"
           "                          [--manual-s1 PULSES] [--manual-s2 PULSES] [--manual-s1-electrode 1-16]\n"
           "                          [--manual-s2-electrode 1-16] [--manual-after-trace K]   (pause after\n"
           "                          trace K, deliver the Manual program once with \"Start Stim\", resume)\n"
           "  PULSES: pulses TYPE,DURATION,INTENSITY,PRE,POST separated by ';' (TYPE Biphasic or Const,\n"
           "          times in ms, intensity in uA), e.g. \"Biphasic,0.1,-10,0,99.9\"\n";
}

int takeProtocolOption(int count, char** args, CliProtocol& protocol) {
    const std::string_view option = args[0];
    if (option == "--repeat-all") {
        protocol.repeatAll = true;
        return 1;
    }
    if (option == "--by-rep") {
        protocol.byRep = true;
        return 1;
    }
    const bool known = option == "--s1-electrode" || option == "--s2-electrode" || option == "--step1-s1" ||
                       option == "--step1-s2" || option == "--increment" || option == "--manual-s1" ||
                       option == "--manual-s2" || option == "--manual-s1-electrode" ||
                       option == "--manual-s2-electrode" || option == "--manual-after-trace";
    if (!known) return 0;
    if (count < 2) {
        std::fprintf(stderr, "error: %s needs a value\n", args[0]);
        return -1;
    }
    const char* value = args[1];
    if (option == "--s1-electrode" || option == "--s2-electrode" || option == "--manual-s1-electrode" ||
        option == "--manual-s2-electrode") {
        auto n = electrodeNumber(value);
        if (!n) {
            std::fprintf(stderr, "error: %s needs an electrode from 1 to 16, not \"%s\"\n", args[0], value);
            return -1;
        }
        int& electrode = option == "--s1-electrode"          ? protocol.s1Electrode
                         : option == "--s2-electrode"        ? protocol.s2Electrode
                         : option == "--manual-s1-electrode" ? protocol.manualS1Electrode
                                                             : protocol.manualS2Electrode;
        electrode = *n;
    } else if (option == "--manual-after-trace") {
        auto n = korin::parseInt32(value);
        if (!n || *n < 1) {
            std::fprintf(stderr, "error: %s needs a trace number from 1, not \"%s\"\n", args[0], value);
            return -1;
        }
        protocol.manualAfterTrace = *n;
    } else if (option == "--manual-s1") {
        protocol.manualS1 = value;
    } else if (option == "--manual-s2") {
        protocol.manualS2 = value;
    } else if (option == "--step1-s1") {
        protocol.step1S1 = value;
    } else if (option == "--step1-s2") {
        protocol.step1S2 = value;
    } else {
        protocol.increment = value;
    }
    return 2;
}

std::string applyProtocol(const CliProtocol& protocol, PulseParameters& step1, double traceSeconds,
                          HeadlessRunWindow& window) {
    step1.S1Ch = step1.S2Ch = PulseParameters::kNoElectrode;
    stim::StepEditor editor(step1, stim::StepKind::Step1);
    editor.setTraceSeconds(traceSeconds);
    editor.setEnabled(true);
    const std::string* lists[2] = {&protocol.step1S1, &protocol.step1S2};
    const int electrodes[2] = {protocol.s1Electrode, protocol.s2Electrode};
    for (int f : {PulseParameters::kS1, PulseParameters::kS2}) {
        editor.selectOutput(f);
        if (!protocol.increment.empty()) editor.setIncrementText(protocol.increment);
        if (protocol.byRep && !editor.byRepOn()) editor.toggleByRep();
        if (electrodes[f] != 0) editor.clickElectrode(electrodes[f]);
        const char* option = f == PulseParameters::kS1 ? "--step1-s1" : "--step1-s2";
        if (std::string problem = addPulses(editor, f, *lists[f], option); !problem.empty()) return problem;
    }
    if (protocol.repeatAll && !editor.repeatAllOn()) editor.toggleRepeatAll();
    window.step1Enabled = step1.S1ChAddNum > 0 || step1.S2ChAddNum > 0;
    return {};
}

std::string applyManualProtocol(const CliProtocol& protocol, PulseParameters& manual) {
    const bool pulses = !protocol.manualS1.empty() || !protocol.manualS2.empty();
    if (!pulses && protocol.manualAfterTrace == 0) return {};
    if (!pulses) return "--manual-after-trace needs the pulses of --manual-s1 or --manual-s2";
    if (protocol.manualAfterTrace == 0) return "--manual-s1 and --manual-s2 need --manual-after-trace K";
    manual = PulseParameters{};
    manual.S1Ch = manual.S2Ch = PulseParameters::kNoElectrode;
    stim::StepEditor editor(manual, stim::StepKind::Manual);
    const std::string* lists[2] = {&protocol.manualS1, &protocol.manualS2};
    const int electrodes[2] = {protocol.manualS1Electrode, protocol.manualS2Electrode};
    for (int f : {PulseParameters::kS1, PulseParameters::kS2}) {
        editor.selectOutput(f);
        if (electrodes[f] != 0) editor.clickElectrode(electrodes[f]);
        const char* option = f == PulseParameters::kS1 ? "--manual-s1" : "--manual-s2";
        if (std::string problem = addPulses(editor, f, *lists[f], option); !problem.empty()) return problem;
    }
    return {};
}

void warnUntargetedOutputs(const PulseParameters& step1, bool checkStep1, const PulseParameters& step2,
                           bool checkStep2) {
    std::vector<std::string> warnings;
    if (checkStep1) warnings = stim::untargetedOutputWarnings(step1, "");
    if (checkStep2)
        for (std::string& w : stim::untargetedOutputWarnings(step2, " of Step 2")) warnings.push_back(std::move(w));
    for (const std::string& w : warnings) std::fprintf(stderr, "warning: %s\n", w.c_str());
}
