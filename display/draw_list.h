// One frame of a view as data: the per-frame recipe (projection size, clear
// colour, base fill, whether to flush) and the content as batches of vertices
// in panel pixels (origin top left, y down). The geometry code fills it without
// any graphics context; the OpenGL side only submits it. Storage is kept across
// frames, so a view that rebuilds every frame allocates only when it grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "display/colors.h"

struct Vertex2 {
    float x = 0.0f;
    float y = 0.0f;
    friend constexpr bool operator==(const Vertex2&, const Vertex2&) = default;
};

enum class Primitive : std::uint8_t {
    Lines,      // pairs of vertices
    Quads,      // filled quadrilaterals, four vertices each
    Triangles,  // filled triangles, three vertices each
};

struct DrawBatch {
    Primitive primitive = Primitive::Lines;
    Rgbf color;
    float lineWidth = 1.0f;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

// A short bitmap-font string drawn with its baseline's left end at (x, y).
struct DrawText {
    static constexpr std::size_t kMaxChars = 7;
    float x = 0.0f;
    float y = 0.0f;
    Rgbf color;
    char text[kMaxChars + 1] = {};
    // Batches emitted before the text; the text is drawn between them and the rest.
    std::uint32_t afterBatch = 0;
};

struct FrameRecipe {
    int width = 0;   // projection glOrtho(0, width, height, 0, -1, 1)
    int height = 0;
    Rgbf clearColor = colors::kLightGrey;
    Rgbf baseColor = colors::kLightGrey;  // one polygon over the whole panel
    bool flush = false;                   // glFlush at the end of the frame
};

class DrawList {
public:
    FrameRecipe recipe;

    // Empties the content and sets the recipe; capacity is kept.
    void reset(const FrameRecipe& r) {
        recipe = r;
        vertices_.clear();
        batches_.clear();
        texts_.clear();
        open_ = false;
    }
    // Makes room for at least this many more vertices, so a frame's build does not reallocate.
    void reserveMore(std::size_t vertexCount) { vertices_.reserve(vertices_.size() + vertexCount); }

    void setColor(Rgbf c) { color_ = c; }
    void setColor(Rgb c) { color_ = toDrawingColor(c); }
    void setLineWidth(float w) { lineWidth_ = w; }
    Rgbf color() const { return color_; }

    // Opens a batch with the current colour and line width; a batch left open is
    // closed by the next begin.
    void begin(Primitive p) {
        if (open_) end();
        batches_.push_back({p, color_, lineWidth_, static_cast<std::uint32_t>(vertices_.size()), 0});
        open_ = true;
    }
    void vertex(float x, float y) { vertices_.push_back({x, y}); }
    // Closes the open batch; an empty batch is dropped.
    void end() {
        if (!open_) return;
        open_ = false;
        DrawBatch& b = batches_.back();
        b.count = static_cast<std::uint32_t>(vertices_.size()) - b.first;
        if (b.count == 0) batches_.pop_back();
    }
    // Text longer than DrawText::kMaxChars is cut.
    void text(float x, float y, std::string_view s);

    const std::vector<Vertex2>& vertices() const { return vertices_; }
    const std::vector<DrawBatch>& batches() const { return batches_; }
    const std::vector<DrawText>& texts() const { return texts_; }

private:
    std::vector<Vertex2> vertices_;
    std::vector<DrawBatch> batches_;
    std::vector<DrawText> texts_;
    Rgbf color_;
    float lineWidth_ = 1.0f;
    bool open_ = false;
};
