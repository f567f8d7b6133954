// The selected-channel plots in the window: frames read back from the
// framebuffer for known data, the pointer readout, the threshold and EP window
// drags, and the two copy commands through the clipboard.
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "acquisition/acquisition_ni.h"
#include "acquisition/sim_device.h"
#include "acquisition/timer.h"
#include "app/selected_views_form.h"
#include "app/view_frames.h"
#include "display/gl/plot_panel.h"
#include "display/gl/pointer_information.h"
#include "display/gl/sixteen_channel_view.h"
#include "display/selected_labels.h"
#include "files/file_reader.h"
#include "processing/detect_spike.h"
#include "tests/engine/file_reader_test_files.h"
#include "tests/gui/gui_test_support.h"

namespace {

class SelectedViewsTest : public ShownForm {
protected:
    void SetUp() override {
        ShownForm::SetUp();
        views = form->selectedViews.get();
        acq = form->acquisition.get();
        ASSERT_TRUE(waitFor([&] { return views->rawView()->width() > 100 && views->freqView()->width() > 100; }));
    }
    // Range texts of the upper or lower plot: XMin, XMax, YMin, YMax.
    void rawRange(const char* x0, const char* x1, const char* y0, const char* y1) {
        RawDataUpFrame* f = form->panelRawDataUpDodai;
        f->textBoxRawXMin->setText(x0);
        f->textBoxRawXMax->setText(x1);
        f->textBoxRawYMin->setText(y0);
        f->textBoxRawYMax->setText(y1);
    }
    void freqRange(const char* x0, const char* x1, const char* y0, const char* y1) {
        FreqFrame* f = form->panelFreqDodai;
        f->textBoxFreqXMin->setText(x0);
        f->textBoxFreqXMax->setText(x1);
        f->textBoxFreqYMin->setText(y0);
        f->textBoxFreqYMax->setText(y1);
    }
    static QImage grab(PlotPanel* p) { return p->grabFramebuffer().convertToFormat(QImage::Format_RGB32); }
    static bool dark(QRgb c) { return qGray(c) < 80; }
    static bool red(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }

    SelectedViewsForm* views = nullptr;
    AcquisitionNI* acq = nullptr;
};

TEST_F(SelectedViewsTest, RawFrameShowsTheTraceAndTheRedThresholdLine) {
    const int ch = form->selectCh;
    for (int i = 0; i < 200000; ++i) acq->selectChAry[ch][i] = 0.05;  // 50 uV
    acq->DrawSelectChMaxIndex = 200000;
    acq->DrawTyuu = 1;
    form->yMThreshAry[ch] = -0.05f;
    rawRange("0", "10", "-100", "100");
    views->DrawSelectChRec();
    PlotPanel* p = views->rawView();
    const QImage img = grab(p);
    const int h = p->height();
    const int traceY = static_cast<int>(h * 50.0 / 200.0);
    const int threshY = static_cast<int>(h * 150.0 / 200.0);
    int traceInk = 0, threshInk = 0;
    for (int x = 10; x < p->width() - 10; ++x) {
        traceInk += dark(img.pixel(x, traceY)) || dark(img.pixel(x, traceY + 1)) || dark(img.pixel(x, traceY - 1));
        threshInk += red(img.pixel(x, threshY)) || red(img.pixel(x, threshY + 1)) || red(img.pixel(x, threshY - 1));
    }
    EXPECT_GT(traceInk, p->width() - 30);
    EXPECT_GT(threshInk, p->width() - 30);
    EXPECT_EQ(form->RawUpXaxis, "10.000000");
}

TEST_F(SelectedViewsTest, EPFrameDrawsSquaresForStep1AndTrianglesForStep2) {
    auto clock = std::make_shared<Timer>(1.0, 4, 2.0, 0.5);
    clock->setMaxStepNum(2);
    acq->timer = clock;
    acq->shortRate = 1.0;  // one count per mV
    const int ch = form->selectCh;
    for (int i = 0; i < 4; ++i) {
        acq->epKeikaTime[i] = 2000.0 * (i + 1);
        acq->EPAmpData[ch][i] = -50;
    }
    acq->EpIndex = 4;
    acq->DrawTyuu = 1;
    form->Mode = 1;
    form->hyouziStep = -1;
    form->EpYScale = 1;
    freqRange("0", "10", "-100", "0");
    views->DrawFreqSelectCh();
    PlotPanel* p = views->freqView();
    const QImage img = grab(p);
    const int y = p->height() / 2;  // -50 of -100..0
    for (int i = 0; i < 4; ++i) {
        const int x = static_cast<int>(2000.0 * (i + 1) * p->width() / 10000.0);
        EXPECT_TRUE(dark(img.pixel(x, y))) << "entry " << i;
        // A square fills its top corners; the triangle's apex leaves them empty.
        EXPECT_EQ(dark(img.pixel(x - 2, y - 2)), i % 2 == 0) << "entry " << i;
    }
}

TEST_F(SelectedViewsTest, ReadoutShowsTheBinUnderThePointerAndHidesOverNothing) {
    const int ch = form->selectCh;
    acq->spikeTime[0] = 12500;
    acq->SpikeData[ch][0] = 7;
    acq->spikeIndex = 1;
    acq->DrawTyuu = 1;
    form->Mode = 0;
    freqRange("0", "20", "0", "10");
    PlotPanel* p = views->freqView();
    const int x = static_cast<int>(12500.0 * p->width() / 20000.0);
    const int y = static_cast<int>(p->height() - 7.0 * p->height() / 10.0);
    auto* info = static_cast<PointerInformation*>(form->pointerinfo);
    views->panelFreq_MouseMove(x, y);
    EXPECT_TRUE(info->isVisible());
    EXPECT_EQ(info->showing, 1);
    EXPECT_EQ(info->labelzahyou[0]->text(), "X:12.50");
    EXPECT_EQ(info->labelzahyou[1]->text(), "Y:7");
    const QPoint container = form->panelFreqDodai->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(info->x(), x + container.x() + 84);
    EXPECT_EQ(info->y(), y + container.y() + 2);
    views->panelFreq_MouseMove(2, 2);
    EXPECT_FALSE(info->isVisible());
    EXPECT_EQ(info->showing, 0);
}

TEST_F(SelectedViewsTest, EPDragMovesTheNearerWindowEdgeOfAllChannels) {
    acq->DrawTyuu = 1;
    form->Mode = 1;
    rawRange("0", "0.1", "-100", "100");  // 100 ms across the plot
    const int w = views->rawView()->width();
    views->panelRawDataUp_MouseDown(true);
    views->panelRawDataUp_MouseMove(static_cast<int>(w * 0.7), 10, true);  // ~70 ms: nearer the end (80)
    for (int c = 0; c < 16; ++c) {
        EXPECT_EQ(form->EPThreshAry1[c], 10.0f);
        EXPECT_NEAR(form->EPThreshAry2[c], 70.0f, 0.5f);
    }
    views->panelRawDataUp_MouseLeave();
    views->panelRawDataUp_MouseMove(0, 10, true);
    EXPECT_NEAR(form->EPThreshAry2[0], 70.0f, 0.5f) << "leaving the plot ends the drag";
}

TEST_F(SelectedViewsTest, RightPressLeavesNoThresholdDragAndALeftDragStillSetsThem) {
    acq->DrawTyuu = 1;
    form->Mode = 0;
    rawRange("0", "10", "-100", "100");
    for (float& t : form->yMThreshAry) t = -0.05f;
    PlotPanel* p = views->rawView();
    const auto send = [](QWidget* to, QEvent::Type type, int y, Qt::MouseButton button, Qt::MouseButtons held) {
        const QPointF at(20, y);
        QMouseEvent e(type, at, to->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(to, &e);
    };
    // The context menu takes the right button's release, so it lands elsewhere.
    send(p, QEvent::MouseButtonPress, 20, Qt::RightButton, Qt::RightButton);
    send(form->panelFreqDodai, QEvent::MouseButtonRelease, 20, Qt::RightButton, Qt::NoButton);
    for (int y : {30, 60, 90}) send(p, QEvent::MouseMove, y, Qt::NoButton, Qt::NoButton);
    for (int c = 0; c < 16; ++c) EXPECT_EQ(form->yMThreshAry[c], -0.05f) << c;

    const int h = p->height(), y = h * 130 / 200;  // about -30 uV
    send(p, QEvent::MouseButtonPress, 20, Qt::LeftButton, Qt::LeftButton);
    send(p, QEvent::MouseMove, y, Qt::NoButton, Qt::LeftButton);
    const double expected = (100.0 - y * 200.0 / h) / 1000.0;  // mV
    for (int c = 0; c < 16; ++c) EXPECT_NEAR(form->yMThreshAry[c], expected, 1e-6) << c;
}

TEST_F(SelectedViewsTest, CopyDataAndCopyImageFillTheClipboard) {
    const int ch = form->selectCh;
    acq->spikeTime[0] = 1000;
    acq->SpikeData[ch][0] = 3;
    acq->spikeIndex = 1.5;
    acq->DrawTyuu = 1;
    form->Mode = 0;
    views->toolStripMenuItemCopyData_Click();
    EXPECT_EQ(QApplication::clipboard()->text(), "time (ms)\tSpikes per Second\n1000\t3\n");
    views->toolStripMenuItemCopyImage_Click();
    EXPECT_EQ(QApplication::clipboard()->image().size(), form->panelFreqDodai->size());
}

TEST_F(SelectedViewsTest, ClickByAnAxisEndOpensItsBoxAndEnterTurnsAutoscaleOff) {
    RawDataUpFrame* f = form->panelRawDataUpDodai;
    form->RawUpauto = true;
    const QRect plot = f->panelRawDataUp->geometry();
    views->pictureBoxRawDataUp_Click(plot.left() - 30, plot.top());
    EXPECT_TRUE(f->textBoxRawYMax->isVisible());
    emit f->textBoxRawYMax->returnPressed();
    EXPECT_FALSE(f->textBoxRawYMax->isVisible());
    EXPECT_FALSE(form->RawUpauto);
}

TEST_F(SelectedViewsTest, ReplayRawPlotDrawsTheReaderHistoryWithItsAutoscale) {
    testfiles::TempDir dir;
    FileReader& reader = *form->reader;
    float zero[16] = {};
    std::uint8_t all[16];
    std::fill_n(all, 16, std::uint8_t{1});
    reader.Mthre = reader.Pthre = reader.Postthre = zero;
    reader.EPline1 = form->EPThreshAry1;
    reader.EPline2 = form->EPThreshAry2;
    reader.ACSelectary = all;
    testfiles::RecordingSpec layout;
    layout.durationMs = 12500;
    ASSERT_TRUE(reader.open(dir.write("r.pldat", testfiles::recording(layout).data)));
    ASSERT_TRUE(reader.read());
    reader.syokika();
    for (int b = 0; b < 25; ++b) ASSERT_TRUE(reader.readData());
    form->ReplayMode = 1;
    reader.selectch = 2;
    form->RawUpauto = true;
    rawRange("2.5", "12.5", "0", "0");
    views->DrawSelectCh();
    double hi = reader.selectChAry[2][0];
    for (int i = 0; i < 200000; ++i) hi = std::max(hi, reader.selectChAry[2][i]);
    EXPECT_EQ(form->panelRawDataUpDodai->textBoxRawYMax->text().toStdString(),
              fixedText(1000 * (hi + 9.999999747378752E-05), 5));
    const QImage img = grab(views->rawView());
    int ink = 0;
    for (int y = 0; y < img.height(); ++y) ink += dark(img.pixel(img.width() / 2, y));
    EXPECT_GT(ink, 3);
}

// Redrawing the other views after a paint of the sixteen-channel view must not
// make it paint again: an idle window stays idle.
TEST_F(SelectedViewsTest, IdleWindowDoesNotKeepRepainting) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    form->panelRawData1View->installEventFilter(&counter);
    views->rawView()->installEventFilter(&counter);
    form->update();
    waitFor([] { return false; }, 300);
    counter.paints = 0;
    waitFor([] { return false; }, 700);
    EXPECT_LT(counter.paints, 3);
}

// The spike drag against a recorded block on the simulated device.
class SpikeDragTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<Korin16Form>(std::make_shared<SimulatedDevice>(SimulatedDevice::Options{7, false}),
                                             "Simulated Dev1 (test)");
        form->setAlertSink(std::make_shared<RecordingAlertSink>());
        form->show();
        settle();
        ASSERT_TRUE(waitFor([&] { return form->selectedViews->rawView()->height() > 100; }));
    }
    void TearDown() override {
        form->close();
        form.reset();
    }
    std::unique_ptr<Korin16Form> form;
};

TEST_F(SpikeDragTest, DragSetsOneThresholdOnAllChannelsAndTheNextBlockDetectsWithIt) {
    AcquisitionNI& acq = *form->acquisition;
    acq.setInputRange(2000);
    ASSERT_EQ(acq.KidouNi(), 0);
    acq.syokika();
    acq.setThresh(form->yPThreshAry, form->yMThreshAry, form->PostAry, &form->levels.thresholdsSet);
    acq.setEP(form->EPThreshAry1, form->EPThreshAry2);
    acq.DrawTyuu = 1;
    form->Mode = 0;
    RawDataUpFrame* f = form->panelRawDataUpDodai;
    f->textBoxRawYMin->setText("-100");
    f->textBoxRawYMax->setText("100");
    SelectedViewsForm* views = form->selectedViews.get();
    const int h = views->rawView()->height();
    views->panelRawDataUp_MouseDown(true);
    const int y = h * 130 / 200;  // about -30 uV
    views->panelRawDataUp_MouseMove(20, y, true);
    const double expected = (100.0 - y * 200.0 / h) / 1000.0;  // mV
    for (int c = 0; c < 16; ++c) EXPECT_NEAR(form->yMThreshAry[c], expected, 1e-6) << c;
    EXPECT_TRUE(form->levels.thresholdsSet);

    acq.first = 1;
    ASSERT_EQ(acq.Kiroku(10.0), 0);
    DetectSpike reference;
    reference.DetectSpikeBlock(acq.aryData, form->yPThreshAry, form->yMThreshAry, form->PostAry);
    int total = 0;
    for (int c = 0; c < 16; ++c) {
        EXPECT_EQ(acq.detectspike->timespikes[c], reference.timespikes[c]) << c;
        total += reference.timespikes[c];
    }
    EXPECT_GT(total, 0);
}

}  // namespace
