#include "stimulation/stimulus_playback.h"

#include "acquisition/alert_messages.h"
#include "acquisition/number_text.h"
#include "acquisition/status_messages.h"

StimulusPlayback::StimulusPlayback() : traces_(std::make_unique<std::atomic<std::uint8_t>[]>(kMaxTraces)) {}

void StimulusPlayback::clear() {
    const std::int64_t used = used_.exchange(0);
    for (std::int64_t t = 0; t < used && t < kMaxTraces; ++t) traces_[t] = 0;
    refusals_ = 0;
    lastRefused_ = -1;
}

void StimulusPlayback::mark(std::int64_t trace, std::uint8_t bits) {
    if (trace < 0 || trace >= kMaxTraces) return;
    traces_[trace].fetch_or(bits);
    std::int64_t used = used_.load();
    while (used <= trace && !used_.compare_exchange_weak(used, trace + 1)) {
    }
}

void StimulusPlayback::armed(std::int64_t trace, bool s1, bool s2) {
    mark(trace, static_cast<std::uint8_t>((s1 ? kArmedS1 : 0) | (s2 ? kArmedS2 : 0)));
}

void StimulusPlayback::refused(std::int64_t trace) {
    if (trace < 0) return;
    // Beyond the table a refusal is still counted and named, only not listed.
    mark(trace, kRefused);
    lastRefused_ = trace;
    ++refusals_;
}

std::uint8_t StimulusPlayback::entry(std::int64_t trace) const {
    return trace >= 0 && trace < kMaxTraces ? traces_[trace].load() : 0;
}

bool StimulusPlayback::armedIn(std::int64_t trace, int f) const {
    return (entry(trace) & (f == 0 ? kArmedS1 : kArmedS2)) != 0;
}

bool StimulusPlayback::refusedIn(std::int64_t trace) const { return (entry(trace) & kRefused) != 0; }

bool StimulusPlayback::played(std::int64_t trace, int f) const { return armedIn(trace, f) && !refusedIn(trace); }

std::vector<std::int64_t> StimulusPlayback::refusedTraceNumbers() const {
    std::vector<std::int64_t> numbers;
    const std::int64_t used = used_.load();
    for (std::int64_t t = 0; t < used && t < kMaxTraces; ++t)
        if (refusedIn(t)) numbers.push_back(t + 1);
    return numbers;
}

namespace stim {

std::string notPlayedStatus(const StimulusPlayback& playback) {
    const std::int64_t trace = playback.lastRefusedTrace();
    if (trace < 0) return {};
    return korin::status::stimulusNotPlayed(trace + 1);
}

std::string notPlayedSummaryLine(const StimulusPlayback& playback) {
    const std::vector<std::int64_t> numbers = playback.refusedTraceNumbers();
    if (numbers.empty()) return {};
    return korin::alerts::kStimulusNotPlayedSummary + korin::rangesText(numbers);
}

}  // namespace stim
