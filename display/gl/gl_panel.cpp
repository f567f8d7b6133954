#include "display/gl/gl_panel.h"

#include <QResizeEvent>
#include <QSurfaceFormat>
#include <QVBoxLayout>

namespace {

constexpr int kDepthBits = 16;

}  // namespace

GlPanel::GlPanel(QWidget* parent) : QOpenGLWidget(parent) {
    QSurfaceFormat f = format();
    f.setRedBufferSize(8);
    f.setGreenBufferSize(8);
    f.setBlueBufferSize(8);
    f.setAlphaBufferSize(8);
    f.setDepthBufferSize(kDepthBits);
    f.setStencilBufferSize(0);
    setFormat(f);
}

void GlPanel::paintGL() {
    if (width() <= 0 || height() <= 0) return;
    prepareFrame();
    renderFrame(frame_, submission_);
}

void GlPanel::resizeEvent(QResizeEvent* event) {
    // Qt 6.4 remakes the framebuffer of a widget that comes back from no size
    // to its old size, yet the window goes on compositing the old one: the
    // panel shows black from then on. Nothing is drawn at no size anyway, so
    // the framebuffer is kept through it and drawn into again.
    if (event->size().isEmpty() || event->size() == framebufferSize_) {
        update();
        return;
    }
    framebufferSize_ = event->size();
    QOpenGLWidget::resizeEvent(event);
}

void fillPlaceholderWidget(QWidget* placeholder, QWidget* view) {
    view->setObjectName(placeholder->objectName() + QStringLiteral("View"));
    auto* layout = new QVBoxLayout(placeholder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view);
}
