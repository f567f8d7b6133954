// One panel of the stimulus time line (panelStimF1 or panelStimF2): the step
// plot of one output of the open tab's program, drawn with OpenGL 1.1. The
// panel asks its source for what to show whenever it builds a frame, so a
// repaint at a new size never reads an array that has since been rebuilt.
#pragma once

#include <functional>

#include "display/colors.h"
#include "display/gl/gl_panel.h"
#include "display/stim_timeline.h"

class StimTimelineView : public GlPanel {
    Q_OBJECT
public:
    // `colors` are the window's; they outlive the view.
    explicit StimTimelineView(const ViewColors& colors, QWidget* parent = nullptr);

    void setSource(std::function<stimline::StimPanel()> source) { source_ = std::move(source); }
    // drawStimF1 / drawStimF2: builds the frame from the source and shows it.
    void drawStim();
    // Whether a frame was ever drawn (nothing is drawn during start-up).
    bool drawn() const { return drawn_; }

signals:
    void clicked(int x, int y);

protected:
    void prepareFrame() override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void build();

    const ViewColors& colors_;
    std::function<stimline::StimPanel()> source_;
    bool drawn_ = false;
};

// Puts a time-line panel into the window's placeholder frame, filling it
// (object name: the placeholder's + "View").
StimTimelineView* installStimTimelineView(QWidget* placeholder, const ViewColors& colors);
