#include "display/gl/stim_timeline_view.h"

#include <QMouseEvent>

#include <cstdio>

StimTimelineView::StimTimelineView(const ViewColors& colors, QWidget* parent) : GlPanel(parent), colors_(colors) {}

void StimTimelineView::build() {
    const stimline::StimPanel panel = source_ ? source_() : stimline::StimPanel{};
    if (!stimline::buildStimPanelFrame(frame(), panel, colors_, width(), height()))
        std::printf("drawStim: the time-line range gives no scale; only the band is drawn\n");
}

void StimTimelineView::drawStim() {
    drawn_ = true;
    build();
    showFrame();
}

void StimTimelineView::prepareFrame() {
    if (!drawn_) {
        // Before the first draw the panel is plain white.
        FrameRecipe blank;
        blank.width = width();
        blank.height = height();
        blank.clearColor = blank.baseColor = toDrawingColor(colors::kWhite);
        frame().reset(blank);
        return;
    }
    if (frame().recipe.width != width() || frame().recipe.height != height()) build();
}

void StimTimelineView::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit clicked(p.x(), p.y());
    event->accept();
}

StimTimelineView* installStimTimelineView(QWidget* placeholder, const ViewColors& colors) {
    return fillPlaceholder(placeholder, new StimTimelineView(colors, placeholder));
}
