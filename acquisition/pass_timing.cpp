#include "acquisition/pass_timing.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr double kBlockMs = 500.0;
}

void PassTiming::add(double workMs, double passMs) {
    const int bucket = std::clamp(static_cast<int>(workMs), 0, kBuckets - 1);
    ++buckets_[static_cast<std::size_t>(bucket)];
    ++count_;
    if (workMs > kBlockMs) ++late_;
    sumWorkMs_ += workMs;
    maxWorkMs_ = std::max(maxWorkMs_, workMs);
    maxPassMs_ = std::max(maxPassMs_, passMs);
}

double PassTiming::percentileWorkMs(double fraction) const {
    if (count_ == 0) return 0;
    const std::int64_t target = std::max<std::int64_t>(1, static_cast<std::int64_t>(fraction * count_ + 0.999999));
    std::int64_t seen = 0;
    for (int b = 0; b < kBuckets; ++b) {
        seen += buckets_[static_cast<std::size_t>(b)];
        if (seen >= target) return b + 1;  // upper edge of the bucket
    }
    return kBuckets;
}

std::string PassTiming::summary() const {
    char line[256];
    std::snprintf(line, sizeof line,
                  "%lld passes; work per pass: mean %.2f ms, median <= %.0f ms, 99%% <= %.0f ms, max %.2f ms; "
                  "longest pass %.1f ms; passes over 500 ms of work: %lld",
                  static_cast<long long>(count_), meanWorkMs(), percentileWorkMs(0.5), percentileWorkMs(0.99),
                  maxWorkMs_, maxPassMs_, static_cast<long long>(late_));
    return line;
}
