#include "display/primitives.h"

namespace {

constexpr float kDashLength = 3.0f;
constexpr float kDashPitch = 6.0f;
constexpr int kMaxDashes = 1000;
constexpr int kGridColumns = 5;
constexpr int kGridRows = 4;
constexpr float kMarkerHalf = 3.0f;

}  // namespace

void Line2DUnit(DrawList& out, float lastX, float lastY, float x, float y, float ly, float baseYPos) {
    out.begin(Primitive::Lines);
    primitives_detail::clippedSegment<calcXVal>(out, lastX, lastY, x, y, ly, baseYPos);
    out.end();
}

void Line2DStim(DrawList& out, float lastX, float lastY, float x, float y, float ly, float baseYPos) {
    out.begin(Primitive::Lines);
    primitives_detail::clippedSegment<calcXValStim>(out, lastX, lastY, x, y, ly, baseYPos);
    out.end();
}

void DivLine(DrawList& out, float sitennx, float sitenny, float width1, float height1) {
    out.setLineWidth(1.0f);
    out.begin(Primitive::Lines);
    const float bottom = sitenny + height1;
    for (int k = 1; k < kGridColumns; ++k) {
        const float x = sitennx + k * width1 / kGridColumns;
        for (int i = 0; i < kMaxDashes; ++i) {
            const float y0 = sitenny + kDashPitch * i;
            if (y0 + kDashLength > bottom) break;
            out.vertex(x, y0);
            out.vertex(x, y0 + kDashLength);
        }
    }
    const float right = sitennx + width1;
    for (int k = 1; k < kGridRows; ++k) {
        const float y = sitenny + k * height1 / kGridRows;
        for (int i = 0; i < kMaxDashes; ++i) {
            const float x0 = sitennx + kDashPitch * i;
            if (x0 + kDashLength > right) break;
            out.vertex(x0, y);
            out.vertex(x0 + kDashLength, y);
        }
    }
    out.end();
}

void RectPolygon(DrawList& out, float x, float y, float ly, float baseYPos) {
    if (y < baseYPos || y > ly) return;
    out.begin(Primitive::Quads);
    out.vertex(x - kMarkerHalf, y - kMarkerHalf);
    out.vertex(x + kMarkerHalf, y - kMarkerHalf);
    out.vertex(x + kMarkerHalf, y + kMarkerHalf);
    out.vertex(x - kMarkerHalf, y + kMarkerHalf);
    out.end();
}

void TriPolygon(DrawList& out, float x, float y, float ly, float baseYPos) {
    if (y < baseYPos || y > ly) return;
    out.begin(Primitive::Triangles);
    out.vertex(x - kMarkerHalf, y + kMarkerHalf);
    out.vertex(x + kMarkerHalf, y + kMarkerHalf);
    out.vertex(x, y - kMarkerHalf);
    out.end();
}

void LineThreshold(DrawList& out, float sitennx, float widthd, float yThresh, float ly, float baseYPos) {
    if (yThresh < baseYPos || yThresh > ly) return;
    float y = yThresh;
    if (y == baseYPos) {
        y = baseYPos + 1.0f;
    } else if (y == ly) {
        y = ly - 1.0f;
    }
    out.begin(Primitive::Lines);
    out.vertex(sitennx, y);
    out.vertex(sitennx + widthd, y);
    out.end();
}

void LineEP(DrawList& out, float sitennx, float heightd, float xzahyou, float widthd) {
    if (xzahyou < sitennx || xzahyou > widthd) return;
    float x = xzahyou;
    if (x == 0.0f) {
        x = 1.0f;
    } else if (x == widthd) {
        x = widthd - 1.0f;
    }
    out.begin(Primitive::Lines);
    out.vertex(x, 0.0f);
    out.vertex(x, heightd);
    out.end();
}
