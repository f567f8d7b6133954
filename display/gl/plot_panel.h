// One selected-channel plot surface (panelRawDataUp or panelFreq): shows the
// frame its owner built and reports the pointer. A paint at a size the frame
// was not built for asks the owner to rebuild it first.
#pragma once

#include <functional>

#include "display/gl/gl_panel.h"

class PlotPanel : public GlPanel {
    Q_OBJECT
public:
    explicit PlotPanel(QWidget* parent = nullptr);

    // The frame to build into, then present().
    DrawList& drawList() { return frame(); }
    void present() { showFrame(); }
    // Called at a paint whose size differs from the frame's.
    void setRebuild(std::function<void()> rebuild) { rebuild_ = std::move(rebuild); }

signals:
    void pointerMoved(int x, int y, Qt::MouseButtons buttons);
    void pressed(int x, int y, Qt::MouseButton button);
    void released();
    void left();
    void doubleClicked();

protected:
    void prepareFrame() override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    std::function<void()> rebuild_;
};

// Puts a plot panel into the window's placeholder frame, filling it (object
// name: the placeholder's + "View").
PlotPanel* installPlotPanel(QWidget* placeholder);
