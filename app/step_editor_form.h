// The window side of the stimulation step editor and the stimulus time line:
// wires each tab's controls to its stim::StepEditor, paints the electrode and
// toggle buttons, keeps unticked steps disabled, and draws the two time-line
// panels and their axes picture. The main window creates one and it plugs
// itself into the window's hooks.
#pragma once

#include <QObject>

#include <array>
#include <memory>

#include "display/stim_timeline.h"
#include "stimulation/step_editor.h"

class Korin16Form;
class QLineEdit;
class QWidget;
class StepTab;
class StimTimelineView;

class StepEditorForm : public QObject {
    Q_OBJECT
public:
    explicit StepEditorForm(Korin16Form& form);
    ~StepEditorForm() override;

    stim::StepEditor& editor(int step) { return *editors_[static_cast<std::size_t>(step)]; }
    StimTimelineView* viewF1() const { return viewF1_; }
    StimTimelineView* viewF2() const { return viewF2_; }
    // The open stimulation tab (getNowStep): 0 Step 1, 1 Step 2, 2 Manual.
    int nowStep() const;

    // After a change made on editor(step) directly (saved settings, presets):
    // the tab's controls follow and the time line redraws as the result asks.
    void showEdit(int step, const stim::EditResult& result);
    // Step1SetUnitNumber and twins: "Pulse #" holds "1" … k with k selected.
    void SetUnitNumber(int step, int k) { showEdit(step, editor(step).SetUnitNumber(k)); }

    // --- Editor handlers (step: 0, 1, 2) ---
    void buttonAddStep_Click(int step);
    void textBoxTrain_KeyDown(int step, QWidget* field);
    void buttonDeleteStep_Click(int step);
    void buttonInAllUnits_Click(int step);
    void buttonbyrep_Click(int step);
    void buttonRepeatAll_Click(int step);
    void textBoxAutoIncrement_TextChanged(int step);
    void comboBoxUnit_SelectedIndexChanged(int step);
    void comboStepF_SelectedIndexChanged(int step);
    void buttonChstep_Click(int step, int label);
    void colorStimCh(int step, int ch);
    void EnableChangeStep(int step);
    // Reloads the open tab's fields from its selected pulse (edits not applied
    // with Enter are discarded) and redraws the selected output's panel.
    void SetSelectStepStimConfig();
    // Keeps the editor controls of an unticked step disabled after the run-state gating.
    void applyStepEnables();

    // --- Time line ---
    void drawStimF1();
    void drawStimF2();
    void drawziku();
    void autoStimF1Draw();
    void autoStimF2Draw();
    void Stimautoscale();
    void SizeChangeDraw();
    void pictureBoxTimeLine_Click(int x, int y);
    void panelStimF1_Click(int x);
    void panelStimF2_Click(int x);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectTab(int step);
    void connectTimeLine();
    // Copies the tab's controls into its editor, and the editor back to the controls.
    void readControls(int step);
    void showControls(int step);
    void apply(int step, const stim::EditResult& result);
    void showByRepColours(int step);
    void rangeFieldEntered(QLineEdit* field);
    stimline::StimPanel panelFor(int f) const;
    stimline::TimeLineGeometry geometry() const;
    bool startingUp() const;

    Korin16Form& form_;
    std::array<std::unique_ptr<stim::StepEditor>, 3> editors_;
    StimTimelineView* viewF1_ = nullptr;
    StimTimelineView* viewF2_ = nullptr;
    bool syncing_ = false;  // the controls are being written from the editor
};
