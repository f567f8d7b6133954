#include "display/gl/plot_panel.h"

#include <QMouseEvent>

PlotPanel::PlotPanel(QWidget* parent) : GlPanel(parent) { setMouseTracking(true); }

void PlotPanel::prepareFrame() {
    if (rebuild_ && (frame().recipe.width != width() || frame().recipe.height != height())) rebuild_();
}

void PlotPanel::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit pointerMoved(p.x(), p.y(), event->buttons());
}

void PlotPanel::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit pressed(p.x(), p.y(), event->button());
    // The right button's context menu is the placeholder's.
    if (event->button() == Qt::RightButton) {
        event->ignore();
    } else {
        event->accept();
    }
}

void PlotPanel::mouseReleaseEvent(QMouseEvent* event) {
    emit released();
    event->accept();
}

void PlotPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked();
    event->accept();
}

void PlotPanel::leaveEvent(QEvent* event) {
    emit left();
    GlPanel::leaveEvent(event);
}

PlotPanel* installPlotPanel(QWidget* placeholder) {
    return fillPlaceholder(placeholder, new PlotPanel(placeholder));
}
