// Run control's view of the window: texts, gating and alerts reach the controls.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/form_run_window.h"
#include "tests/gui/gui_test_support.h"

using RunWindowOfForm = ShownForm;

TEST_F(RunWindowOfForm, ReadsTheRunSettingsFromTheirControls) {
    FormRunWindow window(*form);
    control<QComboBox>("comboBoxTrace")->setEditText("10");
    control<QLineEdit>("textBoxExportDire")->setText("/data/rig");
    EXPECT_EQ(window.text(RunText::Repeat), "10");
    EXPECT_EQ(window.text(RunText::Minutes), "20");
    EXPECT_EQ(window.text(RunText::InputRange), "2000");
    EXPECT_EQ(window.text(RunText::DataFormat), "Pellor (16 bit)");
    EXPECT_EQ(window.text(RunText::OutputFolder), "/data/rig");
    EXPECT_EQ(window.text(RunText::Lowpass), "5000");
    EXPECT_EQ(window.text(RunText::ManualButton), "Start Stim");
}

TEST_F(RunWindowOfForm, WritesLabelsFieldsAndTheManualButton) {
    FormRunWindow window(*form);
    window.setText(RunText::LabelTrace, "0001");
    window.setText(RunText::LabelInterval, "00:00:19");
    window.setText(RunText::Seconds, "0.1");
    window.setText(RunText::Highpass, "None");
    window.setText(RunText::ManualButton, "Stop Stim");
    EXPECT_EQ(control<QLabel>("labelRemainingTrace")->text(), "0001");
    EXPECT_EQ(control<QLabel>("labelRemainigInterval")->text(), "00:00:19");
    EXPECT_EQ(control<QComboBox>("comboBoxSec")->currentText(), "0.1");
    EXPECT_EQ(control<QComboBox>("comboBoxHPF")->currentText(), "None");
    EXPECT_EQ(control<QPushButton>("buttonMNL")->text(), "Stop Stim");
}

TEST_F(RunWindowOfForm, StepEnabledReadsTheEnableStepBoxes) {
    FormRunWindow window(*form);
    control<QCheckBox>("CheckStep2Enable")->setChecked(true);
    EXPECT_FALSE(window.stepEnabled(0));
    EXPECT_TRUE(window.stepEnabled(1));
}

TEST_F(RunWindowOfForm, GatingLeavesTheWindowsRunFlagsToRunControl) {
    FormRunWindow window(*form);
    window.applyRunState(korin::RunState::Play, true);
    EXPECT_FALSE(control<QWidget>("toolStripButtonPlay")->isEnabled());
    EXPECT_FALSE(control<QWidget>("toolStripButtonPause")->isEnabled());
    EXPECT_EQ(form->StopTyuu, 1);
}

TEST_F(RunWindowOfForm, AlertsGoThroughTheWindowsSink) {
    FormRunWindow window(*form);
    window.ShowAlertForm("The DAQ device setup is incomplete.");
    EXPECT_EQ(alerts->informed, QStringList({"The DAQ device setup is incomplete."}));
}

TEST_F(RunWindowOfForm, QuestionsGoThroughTheWindowsSinkWithTheirAnswer) {
    FormRunWindow window(*form);
    alerts->answer = true;
    EXPECT_TRUE(window.askYesNo("Record anyway?"));
    alerts->answer = false;
    EXPECT_FALSE(window.askYesNo("Record anyway?"));
    EXPECT_EQ(alerts->asked, QStringList({"Record anyway?", "Record anyway?"}));
}
