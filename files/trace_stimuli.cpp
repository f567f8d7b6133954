#include "files/trace_stimuli.h"

#include <algorithm>

namespace measuresfile {
namespace {

bool playedInRun(const stimlog::Row& row) { return row.played && row.step != 'M'; }

}  // namespace

void appendOnsets(const stimlog::Row* rows, std::size_t count, std::int32_t trace,
                  std::vector<korin::StimOnset>& out) {
    for (std::size_t i = 0; i < count; ++i)
        if (rows[i].trace == trace && playedInRun(rows[i])) out.push_back({rows[i].onsetMs, rows[i].intensityUa});
}

TraceStimuli::TraceStimuli(const std::vector<stimlog::Row>& rows) {
    std::int32_t last = 0;
    for (const stimlog::Row& row : rows)
        if (playedInRun(row)) last = std::max(last, row.trace);
    if (last <= 0) return;
    // Counting sort by trace: the log is in trace order, but nothing relies on it.
    firstOf_.assign(static_cast<std::size_t>(last) + 2, 0);
    for (const stimlog::Row& row : rows)
        if (playedInRun(row) && row.trace >= 1) ++firstOf_[static_cast<std::size_t>(row.trace) + 1];
    for (std::size_t t = 1; t < firstOf_.size(); ++t) firstOf_[t] += firstOf_[t - 1];
    onsets_.resize(firstOf_.back());
    std::vector<std::size_t> next(firstOf_.begin(), firstOf_.end() - 1);
    for (const stimlog::Row& row : rows)
        if (playedInRun(row) && row.trace >= 1)
            onsets_[next[static_cast<std::size_t>(row.trace)]++] = {row.onsetMs, row.intensityUa};
}

std::span<const korin::StimOnset> TraceStimuli::of(std::int32_t trace) const {
    if (trace < 1 || static_cast<std::size_t>(trace) + 1 >= firstOf_.size()) return {};
    const std::size_t first = firstOf_[static_cast<std::size_t>(trace)];
    return {onsets_.data() + first, firstOf_[static_cast<std::size_t>(trace) + 1] - first};
}

korin::TraceInfo traceInfoOf(const pldat::BlockHeader& header) {
    korin::TraceInfo info;
    info.trace = header.traceIndex + 1;
    info.step = header.step == pldat::kNoStep ? 0 : header.step + 1;
    info.loop = header.loopNumber;
    info.timeS = header.traceStartMs / 1000.0;
    return info;
}

}  // namespace measuresfile
