#include "display/sixteen_channel_frame.h"

#include <algorithm>
#include <string>

#include "display/primitives.h"

namespace {

constexpr int kChannels = ChartSnapshot::kChannels;
constexpr std::int32_t kLength = ChartSnapshot::kLength;

FrameRecipe recipeFor(int W, int H, bool flush) {
    FrameRecipe r;
    r.width = W;
    r.height = H;
    r.clearColor = colors::kLightGrey;
    r.baseColor = colors::kLightGrey;
    r.flush = flush;
    return r;
}

void cellBackground(DrawList& out, const CellRect& r, const ViewColors& colors) {
    out.setColor(colors.BackColor16);
    out.begin(Primitive::Quads);
    out.vertex(r.left, r.top);
    out.vertex(r.left + r.width, r.top);
    out.vertex(r.left + r.width, r.top + r.height);
    out.vertex(r.left, r.top + r.height);
    out.end();
    out.setColor(colors.GridColor16);
    DivLine(out, r.left, r.top, r.width, r.height);
}

void selectionFrame(DrawList& out, const CellRect& r) {
    const float o = sixteen_channel::kSelectionOutset;
    const float x0 = r.left - o;
    const float y0 = r.top - o;
    const float x1 = r.left + r.width + o;
    const float y1 = r.top + r.height + o;
    out.setColor(colors::kSelectionRed);
    out.setLineWidth(sixteen_channel::kSelectionLineWidth);
    out.begin(Primitive::Lines);
    const Vertex2 corners[5] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    for (int e = 0; e < 4; ++e) {
        out.vertex(corners[e].x, corners[e].y);
        out.vertex(corners[e + 1].x, corners[e + 1].y);
    }
    out.end();
    out.setLineWidth(1.0f);
}

void channelNumbers(DrawList& out, const CellGrid& grid, const ViewColors& colors) {
    out.setColor(colors.ChColor16);
    for (int c = 0; c < kChannels; ++c) {
        const CellRect r = grid.cell(c);
        out.text(r.left + sixteen_channel::kNumberX, r.top + sixteen_channel::kNumberY, std::to_string(c + 1));
    }
}

// Upper bound of the grid's vertices in one cell, for reserving.
std::size_t gridVertices(const CellRect& r) {
    return 2u * (4u * (static_cast<std::size_t>(r.height) / 6 + 1) + 3u * (static_cast<std::size_t>(r.width) / 6 + 1));
}

// The trace of one channel: `count` samples from ring position `first`, each
// joined to the previous one by a segment clipped to the cell.
void trace(DrawList& out, const double* a, std::int32_t first, int count, const CellRect& r, float step,
           const CellYScale& ys) {
    const double base = r.top + ys.zeroOffset;
    const double k = 1000.0 * ys.pixelsPerMicrovolt;
    const float top = static_cast<float>(r.top);
    const float bottom = static_cast<float>(r.top + r.height);
    const float left = static_cast<float>(r.left);
    std::int32_t idx = first;
    float lastX = left;
    float lastY = static_cast<float>(base - a[idx] * k);
    for (int i = 1; i < count; ++i) {
        if (++idx == kLength) idx = 0;
        const float x = left + static_cast<float>(i) * step;
        const float y = static_cast<float>(base - a[idx] * k);
        Line2D(out, lastX, lastY, x, y, bottom, top);
        lastX = x;
        lastY = y;
    }
}

}  // namespace

CellYScale cellYScale(const SixteenChannelSettings& settings, const double* channel, int cellHeight) {
    if (settings.Rawauto)
        return autoYScale(cellHeight, getAmpYAutoScaleMax(channel, kLength), getAmpYAutoScaleMin(channel, kLength));
    return fixedYScale(cellHeight, parseAxisValue(settings.RawYaxis, 50.0));
}

void buildChartFrame(DrawList& out, const SixteenChannelSettings& settings, const ViewColors& colors,
                     const ChartSnapshot& data, int W, int H, bool flush) {
    out.reset(recipeFor(W, H, flush));
    const CellGrid grid = cellGrid(arrayTypeFromText(settings.UIType), W, H);
    const int N = samplesAcross(settings.RawXaxis);
    const std::int32_t valid = std::clamp(data.DrawChartMaxIndex, 0, kLength);
    const int count = std::min(N, valid);
    const bool wrapped = data.ring && valid == kLength;
    const std::int32_t first = wrapped ? ((data.tailA % kLength) + kLength) % kLength : 0;
    const float step = static_cast<float>(grid.cellWidth) / static_cast<float>(N);

    out.reserveMore(kChannels * (2u * static_cast<std::size_t>(std::max(count, 0)) + gridVertices(grid.cell(0)) + 4) +
                    8);
    for (int c = 0; c < kChannels; ++c) {
        const CellRect r = grid.cell(c);
        out.setLineWidth(1.0f);
        cellBackground(out, r, colors);
        if (data.chAry == nullptr || data.chAry[c] == nullptr || !data.channelShown(c)) continue;
        const CellYScale ys = cellYScale(settings, data.chAry[c], r.height);
        out.setColor(colors.LineColor16);
        out.setLineWidth(1.0f);
        out.begin(Primitive::Lines);
        trace(out, data.chAry[c], first, count, r, step, ys);
        out.end();
    }
    channelNumbers(out, grid, colors);
    const int sel = settings.selectedIndex();
    if (sel >= 0) selectionFrame(out, grid.cell(sel));
}

void buildWakuFrame(DrawList& out, const SixteenChannelSettings& settings, const ViewColors& colors, int W, int H) {
    out.reset(recipeFor(W, H, false));
    const CellGrid grid = cellGrid(arrayTypeFromText(settings.UIType), W, H);
    const int sel = settings.selectedIndex();
    for (int c = 0; c < kChannels; ++c) {
        const CellRect r = grid.cell(c);
        if (c == sel) selectionFrame(out, r);
        out.setLineWidth(1.0f);
        cellBackground(out, r, colors);
    }
    channelNumbers(out, grid, colors);
}
