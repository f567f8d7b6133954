// Submits a DrawList to the current OpenGL context with OpenGL 1.1 calls: the
// per-frame recipe (y-down orthographic projection, clears, base fill,
// content, optional glFlush) and bitmap-font text. Keeps no OpenGL object from
// one frame to the next.
#pragma once

#include <QFont>

#include <array>
#include <cstdint>
#include <vector>

#include "display/draw_list.h"

// One character as a 1-bit bitmap in the layout glBitmap takes: rows from the
// bottom up, each row whole bytes, most significant bit leftmost.
struct GlyphBitmap {
    int width = 0;
    int height = 0;
    float xorig = 0.0f;
    float yorig = 0.0f;  // rows below the baseline
    float advance = 0.0f;
    std::vector<std::uint8_t> bits;
};

// The glyphs of character codes 0 to 127 of one font, rendered without
// antialiasing. Plain memory: needs a QGuiApplication to build, no GL context.
class BitmapFont {
public:
    static constexpr int kFirstChar = 0;
    static constexpr int kCharCount = 128;

    explicit BitmapFont(const QFont& font);
    const GlyphBitmap& glyph(unsigned char c) const { return glyphs_[c < kCharCount ? c : '?']; }

    // Channel numbers: bold Verdana whose whole cell (ascent + descent) is 15 px
    // high, as a GDI font of height 15 is; a close bold sans where Verdana is absent.
    static QFont channelNumberFont();
    static const BitmapFont& channelNumbers();

private:
    std::array<GlyphBitmap, kCharCount> glyphs_;
};

enum class Submission {
    VertexArrays,  // glVertexPointer + glDrawArrays per batch
    Immediate,     // glBegin / glVertex2f / glEnd per batch
};

// Draws the frame into the current context's framebuffer; the viewport is the caller's.
void renderFrame(const DrawList& list, Submission how = Submission::VertexArrays,
                 const BitmapFont* font = &BitmapFont::channelNumbers());
