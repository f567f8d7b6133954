#include "display/gl/gl_frame_renderer.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <GL/gl.h>

namespace {

constexpr int kGdiCellHeight = 15;

GLenum glMode(Primitive p) {
    switch (p) {
    case Primitive::Lines: return GL_LINES;
    case Primitive::Quads: return GL_QUADS;
    case Primitive::Triangles: return GL_TRIANGLES;
    }
    return GL_LINES;
}

GlyphBitmap renderGlyph(const QFont& font, const QFontMetrics& fm, char c) {
    GlyphBitmap g;
    const QString s(QChar::fromLatin1(c));
    g.advance = static_cast<float>(fm.horizontalAdvance(s));
    g.yorig = static_cast<float>(fm.descent());
    if (c < 0x20 || c == 0x7f) return g;
    // Bold strokes may overhang the advance a little; leave them room.
    g.width = fm.horizontalAdvance(s) + 2;
    g.height = fm.ascent() + fm.descent();
    if (g.width <= 0 || g.height <= 0) return GlyphBitmap{};
    QImage img(g.width, g.height, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(0, fm.ascent(), s);
    }
    const int rowBytes = (g.width + 7) / 8;
    g.bits.assign(static_cast<std::size_t>(rowBytes) * g.height, 0);
    for (int row = 0; row < g.height; ++row) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(g.height - 1 - row));
        for (int x = 0; x < g.width; ++x)
            if (qGray(line[x]) < 128) g.bits[row * rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
    }
    return g;
}

void drawText(const DrawText& t, const BitmapFont& font) {
    glColor3f(t.color.r, t.color.g, t.color.b);
    glRasterPos2f(t.x, t.y);
    for (const char* p = t.text; *p != '\0'; ++p) {
        const GlyphBitmap& g = font.glyph(static_cast<unsigned char>(*p));
        glBitmap(g.width, g.height, g.xorig, g.yorig, g.advance, 0.0f, g.bits.empty() ? nullptr : g.bits.data());
    }
}

void drawBatch(const DrawList& list, const DrawBatch& b, Submission how) {
    glColor3f(b.color.r, b.color.g, b.color.b);
    glLineWidth(b.lineWidth);
    if (how == Submission::VertexArrays) {
        glDrawArrays(glMode(b.primitive), static_cast<GLint>(b.first), static_cast<GLsizei>(b.count));
        return;
    }
    const Vertex2* v = list.vertices().data() + b.first;
    glBegin(glMode(b.primitive));
    for (std::uint32_t i = 0; i < b.count; ++i) glVertex2f(v[i].x, v[i].y);
    glEnd();
}

}  // namespace

BitmapFont::BitmapFont(const QFont& font) {
    const QFontMetrics fm(font);
    for (int c = 0; c < kCharCount; ++c) glyphs_[c] = renderGlyph(font, fm, static_cast<char>(c));
}

QFont BitmapFont::channelNumberFont() {
    QFont f(QStringLiteral("Verdana"));
    f.setStyleHint(QFont::SansSerif);
    f.setWeight(QFont::Bold);
    f.setStyleStrategy(QFont::NoAntialias);
    // A GDI height counts the whole cell, so the em is smaller than 15 px.
    for (int px = kGdiCellHeight; px > 6; --px) {
        f.setPixelSize(px);
        if (QFontMetrics(f).height() <= kGdiCellHeight) break;
    }
    return f;
}

const BitmapFont& BitmapFont::channelNumbers() {
    static const BitmapFont font(channelNumberFont());
    return font;
}

void renderFrame(const DrawList& list, Submission how, const BitmapFont* font) {
    const FrameRecipe& r = list.recipe;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, r.width, r.height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_LINE_SMOOTH);

    glClearColor(r.clearColor.r, r.clearColor.g, r.clearColor.b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(r.baseColor.r, r.baseColor.g, r.baseColor.b);
    glBegin(GL_POLYGON);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(static_cast<float>(r.width), 0.0f);
    glVertex2f(static_cast<float>(r.width), static_cast<float>(r.height));
    glVertex2f(0.0f, static_cast<float>(r.height));
    glEnd();

    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (how == Submission::VertexArrays && !list.vertices().empty()) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, sizeof(Vertex2), list.vertices().data());
    }
    const auto& batches = list.batches();
    const auto& texts = list.texts();
    std::size_t t = 0;
    for (std::size_t i = 0; i < batches.size(); ++i) {
        for (; t < texts.size() && texts[t].afterBatch <= i; ++t)
            if (font != nullptr) drawText(texts[t], *font);
        drawBatch(list, batches[i], how);
    }
    for (; t < texts.size(); ++t)
        if (font != nullptr) drawText(texts[t], *font);
    if (how == Submission::VertexArrays) glDisableClientState(GL_VERTEX_ARRAY);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glLineWidth(1.0f);

    if (r.flush) glFlush();
}
