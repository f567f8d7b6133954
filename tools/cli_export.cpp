// korin16-cli export: a recording's range and channels to "Short (16 bit)" or
// CSV files, through the same replay control as the window (threshold
// pre-pass, reader, replay filter, writer), so the files are byte for byte the
// window's for the same settings.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "acquisition/channel_levels.h"
#include "acquisition/number_text.h"
#include "files/export_writer.h"
#include "files/file_reader.h"
#include "files/replay_control.h"
#include "files/replay_window.h"
#include "processing/filter_selectors.h"
#include "tools/cli_channels.h"
#include "tools/cli_commands.h"

namespace {

constexpr int kBarWidth = 40;

int exportUsage() {
    std::fprintf(stderr,
                 "usage: korin16-cli export FILE --format short|csv --out PATH [--traces A-B] [--ms FROM-TO]\n"
                 "                          [--channels LIST] [--highpass VALUE|None] [--lowpass VALUE|None]\n"
                 "  PATH is the export path without extension: short writes PATH.bin and PATH.hdr,\n"
                 "  csv writes PATH.csv. LIST is comma-separated channel numbers 1-16.\n");
    return 2;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "error: %s\n", message.c_str());
    return 1;
}

// "A-B" as two whole numbers.
std::optional<std::pair<std::string, std::string>> splitPair(const std::string& value) {
    const std::size_t dash = value.find('-', 1);
    if (dash == std::string::npos) return std::nullopt;
    const std::string a = value.substr(0, dash), b = value.substr(dash + 1);
    if (!korin::parseInt32(a) || !korin::parseInt32(b)) return std::nullopt;
    return std::make_pair(a, b);
}

std::string filterProblem(const char* option, const std::string& value) {
    return std::string(option) + " takes a cut-off in Hz or None, not \"" + value + "\"";
}

class ProgressBar {
public:
    explicit ProgressBar(int total) : total_(total), terminal_(::isatty(STDERR_FILENO) == 1) {}
    void advance() {
        ++done_;
        if (!terminal_ || total_ <= 0) return;
        const int filled = static_cast<int>(static_cast<long long>(done_) * kBarWidth / total_);
        if (filled == shown_ && done_ != total_) return;
        shown_ = filled;
        std::fprintf(stderr, "\r[%.*s%*s] %d/%d blocks", filled, "########################################",
                     kBarWidth - filled, "", done_, total_);
        std::fflush(stderr);
    }
    void finish() {
        if (terminal_ && total_ > 0) std::fputc('\n', stderr);
    }
    int done() const { return done_; }

private:
    int total_;
    bool terminal_;
    int done_ = 0;
    int shown_ = -1;
};

}  // namespace

int cliExport(int argc, char** argv) {
    if (argc < 1 || argv[0][0] == '-') return exportUsage();
    const std::string input = argv[0];
    std::string format, out, traces, ms, highpass = korin::kFilterNoneText, lowpass = korin::kFilterNoneText;
    std::optional<std::string> channels;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return exportUsage();
        const std::string value = argv[++i];
        if (option == "--format") format = value;
        else if (option == "--out") out = value;
        else if (option == "--traces") traces = value;
        else if (option == "--ms") ms = value;
        else if (option == "--channels") channels = value;
        else if (option == "--highpass") highpass = value;
        else if (option == "--lowpass") lowpass = value;
        else return exportUsage();
    }
    if ((format != "short" && format != "csv") || out.empty()) return exportUsage();
    const std::size_t cut = out.find_last_of('/');
    const std::string folder = cut == std::string::npos ? "." : (cut == 0 ? "/" : out.substr(0, cut));
    const std::string name = cut == std::string::npos ? out : out.substr(cut + 1);
    if (name.empty()) return fail("--out needs a file name after the folder: " + out);
    // The window's selectors read any other text as None without a word.
    if (korin::isFilterComboBoxNoneHPF(highpass).none && highpass != korin::kFilterNoneText)
        return fail(filterProblem("--highpass", highpass));
    if (korin::isFilterComboBoxNoneLPF(lowpass).none && lowpass != korin::kFilterNoneText)
        return fail(filterProblem("--lowpass", lowpass));
    const auto wanted = channels ? channelList(*channels) : ChannelList{};
    if (!wanted.problem.empty()) return fail(wanted.problem);

    HeadlessReplayWindow window;
    // No selected-channel views headless: the reader keeps no history for them.
    window.texts[ReplayText::SelectOneCh] = "-1";
    korin::ChannelLevels levels;
    ReplayControl replay(window, levels);
    replay.buttonFileOpen_Click(input);
    if (!replay.readerActive)
        return fail(window.alerts.empty() ? "cannot read " + input : input + ": " + window.alerts.front());
    const FileReader& reader = *replay.reader();

    std::optional<std::int32_t> lastTrace;
    if (!traces.empty()) {
        const auto pair = splitPair(traces);
        if (!pair) return fail("--traces needs A-B, not \"" + traces + "\"");
        window.texts[ReplayText::TraceFrom] = pair->first;
        window.texts[ReplayText::TraceTo] = pair->second;
        lastTrace = korin::parseInt32(pair->second);
    }
    if (!ms.empty()) {
        const auto pair = splitPair(ms);
        if (!pair) return fail("--ms needs FROM-TO in whole ms, not \"" + ms + "\"");
        window.texts[ReplayText::TimeFrom] = pair->first;
        window.texts[ReplayText::TimeTo] = pair->second;
    }
    if (std::string problem = replay.rangeProblem(); !problem.empty()) return fail(problem);
    // A cut or early-stopped recording: traces asked for are refused, the
    // default range shrinks to what is there.
    if (const std::string missing = replay.missingTracesText(); !missing.empty()) {
        if (lastTrace) {
            if (*lastTrace > replay.tracesHeld()) return fail(missing);
        } else {
            window.texts[ReplayText::TraceTo] = std::to_string(replay.tracesHeld());
            std::fprintf(stderr, "warning: %s\n", missing.c_str());
        }
    }

    if (channels) {
        for (int c = 0; c < 16; ++c) {
            if (wanted.on[c] && reader.ACary[c] != 1)
                return fail("channel " + std::to_string(c + 1) + " is not recorded in " + input);
        }
        for (int c = 0; c < 16; ++c)
            if (window.channels.present(c) && !wanted.on[c]) window.channels.buttonChrep_Click(c);
    }
    window.texts[ReplayText::Highpass] = highpass;
    window.texts[ReplayText::Lowpass] = lowpass;
    window.texts[ReplayText::Delay] = ReplayControl::kFastText;
    window.texts[ReplayText::DataFormat] =
        format == "short" ? ExportWriter::kShortFormatText : ExportWriter::kCsvFormatText;
    window.texts[ReplayText::ExportFolder] = folder;
    window.texts[ReplayText::ExportFileName] = name;

    const std::int32_t blocks = replay.blocksInRange().value_or(0);
    if (blocks == 0)
        return fail("the file holds no block of traces " + window.texts[ReplayText::TraceFrom] + "-" +
                    window.texts[ReplayText::TraceTo] + " within " + window.texts[ReplayText::TimeFrom] + "-" +
                    window.texts[ReplayText::TimeTo] + " ms");
    ProgressBar bar(blocks);
    replay.onBlock = [&] { bar.advance(); };
    const auto started = std::chrono::steady_clock::now();
    replay.toolStripButtonRec_Click();
    bar.finish();
    if (!window.alerts.empty()) {
        const std::string detail = reader.exportErrorText();
        return fail(window.alerts.back() + (detail.empty() ? "" : " (" + detail + ")"));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::string files = format == "short" ? out + ExportWriter::kBinaryExtension + ", " + out +
                                                      ExportWriter::kHeaderExtension
                                                : out + ExportWriter::kCsvExtension;
    std::fprintf(stderr, "Exported %d blocks of %s to %s in %.2f s\n", bar.done(), input.c_str(), files.c_str(),
                 seconds);
    return 0;
}
