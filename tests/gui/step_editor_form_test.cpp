// The stimulation tabs and the stimulus time line as the user meets them.
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

#include <QToolButton>

#include <QStatusBar>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "acquisition/run_control.h"
#include "acquisition/sim_device.h"
#include "app/acquisition_panel.h"
#include "app/step_editor_form.h"
#include "app/selected_views_form.h"
#include "app/slope_view_form.h"
#include "app/step_tab.h"
#include "app/view_frames.h"
#include "display/gl/stim_timeline_view.h"
#include "files/file_reader.h"
#include "processing/evoked_session.h"
#include "tests/gui/gui_test_support.h"

namespace {

struct PixelCounts {
    int red = 0;
    int dark = 0;
};

// Red and dark pixels of an image, over the columns [fromX, toX).
PixelCounts countPixels(const QImage& picture, int fromX = 0, int toX = 1 << 20) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    PixelCounts n;
    for (int y = 0; y < image.height(); ++y)
        for (int x = std::max(0, fromX); x < std::min(image.width(), toX); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++n.red;
            if (c.red() < 60 && c.green() < 60 && c.blue() < 60) ++n.dark;
        }
    return n;
}

PixelCounts countPixels(StimTimelineView* view, int fromX = 0, int toX = 1 << 20) {
    return countPixels(view->grabFramebuffer(), fromX, toX);
}

// Counts the paints a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// What the display shows of a window's area: read back from the screen, not
// drawn again as grabFramebuffer would.
QImage onScreen(QWidget* window, const QRect& area) {
    return window->screen()->grabWindow(window->winId(), area.x(), area.y(), area.width(), area.height()).toImage();
}

class StepEditorWindow : public ShownForm {
protected:
    void SetUp() override {
        ShownForm::SetUp();
        tab = form->stepTab(0);
        tab->CheckStepEnable->setChecked(true);
        settle();
    }
    void addPulses(const char* units) {
        tab->textBoxUnits->setText(units);
        tab->buttonAddStep->click();
        settle();
    }
    StepTab* tab = nullptr;
};

}  // namespace

TEST_F(ShownForm, UntickedStepsStartDisabledWithHashTitles) {
    auto* tabs = form->panelAcquisitionNew->tabControlStep;
    EXPECT_EQ(tabs->tabText(0), "#Step 1#");
    EXPECT_EQ(tabs->tabText(1), "#Step 2#");
    StepTab* step1 = form->stepTab(0);
    EXPECT_TRUE(step1->CheckStepEnable->isEnabled());
    for (QWidget* w : {static_cast<QWidget*>(step1->buttonAddStep), static_cast<QWidget*>(step1->comboStepF),
                       static_cast<QWidget*>(step1->electrodeButtons[4])})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    step1->CheckStepEnable->setChecked(true);
    EXPECT_EQ(tabs->tabText(0), "Step 1");
    EXPECT_TRUE(step1->buttonAddStep->isEnabled());
    form->StopTyuuDisable();  // the stopped state leaves an unticked Step 2 disabled
    EXPECT_FALSE(form->stepTab(1)->buttonAddStep->isEnabled());
    EXPECT_TRUE(step1->buttonAddStep->isEnabled());
}

TEST_F(StepEditorWindow, ElectrodeFiveRoutesS1OfStep1AndASecondClickClearsIt) {
    tab->electrodeButtons[4]->click();
    EXPECT_EQ(form->Step1PP.S1Ch, 4);
    EXPECT_EQ(tab->redElectrode(), 4);
    EXPECT_TRUE(tab->electrodeButtons[4]->styleSheet().contains("255, 0, 0"));
    tab->electrodeButtons[4]->click();
    EXPECT_EQ(form->Step1PP.S1Ch, -1);
    EXPECT_EQ(tab->redElectrode(), -1);
    EXPECT_EQ(form->Step1PP.S2Ch, -1);
}

TEST_F(StepEditorWindow, AddingThreePulsesFillsPulseNumberAndScalesTheTimeLine) {
    addPulses("3");
    EXPECT_EQ(tab->comboBoxUnit->count(), 3);
    EXPECT_EQ(tab->comboBoxUnit->currentText(), "3");
    TimeLineFrame* line = form->panelTimeLineDodai;
    EXPECT_EQ(line->textBoxTimeLineXMax->text(), "0.30000");
    EXPECT_EQ(line->textBoxStimF1Ymax->text(), "11.00");
    EXPECT_EQ(line->textBoxStimF1Ymin->text(), "-11.00");
    EXPECT_TRUE(alerts->informed.isEmpty());
}

TEST_F(StepEditorWindow, AnUnappliedDurationIsDiscardedOnTheNextClickIntoAField) {
    addPulses("1");
    tab->textBoxDurationTrain->setText("5");
    pressInto(tab->textBoxIntensity);
    EXPECT_EQ(tab->textBoxDurationTrain->text(), "0.1");
}

TEST_F(StepEditorWindow, EnterWithIntensity150ShowsAndAppliesTheClamp) {
    addPulses("1");
    tab->textBoxIntensity->setText("150");
    QMetaObject::invokeMethod(tab->textBoxIntensity, "returnPressed");
    EXPECT_EQ(tab->textBoxIntensity->text(), "100");
    EXPECT_EQ(form->Step1PP.PulseAmplitudeAry[0], 100.0f);
}

TEST_F(StepEditorWindow, RefusedAddShowsTheMessageAndAddsNothing) {
    tab->textBoxPre->setText("-1");
    addPulses("1");
    EXPECT_EQ(alerts->informed, QStringList{"Duration, Pre and Post must be 0 ms or more."});
    EXPECT_EQ(form->Step1PP.S1ChAddNum, 0);
    EXPECT_EQ(tab->comboBoxUnit->currentText(), "0");
}

TEST_F(StepEditorWindow, EmptyListsShowOnlyTheBandAndPulseTwoOnS1IsRedOnlyUpstairs) {
    StepEditorForm* editors = form->stepEditors.get();
    ASSERT_TRUE(waitFor([&] { return editors->viewF1()->isValid() && editors->viewF2()->isValid(); }));
    editors->SizeChangeDraw();
    EXPECT_EQ(countPixels(editors->viewF1()).dark, 0);
    EXPECT_EQ(countPixels(editors->viewF2()).dark, 0);

    addPulses("3");
    tab->comboStepF->setCurrentIndex(1);  // one S2 pulse, drawn black
    addPulses("1");
    tab->comboStepF->setCurrentIndex(0);
    tab->comboBoxUnit->setCurrentIndex(1);  // pulse 2 of S1
    settle();
    const int w = editors->viewF1()->width();
    const PixelCounts before = countPixels(editors->viewF1(), 0, w / 3 - 2);
    const PixelCounts inside = countPixels(editors->viewF1(), w / 3 + 2, 2 * w / 3 - 2);
    const PixelCounts lower = countPixels(editors->viewF2());
    EXPECT_GT(inside.red, 0);
    EXPECT_EQ(before.red, 0);
    EXPECT_GT(before.dark, 0);
    EXPECT_EQ(lower.red, 0);
    EXPECT_GT(lower.dark, 0);
}

TEST_F(StepEditorWindow, TheTimeLineIsOnScreenAgainAfterReplayAndBack) {
    addPulses("3");
    StimTimelineView* view = form->stepEditors->viewF1();
    const QRect area(view->mapTo(form.get(), QPoint(0, 0)), view->size());
    if (onScreen(form.get(), area).isNull()) GTEST_SKIP() << "no screen to read back (offscreen platform)";
    auto drawn = [&] {
        const PixelCounts n = countPixels(onScreen(form.get(), area));
        return n.dark > 0 && n.dark < area.width() * area.height() / 10;  // the pulses on white, not black
    };
    ASSERT_TRUE(waitFor(drawn));
    const QImage pulses = onScreen(form.get(), area);
    control<QToolButton>("toolStripButtonSwitch")->click();
    ASSERT_TRUE(waitFor([&] { return onScreen(form.get(), area) != pulses; })) << "the replay panels are on screen";
    PaintCounter counter;
    view->installEventFilter(&counter);
    control<QToolButton>("toolStripButtonSwitch2")->click();
    // The screen may still hold the old picture until the panel's next paint.
    view->update();
    ASSERT_TRUE(waitFor([&] { return counter.paints >= 2; }));
    EXPECT_TRUE(waitFor(drawn)) << countPixels(onScreen(form.get(), area)).dark << " dark pixels";
}

TEST_F(StepEditorWindow, ClickBelowTheS2PanelsLeftEndOpensTheXMinimumField) {
    TimeLineFrame* line = form->panelTimeLineDodai;
    const QRect s2 = line->panelStimF2->geometry();
    QLabel* picture = line->pictureBoxTimeLine;
    const QPointF at = QPointF(s2.left() + 1, s2.top() + s2.height() + 10) - QPointF(picture->pos());
    QMouseEvent press(QEvent::MouseButtonPress, at, picture->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(picture, &press);
    EXPECT_TRUE(line->textBoxTimeLineXMin->isVisible());
    EXPECT_FALSE(line->textBoxTimeLineXMax->isVisible());
    line->textBoxTimeLineXMin->setText("0.05");
    QMetaObject::invokeMethod(line->textBoxTimeLineXMin, "returnPressed");
    EXPECT_FALSE(line->textBoxTimeLineXMin->isVisible());
}

TEST_F(StepEditorWindow, FarOrNonNumericTimeLimitsRedrawAndAClickStillSelects) {
    StepEditorForm* editors = form->stepEditors.get();
    ASSERT_TRUE(waitFor([&] { return editors->viewF1()->isValid(); }));
    addPulses("3");  // 6000 samples
    TimeLineFrame* line = form->panelTimeLineDodai;
    struct Case {
        const char* xMin;
        const char* xMax;
        const char* selected;  // the pulse a click in the middle leaves selected
    };
    for (const Case c : {Case{"-100000", "0.30000", "1"}, Case{"0", "1e30", "3"}, Case{"abc", "0.30000", "2"}}) {
        line->textBoxTimeLineXMin->setText(c.xMin);
        line->textBoxTimeLineXMax->setText(c.xMax);
        QMetaObject::invokeMethod(line->textBoxTimeLineXMin, "returnPressed");
        EXPECT_LE(editors->viewF1()->currentFrame().vertices().size(), 4u * 6000 + 4) << c.xMin;
        tab->comboBoxUnit->setCurrentIndex(0);
        StimTimelineView* view = editors->viewF1();
        const QPointF middle(view->width() / 2.0, view->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, middle, view->mapToGlobal(middle), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        EXPECT_EQ(tab->comboBoxUnit->currentText(), c.selected) << c.xMin << " " << c.xMax;
    }
    EXPECT_TRUE(alerts->informed.isEmpty());
}

namespace {

// A window on a free-running simulated Dev1 whose Step 1 plays the default
// pulse (-10 uA, 0.1 ms, then 99.9 ms) on electrode 5 in 1 s traces.
class StimulatedRunInWindow : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("korin16-window-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        SimulatedDevice::Options options;
        options.realTime = false;
        device = std::make_shared<SimulatedDevice>(options);
        form = std::make_unique<Korin16Form>(device, "Simulated Dev1");
        alerts = std::make_shared<RecordingAlertSink>();
        form->setAlertSink(alerts);
        form->show();
        settle();
        StepTab* tab = form->stepTab(0);
        tab->CheckStepEnable->setChecked(true);
        tab->electrodeButtons[4]->click();
        tab->buttonAddStep->click();
        form->panelAcquisitionNew->comboBoxMin->setEditText("0");
        form->panelAcquisitionNew->comboBoxSec->setEditText("1");
        form->findChild<QLineEdit*>("textBoxExportDire")->setText(QString::fromStdString(folder.string()));
    }
    void TearDown() override {
        form->close();
        form.reset();
        std::filesystem::remove_all(folder);
    }
    void record() {
        form->findChild<QToolButton*>("toolStripButtonRec")->click();
        ASSERT_TRUE(alerts->informed.isEmpty()) << alerts->informed.join("; ").toStdString();
    }

    std::filesystem::path folder;
    std::shared_ptr<SimulatedDevice> device;
    std::unique_ptr<Korin16Form> form;
    std::shared_ptr<RecordingAlertSink> alerts;
};

}  // namespace

TEST_F(StimulatedRunInWindow, PulseOnElectrodeFiveIsRecordedNearFiveOnly) {
    record();
    FileReader reader;
    ASSERT_TRUE(reader.open(form->runControl->dataFilePath())) << reader.errorText();
    ASSERT_TRUE(reader.read());
    reader.syokika();
    ASSERT_TRUE(reader.readData());
    double near = 0, far = 0;
    for (int k = 0; k < 200; ++k) {  // the first 10 ms
        near = std::max(near, std::fabs(reader.aryData[16 * k + 4]));
        far = std::max(far, std::fabs(reader.aryData[16 * k + 15]));
    }
    EXPECT_GT(near, 10 * far) << near << " mV on electrode 5, " << far << " mV on electrode 16";
}

TEST_F(StimulatedRunInWindow, TheSlopeViewFollowsTheRunsMeasuresAndItsWindowsMeasureTheRun) {
    korin::EvokedWindows windows;
    windows.winToMs = 12.0;
    ASSERT_FALSE(form->slopeView->setEvokedWindows(windows).has_value());
    record();
    const korin::EvokedSession& session = form->runControl->evokedSession();
    EXPECT_EQ(session.windows(), windows);
    ASSERT_EQ(session.measuredTraces(), 1U);
    form->selectedViews->DrawSelectCh();
    EXPECT_EQ(form->slopeView->slopeInputs().table, &session.table());
    EXPECT_EQ(form->slopeView->slopeInputs().last, &session.lastMeasures());
    EXPECT_TRUE(std::filesystem::exists(form->runControl->measuresFilePath()));
}

TEST_F(StimulatedRunInWindow, StimulusTheDeviceRefusesInTraceTwoIsOnTheStatusBarAndInTheSummary) {
    form->panelAcquisitionNew->comboBoxTrace->setEditText("3");
    form->panelAcquisitionNew->comboBoxInSec->setEditText("2");
    // Trace 2's stimulus is prepared when trace 1 ends.
    form->runControl->onTraceEnd = [&](int trace) {
        if (trace == 0) device->failAnalogTimings(1);
    };
    record();
    EXPECT_EQ(form->statusBar()->currentMessage().toStdString(),
              "Run finished: 3 traces recorded to " + form->runControl->dataFilePath() +
                  ". The stimulus of trace 2 was not played (see the console).");
    std::ifstream in(form->runControl->summaryFilePath(), std::ios::binary);
    const std::string summary{std::istreambuf_iterator<char>(in), {}};
    EXPECT_TRUE(summary.ends_with("\r\nStimulus not played in traces: 2")) << summary;
}
