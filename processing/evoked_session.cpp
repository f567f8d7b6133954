#include "processing/evoked_session.h"

namespace korin {

void EvokedSession::beginRun() {
    waiting_ = false;
    table_.clear();
    measured_ = 0;
    last_ = TraceMeasures{};
    lastInfo_ = TraceInfo{};
    lastPlan_ = TracePlan{};
}

void EvokedSession::beginTrace(const TraceInfo& info, const StimOnset* onsets, int count,
                               std::int64_t traceScans) {
    finishTrace();
    const ResponseOnsets responses = selectResponses(onsets, count);
    if (responses.count == 0) return;
    info_ = info;
    measurer_.beginTrace(responses, traceScans, channels_);
    waiting_ = true;
}

bool EvokedSession::addBlock(const double* block, std::int64_t firstScan, std::int32_t scans) {
    if (!waiting_) return false;
    measurer_.addBlock(block, firstScan, scans);
    return afterBlock();
}

bool EvokedSession::addCounts(const std::int16_t* counts, int valuesPerScan,
                              const std::uint8_t position[kEvokedChannels], double mvPerCount,
                              std::int64_t firstScan, std::int32_t scans) {
    if (!waiting_) return false;
    for (int c = 0; c < kEvokedChannels; ++c) {
        if (!hasChannel(channels_, c) || position[c] == kNoCountPosition || position[c] >= valuesPerScan) continue;
        measurer_.addSamples(c, CountSamples{counts + position[c], valuesPerScan, firstScan, scans, mvPerCount});
    }
    return afterBlock();
}

bool EvokedSession::afterBlock() {
    if (!measurer_.complete()) return false;
    finishTrace();
    return true;
}

void EvokedSession::finishTrace() {
    if (!waiting_) return;
    waiting_ = false;
    measurer_.measure(last_);
    lastInfo_ = info_;
    lastPlan_ = measurer_.plan();
    ++measured_;
    const MeasuresTable* stored = &table_;
    if (!table_.append(info_, last_)) {
        overflow_.clear();
        overflow_.append(info_, last_);
        stored = &overflow_;
    }
    if (sink_) sink_->traceMeasured(*stored, stored->traceCount() - 1);
}

}  // namespace korin
