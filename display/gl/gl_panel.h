// A panel drawn with OpenGL 1.1: holds the frame built last and submits it on
// every paint. A view fills frame() and calls showFrame(); prepareFrame() lets
// it rebuild when the panel was resized since. A panel laid out at no size and
// back (the time line in replay mode) shows its frame again, not black.
#pragma once

#include <QOpenGLWidget>

#include "display/draw_list.h"
#include "display/gl/gl_frame_renderer.h"

class GlPanel : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit GlPanel(QWidget* parent = nullptr);

    const DrawList& currentFrame() const { return frame_; }
    // How the vertices are handed to OpenGL (vertex arrays unless changed).
    void setSubmission(Submission s) { submission_ = s; }

protected:
    DrawList& frame() { return frame_; }
    // Schedules a paint of the frame just built.
    void showFrame() { update(); }
    // Called at the start of every paint, before the frame is submitted.
    virtual void prepareFrame() {}

    void paintGL() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    DrawList frame_;
    QSize framebufferSize_;  // the size the widget's framebuffer was last made for
    Submission submission_ = Submission::VertexArrays;
};

// Makes `view` fill `placeholder` (the panel the window laid out for it), named after
// the placeholder with "View" added.
void fillPlaceholderWidget(QWidget* placeholder, QWidget* view);
template <class View>
View* fillPlaceholder(QWidget* placeholder, View* view) {
    fillPlaceholderWidget(placeholder, view);
    return view;
}
