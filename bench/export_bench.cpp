// korin16-cli export of a 10-minute recording of the simulated Dev1 (all 16
// channels): the whole command, threshold pre-pass, reader, replay filter and
// writer, against the recording's length. "x_realtime" is 600 s over the wall
// time of one export; the targets are 300 for "Short (16 bit)" without a
// replay filter, 150 with both stages ("1" Hz, "5000" Hz) and 30 for CSV.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_recording.h"

int cliExport(int argc, char** argv);

namespace {

constexpr double kRecordingSeconds = 600;
namespace fs = std::filesystem;

// Removed with everything in it when the program ends.
struct Folder {
    fs::path path = fs::temp_directory_path() / ("korin16_export_bench_" + std::to_string(::getpid()));
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

const std::string& recording() {
    static const std::string path = [] {
        const std::string p = (benchFolder() / "ten_minutes.pldat").string();
        return bench::recordSimulated(p, kRecordingSeconds) ? p : std::string();
    }();
    return path;
}

void exportRecording(benchmark::State& state, std::vector<std::string> options) {
    const std::string& input = recording();
    if (input.empty()) {
        state.SkipWithError("the simulated recording could not be made");
        return;
    }
    std::vector<std::string> args = {input, "--out", (benchFolder() / "out").string()};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (cliExport(static_cast<int>(argv.size()), argv.data()) != 0) {
            state.SkipWithError("export failed");
            return;
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        state.PauseTiming();
        for (const char* extension : {".bin", ".hdr", ".csv"}) fs::remove(benchFolder() / (std::string("out") + extension));
        state.ResumeTiming();
    }
    state.counters["x_realtime"] = kRecordingSeconds / seconds;
}

void BM_ExportShortNoFilter(benchmark::State& state) { exportRecording(state, {"--format", "short"}); }
void BM_ExportShortBothStages(benchmark::State& state) {
    exportRecording(state, {"--format", "short", "--highpass", "1", "--lowpass", "5000"});
}
void BM_ExportCsv(benchmark::State& state) { exportRecording(state, {"--format", "csv"}); }

}  // namespace

BENCHMARK(BM_ExportShortNoFilter)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ExportShortBothStages)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ExportCsv)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
