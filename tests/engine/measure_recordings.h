// Recordings whose evoked responses are exact in counts, with the stimulation
// log beside them: every sample a whole number of counts, so the measures of
// the file equal the analytic values to the last bit a float holds.
//
// Channel c of trace t (1-based) sits at 4096 counts (0.25 mV) and, at each
// onset o, falls linearly by 4 (c + 1) t counts a sample from o + 1.2 ms to its
// peak at o + 4.2 ms, then recovers along an alpha curve (tail 3 ms).
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "file_reader_test_files.h"
#include "files/stimulation_log.h"

namespace measure_test {

constexpr double kCf = testfiles::kCf2000;
constexpr std::int32_t kBaselineCounts = 4096;
constexpr double kBaselineMv = kBaselineCounts * kCf;  // 0.25
constexpr int kFallFrom = 24;  // samples after the onset: 1.2 ms
constexpr int kFall = 60;      // samples of the fall: 3 ms
constexpr double kTailTauSamples = 60;

struct EpRun {
    int traces = 3;
    double durationMs = 100;
    std::vector<double> onsetsMs = {10, 60};  // on the 0.05 ms grid
    double intervalMs = 5000;
    int steps = 2;
};

inline int countsPerSample(int channel, int trace) { return 4 * (channel + 1) * trace; }
// mV/ms of the fall: counts per sample x mV per count x 20 samples per ms.
inline double slopeOf(int channel, int trace) { return -countsPerSample(channel, trace) * kCf * 20; }
inline double amplitudeOf(int channel, int trace) { return -countsPerSample(channel, trace) * kFall * kCf; }
inline double intensityOf(int trace) { return -10.0 * trace; }

// Count of channel c at sample s of trace t.
inline std::int16_t countAt(const EpRun& run, int trace, int c, std::int64_t s) {
    std::int64_t v = kBaselineCounts;
    const int step = countsPerSample(c, trace);
    for (double onset : run.onsetsMs) {
        const std::int64_t from = std::llround(onset * 20) + kFallFrom;
        const std::int64_t peak = from + kFall;
        if (s < from) continue;
        if (s <= peak) {
            v -= step * (s - from);
        } else {
            const double x = 1.0 + (s - peak) / kTailTauSamples;
            // Rounded, so the tail long after a response is exactly 0.
            v -= std::llround(step * kFall * x * std::exp(1.0 - x));
        }
    }
    return static_cast<std::int16_t>(v);
}

inline testfiles::Bytes recording(const EpRun& run) {
    testfiles::RecordingSpec layout;
    layout.traces = run.traces;
    layout.durationMs = run.durationMs;
    layout.traceIntervalMs = run.intervalMs;
    layout.steps = run.steps;
    const int perTrace = static_cast<int>(std::ceil(run.durationMs / 500.0));
    return testfiles::recording(layout, [&run, perTrace](int n, int k, int j) {
        return countAt(run, n / perTrace + 1, j, static_cast<std::int64_t>(n % perTrace) * 10000 + k);
    });
}

inline std::vector<stimlog::Row> logRows(const EpRun& run) {
    std::vector<stimlog::Row> rows;
    for (int t = 1; t <= run.traces; ++t) {
        for (std::size_t i = 0; i < run.onsetsMs.size(); ++i) {
            stimlog::Row row;
            row.trace = t;
            row.step = run.steps == 2 && t % 2 == 0 ? '2' : '1';
            row.loop = run.steps == 0 ? 0 : (t - 1) / std::max(run.steps, 1) + 1;
            row.traceStartS = (t - 1) * run.intervalMs / 1000;
            row.electrode = 5;
            row.pulse = static_cast<int>(i) + 1;
            row.onsetMs = run.onsetsMs[i];
            row.durationMs = 0.1;
            row.intensityUa = intensityOf(t);
            rows.push_back(row);
        }
    }
    return rows;
}

// Writes `name`.pldat into `dir`, and its log unless `withLog` is false; returns the recording's path.
inline std::string write(const testfiles::TempDir& dir, const std::string& name, const EpRun& run,
                         bool withLog = true) {
    const std::string path = dir.write(name + ".pldat", recording(run).data);
    if (withLog) {
        stimlog::Writer log;
        EXPECT_TRUE(log.open(stimlog::pathFor(path)));
        EXPECT_TRUE(log.append(logRows(run)));
    }
    return path;
}

}  // namespace measure_test
