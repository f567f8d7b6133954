// Pieces every selected-channel plot is drawn with: the frame's start
// (background and grid) and end (the two black axes), the Y mapping of the
// range boxes, and a series of analysis points joined by clipped segments with
// a marker on each.
#pragma once

#include <vector>

#include "display/colors.h"
#include "display/draw_list.h"
#include "display/primitives.h"
#include "display/selected_frames.h"

namespace plot_parts {

inline constexpr float kMarkerHalf = 3.0f;

inline FrameRecipe plotRecipe(const ViewColors& colors, int w, int h, bool flush) {
    FrameRecipe r;
    r.width = w;
    r.height = h;
    r.clearColor = colors::kLightGrey;
    r.baseColor = toDrawingColor(colors.BackColor16);
    r.flush = flush;
    return r;
}

inline void begin(DrawList& out, const ViewColors& colors, int w, int h, bool flush) {
    out.reset(plotRecipe(colors, w, h, flush));
    out.setColor(colors.GridColor16);
    DivLine(out, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h));
    out.setLineWidth(1.0f);
}

inline void axes(DrawList& out, int w, int h) {
    out.setColor(selected_view::kAxisBlack);
    out.setLineWidth(1.0f);
    out.begin(Primitive::Lines);
    out.vertex(1.0f, 0.0f);
    out.vertex(1.0f, static_cast<float>(h));
    out.vertex(1.0f, static_cast<float>(h));
    out.vertex(static_cast<float>(w), static_cast<float>(h));
    out.end();
}

// y = (YMax - v) k with k = h / (YMax - YMin).
struct YMap {
    double yMax;
    double k;
    float operator()(double v) const { return static_cast<float>((yMax - v) * k); }
};

inline YMap yMap(const PlotRange& r, int h) {
    const PlotRange d = drawableY(r);
    return {d.yMax, h / (d.yMax - d.yMin)};
}

// A series of analysis points: consecutive points joined by clipped segments,
// each with a marker. The segments and the markers go into one batch each;
// drawn in one colour, that is the same picture as a batch per primitive.
class Series {
public:
    Series(DrawList& out, Primitive marker, int h) : out_(out), marker_(marker), h_(static_cast<float>(h)) {}
    void add(float x, float y) {
        if (any_) {
            segments_.push_back({lastX_, lastY_});
            segments_.push_back({x, y});
        }
        points_.push_back({x, y});
        lastX_ = x;
        lastY_ = y;
        any_ = true;
    }
    void flush() {
        out_.begin(Primitive::Lines);
        for (std::size_t i = 0; i + 1 < segments_.size(); i += 2)
            Line2D(out_, segments_[i].x, segments_[i].y, segments_[i + 1].x, segments_[i + 1].y, h_, 0.0f);
        out_.end();
        out_.begin(marker_);
        for (const Vertex2& p : points_) {
            if (p.y < 0.0f || p.y > h_) continue;
            if (marker_ == Primitive::Quads) {
                out_.vertex(p.x - kMarkerHalf, p.y - kMarkerHalf);
                out_.vertex(p.x + kMarkerHalf, p.y - kMarkerHalf);
                out_.vertex(p.x + kMarkerHalf, p.y + kMarkerHalf);
                out_.vertex(p.x - kMarkerHalf, p.y + kMarkerHalf);
            } else {
                out_.vertex(p.x - kMarkerHalf, p.y + kMarkerHalf);
                out_.vertex(p.x + kMarkerHalf, p.y + kMarkerHalf);
                out_.vertex(p.x, p.y - kMarkerHalf);
            }
        }
        out_.end();
        segments_.clear();
        points_.clear();
        any_ = false;
    }

private:
    DrawList& out_;
    Primitive marker_;
    float h_;
    // Scratch kept per thread so that a view redrawn twice a second does not allocate.
    static inline thread_local std::vector<Vertex2> segments_;
    static inline thread_local std::vector<Vertex2> points_;
    float lastX_ = 0.0f;
    float lastY_ = 0.0f;
    bool any_ = false;
};

}  // namespace plot_parts
