#include "processing/filter.h"

#include <algorithm>

namespace {

// Low-pass gains per sub-step and per Hz. The top row is the one-sub-step
// gains divided by 6 rather than 8, which raises its natural frequency.
struct LowPassRow {
    float aboveHz;  // the row applies to cut-offs strictly above this
    int subSteps;
    float k1;
    float k2;
};

constexpr LowPassRow kLowPassRows[] = {
    {9000.0f, 8, 0.000077f, 0.0000576666667f},
    {4500.0f, 4, 0.0001155f, 0.0000865f},
    {2200.0f, 2, 0.000231f, 0.000173f},
};
constexpr LowPassRow kLowPassBottomRow = {0.0f, 1, 0.000462f, 0.000346f};

// High-pass constants: sqrt(2), 1/sqrt(2), the 20 kHz sample period (s), 2 pi
// and sqrt(2)/(2 pi). The high-pass-only stage uses them as single-precision
// values, the two-stage path as the decimals themselves; both are kept so the
// recorded numbers stay what they always were.
struct HighPassConstants {
    double sqrt2;
    double invSqrt2;
    double period;
    double twoPi;
    double sqrt2Over2Pi;
};

constexpr HighPassConstants kHighPassDecimal = {1.414, 0.707, 0.00005, 6.28, 0.2252};
constexpr HighPassConstants kHighPassSingle = {
    static_cast<double>(1.414f), static_cast<double>(0.707f), static_cast<double>(0.00005f),
    static_cast<double>(6.28f), static_cast<double>(0.2252f)};

}  // namespace

Filter::Filter(float syuuhasuu1, float syuuhasuuH1, std::int32_t LPF1, std::int32_t HPF1)
    : syuuhasuu(syuuhasuu1), syuuhasuuH(syuuhasuuH1), LPF(LPF1), HPF(HPF1) {
    LowPassRow row = kLowPassBottomRow;
    for (const LowPassRow& candidate : kLowPassRows) {
        if (syuuhasuu1 > candidate.aboveHz) {
            row = candidate;
            break;
        }
    }
    K1 = row.k1;
    K2 = row.k2;
    subSteps = row.subSteps;
    syokika();
}

void Filter::syokika() {
    for (int i = 0; i < kChannels; ++i) {
        XX[i] = 0.0f;
        VV[i] = 0.0f;
        XX1[i] = 0.0f;
        XX2[i] = 0.0f;
        oversample[i] = 0.0f;
        first[i] = 1;
    }
}

namespace {

// One forward-integrated low-pass sub-step; gains are K x fc in double precision.
inline void lowPassUpdate(float& xx, float& vv, double u, double k2fc, double k1fc) {
    const double x = xx;
    xx = static_cast<float>(x + (u - static_cast<double>(vv) - 2.0 * x) * k2fc);
    vv = static_cast<float>(static_cast<double>(vv) + static_cast<double>(xx) * k1fc);
}

// High-pass of one sample; returns its output y.
inline double highPassUpdate(float& xx1, float& xx2, double u, double fh, const HighPassConstants& c) {
    const double x1 = xx1;
    const double x2 = xx2;
    const double y = u - x1 - x2;
    xx1 = static_cast<float>(x1 + fh * ((x2 * c.sqrt2 + y * c.invSqrt2) * c.period * c.twoPi));
    xx2 = static_cast<float>(x2 + fh * (y * c.period) / c.sqrt2Over2Pi);
    return y;
}

// Interpolated low-pass inputs p + (d - p) k / N for k = 1 .. N - 1, by
// successive halving, each point held in single precision like the state.
inline float midpoint(double a, double b) { return static_cast<float>((a + b) * 0.5); }

inline int interpolatedPoints(int subSteps, float p, double d, float* points) {
    switch (subSteps) {
    case 2:
        points[0] = midpoint(p, d);
        return 1;
    case 4: {
        const float half = midpoint(p, d);
        points[0] = midpoint(p, half);
        points[1] = half;
        points[2] = midpoint(half, d);
        return 3;
    }
    case 8: {
        const float half = midpoint(p, d);
        const float quarter = midpoint(p, half);
        const float threeQuarters = midpoint(half, d);
        points[0] = midpoint(p, quarter);
        points[1] = quarter;
        points[2] = midpoint(quarter, half);
        points[3] = half;
        points[4] = midpoint(half, threeQuarters);
        points[5] = threeQuarters;
        points[6] = midpoint(threeQuarters, d);
        return 7;
    }
    default:
        return 0;
    }
}

// The same points for all sixteen channels at once: points[k][c].
inline void interpolateChannels(int subSteps, const float* p, const double* d,
                                float (*points)[Filter::kChannels]) {
    constexpr int kC = Filter::kChannels;
    switch (subSteps) {
    case 2:
        for (int c = 0; c < kC; ++c) points[0][c] = midpoint(p[c], d[c]);
        break;
    case 4:
        for (int c = 0; c < kC; ++c) {
            const float half = midpoint(p[c], d[c]);
            points[0][c] = midpoint(p[c], half);
            points[1][c] = half;
            points[2][c] = midpoint(half, d[c]);
        }
        break;
    case 8:
        for (int c = 0; c < kC; ++c) {
            const float half = midpoint(p[c], d[c]);
            const float quarter = midpoint(p[c], half);
            const float threeQuarters = midpoint(half, d[c]);
            points[0][c] = midpoint(p[c], quarter);
            points[1][c] = quarter;
            points[2][c] = midpoint(quarter, half);
            points[3][c] = half;
            points[4][c] = midpoint(half, threeQuarters);
            points[5][c] = threeQuarters;
            points[6][c] = midpoint(threeQuarters, d[c]);
        }
        break;
    default:
        break;
    }
}

}  // namespace

double Filter::lowPass(std::int32_t i, double d) {
    const double k2fc = static_cast<double>(K2) * syuuhasuu;
    const double k1fc = static_cast<double>(K1) * syuuhasuu;
    if (first[i] == 0) {
        float points[kMaxSubSteps - 1];
        const int count = interpolatedPoints(subSteps, oversample[i], d, points);
        for (int k = 0; k < count; ++k) {
            floatbox = points[k];
            lowPassUpdate(XX[i], VV[i], floatbox, k2fc, k1fc);
        }
    }
    const float result = VV[i];  // one sub-step of delay: the state before the final step
    lowPassUpdate(XX[i], VV[i], d, k2fc, k1fc);
    oversample[i] = static_cast<float>(d);
    first[i] = 0;
    return result;
}

double Filter::highPass(std::int32_t i, double u, bool singlePrecisionConstants) {
    return highPassUpdate(XX1[i], XX2[i], u, syuuhasuuH, singlePrecisionConstants ? kHighPassSingle : kHighPassDecimal);
}

double Filter::filterSyori(std::int32_t i, double data) {
    const bool highOn = HPF != 0;
    const bool lowOn = LPF != 0;
    double result = data;
    if (highOn && lowOn) {
        result = lowPass(i, highPass(i, data, false));
    } else if (highOn) {
        result = highPass(i, data, true);
    } else if (lowOn) {
        result = lowPass(i, data);
    }
    returnbox = static_cast<float>(result);
    return returnbox;
}

void Filter::filterScans(double* block, int scans) {
    if (scans <= 0) return;
    const bool highOn = HPF != 0;
    const bool lowOn = LPF != 0;
    int n = 0;
    // A channel's first sample skips the interpolated sub-steps; take that
    // scan one channel at a time so every later scan runs the same steps.
    if (lowOn && std::any_of(first, first + kChannels, [](std::uint8_t f) { return f != 0; })) {
        for (int c = 0; c < kChannels; ++c) block[c] = filterSyori(c, block[c]);
        n = 1;
    }
    const HighPassConstants& hp = lowOn ? kHighPassDecimal : kHighPassSingle;
    const double fh = syuuhasuuH;
    const double k2fc = static_cast<double>(K2) * syuuhasuu;
    const double k1fc = static_cast<double>(K1) * syuuhasuu;
    const int interpolated = subSteps - 1;

    // Each loop below runs across the sixteen independent channels, which the
    // compiler turns into vector code; per channel the arithmetic is exactly
    // that of filterSyori. The state lives in locals for the block.
    float xx[kChannels], vv[kChannels], xx1[kChannels], xx2[kChannels], previous[kChannels];
    std::copy_n(XX, kChannels, xx);
    std::copy_n(VV, kChannels, vv);
    std::copy_n(XX1, kChannels, xx1);
    std::copy_n(XX2, kChannels, xx2);
    std::copy_n(oversample, kChannels, previous);
    double d[kChannels];
    float points[kMaxSubSteps - 1][kChannels];
    float out[kChannels];
    const int firstVectorScan = n;
    for (; n < scans; ++n) {
        double* scan = block + kChannels * n;
        if (highOn) {
            for (int c = 0; c < kChannels; ++c) d[c] = highPassUpdate(xx1[c], xx2[c], scan[c], fh, hp);
        } else {
            for (int c = 0; c < kChannels; ++c) d[c] = scan[c];
        }
        if (!lowOn) {
            for (int c = 0; c < kChannels; ++c) scan[c] = static_cast<float>(d[c]);
            continue;
        }
        interpolateChannels(subSteps, previous, d, points);
        for (int k = 0; k < interpolated; ++k) {
            const float* u = points[k];
            for (int c = 0; c < kChannels; ++c) lowPassUpdate(xx[c], vv[c], u[c], k2fc, k1fc);
        }
        for (int c = 0; c < kChannels; ++c) {
            out[c] = vv[c];
            lowPassUpdate(xx[c], vv[c], d[c], k2fc, k1fc);
            previous[c] = static_cast<float>(d[c]);
        }
        for (int c = 0; c < kChannels; ++c) scan[c] = out[c];
    }
    std::copy_n(xx, kChannels, XX);
    std::copy_n(vv, kChannels, VV);
    std::copy_n(xx1, kChannels, XX1);
    std::copy_n(xx2, kChannels, XX2);
    std::copy_n(previous, kChannels, oversample);
    if (lowOn && interpolated > 0 && scans > firstVectorScan) floatbox = points[interpolated - 1][kChannels - 1];
    returnbox = static_cast<float>(block[kChannels * scans - 1]);
}
