#include "processing/evoked_trace.h"

#include <algorithm>

namespace korin {
namespace {

// Appends to `buffer` the samples of `want` that follow the `filled` already
// there, as far as the view reaches.
template <class View>
void copyNext(const View& v, SampleRange want, std::int64_t capacity, double* buffer, std::int64_t& filled) {
    const std::int64_t next = want.first + filled;
    const std::int64_t stop = std::min({want.first + std::min(want.size(), capacity), v.first + v.count});
    if (next < v.first || next >= stop) return;
    for (std::int64_t k = next; k < stop; ++k) buffer[k - want.first] = v.at(k);
    filled = stop - want.first;
}

}  // namespace

EvokedTraceMeasurer::EvokedTraceMeasurer()
    : spans_(new double[kEvokedChannels * kMaxResponses * kSpanCapacity]()),
      tails_(new double[kEvokedChannels * kTailCapacity]()) {}

std::optional<std::string_view> EvokedTraceMeasurer::setWindows(const EvokedWindows& windows) {
    if (const auto problem = windowsProblem(windows)) return problem;
    windows_ = windows;
    return std::nullopt;
}

void EvokedTraceMeasurer::beginTrace(const ResponseOnsets& responses, std::int64_t traceScans,
                                     std::uint16_t channels) {
    responses_ = responses;
    plan_ = planTrace(responses, traceScans, windows_);
    channels_ = channels;
    for (auto& filled : spanFilled_) std::fill(std::begin(filled), std::end(filled), 0);
    std::fill(std::begin(tailFilled_), std::end(tailFilled_), 0);
}

double* EvokedTraceMeasurer::spanBuffer(int channel, int response) const {
    return spans_.get() + (channel * kMaxResponses + response) * kSpanCapacity;
}

double* EvokedTraceMeasurer::tailBuffer(int channel) const { return tails_.get() + channel * kTailCapacity; }

template <class View>
void EvokedTraceMeasurer::gather(int channel, const View& samples) {
    if (channel < 0 || channel >= kEvokedChannels || !hasChannel(channels_, channel)) return;
    for (int r = 0; r < plan_.count; ++r)
        copyNext(samples, plan_.response[r].span(), kSpanCapacity, spanBuffer(channel, r), spanFilled_[channel][r]);
    copyNext(samples, plan_.tail, kTailCapacity, tailBuffer(channel), tailFilled_[channel]);
}

void EvokedTraceMeasurer::addSamples(int channel, const MvSamples& samples) { gather(channel, samples); }
void EvokedTraceMeasurer::addSamples(int channel, const CountSamples& samples) { gather(channel, samples); }

void EvokedTraceMeasurer::addBlock(const double* block, std::int64_t firstScan, std::int32_t scans) {
    for (int c = 0; c < kEvokedChannels; ++c) gather(c, MvSamples{block + c, kEvokedChannels, firstScan, scans});
}

bool EvokedTraceMeasurer::complete() const {
    for (int c = 0; c < kEvokedChannels; ++c) {
        if (!hasChannel(channels_, c)) continue;
        for (int r = 0; r < plan_.count; ++r)
            if (spanFilled_[c][r] < std::min(plan_.response[r].span().size(), kSpanCapacity)) return false;
        if (tailFilled_[c] < std::min(plan_.tail.size(), kTailCapacity)) return false;
    }
    return true;
}

void EvokedTraceMeasurer::measure(TraceMeasures& out) const {
    out.responses = responses_;
    out.channels = channels_;
    for (int c = 0; c < kEvokedChannels; ++c) {
        if (!hasChannel(channels_, c)) {
            out.channel[c] = ChannelMeasures{};
            continue;
        }
        MvSamples spans[kMaxResponses];
        for (int r = 0; r < plan_.count; ++r)
            spans[r] = {spanBuffer(c, r), 1, plan_.response[r].span().first, spanFilled_[c][r]};
        const MvSamples tail{tailBuffer(c), 1, plan_.tail.first, tailFilled_[c]};
        measureChannel(spans, tail, plan_, out.channel[c]);
    }
}

}  // namespace korin
