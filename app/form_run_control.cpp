// The record mode of the window: run control drives the window through
// FormRunWindow, and the toolbar and manual buttons call its handlers. During a
// run the loop pumps events itself: GLFW's poll, then the window's own events,
// so the buttons work while the loop runs.
#include <GLFW/glfw3.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QToolButton>

#include "acquisition/acquisition_ni.h"
#include "acquisition/caught_fault.h"
#include "acquisition/run_control.h"
#include "app/form_run_window.h"
#include "app/korin16_form.h"
#include "app/replay_controller_form.h"
#include "app/run_toolbar.h"
#include "app/step_tab.h"
#include "display/gl/fault_boundary.h"
#include "display/gl/sixteen_channel_view.h"
#include "files/replay_control.h"
#include "stimulation/stimulus_controller.h"

using korin::ui::shield;

void Korin16Form::installRunControl() {
    stimulus = std::make_unique<StimulusController>(*acquisition, Step1PP, Step2PP, StepMPP);
    runWindow = std::make_unique<FormRunWindow>(*this);
    runWindow->startPump = [] { return glfwInit() == GLFW_TRUE; };
    runWindow->pump = [] {
        glfwPollEvents();
        QCoreApplication::processEvents();
    };
    runWindow->stopPump = [] { glfwTerminate(); };
    runWindow->drawChart = [this] { panelRawData1View->DrawChart(); };
    runControl = std::make_unique<RunControl>(*acquisition, *stimulus, *runWindow, levels, &runFlags);
    previousFaultSink_ = korin::ui::setFaultSink([this](const std::string& reason) { internalError(reason); });

    // Play and Record serve replay in replay mode; that side is not the run's.
    for (RunToolBar* bar : runToolBars()) {
        connect(bar->toolStripButtonPlay, &QToolButton::clicked, this, shield([this] {
            if (ReplayMode) return;
            if (!runControl->runActive() && hooks.beforeRunSetUp) hooks.beforeRunSetUp();
            runControl->toolStripButtonPlay_Click();
        }));
        connect(bar->toolStripButtonRec, &QToolButton::clicked, this, shield([this] {
            if (ReplayMode) return;
            if (!runControl->runActive() && hooks.beforeRunSetUp) hooks.beforeRunSetUp();
            runControl->toolStripButtonRec_Click();
        }));
        connect(bar->toolStripButtonPause, &QToolButton::clicked, this, shield([this] {
            if (!ReplayMode) runControl->toolStripButtonPause_Click();
        }));
        connect(bar->toolStripButtonStop, &QToolButton::clicked, this, shield([this] {
            if (!ReplayMode) runControl->toolStripButtonStop_Click();
        }));
    }
    if (QPushButton* manual = stepTab(2)->buttonMNL)
        connect(manual, &QPushButton::clicked, this, shield([this] { runControl->buttonMNL_Click(); }));
}

void Korin16Form::internalError(const std::string& reason) {
    if (runControl && runControl->runActive()) {
        runControl->internalError(reason);
    } else if (replayController) {
        replayController->control->internalError(reason);
    } else {
        korin::printInternalError(reason);
    }
}

void Korin16Form::endRun() {
    if (runControl && runControl->runActive()) runControl->toolStripButtonStop_Click();
}
