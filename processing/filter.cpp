#include "processing/filter.h"

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

void Filter::lowPassStep(std::int32_t i, double u) {
    const double fc = syuuhasuu;
    const double xx = XX[i];
    XX[i] = static_cast<float>(xx + (u - static_cast<double>(VV[i]) - 2.0 * xx) * (K2 * fc));
    VV[i] = static_cast<float>(static_cast<double>(VV[i]) + static_cast<double>(XX[i]) * (K1 * fc));
}

void Filter::lowPassInterpolated(std::int32_t i, double d) {
    // Interpolated inputs p + (d - p) k / N come from successive halving, each
    // point held in single precision like the rest of the state.
    const float p = oversample[i];
    auto mid = [](double a, double b) { return static_cast<float>((a + b) * 0.5); };
    switch (subSteps) {
    case 2:
        floatbox = mid(p, d);
        lowPassStep(i, floatbox);
        break;
    case 4: {
        const float half = mid(p, d);
        floatbox = mid(p, half);
        lowPassStep(i, floatbox);
        floatbox = half;
        lowPassStep(i, floatbox);
        floatbox = mid(half, d);
        lowPassStep(i, floatbox);
        break;
    }
    case 8: {
        const float half = mid(p, d);
        const float quarter = mid(p, half);
        const float threeQuarters = mid(half, d);
        const float points[7] = {mid(p, quarter), quarter,       mid(quarter, half),
                                 half,            mid(half, threeQuarters), threeQuarters,
                                 mid(threeQuarters, d)};
        for (float point : points) {
            floatbox = point;
            lowPassStep(i, floatbox);
        }
        break;
    }
    default:
        break;
    }
}

double Filter::lowPass(std::int32_t i, double d) {
    if (first[i] == 0) lowPassInterpolated(i, d);
    const float result = VV[i];  // one sub-step of delay: the state before the final step
    lowPassStep(i, d);
    oversample[i] = static_cast<float>(d);
    first[i] = 0;
    return result;
}

double Filter::highPass(std::int32_t i, double u, bool singlePrecisionConstants) {
    const HighPassConstants& c = singlePrecisionConstants ? kHighPassSingle : kHighPassDecimal;
    const double fh = syuuhasuuH;
    const double x1 = XX1[i];
    const double x2 = XX2[i];
    const double y = u - x1 - x2;
    XX1[i] = static_cast<float>(x1 + fh * ((x2 * c.sqrt2 + y * c.invSqrt2) * c.period * c.twoPi));
    XX2[i] = static_cast<float>(x2 + fh * (y * c.period) / c.sqrt2Over2Pi);
    return y;
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
