// The clipped line and marker primitives shared by the views. Arguments are
// panel pixels in single precision (y down); a band is [baseYPos, ly], top to
// bottom. Every primitive emits vertices with the list's current colour.
#pragma once

#include "display/draw_list.h"

// x where the line through (x1, y1) and (x2, y2) reaches height y. The trace
// views never ask for a vertical segment, whose x never advances.
inline float calcXVal(float x1, float y1, float x2, float y2, float y) {
    const float a = (y2 - y1) / (x2 - x1);
    return (y - (y1 - a * x1)) / a;
}

// The same crossing, for the analysis views.
inline float calcXValF(float x1, float y1, float x2, float y2, float y) {
    return calcXVal(x1, y1, x2, y2, y);
}

// The same crossing, but a vertical segment (the step plots of the stimulus
// views draw many) crosses every height at x1.
inline float calcXValStim(float x1, float y1, float x2, float y2, float y) {
    if (x2 == x1) return x1;
    return calcXVal(x1, y1, x2, y2, y);
}

namespace primitives_detail {

// Emits the segment (lastX, lastY)-(x, y) clipped to the band. The cases are
// tested in this order and the first that applies decides; comparisons are
// strict, so a point exactly on an edge is inside and a segment from an edge to
// a point outside matches no clipping case and is drawn whole.
template <float (*Crossing)(float, float, float, float, float)>
inline void clippedSegment(DrawList& out, float lastX, float lastY, float x, float y, float ly,
                           float baseYPos) {
    const auto at = [&](float e) { return Crossing(lastX, lastY, x, y, e); };
    if ((y > ly && lastY > ly) || (y < baseYPos && lastY < baseYPos)) {
        return;
    } else if (lastY < baseYPos && y > ly) {
        out.vertex(at(baseYPos), baseYPos);
        out.vertex(at(ly), ly);
    } else if (y < baseYPos && lastY > ly) {
        out.vertex(at(ly), ly);
        out.vertex(at(baseYPos), baseYPos);
    } else if (lastY < baseYPos && baseYPos < y) {
        out.vertex(at(baseYPos), baseYPos);
        out.vertex(x, y);
    } else if (y < baseYPos && baseYPos < lastY) {
        out.vertex(lastX, lastY);
        out.vertex(at(baseYPos), baseYPos);
    } else if (lastY < ly && ly < y) {
        out.vertex(lastX, lastY);
        out.vertex(at(ly), ly);
    } else if (y < ly && ly < lastY) {
        out.vertex(at(ly), ly);
        out.vertex(x, y);
    } else {
        out.vertex(lastX, lastY);
        out.vertex(x, y);
    }
}

}  // namespace primitives_detail

// One clipped segment into a line batch the caller has opened.
inline void Line2D(DrawList& out, float lastX, float lastY, float x, float y, float ly, float baseYPos) {
    primitives_detail::clippedSegment<calcXVal>(out, lastX, lastY, x, y, ly, baseYPos);
}

// As Line2D, in a line batch of its own.
void Line2DUnit(DrawList& out, float lastX, float lastY, float x, float y, float ly, float baseYPos);

// As Line2DUnit, with the crossings of calcXValStim.
void Line2DStim(DrawList& out, float lastX, float lastY, float x, float y, float ly, float baseYPos);

// Dashed grid of 5 columns and 4 rows inside the rectangle, line width 1.0:
// dashes 3 px long every 6 px from the rectangle's top or left edge, each drawn
// only while its far end stays within the rectangle.
void DivLine(DrawList& out, float sitennx, float sitenny, float width1, float height1);

// Filled 6 x 6 square centred on (x, y), when baseYPos <= y <= ly.
void RectPolygon(DrawList& out, float x, float y, float ly, float baseYPos);

// Filled triangle pointing up, centred on (x, y), when baseYPos <= y <= ly.
void TriPolygon(DrawList& out, float x, float y, float ly, float baseYPos);

// Horizontal line from sitennx to sitennx + widthd at yThresh, when it lies in
// the band; a line exactly on an edge is moved one pixel inwards so it stays visible.
void LineThreshold(DrawList& out, float sitennx, float widthd, float yThresh, float ly, float baseYPos);

// Vertical line from y = 0 to heightd at xzahyou, when sitennx <= xzahyou <=
// widthd; at 0 it is drawn at 1 and at widthd at widthd - 1, inside the plot.
void LineEP(DrawList& out, float sitennx, float heightd, float xzahyou, float widthd);
