// korin16-cli measure: the evoked-response measures of every trace of a
// recording into a measures file, and a summary per channel. The onsets come
// from the stimulation log beside the recording, or from --onset for a file
// without one. The recording's counts are measured where they lie, through
// the same session as the live run and replay, so the table is the one replay
// builds from the same file with its filter off.
#include <bit>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acquisition/number_text.h"
#include "files/block_index.h"
#include "files/measures_file.h"
#include "files/stimulation_log.h"
#include "files/trace_stimuli.h"
#include "processing/evoked_session.h"
#include "processing/evoked_windows.h"
#include "processing/measures_report.h"
#include "tools/cli_channels.h"
#include "tools/cli_commands.h"

namespace {

static_assert(std::endian::native == std::endian::little, "a recording's counts are read in place");

constexpr std::int32_t kDefaultBaselineTraces = 10;

int measureUsage() {
    std::fprintf(stderr,
                 "usage: korin16-cli measure FILE --out PATH.csv [--windows LIST] [--channels LIST]\n"
                 "                           [--baseline-traces N] [--onset MS]\n"
                 "  LIST of --windows: BASE_FROM,BASE_TO,BLANK,WIN_FROM,WIN_TO,SLOPE_FROM,SLOPE_TO,WIDTH\n"
                 "  in ms (default %s). --channels: comma-separated channel numbers 1-16.\n"
                 "  The onsets come from FILE's stimulation log; --onset MS gives every trace one\n"
                 "  stimulus MS after its start instead.\n",
                 korin::windowsText(korin::EvokedWindows{}).c_str());
    return 2;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "error: %s\n", message.c_str());
    return 1;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

// Why writing the measures to `out` would destroy something recorded; empty when it would not.
std::string outputProblem(const std::string& out, const std::string& input, const std::string& log) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::canonical(out, ec);
    if (!ec && (sameFile(out, input) || target.extension() == ".pldat"))
        return "The measures file would overwrite a recording.";
    if (sameFile(out, log)) return "The measures file would overwrite the stimulation log.";
    return {};
}

// A recording opened for measuring: its layout, the header of every whole
// block, and where each channel lies in a scan.
struct Recording {
    pldat::ReadOnlyFile file;
    pldat::FileLayout layout;
    pldat::BlockIndex index;
    std::vector<pldat::BlockHeaderFields> headers;
    std::uint8_t position[korin::kEvokedChannels];

    std::string open(const std::string& path) {
        std::string error;
        if (!file.open(path, error) || !pldat::readLayout(file, layout, error)) return error;
        index.build(file, layout, [&](int, std::uint64_t, const pldat::BlockHeaderFields& h) { headers.push_back(h); });
        if (index.count() == 0)
            return "The recording holds no whole block: it was cut short after " +
                   std::to_string(layout.fileLength) + " bytes.";
        int at = 0;
        for (int c = 0; c < pldat::kShownChannels; ++c)
            position[c] = layout.header.channelFlags[c] == 1 ? static_cast<std::uint8_t>(at++) : korin::kNoCountPosition;
        return {};
    }
    bool recorded(int c) const { return position[c] != korin::kNoCountPosition; }
    // Scans of the trace whose first block in the file is block n.
    std::int64_t traceScansFrom(std::size_t n) const {
        std::int64_t scans = 0;
        for (std::size_t m = n; m < headers.size() && headers[m].traceIndex == headers[n].traceIndex; ++m)
            scans += headers[m].samplesPerChannel;
        return scans;
    }
};

std::string numberText(double value, const char* format) {
    if (korin::isNone(value)) return "none";
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void printSummary(const korin::MeasuresTable& table, std::uint16_t channels, std::int32_t baselineTraces) {
    bool paired = false;
    for (std::int32_t t = 0; t < table.traceCount() && !paired; ++t) paired = table.responses(t) == 2;
    const std::int32_t baselineEnd = std::min(baselineTraces, table.traceCount());
    std::printf("Max slope of the first response (mV/ms), baseline traces 1-%d:\n", baselineEnd);
    std::printf("  ch    baseline   last %d (%% of baseline)%s\n", korin::kReportLastTraces,
                paired ? "   paired-pulse ratio" : "");
    std::vector<std::pair<int, korin::ChannelReport>> reports;
    for (int c = 0; c < korin::kEvokedChannels; ++c) {
        if (!korin::hasChannel(channels, c)) continue;
        korin::ChannelReport r = korin::reportChannel(table, c, baselineTraces);
        if (!r.responds) {
            std::printf("  %2d  no response to normalise\n", c + 1);
        } else {
            std::printf("  %2d  %10s  %22s%s\n", c + 1, numberText(r.baseline.mean, "%.4f").c_str(),
                        numberText(r.lastPercent, "%.1f %%").c_str(),
                        paired ? ("  " + numberText(r.ppr.mean, "%19.3f")).c_str() : "");
        }
        reports.emplace_back(c, std::move(r));
    }
    const auto withIo = std::find_if(reports.begin(), reports.end(), [](const auto& r) { return !r.second.io.empty(); });
    if (withIo == reports.end()) return;
    std::printf("Mean max slope of the first response (mV/ms) per intensity (uA):\n  ch");
    for (const korin::IntensityMean& m : withIo->second.io) std::printf(" %9s", korin::defaultNumberText(m.intensityUa).c_str());
    std::printf("\n");
    for (const auto& [c, r] : reports) {
        if (r.io.empty()) continue;
        std::printf("  %2d", c + 1);
        for (const korin::IntensityMean& m : r.io) std::printf(" %9s", numberText(m.value.mean, "%.4f").c_str());
        std::printf("\n");
    }
}

}  // namespace

int cliMeasure(int argc, char** argv) {
    if (argc < 1 || argv[0][0] == '-') return measureUsage();
    const std::string input = argv[0];
    std::string out;
    std::optional<std::string> windowsArg, channelsArg, baselineArg, onsetArg;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return measureUsage();
        const std::string value = argv[++i];
        if (option == "--out") out = value;
        else if (option == "--windows") windowsArg = value;
        else if (option == "--channels") channelsArg = value;
        else if (option == "--baseline-traces") baselineArg = value;
        else if (option == "--onset") onsetArg = value;
        else return measureUsage();
    }
    if (out.empty()) return measureUsage();

    korin::EvokedSession session;
    if (windowsArg) {
        const korin::WindowsParse parsed = korin::parseWindows(*windowsArg);
        if (!parsed.windows) return fail("--windows " + *windowsArg + ": " + std::string(parsed.problem));
        session.setWindows(*parsed.windows);
    }
    const ChannelList wanted = channelsArg ? channelList(*channelsArg) : ChannelList{};
    if (!wanted.problem.empty()) return fail(wanted.problem);
    std::int32_t baselineTraces = kDefaultBaselineTraces;
    if (baselineArg) {
        const auto n = korin::parseInt32(*baselineArg);
        if (!n || *n < 1) return fail("--baseline-traces takes a whole number of traces from 1, not \"" + *baselineArg + "\"");
        baselineTraces = *n;
    }
    std::optional<double> fixedOnset;
    if (onsetArg) {
        fixedOnset = korin::parseDouble(*onsetArg);
        if (!fixedOnset || *fixedOnset < 0) return fail("--onset takes ms from the trace's start, not \"" + *onsetArg + "\"");
    }

    Recording rec;
    if (const std::string problem = rec.open(input); !problem.empty()) return fail(input + ": " + problem);
    const double durationMs = rec.layout.header.traceDurationMs;
    if (fixedOnset && *fixedOnset >= durationMs)
        return fail("--onset " + *onsetArg + " ms is not within the file's trace of " +
                    korin::defaultNumberText(durationMs) + " ms.");
    std::uint16_t channels = 0;
    for (int c = 0; c < korin::kEvokedChannels; ++c) {
        if (channelsArg && !wanted.on[c]) continue;
        if (!rec.recorded(c)) {
            if (channelsArg) return fail("channel " + std::to_string(c + 1) + " is not recorded in " + input);
            continue;
        }
        channels = static_cast<std::uint16_t>(channels | 1U << c);
    }
    session.setChannels(channels);

    const std::string logPath = stimlog::pathFor(input);
    measuresfile::TraceStimuli stimuli;
    if (!fixedOnset) {
        const stimlog::ReadResult log = stimlog::read(logPath);
        if (!log.exists)
            return fail(input + " has no stimulation log (" + logPath + ") to give the onsets: give --onset MS.");
        if (!log.problem.empty())
            return fail("the stimulation log " + logPath + ", " + log.problem + ": give --onset MS.");
        stimuli = measuresfile::TraceStimuli(log.rows);
        if (stimuli.empty())
            return fail("the stimulation log " + logPath + " has no pulse played in a trace: give --onset MS.");
        if (log.cutTail) std::fprintf(stderr, "warning: the stimulation log's last line was cut off and is left out\n");
    }

    if (const std::string problem = outputProblem(out, input, logPath); !problem.empty()) return fail(problem);
    measuresfile::Writer writer;
    if (!writer.open(out)) return fail("The measures file could not be created. (" + out + ": " + writer.error() + ")");
    session.setSink(&writer);

    const auto started = std::chrono::steady_clock::now();
    const korin::StimOnset fixed[1] = {{fixedOnset.value_or(0), korin::kNone}};
    std::vector<std::int16_t> counts(pldat::kMaxBlockDataBytes / sizeof(std::int16_t));
    const double mvPerCount = rec.layout.header.conversionFactor;
    const int valuesPerScan = rec.layout.presentChannels;
    session.beginRun();
    for (std::size_t n = 0; n < rec.headers.size(); ++n) {
        const pldat::BlockHeaderFields& h = rec.headers[n];
        if (n == 0 || h.traceIndex != rec.headers[n - 1].traceIndex) {
            const korin::TraceInfo info = measuresfile::traceInfoOf(h);
            const std::span<const korin::StimOnset> onsets =
                fixedOnset ? std::span<const korin::StimOnset>(fixed) : stimuli.of(info.trace);
            session.beginTrace(info, onsets.data(), static_cast<int>(onsets.size()), rec.traceScansFrom(n));
        }
        if (!session.waiting()) continue;  // measured, or nothing to measure: its samples are not needed
        if (!rec.file.readAt(rec.index.position(static_cast<int>(n)) + pldat::kBlockHeaderBytes, counts.data(),
                             static_cast<std::size_t>(h.sampleByteCount))) {
            session.endRun();
            return fail(input + ": block " + std::to_string(n + 1) + " could not be read.");
        }
        session.addCounts(counts.data(), valuesPerScan, rec.position, mvPerCount,
                          static_cast<std::int64_t>(h.blockIndex) * pldat::kMaxBlockScans, h.samplesPerChannel);
    }
    session.endRun();
    writer.close();
    if (writer.failed()) return fail("The measures file could not be written. (" + out + ": " + writer.error() + ")");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const korin::MeasuresTable& table = session.table();
    std::printf("Measured %d traces of %s into %s (%llu rows) in %.2f s\n", table.traceCount(), input.c_str(),
                out.c_str(), static_cast<unsigned long long>(writer.rowsWritten()), seconds);
    if (table.traceCount() > 0) printSummary(table, channels, baselineTraces);
    return 0;
}
