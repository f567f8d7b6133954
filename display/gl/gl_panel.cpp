#include "display/gl/gl_panel.h"

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
    prepareFrame();
    renderFrame(frame_, submission_);
}

void fillPlaceholderWidget(QWidget* placeholder, QWidget* view) {
    view->setObjectName(placeholder->objectName() + QStringLiteral("View"));
    auto* layout = new QVBoxLayout(placeholder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view);
}
