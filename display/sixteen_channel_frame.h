// The sixteen-channel view's frames as geometry: one cell per channel with its
// background, dashed grid and trace, the channel numbers and the red frame
// around the selected channel. Every sample is drawn: no decimation.
#pragma once

#include "display/cell_layout.h"
#include "display/chart_source.h"
#include "display/colors.h"
#include "display/draw_list.h"
#include "display/sixteen_channel_settings.h"

namespace sixteen_channel {

inline constexpr float kSelectionLineWidth = 2.5f;
inline constexpr float kSelectionOutset = 1.25f;  // half the line width: the frame hugs the cell
inline constexpr float kNumberX = 5.0f;           // baseline start from the cell's top left
inline constexpr float kNumberY = 18.0f;

}  // namespace sixteen_channel

// A frame with data (DrawChart live, DrawChartLoad replay): a replay channel not
// chosen gets an empty cell. `flush` is the live view's glFlush.
void buildChartFrame(DrawList& out, const SixteenChannelSettings& settings, const ViewColors& colors,
                     const ChartSnapshot& data, int W, int H, bool flush);

// The empty cells (DrawWaku): selection frame, backgrounds, grids and numbers.
void buildWakuFrame(DrawList& out, const SixteenChannelSettings& settings, const ViewColors& colors, int W, int H);

// The vertical mapping of one channel's cell in this frame: fixed from
// RawYaxis, or automatic over the channel's whole array.
CellYScale cellYScale(const SixteenChannelSettings& settings, const double* channel, int cellHeight);
