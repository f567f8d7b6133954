// How long each pass of the run loop worked (reading excluded: time spent
// waiting in the device reads is the device pacing the loop, not work). Fixed
// one-millisecond buckets, so recording a pass allocates nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class PassTiming {
public:
    static constexpr int kBuckets = 1000;  // 0..999 ms, the last one also holds longer passes

    void add(double workMs, double passMs);
    void clear() { *this = PassTiming(); }

    std::int64_t count() const { return count_; }
    double maxWorkMs() const { return maxWorkMs_; }
    double maxPassMs() const { return maxPassMs_; }
    double meanWorkMs() const { return count_ ? sumWorkMs_ / count_ : 0.0; }
    // The work time below which `fraction` of the passes lie (bucket resolution).
    double percentileWorkMs(double fraction) const;
    // Passes whose work took longer than a 500 ms block: the loop fell behind.
    std::int64_t lateWorkPasses() const { return late_; }
    // One line: count, mean, median, 99th percentile, maximum, late passes.
    std::string summary() const;

private:
    std::array<std::int64_t, kBuckets> buckets_{};
    std::int64_t count_ = 0;
    std::int64_t late_ = 0;
    double sumWorkMs_ = 0;
    double maxWorkMs_ = 0;
    double maxPassMs_ = 0;
};
