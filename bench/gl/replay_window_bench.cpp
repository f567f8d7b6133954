// Replay in the window at "Fast": a 2-minute recording of the simulated Dev1
// opened in the replay panel and played to its end, every block drawn by the
// sixteen-channel view. "blocks_per_s" is the replay rate; "ms_per_block" the
// work per block, nearly all of it the frame. Needs a display (xvfb-run).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QToolButton>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "acquisition/sim_device.h"
#include "app/alert_forms.h"
#include "app/korin16_form.h"
#include "app/replay_controller_form.h"
#include "bench/bench_recording.h"
#include "files/file_reader.h"
#include "files/settings_store.h"

namespace {

constexpr double kRecordingSeconds = 120;
namespace fs = std::filesystem;

void BM_ReplayFastInTheWindow(benchmark::State& state) {
    const fs::path folder = fs::temp_directory_path() / ("korin16_replay_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string path = (folder / "two_minutes.pldat").string();
    if (!bench::recordSimulated(path, kRecordingSeconds)) {
        state.SkipWithError("the simulated recording could not be made");
        return;
    }
    SimulatedDevice::Options options;
    options.realTime = false;
    // The start-up defaults, not the user's saved settings; no dialog at close.
    korin::setSettingsFolderOverride((folder / "config").string());
    Korin16Form form(std::make_shared<SimulatedDevice>(options), "Simulated Dev1");
    form.setAlertSink(std::make_shared<ConsoleAlertSink>());
    form.show();
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    form.findChild<QToolButton*>("toolStripButtonSwitch")->click();
    form.replayController->chooseRecordingFile = [&](const std::string&) { return path; };
    form.findChild<QPushButton*>("buttonFileOpen")->click();
    form.findChild<QComboBox*>("comboBoxDelay")->setCurrentText("Fast");

    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        form.findChild<QToolButton*>("toolStripButtonPlay2")->click();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
    }
    const double blocks = kRecordingSeconds * 2;
    if (form.reader->NowBlock != blocks) state.SkipWithError("the replay did not reach the end");
    state.counters["blocks_per_s"] = blocks / seconds;
    state.counters["ms_per_block"] = 1000.0 * seconds / blocks;
    form.close();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace

BENCHMARK(BM_ReplayFastInTheWindow)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
