// The window as it comes up with no saved settings.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "acquisition/acquisition_ni.h"
#include "app/view_frames.h"
#include "files/file_reader.h"
#include "tests/gui/gui_test_support.h"

using StartUp = ShownForm;

namespace {

QString comboText(QComboBox* combo) { return combo ? combo->currentText() : QString("<missing>"); }

}  // namespace

TEST_F(StartUp, TitleIsTheBuildNameAndClientAreaIs1272By979) {
    EXPECT_EQ(form->windowTitle(), "Korin16-build-20220131");
    EXPECT_EQ(form->size(), QSize(1272, 979));
}

TEST_F(StartUp, OnlyPlayRecordSwitchAndModeAreUsableOnTheToolbars) {
    for (const char* suffix : {"", "2"}) {
        auto button = [&](const char* base) { return control<QToolButton>((std::string(base) + suffix).c_str()); };
        EXPECT_TRUE(button("toolStripButtonPlay")->isEnabled()) << suffix;
        EXPECT_TRUE(button("toolStripButtonRec")->isEnabled()) << suffix;
        EXPECT_FALSE(button("toolStripButtonStop")->isEnabled()) << suffix;
        EXPECT_FALSE(button("toolStripButtonPause")->isEnabled()) << suffix;
        EXPECT_FALSE(button("toolStripButtonBack")->isEnabled()) << suffix;
        EXPECT_FALSE(button("toolStripButtonNext")->isEnabled()) << suffix;
        EXPECT_TRUE(button("toolStripButtonSwitch")->isEnabled()) << suffix;
    }
    EXPECT_TRUE(control<QToolButton>("toolStripButtonMode")->isEnabled());
    EXPECT_FALSE(control<QWidget>("buttonMNL")->isEnabled());
}

TEST_F(StartUp, RunIsStoppedAndRecordModeInFront) {
    EXPECT_EQ(form->StopTyuu, 1);
    EXPECT_EQ(form->PlayTyuu, 0);
    EXPECT_EQ(form->PauseTyuu, 0);
    EXPECT_EQ(form->ReplayMode, 0);
    EXPECT_TRUE(control<QWidget>("panelAcquisitionNew")->isVisible());
    EXPECT_FALSE(control<QWidget>("panelReplay")->isVisible());
}

TEST_F(StartUp, RunSettingsShowMaxInput2000OneTraceOf20Minutes) {
    EXPECT_EQ(comboText(control<QComboBox>("comboInputRange")), "2000");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxTrace")), "1");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxHours")), "0");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxMin")), "20");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxSec")), "0");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxInHours")), "0");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxInMin")), "0");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxInSec")), "0");
}

TEST_F(StartUp, FiltersFormatsAndSpeedTakeTheirDefaults) {
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxHPF")), "1");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxLPF")), "5000");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxHPFReplay")), "None");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxLPFReplay")), "None");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxDataFormat")), "Pellor (16 bit)");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxDataFormatReplay")), "Short (16 bit)");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxDelay")), "Fast");
    EXPECT_EQ(comboText(control<QComboBox>("comboBoxEasySettings")), "Custom");
}

TEST_F(StartUp, StepsAreOffAndEveryTabShowsOutputS1) {
    EXPECT_FALSE(control<QCheckBox>("CheckStep1Enable")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("CheckStep2Enable")->isChecked());
    for (const char* name : {"comboStep1F", "comboStep2F", "comboMNL"})
        EXPECT_EQ(comboText(control<QComboBox>(name)), "S1") << name;
    for (const PulseParameters* program : {&form->Step1PP, &form->Step2PP, &form->StepMPP}) {
        EXPECT_EQ(program->S1Ch, -1);
        EXPECT_EQ(program->S2Ch, -1);
    }
}

TEST_F(StartUp, SelectedChannelPlotLimitsAndViewScales) {
    EXPECT_EQ(control<QLineEdit>("textBoxRawYMax")->text(), "50");
    EXPECT_EQ(control<QLineEdit>("textBoxRawYMin")->text(), "-50");
    EXPECT_EQ(control<QLineEdit>("textBoxFreqYMax")->text(), "10");
    EXPECT_EQ(control<QLineEdit>("textBoxFreqYMin")->text(), "0");
    EXPECT_EQ(form->RawXaxis, "500");
    EXPECT_EQ(form->RawYaxis, "50");
    EXPECT_EQ(form->RawUpXaxis, "10");
    EXPECT_FALSE(form->Rawauto || form->RawUpauto || form->Freqauto);
    EXPECT_TRUE(control<QAction>("MenuItemRawX500")->isChecked());
    EXPECT_TRUE(control<QAction>("MenuItemRawY50")->isChecked());
    EXPECT_TRUE(control<QAction>("MenuItemRawUpX10")->isChecked());
}

TEST_F(StartUp, ModeButtonNamesTheSpikeMode) {
    EXPECT_EQ(form->Mode, 0);
    EXPECT_EQ(control<QToolButton>("toolStripButtonMode")->text(), "Spike");
}

TEST_F(StartUp, SecondChannelIsSelected) {
    EXPECT_EQ(form->selectCh, 1);
    EXPECT_EQ(form->SelectOneCh, "1");
}

TEST_F(StartUp, EvokedPotentialWindowIs10To80MsOnEveryChannel) {
    for (int c = 0; c < Korin16Form::kChannels; ++c) {
        EXPECT_EQ(form->EPThreshAry1[c], 10.0f) << c;
        EXPECT_EQ(form->EPThreshAry2[c], 80.0f) << c;
    }
}

TEST_F(StartUp, LayoutTypeCAndMicrovoltAndSecondUnits) {
    EXPECT_EQ(form->UIType, "C");
    EXPECT_TRUE(control<QAction>("TypeMenuItemC")->isChecked());
    EXPECT_FALSE(control<QAction>("TypeMenuItemAB")->isChecked());
    EXPECT_EQ(form->RawUpYUnit, QString::fromUtf8("\u03BCV"));
    EXPECT_EQ(form->EpYUnit, QString::fromUtf8("\u03BCV"));
    EXPECT_EQ(form->EpXUnit, "sec");
    EXPECT_EQ(form->RawUpYScale, 1000);
    EXPECT_EQ(form->EpYScale, 1000);
    EXPECT_EQ(form->EpXScale, 1000);
}

TEST_F(StartUp, ProgressLabelsAreCleared) {
    for (const char* name : {"labelRemainingTrace", "labelRemaining", "labelRemainigInterval",
                             "labelRemainingTraceRep", "labelRemainingRep"})
        EXPECT_EQ(control<QLabel>(name)->text(), "") << name;
}

TEST_F(StartUp, SingleTraceLeavesTheIntervalFieldsDisabled) {
    for (const char* name : {"comboBoxInHours", "comboBoxInMin", "comboBoxInSec"})
        EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name;
}

TEST_F(StartUp, PointerReadoutIsAToolWindowOutOfTheTaskBar) {
    ASSERT_NE(form->pointerinfo, nullptr);
    EXPECT_EQ(form->pointerinfo->objectName(), "PointerInformation");
    EXPECT_TRUE(form->pointerinfo->windowFlags().testFlag(Qt::Tool));
    EXPECT_FALSE(form->pointerinfo->isVisible());
}

TEST_F(StartUp, ReplayReaderIsCreated) { EXPECT_NE(form->reader, nullptr); }

TEST_F(StartUp, EngineHoldsNoInputTaskWhenTheDeviceIsMissing) {
    EXPECT_FALSE(form->acquisition->hasInputTask());
}

TEST(StartUpOrder, ModeButtonReadsSpikeInCapitalsUntilTheWindowLoads) {
    Korin16Form form(std::make_shared<NoDeviceDriver>(), "test");
    EXPECT_EQ(form.modeButton()->text(), "SPIKE");
    form.initializeModeApply();
    EXPECT_EQ(form.modeButton()->text(), "Spike");
}

TEST(StartUpOrder, SavedSettingsAreAppliedOnceAtTheFirstPaint) {
    Korin16Form form(std::make_shared<NoDeviceDriver>(), "test");
    int applied = 0;
    form.hooks.initialSettingLastOneMemory = [&] { ++applied; };
    form.show();
    ASSERT_TRUE(waitFor([&] { return applied > 0 && !form.PaintTatiagari; }));
    settle();
    EXPECT_EQ(applied, 1);
    form.resize(1300, 900);
    form.panelTimeLineDodai->update();
    settle();
    EXPECT_EQ(applied, 1);
}

TEST(DeviceIndicator, SimulatedDeviceIsShownWithoutChangingTheTitle) {
    Korin16Form form(std::make_shared<NoDeviceDriver>(true), "Simulated Dev1 (NI-DAQmx not found)");
    EXPECT_EQ(form.windowTitle(), "Korin16-build-20220131");
    EXPECT_TRUE(form.labelDevice->text().contains("Simulated Dev1 (NI-DAQmx not found)"));
    EXPECT_TRUE(form.labelDevice->text().contains("simulated signals"));
}

TEST(DeviceIndicator, RealDeviceIsNamedWithoutTheSimulationWarning) {
    Korin16Form form(std::make_shared<NoDeviceDriver>(false), "NI-DAQmx Dev1");
    EXPECT_TRUE(form.labelDevice->text().contains("NI-DAQmx Dev1"));
    EXPECT_FALSE(form.labelDevice->text().contains("simulated"));
}

TEST_F(StartUp, ClosingTheWindowRunsTheCloseHandlerOnce) {
    int closed = 0;
    form->hooks.Korin16Form_FormClosed = [&] { ++closed; };
    form->close();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(form->isVisible());
    form->hooks.Korin16Form_FormClosed = nullptr;
}
