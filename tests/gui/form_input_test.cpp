// Numeric field clean-up as the user meets it in the window.
#include <QComboBox>
#include <QLineEdit>

#include "tests/gui/gui_test_support.h"

using InputFields = ShownForm;

namespace {

QWidget* clickTarget(QWidget* field) {
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit()) return combo->lineEdit();
    return field;
}

}  // namespace

TEST_F(InputFields, EmptyTraceCountBecomesOneOnTheNextClickIntoANumericField) {
    auto* trace = control<QComboBox>("comboBoxTrace");
    trace->setEditText("");
    pressInto(control<QLineEdit>("textBoxTimeFrom"));
    EXPECT_EQ(trace->currentText(), "1");
}

TEST_F(InputFields, EmptyIntervalHoursReadsZero) {
    form->StopTyuuDisable();  // interval fields usable
    auto* hours = control<QComboBox>("comboBoxInHours");
    hours->setEditText("");
    pressInto(clickTarget(control<QWidget>("comboBoxTrace")));
    EXPECT_EQ(hours->currentText(), "0");
}

TEST_F(InputFields, ClickIntoAPulseFieldAlsoCleansTheTable) {
    control<QLineEdit>("textBoxUnits2")->setText("many");
    control<QLineEdit>("textBoxTraceTo")->setText("");
    pressInto(control<QLineEdit>("textBoxIntensityM"));
    EXPECT_EQ(control<QLineEdit>("textBoxUnits2")->text(), "1");
    EXPECT_EQ(control<QLineEdit>("textBoxTraceTo")->text(), "1");
}

TEST_F(InputFields, ExponentAndBlankPaddedNumbersStayAsTyped) {
    auto* trace = control<QComboBox>("comboBoxTrace");
    trace->setEditText("1e3");
    auto* auto1 = control<QLineEdit>("textBoxAutoIncrement");
    auto1->setText(" 5 ");
    form->applyEnterBackColor();
    EXPECT_EQ(trace->currentText(), "1e3");
    EXPECT_EQ(auto1->text(), " 5 ");
}

TEST_F(InputFields, NonNumericAutoIncrementFallsBackToZero) {
    control<QLineEdit>("textBoxAutoIncrementM")->setText("abc");
    form->applyEnterBackColor();
    EXPECT_EQ(control<QLineEdit>("textBoxAutoIncrementM")->text(), "0");
}

TEST_F(InputFields, CleanUpEndsByReloadingTheStepEditor) {
    int reloads = 0;
    form->hooks.SetSelectStepStimConfig = [&] { ++reloads; };
    pressInto(control<QLineEdit>("textBoxPre"));
    EXPECT_EQ(reloads, 1);
}

TEST_F(InputFields, DecimalInIntervalMinutesTurnsIntoZeroAtOnce) {
    auto* minutes = control<QComboBox>("comboBoxInMin");
    minutes->setEditText("1.5");
    EXPECT_EQ(minutes->currentText(), "0");
}

TEST_F(InputFields, DecimalInTraceSecondsStays) {
    auto* seconds = control<QComboBox>("comboBoxSec");
    seconds->setEditText("1.5");
    form->applyEnterBackColor();
    EXPECT_EQ(seconds->currentText(), "1.5");
}

TEST_F(InputFields, WholeNumberTimeFieldsRejectLettersAtOnce) {
    for (const char* name : {"comboBoxHours", "comboBoxMin", "comboBoxInHours", "comboBoxInMin", "comboBoxInSec"}) {
        auto* field = control<QComboBox>(name);
        field->setEditText("2x");
        EXPECT_EQ(field->currentText(), "0") << name;
        field->setEditText("12");
        EXPECT_EQ(field->currentText(), "12") << name;
    }
}

TEST_F(InputFields, TypedKeysIntoIntervalHoursKeepOnlyWholeNumbers) {
    auto* hours = control<QComboBox>("comboBoxInHours");
    form->StopTyuuDisable();
    hours->lineEdit()->selectAll();
    for (QChar c : QString("7a")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(hours->lineEdit(), &press);
    }
    EXPECT_EQ(hours->currentText(), "0");
}

TEST_F(InputFields, RepeatCountOfOneDisablesTheIntervalFields) {
    auto* trace = control<QComboBox>("comboBoxTrace");
    trace->setEditText("5");
    trace->setEditText("1");
    for (const char* name : {"comboBoxInHours", "comboBoxInMin", "comboBoxInSec"})
        EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name;
}

TEST_F(InputFields, RepeatCountOf01LeavesTheIntervalFieldsEnabled) {
    control<QComboBox>("comboBoxTrace")->setEditText("01");
    for (const char* name : {"comboBoxInHours", "comboBoxInMin", "comboBoxInSec"})
        EXPECT_TRUE(control<QWidget>(name)->isEnabled()) << name;
}

TEST_F(InputFields, ClickIntoTraceHoursGatesTheIntervalByTheRepeatCount) {
    control<QComboBox>("comboBoxTrace")->setEditText("5");
    form->StopTyuuDisable();
    control<QComboBox>("comboBoxTrace")->blockSignals(true);
    control<QComboBox>("comboBoxTrace")->setEditText("1");
    control<QComboBox>("comboBoxTrace")->blockSignals(false);
    ASSERT_TRUE(control<QWidget>("comboBoxInMin")->isEnabled());
    pressInto(clickTarget(control<QWidget>("comboBoxHours")));
    EXPECT_FALSE(control<QWidget>("comboBoxInMin")->isEnabled());
}
