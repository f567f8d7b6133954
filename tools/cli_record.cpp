// korin16-cli record: a recorded run on the simulated Dev1, headless, through
// the same run control as the window. Free-running unless --realtime.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "acquisition/acquisition_ni.h"
#include "acquisition/headless_run_window.h"
#include "acquisition/run_control.h"
#include "acquisition/sim_device.h"
#include "acquisition/timer.h"
#include "acquisition/number_text.h"
#include "files/stimulation_log.h"
#include "stimulation/run_checks.h"
#include "stimulation/stimulus_controller.h"
#include "stimulation/stimulus_playback.h"
#include "tools/cli_commands.h"
#include "tools/cli_protocol.h"
#include "tools/cli_record_settings.h"

namespace {

// Exit status of a run that recorded but left a trace without its stimulus.
constexpr int kExitStimulusNotPlayed = 3;

int recordUsage() {
    std::fprintf(stderr,
                 "usage: korin16-cli record --out DIR [--settings DIR] [--repeat N] [--time SECONDS]\n"
                 "                          [--interval SECONDS]\n"
                 "                          [--input-range 2000|10000] [--highpass VALUE|None]\n"
                 "                          [--lowpass VALUE|None] [--text ADDED_TEXT] [--seed N] [--realtime]\n"
                 "                          [--force]   (record even when the output folder looks too full)\n"
                 "                          [--sim-refuse-stimulus TRACE]   (the simulated device refuses the\n"
                 "                          stimulus prepared for trace TRACE, as a faulty device would)\n");
    std::fputs(protocolUsage(), stderr);
    std::fputs("  --settings DIR: the settings store and pulse lists the window saved in DIR (its\n"
               "          configuration folder); the options given override the stored values, and any\n"
               "          stimulation option replaces the stored Step 1\n",
               stderr);
    return 2;
}

// Splits seconds into the window's hours, minutes and seconds texts.
void setDuration(HeadlessRunWindow& window, double seconds, RunText h, RunText m, RunText s) {
    const double hours = std::floor(seconds / 3600);
    const double minutes = std::floor((seconds - hours * 3600) / 60);
    window.texts[h] = korin::defaultNumberText(hours);
    window.texts[m] = korin::defaultNumberText(minutes);
    window.texts[s] = korin::defaultNumberText(seconds - hours * 3600 - minutes * 60);
}

}  // namespace

int cliRecord(int argc, char** argv) {
    HeadlessRunWindow window;
    std::string out;
    double time = 1, interval = 0;
    std::uint64_t seed = 1;
    bool realTime = false;
    bool force = false;
    int refuseTrace = 0;  // 1-based; 0 for none
    CliProtocol protocol;
    window.texts[RunText::Repeat] = "1";
    bool noSettingsFolder = false;
    const std::optional<std::string> settingsDir = settingsOption(argc, argv, &noSettingsFolder);
    if (noSettingsFolder) return recordUsage();
    std::optional<korin::LoadedSettings> stored;
    if (settingsDir) {
        std::string problem;
        stored = loadRecordSettings(*settingsDir, window, &problem);
        if (!stored) {
            std::fprintf(stderr, "error: %s\n", problem.c_str());
            return 1;
        }
    }
    bool timeGiven = false, intervalGiven = false;
    for (int i = 0; i < argc; ++i) {
        if (const int used = takeProtocolOption(argc - i, argv + i, protocol); used != 0) {
            if (used < 0) return 2;
            i += used - 1;
            continue;
        }
        std::string option = argv[i];
        if (option == "--realtime") {
            realTime = true;
            continue;
        }
        if (option == "--force") {
            force = true;
            continue;
        }
        if (i + 1 >= argc) return recordUsage();
        std::string value = argv[++i];
        if (option == "--out") {
            out = value;
        } else if (option == "--settings") {
            // read before the other options
        } else if (option == "--repeat") {
            window.texts[RunText::Repeat] = value;
        } else if (option == "--time" || option == "--interval") {
            std::optional<double> seconds = korin::parseDouble(value);
            if (!seconds || *seconds < 0) {
                std::fprintf(stderr, "error: %s needs a number of seconds, not \"%s\"\n", option.c_str(),
                             value.c_str());
                return 2;
            }
            (option == "--time" ? time : interval) = *seconds;
            (option == "--time" ? timeGiven : intervalGiven) = true;
        } else if (option == "--input-range") {
            if (value != "2000" && value != "10000") return recordUsage();
            window.texts[RunText::InputRange] = value;
        } else if (option == "--highpass") {
            window.texts[RunText::Highpass] = value;
        } else if (option == "--lowpass") {
            window.texts[RunText::Lowpass] = value;
        } else if (option == "--text") {
            window.texts[RunText::AddText] = value;
        } else if (option == "--seed") {
            seed = std::strtoull(value.c_str(), nullptr, 10);
        } else if (option == "--sim-refuse-stimulus") {
            const std::optional<std::int32_t> trace = korin::parseInt32(value);
            if (!trace || *trace < 1) {
                std::fprintf(stderr, "error: %s needs a trace number from 1, not \"%s\"\n", option.c_str(),
                             value.c_str());
                return 2;
            }
            refuseTrace = *trace;
        } else {
            return recordUsage();
        }
    }
    if (out.empty()) return recordUsage();
    window.texts[RunText::OutputFolder] = out;
    if (!stored || timeGiven) setDuration(window, time, RunText::Hours, RunText::Minutes, RunText::Seconds);
    if (!stored || intervalGiven)
        setDuration(window, interval, RunText::IntervalHours, RunText::IntervalMinutes, RunText::IntervalSeconds);
    if (stored) time = traceSecondsOf(window);

    SimulatedDevice::Options options;
    options.seed = seed;
    options.realTime = realTime;
    auto device = std::make_shared<SimulatedDevice>(options);
    std::printf("Device: %s (%s)\n", device->name().c_str(), realTime ? "real time" : "free-running");
    auto acquisition = std::make_unique<AcquisitionNI>(device);
    PulseParameters step1, step2, manual;
    StimulusController stimulus(*acquisition, step1, step2, manual);
    if (stored) {
        if (std::string refused = applyRecordPrograms(*stored, time, step1, step2, manual); !refused.empty())
            std::fprintf(stderr, "warning: %s\n", refused.c_str());
    }
    if (!stored || protocolGiven(protocol)) {
        if (stored) step1 = PulseParameters{};
        if (std::string refused = applyProtocol(protocol, step1, time, window); !refused.empty()) {
            std::fprintf(stderr, "error: %s\n", refused.c_str());
            return 1;
        }
    }
    if (std::string refused = applyManualProtocol(protocol, manual); !refused.empty()) {
        std::fprintf(stderr, "error: %s\n", refused.c_str());
        return 1;
    }
    const int manualAfter = protocol.manualAfterTrace;
    if (manualAfter > 0) {
        // The pause must fall between two traces, so that the run resumes after it.
        const double traces = std::trunc(korin::parseDouble(window.texts[RunText::Repeat]).value_or(1));
        if (manualAfter >= traces) {
            std::fprintf(stderr, "error: --manual-after-trace %d needs a trace to follow it: the run records %s\n",
                         manualAfter, korin::defaultNumberText(std::max(1.0, traces)).c_str());
            return 1;
        }
        if (std::string problem = stimulus.manualStartProblem(); !problem.empty()) {
            std::fprintf(stderr, "error: %s\n", problem.c_str());
            return 1;
        }
        for (const std::string& w : stim::untargetedOutputWarnings(manual, " of Manual"))
            std::fprintf(stderr, "warning: %s\n", w.c_str());
    }
    warnUntargetedOutputs(step1, window.step1Enabled || !stored || protocolGiven(protocol), step2,
                          window.step2Enabled);
    korin::ChannelLevels levels;
    RunControl run(*acquisition, stimulus, window, levels);

    int spikesBefore = 0;
    run.onTraceEnd = [&](int trace) {
        int spikes = 0;
        for (int c = 0; c < AcquisitionNI::kChannels; ++c) spikes += acquisition->spikeCount[c];
        std::printf("trace %s: started at %.1f s, %d blocks, %d spikes\n", RunControl::traceHyouzi(trace + 1).c_str(),
                    acquisition->timer->getTraceOffsetMsec() / 1000.0,
                    static_cast<int>(acquisition->timer->getBlockMax()), spikes - spikesBefore);
        std::fflush(stdout);
        spikesBefore = spikes;
        // Trace T's stimulus is prepared when trace T − 1 ends (trace 1's at set-up).
        if (refuseTrace == trace + 2) device->failAnalogTimings(1);
        if (refuseTrace == trace + 1) device->clearFaults();
        if (trace + 1 == manualAfter) run.toolStripButtonPause_Click();
    };
    // In the pause, as a user would: "Start Stim" once, then Record to resume
    // (Play would go on without recording). The manual loop pumps events too.
    bool manualPressed = false, manualDelivering = false, resumed = false;
    window.onPoll = [&](long long) {
        if (manualAfter == 0 || resumed || manualDelivering || !run.PauseTyuu || !window.manualEnabled) return;
        if (!manualPressed) {
            manualPressed = manualDelivering = true;
            run.buttonMNL_Click();
            manualDelivering = false;
            std::printf("manual stimulation after trace %s: %zu pulses\n", RunControl::traceHyouzi(manualAfter).c_str(),
                        run.manualStimulation().size());
            std::fflush(stdout);
            return;
        }
        resumed = true;
        run.toolStripButtonRec_Click();
    };
    if (refuseTrace == 1) device->failAnalogTimings(1);
    // The disk-space question is answered by --force: printed either way.
    window.answer = force;
    window.onQuestion = [](const std::string& question) { std::fprintf(stderr, "%s\n", question.c_str()); };
    run.toolStripButtonRec_Click();
    if (!window.questions.empty() && !force) {
        std::fprintf(stderr, "error: nothing recorded (--force records anyway)\n");
        return 1;
    }

    std::printf("Timing: %s\n", run.passTiming().summary().c_str());
    std::printf("%s\n", stimulationSummary(*device).c_str());
    if (!run.dataFilePath().empty()) std::printf("Wrote %s\n", run.dataFilePath().c_str());
    if (!run.summaryFilePath().empty() && window.alerts.empty())
        std::printf("Wrote %s\n", run.summaryFilePath().c_str());
    if (!run.stimulationLogPath().empty()) std::printf("Wrote %s\n", run.stimulationLogPath().c_str());
    if (!run.measuresFilePath().empty()) std::printf("Wrote %s\n", run.measuresFilePath().c_str());
    if (!run.manualFilePath().empty()) {
        std::printf("Wrote %s\n", run.manualFilePath().c_str());
        const std::string manualLog = stimlog::pathFor(run.manualFilePath());
        if (std::filesystem::exists(manualLog)) std::printf("Wrote %s\n", manualLog.c_str());
    }
    const StimulusPlayback& playback = stimulus.playback();
    if (playback.refusals() != 0) {
        std::printf("%s\n", stim::notPlayedSummaryLine(playback).c_str());
        std::fprintf(stderr, "error: %s\n", stim::notPlayedStatus(playback).c_str());
    }
    if (!window.alerts.empty()) {
        std::fprintf(stderr, "error: %s\n", window.alerts.front().c_str());
        return 1;
    }
    return playback.refusals() != 0 ? kExitStimulusNotPlayed : 0;
}
