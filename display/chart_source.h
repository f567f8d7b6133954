// The data one frame of the sixteen-channel view is drawn from, as read at the
// moment of drawing: the live rings of the acquisition object or the replay
// window of the file reader.
#pragma once

#include <cstdint>

class AcquisitionNI;

struct ChartSnapshot {
    static constexpr int kChannels = 16;
    static constexpr std::int32_t kLength = 50'000;  // 2.5 s per channel

    const double* const* chAry = nullptr;  // 16 arrays of kLength samples, mV
    std::int32_t DrawChartMaxIndex = 0;    // valid samples, at most kLength
    // Live rings: once full, sample j is entry (tailA + j) mod kLength, so a
    // cell starts with the oldest sample held. Replay is read from index 0.
    bool ring = false;
    std::int32_t tailA = 0;
    const std::uint8_t* ACSelectary = nullptr;  // replay: 1 = channel chosen; null = all
    bool DrawTyuu = false;                      // a block has been processed: data are shown

    bool channelShown(int c) const { return ACSelectary == nullptr || ACSelectary[c] == 1; }
};

ChartSnapshot liveSnapshot(const AcquisitionNI& acquisition);

// The reader's window: the same fields under the same names, always from index 0.
template <class Reader>
ChartSnapshot replaySnapshot(const Reader& reader) {
    ChartSnapshot s;
    s.chAry = reader.chAry;
    s.DrawChartMaxIndex = reader.DrawChartMaxIndex;
    s.ring = false;
    s.ACSelectary = reader.ACSelectary;
    s.DrawTyuu = reader.DrawTyuu;
    return s;
}
