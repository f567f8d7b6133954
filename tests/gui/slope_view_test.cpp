// The Slope mode in the window: the time course and the measured response
// read back from the framebuffer, the evoked-response windows dialog and the
// baseline box refusing what is not a number, and Copy Data.
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "acquisition/acquisition_ni.h"
#include "acquisition/alert_messages.h"
#include "app/evoked_windows_dialog.h"
#include "app/selected_views_form.h"
#include "app/slope_view_form.h"
#include "app/view_frames.h"
#include "display/gl/plot_panel.h"
#include "tests/gui/gui_test_support.h"

namespace {

class SlopeViewTest : public ShownForm {
protected:
    void SetUp() override {
        ShownForm::SetUp();
        views = form->selectedViews.get();
        slope = form->slopeView.get();
        acq = form->acquisition.get();
        ASSERT_TRUE(waitFor([&] { return views->rawView()->width() > 100 && views->freqView()->width() > 100; }));
        acq->DrawTyuu = 1;
        form->Mode = 3;
        form->hyouziStep = -1;
    }
    // Traces at 2, 4 and 6 s whose max slopes are 100 %, 100 % and 200 % of
    // the first two; the last with the fitted line of a fall from 12 to 13 ms.
    void measure() {
        const double slopes[] = {-0.3, -0.3, -0.6};
        for (int i = 0; i < 3; ++i) {
            last.responses.count = 1;
            last.responses.onsetMs[0] = 10.0;
            last.channels = 1u << form->selectCh;
            korin::ResponseMeasures& r = last.channel[form->selectCh].response[0];
            r.maxSlope = slopes[i];
            r.maxSlopeLine = {12.0, 0.0, 13.0, -0.3};
            ASSERT_TRUE(table.append({i + 1, 1, 0, 2.0 * (i + 1)}, last));
        }
        slope->setBaselineTraces(2);
        slope->setSlopeInputs({&table, &last, table.info(2)});
    }
    static QImage grab(PlotPanel* p) { return p->grabFramebuffer().convertToFormat(QImage::Format_RGB32); }
    static bool dark(QRgb c) { return qGray(c) < 80; }
    static bool red(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
    static bool blue(QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; }
    template <class Test>
    static bool near(const QImage& img, int x, int y, Test test) {
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy)
                if (img.valid(x + dx, y + dy) && test(img.pixel(x + dx, y + dy))) return true;
        return false;
    }

    SelectedViewsForm* views = nullptr;
    SlopeViewForm* slope = nullptr;
    AcquisitionNI* acq = nullptr;
    korin::MeasuresTable table;
    korin::TraceMeasures last;
};

TEST_F(SlopeViewTest, TimeCourseDrawsTheDashedHundredLineAndAMarkerPerTrace) {
    measure();
    FreqFrame* f = form->panelFreqDodai;
    f->textBoxFreqXMin->setText("0");
    f->textBoxFreqXMax->setText("8");
    f->textBoxFreqYMin->setText("0");
    f->textBoxFreqYMax->setText("250");
    views->DrawFreqSelectCh();
    PlotPanel* p = views->freqView();
    const QImage img = grab(p);
    const int lineY = static_cast<int>(p->height() * 150.0 / 250.0);
    int redInk = 0;
    for (int x = 0; x < p->width(); ++x) redInk += near(img, x, lineY, red) ? 1 : 0;
    EXPECT_GT(redInk, p->width() / 2);  // dashes of 6 px every 10
    const double values[] = {100, 100, 200};
    for (int i = 0; i < 3; ++i) {
        const int x = static_cast<int>(2000.0 * (i + 1) * p->width() / 8000.0);
        const int y = static_cast<int>(p->height() * (250.0 - values[i]) / 250.0);
        EXPECT_TRUE(dark(img.pixel(x, y))) << "trace " << i + 1;
    }
}

TEST_F(SlopeViewTest, UpperPlotDrawsTheBlankTheWindowAndTheFittedLine) {
    const int ch = form->selectCh;
    acq->DrawSelectChMaxIndex = 20000;
    for (int i = 0; i < 20000; ++i) acq->selectChAry[ch][i] = 0.0;
    measure();
    RawDataUpFrame* f = form->panelRawDataUpDodai;
    f->textBoxRawYMin->setText("-500");  // uV
    f->textBoxRawYMax->setText("500");
    views->DrawSelectCh();
    PlotPanel* p = views->rawView();
    const QImage img = grab(p);
    const double pxPerMs = p->width() / 30.0;
    // The fitted line halfway: 2.5 ms after the onset, -150 uV.
    EXPECT_TRUE(near(img, static_cast<int>(2.5 * pxPerMs), static_cast<int>(p->height() * 650.0 / 1000.0), red));
    EXPECT_FALSE(near(img, static_cast<int>(10 * pxPerMs), static_cast<int>(p->height() * 650.0 / 1000.0), red));
    EXPECT_TRUE(near(img, static_cast<int>(15 * pxPerMs), p->height() / 8, blue));
    const QRgb blank = img.pixel(static_cast<int>(0.5 * pxPerMs), p->height() / 8);
    EXPECT_NEAR(qGray(blank), 217, 3);
}

TEST_F(SlopeViewTest, WindowsDialogRefusesANonNumberThenAnInconsistentSetThenTakesTheSet) {
    korin::EvokedWindows handed;
    slope->evokedWindowsChanged = [&](const korin::EvokedWindows& w) { handed = w; };
    slope->openEvokedWindowsDialog();
    EvokedWindowsDialog* dialog = slope->evokedWindowsDialog();
    ASSERT_NE(dialog, nullptr);
    QPushButton* ok = dialog->findChild<QDialogButtonBox*>("buttonBoxEvokedWindows")->button(QDialogButtonBox::Ok);
    QLineEdit* winTo = dialog->findChild<QLineEdit*>("textBoxEvokedWinTo");

    dialog->findChild<QLineEdit*>("textBoxEvokedBlank")->setText("abc");
    ok->click();
    EXPECT_EQ(alerts->informed, QStringList{korin::alerts::kNumericalValue});
    EXPECT_TRUE(dialog->isVisible());

    dialog->findChild<QLineEdit*>("textBoxEvokedBlank")->setText("1");
    winTo->setText("0.5");
    ok->click();
    EXPECT_EQ(alerts->informed.last(), korin::alerts::kEvokedMeasureWindow);
    EXPECT_EQ(slope->evokedWindows(), korin::EvokedWindows{});

    winTo->setText("20");
    ok->click();
    korin::EvokedWindows expected;
    expected.winToMs = 20;
    EXPECT_EQ(slope->evokedWindows(), expected);
    EXPECT_EQ(handed, expected);
    EXPECT_EQ(alerts->informed.size(), 2);
}

TEST_F(SlopeViewTest, BaselineBoxRefusesANonNumberAndShowsTheNumberInUse) {
    QLineEdit* box = form->panelFreqDodai->textBoxSlopeBaselineTraces;
    box->setText("ten");
    emit box->returnPressed();
    EXPECT_EQ(alerts->informed, QStringList{korin::alerts::kNumericalValue});
    EXPECT_EQ(box->text(), "10");
    box->setText("4.7");
    emit box->returnPressed();
    EXPECT_EQ(slope->settings().baselineTraces, 4);
}

TEST_F(SlopeViewTest, CopyDataCopiesTheSelectedChannelsTableRows) {
    measure();
    views->toolStripMenuItemCopyData_Click();
    const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].toStdString(), korin::kMeasuresHeader);
    EXPECT_TRUE(lines[3].startsWith(QString("3,1,0,6,%1,1,10,").arg(form->selectCh + 1))) << lines[3].toStdString();
}

}  // namespace
