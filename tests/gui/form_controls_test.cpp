// Every control the window is defined with: present once, under its name, with
// its caption, items and initial text.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

#include <vector>

#include "tests/gui/gui_test_support.h"

using Controls = ShownForm;

namespace {

struct Expected {
    const char* name;
    const char* text;  // caption of a button or action, text of a field or selector
};

// Captions and start-up texts, named as the window defines them.
const std::vector<Expected> kControlTexts = {
    // Record toolbar and replay toolbar.
    {"toolStripButtonPlay", ">"}, {"toolStripButtonRec", "\u25CF"}, {"toolStripButtonPause", "||"},
    {"toolStripButtonStop", "\u25A0"}, {"toolStripButtonBack", "|<"}, {"toolStripButtonNext", ">|"},
    {"toolStripButtonSwitch", "REPLAY"},
    {"toolStripButtonPlay2", ">"}, {"toolStripButtonRec2", "\u25CF"}, {"toolStripButtonPause2", "||"},
    {"toolStripButtonStop2", "\u25A0"}, {"toolStripButtonBack2", "|<"}, {"toolStripButtonNext2", ">|"},
    {"toolStripButtonSwitch2", "RECORD"},
    {"toolStripButtonMode", "Spike"},
    // Acquisition panel.
    {"comboBoxEasySettings", "Custom"}, {"comboInputRange", "2000"}, {"comboBoxTrace", "1"},
    {"comboBoxHours", "0"}, {"comboBoxMin", "20"}, {"comboBoxSec", "0"},
    {"comboBoxInHours", "0"}, {"comboBoxInMin", "0"}, {"comboBoxInSec", "0"},
    {"comboBoxHPF", "1"}, {"comboBoxLPF", "5000"}, {"comboBoxDataFormat", "Pellor (16 bit)"},
    {"textBoxExportDire", ""}, {"buttonExport", "..."}, {"textBoxExportfilename", ""},
    // Step tabs.
    {"comboStep1F", "S1"}, {"CheckStep1Enable", "Enable step"}, {"comboBoxUnit", "0"},
    {"comboBoxPulse", "Biphasic"}, {"textBoxDurationTrain", "0.1"}, {"textBoxIntensity", "-10"},
    {"textBoxPre", "0"}, {"textBoxPost", "99.9"}, {"textBoxUnits", "1"}, {"buttonAddStep1", "Add"},
    {"buttonDeleteStep1", "Delete"}, {"textBoxAutoIncrement", "1"}, {"buttonInAllUnits", "in all units"},
    {"buttonbyrep", "by rep #"}, {"buttonRepeatAll", "repeat all the time"},
    {"comboStep2F", "S1"}, {"CheckStep2Enable", "Enable step"}, {"comboBoxUnit2", "0"},
    {"comboBoxPulse2", "Biphasic"}, {"textBoxDurationTrain2", "0.1"}, {"textBoxIntensity2", "-10"},
    {"textBoxPre2", "0"}, {"textBoxPost2", "99.9"}, {"textBoxUnits2", "1"}, {"buttonAddStep2", "Add"},
    {"buttonDeleteStep2", "Delete"}, {"textBoxAutoIncrement2", "1"}, {"buttonInAllUnits2", "in all units"},
    {"buttonbyrep2", "by rep #"}, {"buttonRepeatAll2", "repeat all the time"},
    {"comboMNL", "S1"}, {"comboBoxUnitM", "0"}, {"comboBoxPulseM", "Biphasic"},
    {"textBoxDurationTrainM", "0.1"}, {"textBoxIntensityM", "-10"}, {"textBoxPreM", "0"},
    {"textBoxPostM", "99.9"}, {"textBoxUnitsM", "1"}, {"buttonAddStepM", "Add"}, {"buttonDeleteStepM", "Delete"},
    {"textBoxAutoIncrementM", "1"}, {"buttonInAllUnitsM", "in all units"}, {"buttonMNL", "Start Stim"},
    // Replay panel.
    {"buttonFileOpen", "..."}, {"textBoxFileName", ""}, {"textBoxTraceFrom", ""}, {"textBoxTraceTo", ""},
    {"textBoxTimeFrom", ""}, {"textBoxTimeTo", ""}, {"comboBoxHPFReplay", "None"}, {"comboBoxLPFReplay", "None"},
    {"comboBoxDelay", "Fast"}, {"comboBoxDataFormatReplay", "Short (16 bit)"}, {"textBoxExportDireReplay", ""},
    {"buttonExportReplay", "..."}, {"textBoxExportfilenameReplay", ""},
    // Views: range boxes.
    {"textBoxRawYMax", "50"}, {"textBoxRawYMin", "-50"}, {"textBoxFreqYMax", "10"}, {"textBoxFreqYMin", "0"},
    // Context menus.
    {"TypeMenuItemAB", "A/B"}, {"TypeMenuItemC", "C"},
    {"MenuItemRawPrefLine", "Line Color"}, {"MenuItemRawPrefBack", "Background Color"},
    {"MenuItemRawPrefGrid", "Grid Color"}, {"MenuItemRawPrefDefalt", "Default"},
    {"MenuItemRawUpPrefLine", "Line Color"}, {"MenuItemRawUpPrefBack", "Background Color"},
    {"MenuItemRawUpPrefGrid", "Grid Color"}, {"MenuItemRawUpPrefDefault", "Default"},
    {"MenuItemFreqPrefLine", "Line Color No Stim"}, {"MenuItemFreqPrefBack", "Background Color"},
    {"MenuItemFreqPrefGrid", "Grid Color"}, {"MenuItemPrefDefault", "Default"},
    {"toolStripMenuItemCopyData", "Copy Data"}, {"toolStripMenuItemCopyImage", "Copy Image"},
    {"toolStripMenuItemCopyImageRawData", "Copy Image"}, {"toolStripMenuItemCopyImage16", "Copy Image"},
};

// Panels, frames, plot panels and fields that carry no text of their own.
const std::vector<const char*> kNamedContainers = {
    "panelAcquisitionNew", "panelReplay", "panelTimeLineDodai", "panelRawDataDodai", "panelRawDataUpDodai",
    "panelFreqDodai", "panelRawData1", "panelRawDataUp", "panelFreq", "panelStimF1", "panelStimF2",
    "pictureBoxTimeLine", "textBoxTimeLineXMin", "textBoxTimeLineXMax", "textBoxStimF1Ymin",
    "textBoxStimF1Ymax", "textBoxStimF2Ymin", "textBoxStimF2Ymax", "textBoxRawXMin", "textBoxRawXMax",
    "textBoxFreqXMin", "textBoxFreqXMax", "labelRemainingTrace", "labelRemaining", "labelRemainigInterval",
    "labelRemainingTraceRep", "labelRemainingRep",
};

struct ExpectedItems {
    const char* name;
    QStringList items;
};

const std::vector<ExpectedItems> kSelectorItems = {
    {"comboInputRange", {"2000", "10000"}},
    {"comboBoxTrace", {"1", "5", "10", "100", "1000"}},
    {"comboBoxHours", {"0", "1", "2"}},
    {"comboBoxMin", {"0", "1", "5", "10", "20", "30"}},
    {"comboBoxSec", {"0", "0.1", "0.5", "1", "5", "10", "20", "30"}},
    {"comboBoxInHours", {"0", "1", "2"}},
    {"comboBoxInMin", {"0", "1", "5", "10", "20", "30"}},
    {"comboBoxInSec", {"1", "5", "10", "20", "30"}},
    {"comboBoxDataFormat", {"Pellor (16 bit)"}},
    {"comboBoxHPF", {"0.1", "1", "10", "100", "None"}},
    {"comboBoxLPF", {"1000", "2000", "2500", "5000", "None"}},
    {"comboBoxHPFReplay", {"0.1", "1", "10", "100", "None"}},
    {"comboBoxLPFReplay", {"1000", "2000", "2500", "5000", "None"}},
    {"comboBoxDelay", {"Slow", "Normal", "Fast"}},
    {"comboBoxDataFormatReplay", {"Short (16 bit)", "CSV"}},
    {"comboBoxEasySettings",
     {"Custom", "EP - baseline", "EP - culture", "EP - IO curve", "ERP", "LTP - HFS", "LTP - TBS", "Spontaneous",
      "Straight pacing"}},
    {"comboStep1F", {"S1", "S2"}}, {"comboStep2F", {"S1", "S2"}}, {"comboMNL", {"S1", "S2"}},
    {"comboBoxPulse", {"Biphasic", "Const"}}, {"comboBoxPulse2", {"Biphasic", "Const"}},
    {"comboBoxPulseM", {"Biphasic", "Const"}},
    {"comboBoxUnit", {"0"}}, {"comboBoxUnit2", {"0"}}, {"comboBoxUnitM", {"0"}},
};

const std::vector<const char*> kListOnly = {
    "comboInputRange", "comboBoxEasySettings", "comboBoxHPF", "comboBoxLPF", "comboStep1F", "comboBoxUnit",
    "comboBoxPulse", "comboBoxDataFormat", "comboStep2F", "comboBoxUnit2", "comboBoxPulse2", "comboMNL",
    "comboBoxUnitM", "comboBoxPulseM", "comboBoxHPFReplay", "comboBoxLPFReplay", "comboBoxDataFormatReplay",
    "comboBoxDelay"};

const std::vector<const char*> kTypedSelectors = {"comboBoxTrace", "comboBoxHours", "comboBoxMin", "comboBoxSec",
                                                  "comboBoxInHours", "comboBoxInMin", "comboBoxInSec"};

QString textOf(QObject* object) {
    if (auto* button = qobject_cast<QAbstractButton*>(object)) return button->text();
    if (auto* combo = qobject_cast<QComboBox*>(object)) return combo->currentText();
    if (auto* edit = qobject_cast<QLineEdit*>(object)) return edit->text();
    if (auto* label = qobject_cast<QLabel*>(object)) return label->text();
    if (auto* action = qobject_cast<QAction*>(object)) return action->text();
    return "<no text>";
}

QStringList itemsOf(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

QStringList actionTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator()) texts << action->text();
    return texts;
}

QStringList labelTexts(QWidget* panel) {
    QStringList texts;
    for (QLabel* label : panel->findChildren<QLabel*>()) texts << label->text();
    return texts;
}

}  // namespace

TEST_F(Controls, EveryNamedControlHasItsCaptionOrInitialText) {
    for (const Expected& e : kControlTexts) {
        QObject* object = form->findChild<QObject*>(QString::fromLatin1(e.name));
        ASSERT_NE(object, nullptr) << e.name;
        EXPECT_EQ(textOf(object), QString::fromUtf8(e.text)) << e.name;
    }
}

TEST_F(Controls, EveryNamedControlIsCreatedOnce) {
    std::vector<const char*> names = kNamedContainers;
    for (const Expected& e : kControlTexts) names.push_back(e.name);
    for (const char* name : names) {
        const auto found = form->findChildren<QObject*>(QString::fromLatin1(name));
        EXPECT_EQ(found.size(), 1) << name;
    }
}

TEST_F(Controls, PanelsFramesAndRangeFieldsExist) {
    for (const char* name : kNamedContainers) EXPECT_NE(form->findChild<QObject*>(name), nullptr) << name;
}

TEST_F(Controls, SelectorsOfferTheirItemsInOrder) {
    for (const ExpectedItems& e : kSelectorItems) {
        auto* combo = form->findChild<QComboBox*>(e.name);
        ASSERT_NE(combo, nullptr) << e.name;
        EXPECT_EQ(itemsOf(combo), e.items) << e.name;
    }
}

TEST_F(Controls, ListOnlySelectorsTakeNoTypedText) {
    for (const char* name : kListOnly) {
        auto* combo = form->findChild<QComboBox*>(name);
        ASSERT_NE(combo, nullptr) << name;
        EXPECT_FALSE(combo->isEditable()) << name;
    }
}

TEST_F(Controls, TimeAndRepeatSelectorsAlsoTakeTypedValues) {
    for (const char* name : kTypedSelectors) {
        auto* combo = form->findChild<QComboBox*>(name);
        ASSERT_NE(combo, nullptr) << name;
        EXPECT_TRUE(combo->isEditable()) << name;
    }
}

TEST_F(Controls, StimulationTabsAreStep1Step2AndManual) {
    auto* tabs = control<QTabWidget>("tabControlStep");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), "#Step 1#");  // steps start unticked
    EXPECT_EQ(tabs->tabText(1), "#Step 2#");
    EXPECT_EQ(tabs->tabText(2), "Manual");
}

TEST_F(Controls, EachTabHasSixteenElectrodeButtonsInChannelOrder) {
    for (const auto* buttons : {&form->buttonsstep1, &form->buttonsstep2, &form->buttonsstepMNL, &form->buttonsrep}) {
        for (int i = 0; i < 16; ++i) {
            ASSERT_NE((*buttons)[i], nullptr);
            EXPECT_EQ((*buttons)[i]->text(), QString::number(i + 1));
        }
    }
}

TEST_F(Controls, StepEditorLabelsAreShownOnEachStepTab) {
    for (const char* tab : {"tabPageStep1", "tabPageStep2", "tabPageManual"}) {
        const QStringList texts = labelTexts(control<QWidget>(tab));
        for (const char* label : {"Stimulator", "Pulse #", "Pulse type", "Duration (ms)", "Intensity (uA)",
                                  "Pre (ms)", "Post (ms)", "units", "Increase intensity", "uA"})
            EXPECT_TRUE(texts.contains(label)) << tab << ": " << label;
    }
}

TEST_F(Controls, AcquisitionPanelLabelsNameTheRunSettings) {
    const QStringList texts = labelTexts(control<QWidget>("panelAcquisitionNew"));
    for (const char* label : {"EASY SETTINGS", "Max input", "# Repeat", "Time", "Interval", "Highpass filter",
                              "Lowpass filter", "File format", "Output folder", "Add text to filename"})
        EXPECT_TRUE(texts.contains(label)) << label;
}

TEST_F(Controls, ReplayPanelLabelsNameTheReplayFields) {
    const QStringList texts = labelTexts(control<QWidget>("panelReplay"));
    for (const char* label : {"Filename", "Trace", "to", "REPLAY SPEED"}) EXPECT_TRUE(texts.contains(label)) << label;
}

TEST_F(Controls, StimulationPatternAreaHasItsTitleAndHiddenRangeFields) {
    EXPECT_TRUE(labelTexts(control<QWidget>("panelTimeLineDodai")).contains("STIMULATION PATTERN"));
    for (const char* name : {"textBoxTimeLineXMin", "textBoxTimeLineXMax", "textBoxStimF1Ymin",
                             "textBoxStimF1Ymax", "textBoxStimF2Ymin", "textBoxStimF2Ymax"})
        EXPECT_FALSE(control<QWidget>(name)->isVisible()) << name;
}

TEST_F(Controls, SixteenChannelMenuHasAxisPreferenceLayoutAndCopyItems) {
    EXPECT_EQ(actionTexts(control<QMenu>("contextMenuRawData")),
              QStringList({"X-axis", "Y-axis", "Preferences", "Array Type", "Copy Image"}));
    EXPECT_EQ(actionTexts(control<QMenu>("toolStripMenuItemRawXaxis")),
              QStringList({"1", "10", "20", "50", "100", "200", "300", "400", "500"}));
    EXPECT_EQ(actionTexts(control<QMenu>("toolStripMenuItemRawYaxis")),
              QStringList({"1", "2.5", "5", "10", "25", "50", "100", "250", "500", "1000", "2000", "2500", "5000",
                           "Autoscale"}));
    EXPECT_EQ(actionTexts(control<QMenu>("toolStripMenuItemArrayType")), QStringList({"A/B", "C"}));
}

TEST_F(Controls, SelectedRawMenuHasWidthUnitAutoscaleAndCopyItems) {
    EXPECT_EQ(actionTexts(control<QMenu>("toolStripMenuItemRawUpXaxis")),
              QStringList({"0.1", "0.5", "1", "3", "5", "10"}));
    EXPECT_EQ(actionTexts(control<QMenu>("toolStripMenuItemRawUpUnit")),
              QStringList({QString::fromUtf8("\u03BCV"), "mV"}));
    EXPECT_EQ(actionTexts(control<QMenu>("toolStripMenuItemRawUpAutoscale")), QStringList({"On", "Off"}));
}

TEST_F(Controls, AnalysisMenuHasUnitsStepFilterAutoscaleAndCopyItems) {
    EXPECT_EQ(actionTexts(control<QMenu>("toolStripMenuItemFreqXUnit")), QStringList({"sec", "min"}));
    EXPECT_EQ(actionTexts(control<QMenu>("toolStripMenuItemFreqYUnit")),
              QStringList({QString::fromUtf8("\u03BCV"), "mV"}));
    EXPECT_EQ(actionTexts(control<QMenu>("toolStripMenuItemStepFilter")),
              QStringList({"Step 1", "Step 2", "Both Steps"}));
    EXPECT_EQ(actionTexts(control<QMenu>("toolStripMenuItemFreqAutoscale")), QStringList({"On", "Off"}));
    const QStringList top = actionTexts(control<QMenu>("contextMenuFreq"));
    EXPECT_TRUE(top.contains("Copy Data"));
    EXPECT_TRUE(top.contains("Copy Image"));
}
