#include "acquisition/status_messages.h"

#include "acquisition/number_text.h"

namespace korin::status {
namespace {

std::string counted(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string traces(std::int64_t n) { return counted(n, "trace", "traces"); }

}  // namespace

std::string dcOffsetLeft(double seconds) { return "Measuring the DC offset: " + defaultNumberText(seconds) + " s left"; }

std::string stimulusNotPlayed(std::int64_t traceNumber) {
    return "The stimulus of trace " + std::to_string(traceNumber) + " was not played (see the console).";
}

std::string withNews(const std::string& status, const std::string& news) {
    if (status.empty() || news.empty()) return status + news;
    return status + ". " + news;
}

std::string runRunning(const RunOutcome& run) {
    return run.dataFile.empty() ? "Running with Play: nothing is recorded" : "Recording to " + run.dataFile;
}

std::string runEnd(const RunOutcome& run) {
    if (run.finished) {
        return "Run finished: " + traces(run.tracesComplete) +
               (run.dataFile.empty() ? ", not recorded" : " recorded to " + run.dataFile);
    }
    if (run.tracesComplete == 0 && !run.traceCutShort) return "Run stopped before its first trace; nothing recorded";
    std::string text = "Run stopped after " + std::to_string(run.tracesComplete) + " of " + traces(run.tracesAsked);
    if (run.traceCutShort) text += " (trace " + std::to_string(run.tracesComplete + 1) + " cut short)";
    return text + (run.dataFile.empty() ? "; not recorded" : "; recorded to " + run.dataFile);
}

std::string exportWritten(const std::string& path, std::int64_t blocks) {
    return "Export written: " + path + " (" + counted(blocks, "block", "blocks") + ")";
}

std::string exportStopped(const std::string& path, std::int64_t blocks) {
    return "Export stopped: " + path + " holds " + counted(blocks, "block", "blocks");
}

std::string exporting(const std::string& path) { return "Exporting to " + path; }

}  // namespace korin::status
