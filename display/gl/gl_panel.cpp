#include "display/gl/gl_panel.h"

#include <QSurfaceFormat>
#include <QVBoxLayout>

#include "display/gl/fault_boundary.h"

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
    // A frame whose build fails is drawn as far as it got.
    korin::ui::shielded([this] { prepareFrame(); });
    renderFrame(frame_, submission_);
}

void fillPlaceholderWidget(QWidget* placeholder, QWidget* view) {
    view->setObjectName(placeholder->objectName() + QStringLiteral("View"));
    auto* layout = new QVBoxLayout(placeholder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view);
}
