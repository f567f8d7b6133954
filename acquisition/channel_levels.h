// Per-channel levels owned by the window and handed by reference to the
// acquisition object and the reader, so an edit takes effect at the next block.
#pragma once

namespace korin {

struct ChannelLevels {
    static constexpr int kChannels = 16;
    static constexpr float kDefaultEPStartMs = 10.0f;
    static constexpr float kDefaultEPEndMs = 80.0f;

    float yPThreshAry[kChannels] = {};  // mean + 5.5 SD, mV
    float yMThreshAry[kChannels] = {};  // the detection threshold, mV, signed
    float PostAry[kChannels] = {};      // dead time, ms
    float EPThreshAry1[kChannels];      // EP window start, ms after the trace start
    float EPThreshAry2[kChannels];      // EP window end
    // False until the first automatic computation or a manual drag gives the
    // thresholds a value; until then the live pipeline detects no spikes.
    bool thresholdsSet = false;

    void markThresholdsSet() { thresholdsSet = true; }

    ChannelLevels() {
        for (int c = 0; c < kChannels; ++c) {
            EPThreshAry1[c] = kDefaultEPStartMs;
            EPThreshAry2[c] = kDefaultEPEndMs;
        }
    }
};

}  // namespace korin
