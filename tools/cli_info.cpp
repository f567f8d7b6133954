// korin16-cli info FILE [--json]: what a recording holds and what is wrong
// with it, read through the same rules as replay.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/number_text.h"
#include "files/file_reader.h"
#include "files/stimulation_log.h"
#include "tools/cli_commands.h"

namespace {

// One run of equal sample counts within a trace.
struct SampleRun {
    std::int32_t samples;
    std::int32_t blocks;
    bool operator==(const SampleRun&) const = default;
};

struct TraceGroup {
    std::int32_t firstTrace;  // trace indices as stored, 0-based
    std::int32_t lastTrace;
    std::int32_t blocks;
    std::vector<SampleRun> runs;
};

// A kind of problem, told once with its first occurrence and a count.
struct Problem {
    std::string first;
    int count = 0;
};

struct Summary {
    std::vector<TraceGroup> groups;
    std::int32_t traces = 0;
    bool manual = false;  // a manual stimulation's file rather than a run's
    bool stepsUsed[256] = {};
    std::int32_t firstLoop = 0;
    std::int32_t lastLoop = 0;
    std::vector<std::pair<const char*, Problem>> problems;

    void problem(const char* kind, std::string text) {
        for (auto& [k, p] : problems) {
            if (std::strcmp(k, kind) == 0) {
                ++p.count;
                return;
            }
        }
        problems.push_back({kind, Problem{std::move(text), 1}});
    }
};

std::string number(double v) {
    if (!std::isfinite(v)) return "null";
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, v);
    return std::string(text, r.ptr);
}

std::string format(const char* f, auto... args) {
    char text[512];
    std::snprintf(text, sizeof text, f, args...);
    return text;
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char ch : s) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20) {
            out += format("\\u%04x", ch);
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out + "\"";
}

std::vector<int> presentChannels(const FileReader& r) {
    std::vector<int> channels;
    for (int c = 0; c < FileReader::kChannels; ++c)
        if (r.ACary[c] == 1) channels.push_back(c + 1);
    return channels;
}

// "1-16" or "1, 2, 4-16".
std::string channelRanges(const std::vector<int>& channels) {
    const std::string out = korin::rangesText(std::vector<std::int64_t>(channels.begin(), channels.end()));
    return out.empty() ? "none" : out;
}

std::string startText(const pldat::FileHeaderFields& h) {
    const std::int32_t ms = h.timeOfDayMs;
    return format("%04d-%02d-%02d %02d:%02d:%02d.%03d", h.year, h.month, h.day, ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
}

// A manual stimulation's file carries loop 0 with step 0; a run without steps
// writes loop 0 with step 255, and a run with steps counts loops from 1.
bool isManualStimulation(const pldat::BlockHeaderFields& first) {
    return first.loopNumber == 0 && first.step == 0;
}

// Blocks per trace its file header should give: a run's trace takes a block
// per started 500 ms; a manual stimulation's header gives its whole 500 ms
// spans plus one, the block in which the stimulus ends.
double nominalBlocks(const pldat::FileHeaderFields& h, bool manual) {
    return manual ? std::floor(std::trunc(h.traceDurationMs) / FileReader::kBlockMs) + 1
                  : std::ceil(h.traceDurationMs / FileReader::kBlockMs);
}

// Blocks a manual stimulation records while its stimulus lasts; the loop may
// record one more before it sees the stimulus over.
double stimulusBlocks(const pldat::FileHeaderFields& h) { return std::ceil(h.traceDurationMs / FileReader::kBlockMs); }

// Scans the writer puts in block `blockIndex` of a trace: a full block, or the
// reads left of the trace's duration in its last block. Manual blocks are full.
std::int32_t dueScans(const pldat::FileHeaderFields& h, bool manual, std::int32_t blockIndex) {
    if (manual) return FileReader::kBlockScans;
    const double remainingMs = h.traceDurationMs - FileReader::kBlockMs * blockIndex;
    return pldat::readsForRemaining(remainingMs / 1000.0) * pldat::kScansPerRead;
}

void closeTrace(Summary& s, TraceGroup trace) {
    if (!s.groups.empty()) {
        TraceGroup& last = s.groups.back();
        if (last.lastTrace + 1 == trace.firstTrace && last.runs == trace.runs) {
            last.lastTrace = trace.firstTrace;
            return;
        }
    }
    s.groups.push_back(std::move(trace));
}

Summary summarise(const FileReader& r) {
    Summary s;
    const pldat::BlockIndex& index = r.blockIndex();
    const pldat::FileHeaderFields& h = r.layout().header;

    s.manual = isManualStimulation(r.layout().firstBlock);
    if (const double nominal = nominalBlocks(h, s.manual); nominal != h.blocksPerTrace)
        s.problem("nominal", format(s.manual ? "the file header gives %d blocks for a manual stimulation of %s ms "
                                               "(%s expected)"
                                             : "the file header gives %d blocks per trace for traces of %s ms "
                                               "(%s expected)",
                                    h.blocksPerTrace, number(h.traceDurationMs).c_str(), number(nominal).c_str()));
    if (r.AC > static_cast<int>(presentChannels(r).size()))
        s.problem("extra channels", format("%d channels beyond channel 16 are present; their samples are skipped",
                                           r.AC - static_cast<int>(presentChannels(r).size())));

    TraceGroup trace{};
    bool inTrace = false;
    std::int32_t lastBlockIndex = -1;
    for (std::int32_t n = 0; n < index.count(); ++n) {
        pldat::BlockHeaderFields b;
        if (!r.blockHeaderAt(n, b)) {
            s.problem("unreadable", format("block %d could not be read again", n));
            break;
        }
        if (!inTrace || b.traceIndex != trace.firstTrace) {
            if (inTrace) {
                if (b.traceIndex != trace.firstTrace + 1)
                    s.problem("trace order", format("block %d belongs to trace index %d after trace index %d", n,
                                                    b.traceIndex, trace.firstTrace));
                if (!s.manual && trace.blocks != h.blocksPerTrace)
                    s.problem("trace length", format("trace index %d has %d blocks, the file header says %d",
                                                     trace.firstTrace, trace.blocks, h.blocksPerTrace));
                closeTrace(s, trace);
            } else if (b.traceIndex != 0) {
                s.problem("trace order", format("the first block belongs to trace index %d", b.traceIndex));
            }
            trace = TraceGroup{b.traceIndex, b.traceIndex, 0, {}};
            inTrace = true;
            lastBlockIndex = -1;
            ++s.traces;
        }
        if (b.blockIndex != lastBlockIndex + 1)
            s.problem("block order", format("block %d has block index %d where %d was due", n, b.blockIndex,
                                            lastBlockIndex + 1));
        if ((b.firstBlock == 1) != (b.blockIndex == 0))
            s.problem("first flag", format("block %d has first-block flag %d with block index %d", n, b.firstBlock,
                                           b.blockIndex));
        lastBlockIndex = b.blockIndex;
        ++trace.blocks;
        if (!trace.runs.empty() && trace.runs.back().samples == b.samplesPerChannel)
            ++trace.runs.back().blocks;
        else
            trace.runs.push_back({b.samplesPerChannel, 1});
        if (const std::int32_t due = dueScans(h, s.manual, b.blockIndex); b.samplesPerChannel != due)
            s.problem("block size", format("block %d holds %d samples per channel where %d are due", n,
                                           b.samplesPerChannel, due));
        if (!s.manual) s.stepsUsed[b.step] = true;
        if (b.loopNumber != 0) {
            if (s.firstLoop == 0 || b.loopNumber < s.firstLoop) s.firstLoop = b.loopNumber;
            if (b.loopNumber > s.lastLoop) s.lastLoop = b.loopNumber;
        }
    }
    if (inTrace) {
        if (s.manual) {
            if (const double due = stimulusBlocks(h); trace.blocks < due)
                s.problem("incomplete", format("the manual stimulation holds %d of the %s blocks its %s ms "
                                               "stimulus lasts: it stopped early",
                                               trace.blocks, number(due).c_str(), number(h.traceDurationMs).c_str()));
        } else if (trace.blocks > h.blocksPerTrace) {
            s.problem("trace length", format("trace index %d has %d blocks, the file header says %d",
                                             trace.firstTrace, trace.blocks, h.blocksPerTrace));
        } else if (trace.blocks < h.blocksPerTrace) {
            s.problem("incomplete", format("the last trace holds %d of its %d blocks: the recording stopped early",
                                           trace.blocks, h.blocksPerTrace));
        }
        closeTrace(s, trace);
    }
    if (s.traces < h.traceCount)
        s.problem("fewer traces", format("%d of %d traces were recorded", s.traces, h.traceCount));
    switch (index.end()) {
    case pldat::BlockIndex::End::FileEnd:
        break;
    case pldat::BlockIndex::End::CutTail:
        s.problem("cut tail", format("the last %llu bytes are a block cut short; they are ignored",
                                     static_cast<unsigned long long>(index.trailingBytes())));
        break;
    case pldat::BlockIndex::End::BadHeader:
        s.problem("bad header", format("the block header at byte %llu makes no sense (%s); the %llu bytes from "
                                       "there on are not read",
                                       static_cast<unsigned long long>(index.badHeaderPosition()),
                                       index.badHeaderReason().c_str(),
                                       static_cast<unsigned long long>(index.trailingBytes())));
        break;
    case pldat::BlockIndex::End::Capacity:
        s.problem("capacity", format("the file holds more than %d blocks (48 hours); the %llu bytes after them "
                                     "are not read",
                                     pldat::BlockIndex::kMaxBlocks,
                                     static_cast<unsigned long long>(index.trailingBytes())));
        break;
    }
    return s;
}

std::string problemText(const Problem& p) {
    return p.count > 1 ? p.first + format(" (and %d more like it)", p.count - 1) : p.first;
}

std::string runsText(const std::vector<SampleRun>& runs) {
    std::string out;
    for (const SampleRun& run : runs) {
        if (!out.empty()) out += ", ";
        out += std::to_string(run.samples);
        if (run.blocks > 1) out += " x" + std::to_string(run.blocks);
    }
    return out;
}

std::vector<int> stepsList(const Summary& s) {
    std::vector<int> steps;
    for (int v = 0; v < 255; ++v)
        if (s.stepsUsed[v]) steps.push_back(v + 1);
    return steps;
}

const char* kindText(const Summary& s) { return s.manual ? "manual stimulation" : "recorded run"; }

// What info tells of a sound log's rows, per output S1 and S2.
struct LogSummary {
    std::size_t pulses = 0;
    std::vector<int> traces;  // ascending, each once
    std::vector<int> electrodes[2];
    bool anyRow[2] = {false, false};
    double low[2] = {0, 0}, high[2] = {0, 0};
    std::vector<std::pair<int, int>> notPlayed;  // (trace, output), each once, in file order
};

const char* kOutputNames[2] = {"S1", "S2"};

LogSummary summariseLog(const std::vector<stimlog::Row>& rows) {
    LogSummary s;
    s.pulses = rows.size();
    auto addOnce = [](std::vector<int>& list, int value) {
        const auto at = std::lower_bound(list.begin(), list.end(), value);
        if (at == list.end() || *at != value) list.insert(at, value);
    };
    for (const stimlog::Row& r : rows) {
        const int f = r.output == 0 ? 0 : 1;
        addOnce(s.traces, r.trace);
        addOnce(s.electrodes[f], r.electrode);
        if (!s.anyRow[f] || r.intensityUa < s.low[f]) s.low[f] = r.intensityUa;
        if (!s.anyRow[f] || r.intensityUa > s.high[f]) s.high[f] = r.intensityUa;
        s.anyRow[f] = true;
        const std::pair<int, int> key{r.trace, f};
        if (!r.played && std::find(s.notPlayed.begin(), s.notPlayed.end(), key) == s.notPlayed.end())
            s.notPlayed.push_back(key);
    }
    return s;
}

std::string joined(const std::vector<int>& values, const char* separator) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) out += (i ? separator : "") + std::to_string(values[i]);
    return out;
}

std::string logName(const std::string& recordingPath) {
    const std::string log = stimlog::pathFor(recordingPath);
    const std::size_t slash = log.find_last_of('/');
    return slash == std::string::npos ? log : log.substr(slash + 1);
}

void printLogText(const std::string& path, const stimlog::ReadResult& log) {
    std::printf("Stimulation log: %s\n", logName(path).c_str());
    if (!log.problem.empty()) {
        std::printf("Stimulation log problem: %s\n", log.problem.c_str());
        return;
    }
    const LogSummary s = summariseLog(log.rows);
    std::string electrodes, intensity;
    for (int f = 0; f < 2; ++f) {
        const std::string list = joined(s.electrodes[f], ",");
        electrodes += std::string(f ? "; " : "") + kOutputNames[f] + " " + (list.empty() ? "none" : list);
        std::string range = "none";
        if (s.anyRow[f])
            range = s.low[f] == s.high[f] ? number(s.low[f]) + " uA"
                                          : number(s.low[f]) + " to " + number(s.high[f]) + " uA";
        intensity += std::string(f ? "; " : "") + kOutputNames[f] + " " + range;
    }
    std::printf("Pulses: %zu\n", s.pulses);
    std::printf("Traces stimulated: %s\n", channelRanges(s.traces).c_str());
    std::printf("Electrodes: %s\n", electrodes.c_str());
    std::printf("Intensity: %s\n", intensity.c_str());
    if (!s.notPlayed.empty()) {
        std::string list;
        for (const auto& [trace, f] : s.notPlayed)
            list += (list.empty() ? "trace " : "; trace ") + std::to_string(trace) + " " + kOutputNames[f];
        std::printf("Not played: %s\n", list.c_str());
    }
}

std::string logJson(const std::string& path, const stimlog::ReadResult& log) {
    const std::string name = jsonString(logName(path));
    if (!log.problem.empty()) return "{\"file\":" + name + ",\"problem\":" + jsonString(log.problem) + "}";
    const LogSummary s = summariseLog(log.rows);
    std::string electrodes = "{", intensity = "{";
    for (int f = 0; f < 2; ++f) {
        const std::string key = std::string(f ? "," : "") + "\"" + kOutputNames[f] + "\":";
        electrodes += key + "[" + joined(s.electrodes[f], ",") + "]";
        intensity += key + (s.anyRow[f] ? "{\"min\":" + number(s.low[f]) + ",\"max\":" + number(s.high[f]) + "}"
                                        : std::string("null"));
    }
    std::string notPlayed;
    for (const auto& [trace, f] : s.notPlayed)
        notPlayed += format("%s{\"trace\":%d,\"output\":\"%s\"}", notPlayed.empty() ? "" : ",", trace,
                            kOutputNames[f]);
    return "{\"file\":" + name + ",\"pulses\":" + std::to_string(s.pulses) + ",\"tracesStimulated\":[" +
           joined(s.traces, ",") + "],\"electrodes\":" + electrodes + "},\"intensityUa\":" + intensity +
           "},\"notPlayed\":[" + notPlayed + "]}";
}

void printText(const std::string& path, const FileReader& r, const Summary& s) {
    const pldat::FileHeaderFields& h = r.layout().header;
    std::printf("File: %s (%llu bytes)\n", path.c_str(), static_cast<unsigned long long>(r.layout().fileLength));
    std::printf("Kind: %s\n", kindText(s));
    std::printf("Trace count: %d\n", h.traceCount);
    std::printf("Blocks per trace: %d\n", h.blocksPerTrace);
    std::printf("Trace duration: %s ms\n", number(h.traceDurationMs).c_str());
    std::printf("Sampling rate: %s Hz\n", number(h.sampleRate).c_str());
    std::printf("Input range: %s uV\n", number(h.inputRangeMicrovolts).c_str());
    std::printf("Conversion factor: %s mV per count\n", number(h.conversionFactor).c_str());
    std::printf("Present channels: %s (%d values per scan)\n", channelRanges(presentChannels(r)).c_str(), r.AC);
    std::printf("Start: %s (time-zone field %d min, time stamp %lld)\n", startText(h).c_str(), h.timeZoneMinutes,
                static_cast<long long>(h.startTicks));
    std::printf("Whole blocks: %d\n", r.AllBlock);
    std::printf("Traces found: %d\n", s.traces);
    for (const TraceGroup& g : s.groups) {
        const std::string which = g.firstTrace == g.lastTrace
                                      ? format("trace %d", g.firstTrace + 1)
                                      : format("traces %d-%d", g.firstTrace + 1, g.lastTrace + 1);
        std::printf("  %s: %d blocks of %s samples per channel\n", which.c_str(), g.blocks,
                    runsText(g.runs).c_str());
    }
    const std::vector<int> steps = stepsList(s);
    if (steps.empty()) {
        std::printf("Steps: none\n");
    } else {
        std::string list;
        for (int v : steps) list += (list.empty() ? "" : ", ") + std::to_string(v);
        std::printf("Steps: %s; loops %d-%d; traces per loop: %d\n", list.c_str(), s.firstLoop, s.lastLoop,
                    r.StepMax);
    }
    if (s.problems.empty()) {
        std::printf("Problems: none\n");
    } else {
        std::printf("Problems:\n");
        for (const auto& [kind, p] : s.problems) std::printf("  - %s\n", problemText(p).c_str());
    }
    if (const stimlog::ReadResult log = stimlog::read(stimlog::pathFor(path)); log.exists) printLogText(path, log);
}

void printJson(const std::string& path, const FileReader& r, const Summary& s) {
    const pldat::FileHeaderFields& h = r.layout().header;
    std::string out = "{";
    auto field = [&out](const char* name, const std::string& value) {
        if (out.size() > 1) out += ",";
        out += "\"";
        out += name;
        out += "\":" + value;
    };
    auto list = [](const std::vector<int>& values) {
        std::string l = "[";
        for (std::size_t i = 0; i < values.size(); ++i) l += (i ? "," : "") + std::to_string(values[i]);
        return l + "]";
    };
    field("path", jsonString(path));
    field("fileBytes", std::to_string(r.layout().fileLength));
    field("kind", jsonString(kindText(s)));
    field("traceCount", std::to_string(h.traceCount));
    field("blocksPerTrace", std::to_string(h.blocksPerTrace));
    field("traceDurationMs", number(h.traceDurationMs));
    field("sampleRateHz", number(h.sampleRate));
    field("inputRangeMicrovolts", number(h.inputRangeMicrovolts));
    field("conversionFactor", number(h.conversionFactor));
    field("presentChannels", list(presentChannels(r)));
    field("valuesPerScan", std::to_string(r.AC));
    field("start", format("{\"year\":%d,\"month\":%d,\"day\":%d,\"timeOfDayMs\":%d,\"text\":%s,"
                          "\"timeZoneMinutes\":%d,\"ticks\":%lld}",
                          h.year, h.month, h.day, h.timeOfDayMs, jsonString(startText(h)).c_str(),
                          h.timeZoneMinutes, static_cast<long long>(h.startTicks)));
    field("wholeBlocks", std::to_string(r.AllBlock));
    field("trailingBytes", std::to_string(r.blockIndex().trailingBytes()));
    field("tracesFound", std::to_string(s.traces));
    std::string groups = "[";
    for (std::size_t i = 0; i < s.groups.size(); ++i) {
        const TraceGroup& g = s.groups[i];
        std::string runs = "[";
        for (std::size_t j = 0; j < g.runs.size(); ++j)
            runs += format("%s{\"samplesPerChannel\":%d,\"blocks\":%d}", j ? "," : "", g.runs[j].samples,
                           g.runs[j].blocks);
        runs += "]";
        groups += format("%s{\"firstTrace\":%d,\"lastTrace\":%d,\"blocks\":%d,\"samples\":%s}", i ? "," : "",
                         g.firstTrace + 1, g.lastTrace + 1, g.blocks, runs.c_str());
    }
    field("traces", groups + "]");
    field("steps", list(stepsList(s)));
    field("loops", s.lastLoop == 0 ? "null" : format("{\"first\":%d,\"last\":%d}", s.firstLoop, s.lastLoop));
    field("stepMax", std::to_string(r.StepMax));
    std::string problems = "[";
    for (std::size_t i = 0; i < s.problems.size(); ++i)
        problems += (i ? "," : "") + jsonString(problemText(s.problems[i].second));
    field("problems", problems + "]");
    if (const stimlog::ReadResult log = stimlog::read(stimlog::pathFor(path)); log.exists)
        field("stimulation", logJson(path, log));
    std::printf("%s}\n", out.c_str());
}

}  // namespace

int cliInfo(int argc, char** argv) {
    std::string path;
    bool json = false;
    int files = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else {
            path = argv[i];
            ++files;
        }
    }
    if (files != 1) {
        std::fprintf(stderr, "usage: korin16-cli info FILE [--json]\n");
        return 2;
    }
    auto reader = std::make_unique<FileReader>();
    if (!reader->open(path) || !reader->read()) {
        std::fprintf(stderr, "error: %s\n", reader->errorText().c_str());
        if (json)
            std::printf("{\"path\":%s,\"error\":%s}\n", jsonString(path).c_str(),
                        jsonString(reader->errorText()).c_str());
        return 1;
    }
    const Summary summary = summarise(*reader);
    if (json)
        printJson(path, *reader, summary);
    else
        printText(path, *reader, summary);
    return 0;
}
