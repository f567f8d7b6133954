#include "display/stim_timeline.h"

#include <algorithm>
#include <cmath>

#include "acquisition/number_text.h"
#include "acquisition/rounding.h"
#include "display/primitives.h"
#include "stimulation/step_editor.h"

namespace stimline {

namespace {

constexpr float kLabelX = 10;           // "S1" and "S2", left-aligned
constexpr float kLabelRaise = 5;        // they sit this far above the panel's middle
constexpr float kTitleDrop = 10;        // the title below the plot area
constexpr float kTickLabelGap = 8;      // from a tick's end to the middle of its label
constexpr float kFieldHitHeight = 21;   // the vertical-range hit boxes

// Clipped like Line2DStim, but into the caller's open batch: a step plot of a
// 50 s pattern has two million segments, and one batch per colour run draws
// the same lines without a batch per segment.
void stimSegment(DrawList& out, float lastX, float lastY, float x, float y, float ly, float baseYPos) {
    primitives_detail::clippedSegment<calcXValStim>(out, lastX, lastY, x, y, ly, baseYPos);
}

std::string defaultText(float v) { return stim::floatText(v); }

}  // namespace

float checkText(std::string_view text) { return stim::parseFloat32(text).value_or(0.0f); }

bool buildStimPanelFrame(DrawList& out, const StimPanel& panel, const ViewColors& colors, int width, int height) {
    FrameRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.clearColor = toDrawingColor(colors::kWhite);
    recipe.baseColor = toDrawingColor(colors::kWhite);
    out.reset(recipe);
    const float W = static_cast<float>(width), H = static_cast<float>(height);
    const float top = kBandMargin, bottom = H - kBandMargin;
    out.setColor(colors.BackColorStim);
    out.begin(Primitive::Quads);
    out.vertex(0, top);
    out.vertex(W, top);
    out.vertex(W, bottom);
    out.vertex(0, bottom);
    out.end();
    if (!panel.hasPulses || panel.samples == nullptr) return true;

    // Double: the difference of two typed limits can overflow a float.
    const double k = (H - 2 * kBandMargin) / (static_cast<double>(panel.yMax) - panel.yMin);
    const SampleWindow win = timeLineWindow(panel.xMin, panel.xMax, W);
    if (!std::isfinite(k) || !std::isfinite(win.p) || !(win.p > 0)) return false;
    const auto yOf = [&](float v) {
        return static_cast<float>(kBandMargin + (static_cast<double>(panel.yMax) - v) * k);
    };
    const auto xOf = [&](std::int64_t i) { return static_cast<float>(win.xOf(i)); };

    const std::vector<float>& s = *panel.samples;
    const SampleSegments drawn = segmentsIn(win, static_cast<std::int64_t>(s.size()));
    const Rgbf line = toDrawingColor(colors.LineColorStim);
    const Rgbf highlight = toDrawingColor(colors.HighLightColorStim);
    // At most two clipped segments of two vertices per sample.
    out.reserveMore(static_cast<std::size_t>(drawn.count()) * 4);
    bool highlighted = false;
    out.setColor(line);
    out.begin(Primitive::Lines);
    for (std::int64_t i = drawn.first; i < drawn.end; ++i) {
        const float xPrev = xOf(i - 1), x = xOf(i);
        const bool inPulse = panel.highlightFrom < i && i <= panel.highlightTo;
        if (inPulse != highlighted) {
            highlighted = inPulse;
            out.setColor(inPulse ? highlight : line);
            out.begin(Primitive::Lines);
        }
        const float u = s[static_cast<std::size_t>(i - 1)], v = s[static_cast<std::size_t>(i)];
        if (u != v) {
            stimSegment(out, xPrev, yOf(u), x, yOf(u), bottom, top);
            stimSegment(out, x, yOf(v), x, yOf(u), bottom, top);
        } else {
            stimSegment(out, xPrev, yOf(u), x, yOf(v), bottom, top);
        }
    }
    out.end();
    return true;
}

std::int64_t hitSample(std::int64_t length, const SampleWindow& window, float X) {
    const SampleSegments drawn = segmentsIn(window, length);
    if (drawn.count() == 0 || !std::isfinite(window.p) || !(window.p > 0)) return -1;
    const double steps = std::floor((X - window.firstX) / window.p);
    if (!(steps >= 0)) return -1;
    const double last = static_cast<double>(drawn.end - 1);
    return static_cast<std::int64_t>(std::min(static_cast<double>(window.i0) + steps, last));
}

std::string getUnitNumber(const PulseParameters& program, int f, float X, float xMin, float xMax, float width) {
    const std::int64_t sample =
        hitSample(static_cast<std::int64_t>(program.samples(f).size()), timeLineWindow(xMin, xMax, width), X);
    if (sample < 0) return "0";
    for (int unit = 1; unit <= program.pulseCount(f); ++unit) {
        const auto [start, stop] = stim::getprepost(program, f, unit);
        if (start <= sample && sample <= stop) return std::to_string(unit);
    }
    return "0";
}

AxisPicture drawziku(const TimeLineGeometry& g, const AxisTexts& texts) {
    AxisPicture pic;
    const float H = g.HeightTimeLine();
    const float left = g.plotLeft();
    const float span = g.pictureWidth - 2 * YohakuY;
    const float plotBottom = g.panelTop(0) + 2 * H;

    AxisLabel title;
    title.x = left + span / 2;
    title.y = g.HeightPicture - YohakuTStim / 2 + tateidou + kTitleDrop;
    title.text = "seconds";
    title.align = AxisLabel::Align::Center;
    title.points = kTitlePoints;
    title.title = true;
    pic.labels.push_back(title);
    for (int f = 0; f < 2; ++f) {
        AxisLabel name;
        name.x = kLabelX;
        name.y = YohakuTStim + H / 2 - kLabelRaise + f * H;
        name.text = f == 0 ? "S1" : "S2";
        name.points = kTitlePoints;
        name.title = true;
        pic.labels.push_back(name);
    }
    for (int i = 0; i < kTimeTicks; ++i) {
        const float x = left + i * span / (kTimeTicks - 1);
        pic.ticks.push_back({x, plotBottom});
        pic.ticks.push_back({x, plotBottom + kTickLength});
        AxisLabel t;
        t.x = x;
        t.y = plotBottom + kTickLength + kTickLabelGap;
        t.text = defaultText(texts.xMin + i * (texts.xMax - texts.xMin) / (kTimeTicks - 1));
        t.align = AxisLabel::Align::Center;
        pic.labels.push_back(t);
    }
    const std::string* yTexts[2][2] = {{&texts.s1Ymax, &texts.s1Ymin}, {&texts.s2Ymax, &texts.s2Ymin}};
    for (int f = 0; f < 2; ++f) {
        const float edges[2] = {g.panelTop(f) + kBandMargin, g.panelTop(f) + H - kBandMargin};
        for (int e = 0; e < 2; ++e) {
            pic.ticks.push_back({left, edges[e]});
            pic.ticks.push_back({left - kTickLength, edges[e]});
            AxisLabel t;
            t.x = left - kTickLength - 2;
            t.y = edges[e];
            t.text = *yTexts[f][e];
            t.align = AxisLabel::Align::Right;
            pic.labels.push_back(t);
        }
    }
    return pic;
}

YRangeTexts verticalAutoscale(const std::vector<float>& samples) {
    float hi = 0, lo = 0;
    for (float v : samples) {
        hi = std::max(hi, v);
        lo = std::min(lo, v);
    }
    return {korin::formatFixed(static_cast<double>(hi) + 1, 2), korin::formatFixed(static_cast<double>(lo) - 1, 2)};
}

std::string timeAutoscale(const PulseParameters& program) {
    const bool s1 = program.S1ChAddNum > 0, s2 = program.S2ChAddNum > 0;
    if (!s1 && !s2) return {};
    const std::int32_t n = std::max(s1 ? stim::getTimeLineXMaxF1(program) : 0, s2 ? stim::getTimeLineXMaxF2(program) : 0);
    return korin::formatFixed(n * stim::kSecondsPerSample, 5);
}

RangeField rangeFieldAt(const TimeLineGeometry& g, float x, float y) {
    const float L = YohakuY, T = YohakuTStim, dx = yokoidou, dy = tateidou;
    const float w = g.WidthTimeLine(), h = g.HeightTimeLine();
    const auto within = [y](float lo, float hi) {
        return static_cast<float>(static_cast<int>(lo)) < y && y < static_cast<float>(static_cast<int>(hi));
    };
    const float timeTop = T + 2 * h + dy + 5, timeBottom = T + 2 * h + dy + 26;
    if (within(timeTop, timeBottom)) {
        if (L - 30 + dx < x && x < L + 20 + dx) return RangeField::XMin;
        if (L + w - 40 + dx < x && x < L + w + 10 + dx) return RangeField::XMax;
    }
    if (L - 55 + dx < x && x < L - 5 + dx) {
        if (within(dy + T, dy + T + kFieldHitHeight)) return RangeField::S1Ymax;
        if (within(T + h + dy - kFieldHitHeight, T + h + dy)) return RangeField::S1Ymin;
        if (within(T + h + dy, T + h + dy + kFieldHitHeight)) return RangeField::S2Ymax;
        if (within(T + 2 * h + dy - kFieldHitHeight, T + 2 * h + dy)) return RangeField::S2Ymin;
    }
    return RangeField::None;
}

}  // namespace stimline
