// Per-channel band filter: a second-order high-pass and a second-order low-pass,
// each switchable, evaluated one sample at a time by explicit state updates.
// State is single precision; every update is computed in double precision from
// the single-precision state and stored back rounded to single precision.
#pragma once

#include <cstdint>

class Filter {
public:
    static constexpr int kChannels = 16;
    static constexpr int kMaxSubSteps = 8;

    // Low-pass cut-off (Hz), high-pass cut-off (Hz), low-pass switch, high-pass switch.
    Filter(float syuuhasuu1, float syuuhasuuH1, std::int32_t LPF1, std::int32_t HPF1);

    // Zeroes every state of all channels and marks each channel's next sample as its first.
    void syokika();

    // Filters one sample of channel i (0..15); calls for one channel come in time order.
    double filterSyori(std::int32_t i, double data);

    // Filters `scans` scans of a block interleaved by scan (16 values each) in
    // place; the same results as filterSyori scan by scan, channel 0 to 15, but
    // with the channels processed side by side.
    void filterScans(double* block, int scans);

    // Whether any stage is on; callers skip filterSyori entirely when not.
    bool isOn() const { return LPF != 0 || HPF != 0; }

    float XX[kChannels];
    float VV[kChannels];
    float XX1[kChannels];
    float XX2[kChannels];
    float oversample[kChannels];
    float K1;
    float K2;
    float syuuhasuu;
    float syuuhasuuH;
    std::int32_t LPF;
    std::int32_t HPF;
    std::uint8_t first[kChannels];
    float floatbox = 0;
    float returnbox = 0;
    int subSteps = 1;  // low-pass sub-steps per sample (1, 2, 4 or 8)

private:
    // Low-pass of one sample; returns the output state before the final sub-step.
    double lowPass(std::int32_t i, double d);
    // High-pass of one sample; returns its output y.
    double highPass(std::int32_t i, double u, bool singlePrecisionConstants);
};
