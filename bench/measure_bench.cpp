// korin16-cli measure of a 1000-trace evoked-potential recording (0.1 s
// traces, a paired pulse 50 ms apart in each, all sixteen channels): the whole
// command, from opening the recording and its stimulation log to the measures
// file and the summary. "traces_per_s" is the recording's traces over the
// wall time of one run; the target is 2 000.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "files/recording_writer.h"
#include "files/stimulation_log.h"

int cliMeasure(int argc, char** argv);

namespace {

constexpr int kTraces = 1000;
constexpr int kTraceScans = 2000;  // 0.1 s
constexpr double kShortRate = 16384;  // counts per mV, input range 2000 uV
constexpr double kOnsetsMs[] = {10, 60};
namespace fs = std::filesystem;

struct Folder {
    fs::path path = fs::temp_directory_path() / ("korin16_measure_bench_" + std::to_string(::getpid()));
    Folder() { fs::create_directories(path); }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

const fs::path& benchFolder() {
    static const Folder folder;
    return folder.path;
}

// 10 uV of noise and an alpha-shaped response 2 ms after each pulse, deeper on
// the higher channels; the log beside it names the pulses.
bool writeRecording(const std::string& path) {
    RecordingStream out;
    if (!out.create(path)) return false;
    pldat::FileHeader h;
    h.traceCount = kTraces;
    h.blocksPerTrace = 1;
    h.traceDurationMs = 100;
    h.inputRangeMicrovolts = 2000;
    h.conversionFactor = 1 / kShortRate;
    h.year = 2022, h.month = 1, h.day = 31;
    std::uint8_t fileHeader[pldat::kFileHeaderBytes];
    pldat::encodeFileHeader(h, fileHeader);
    out.append(fileHeader, sizeof fileHeader);
    if (!out.commit()) return false;

    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0.0, 0.01);
    std::vector<double> block(16 * kTraceScans);
    std::vector<stimlog::Row> rows;
    for (int t = 0; t < kTraces; ++t) {
        for (int k = 0; k < kTraceScans; ++k) {
            for (int c = 0; c < 16; ++c) {
                double v = noise(rng);
                for (double onset : kOnsetsMs) {
                    const double x = (k / 20.0 - onset - 2.0) / 3.0;
                    if (x > 0) v -= (0.2 + 0.05 * c) * x * std::exp(1.0 - x);
                }
                block[16 * k + c] = v;
            }
        }
        pldat::BlockHeader b;
        b.traceIndex = t;
        b.traceStartMs = t * 200.0;
        b.samplesPerChannel = kTraceScans;
        b.firstBlock = b.lastBlock = 1;
        std::uint8_t blockHeader[pldat::kBlockHeaderBytes];
        pldat::encodeBlockHeader(b, blockHeader);
        out.append(blockHeader, sizeof blockHeader);
        out.appendCounts(block.data(), block.size(), kShortRate);
        if (!out.commit()) return false;
        for (int p = 0; p < 2; ++p) {
            stimlog::Row row;
            row.trace = t + 1;
            row.traceStartS = t * 0.2;
            row.electrode = 5;
            row.pulse = p + 1;
            row.onsetMs = kOnsetsMs[p];
            row.durationMs = 0.1;
            row.intensityUa = -10.0 * (1 + t % 8);  // an input-output ramp
            rows.push_back(row);
        }
    }
    out.close();
    stimlog::Writer log;
    return log.open(stimlog::pathFor(path)) && log.append(rows);
}

const std::string& recording() {
    static const std::string path = [] {
        const std::string p = (benchFolder() / "ep1000.pldat").string();
        return writeRecording(p) ? p : std::string();
    }();
    return path;
}

void BM_MeasureCommand(benchmark::State& state) {
    const std::string& input = recording();
    if (input.empty()) {
        state.SkipWithError("the recording could not be written");
        return;
    }
    std::vector<std::string> args = {input, "--out", (benchFolder() / "m.csv").string()};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    // The summary goes nowhere while timed.
    std::fflush(stdout);
    const int savedStdout = ::dup(STDOUT_FILENO);
    const int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, STDOUT_FILENO);
    double seconds = 0;
    bool failed = false;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        failed = cliMeasure(static_cast<int>(argv.size()), argv.data()) != 0;
        std::fflush(stdout);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (failed) break;
    }
    ::dup2(savedStdout, STDOUT_FILENO);
    ::close(savedStdout);
    ::close(devNull);
    if (failed) {
        state.SkipWithError("korin16-cli measure failed");
        return;
    }
    state.counters["traces_per_s"] = kTraces * static_cast<double>(state.iterations()) / seconds;
}
BENCHMARK(BM_MeasureCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
