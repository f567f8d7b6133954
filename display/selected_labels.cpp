#include "display/selected_labels.h"

#include <charconv>
#include <cmath>

#include "acquisition/number_text.h"

using namespace plot_labels;

namespace {

struct Shift {
    float x, y;
};
constexpr Shift kYTitleShift{-40.0f, 20.0f};

std::string yTitleOf(PlotKind kind, LabelUnits u) {
    switch (kind) {
    case PlotKind::Spike: return "Spikes Per Second";
    case PlotKind::ISI: return "ISI (ms)";
    case PlotKind::Slope: return "Measure";
    case PlotKind::Raw:
    case PlotKind::SlopeTrace:
    case PlotKind::EP: return u.yMilli ? "Potential (mV)" : "Potential (uV)";
    }
    return "";
}

const char* xTitle(PlotKind kind, LabelUnits u) {
    if (kind == PlotKind::Raw) return "seconds";
    if (kind == PlotKind::SlopeTrace) return "ms after onset";
    return u.xMinutes ? "min" : "seconds";
}

// The raw plot's X labels are in the default number form, whose shortest
// round trip would print the noise of the tick sum (0.06000000000000001).
constexpr int kTickSignificantDigits = 15;

int yDecimals(PlotKind kind) { return kind == PlotKind::EP || kind == PlotKind::Slope ? 3 : 2; }

std::string xLabel(PlotKind kind, double v) {
    if (kind == PlotKind::Raw || kind == PlotKind::SlopeTrace)
        return korin::defaultNumberText(v, kTickSignificantDigits);
    return fixedText(v, 3);
}

}  // namespace

std::string fixedText(double value, int decimals) {
    if (!std::isfinite(value)) return "0";
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "0";
    std::string s(buf, end);
    // A value that rounds to zero shows no sign.
    if (s.front() == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

std::string singleText(float value) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

LabelCanvas buildLabelCanvas(PlotKind kind, const PlotRange& range, LabelUnits units, int W, int H,
                             std::string_view yTitle) {
    LabelCanvas c;
    c.width = W;
    c.height = H;
    const float fw = static_cast<float>(W);
    const float fh = static_cast<float>(H);
    // Drawn at (-20, -40) in the turned frame: 40 px left of and 20 px below the anchor.
    const float yTitleX = kYohakuY / 2 + kYokoidou + kYTitleShift.x;
    const float yTitleY = kTateidou + kYohakuT / 2 + (fh - 2 * kYohakuT) / 2 + kYTitleShift.y;
    c.texts.push_back({yTitleX, yTitleY, CanvasText::Anchor::RotatedCentre, true,
                       yTitle.empty() ? yTitleOf(kind, units) : std::string(yTitle)});
    c.texts.push_back({kYokoidou + (fw - 2 * kYohakuY) / 2 + kYohakuY, fh - kYohakuT / 2 + kTateidou,
                       CanvasText::Anchor::Centre, true, xTitle(kind, units)});

    const float L = kYokoidou + kYohakuY;
    const float T = kTateidou + kYohakuT;
    const float PW = fw - 2 * kYohakuY;
    const float PH = fh - 2 * kYohakuT;
    for (int i = 0; i < kXTicks; ++i) {
        const float x = L + i * PW / (kXTicks - 1);
        c.ticks.push_back({x, T + PH, x, T + PH + kTickLength});
        const double v = range.xMin + i * (range.xMax - range.xMin) / (kXTicks - 1);
        c.texts.push_back({x, T + PH + kXLabelGap, CanvasText::Anchor::TopCentre, false, xLabel(kind, v)});
    }
    for (int i = 0; i < kYTicks; ++i) {
        const float y = T + i * PH / (kYTicks - 1);
        c.ticks.push_back({L, y, L - kTickLength, y});
        // Top to bottom: YMax down to YMin.
        const int k = kYTicks - 1 - i;
        const double v = range.yMin + k * (range.yMax - range.yMin) / (kYTicks - 1);
        c.texts.push_back({L - kTickLength, y, CanvasText::Anchor::RightMiddle, false, fixedText(v, yDecimals(kind))});
    }
    return c;
}

AutoscaleTexts rawAutoscaleTexts(const YLimits& limits) { return {fixedText(limits.max, 5), fixedText(limits.min, 5)}; }

AutoscaleTexts freqAutoscaleTexts(double yMax, bool replay) { return {fixedText(yMax, replay ? 1 : 2), "0"}; }

AutoscaleTexts isiAutoscaleTexts(double yMax) { return {fixedText(yMax, 2), "0"}; }

AutoscaleTexts epAutoscaleTexts(double yMax, double yMin) { return {fixedText(yMax, 3), fixedText(yMin, 3)}; }

std::string rawUpXaxisText(const PlotRange& range) { return fixedText(range.xMax - range.xMin, 6); }
