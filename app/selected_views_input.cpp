// The pointer, the clicks and the clipboard of the selected-channel plots.
#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>

#include "acquisition/acquisition_ni.h"
#include "acquisition/number_text.h"
#include "app/korin16_form.h"
#include "app/selected_views_form.h"
#include "app/slope_view_form.h"
#include "app/step_tab.h"
#include "app/view_frames.h"
#include "display/copy_data.h"
#include "display/gl/fault_boundary.h"
#include "display/gl/plot_panel.h"
#include "display/gl/pointer_information.h"
#include "display/gl/sixteen_channel_view.h"
#include "display/selected_controls.h"
#include "files/file_reader.h"
#include "processing/readouts.h"
#include "processing/thresholds.h"
#include "stimulation/step_intensity.h"

namespace {

BoxRect rectOf(const QWidget* w) { return {w->x(), w->y(), w->width(), w->height()}; }

}  // namespace

// --- Pointer readout ---------------------------------------------------------------

void SelectedViewsForm::panelFreq_MouseMove(int x, int y) {
    if (!dataShown()) return;
    const bool replay = form_.ReplayMode != 0;

    QWidget* container = form_.panelFreqDodai;
    const QPoint origin = container->mapToGlobal(QPoint(0, 0));
    const ReadoutPlacement at = placeReadout(x, y, origin.x(), origin.y(), 0, 0, pointerinfo_->getLabelSizeWidth(),
                                             pointerinfo_->getLabelSizeHeight());
    pointerinfo_->setGeometry(at.left, at.top, at.width, at.height);

    const SelectedSnapshot d = snapshot();
    const PlotRange r = freqRange();
    const korin::AnalysisView view{r.xMin * form_.EpXScale, r.xMax * form_.EpXScale, freqView_->width(),
                                   freqView_->height(), r.yMin, r.yMax};
    float zahyou[4] = {-1, -1, 0, 0};
    enum class Texts { Spike, Plain, Stim } texts = Texts::Spike;
    switch (static_cast<AnalysisMode>(form_.Mode)) {
    case AnalysisMode::EP: {
        const korin::EPView ep{d.epAmplitudes, d.epTimesMs,   d.EpIndex,          d.scale,
                               form_.EpYScale, form_.EpXScale, d.stepsPerCycle, form_.hyouziStep};
        if (replay) {
            const korin::PointerReadout p = korin::getReadEPZahyou(ep, view, x, y);
            zahyou[0] = p.x;
            zahyou[1] = p.y;
            texts = Texts::Plain;
        } else {
            const bool on1 = form_.stepTab(0)->CheckStepEnable && form_.stepTab(0)->CheckStepEnable->isChecked();
            const bool on2 = form_.stepTab(1)->CheckStepEnable && form_.stepTab(1)->CheckStepEnable->isChecked();
            const korin::EPStimReadout p = korin::getRecEPZahyou(ep, view, stim::stepIntensity(form_.Step1PP, on1),
                                                                 stim::stepIntensity(form_.Step2PP, on2), x, y);
            zahyou[0] = p.x;
            zahyou[1] = p.y;
            zahyou[2] = p.f1;
            zahyou[3] = p.f2;
            texts = Texts::Stim;
        }
        break;
    }
    case AnalysisMode::Spike: {
        const korin::BinsView bins{d.binCounts, d.binEndMs, d.spikeIndex};
        const korin::PointerReadout p = replay ? korin::getReadFreqSpikeZahyou(bins, view, x, y)
                                               : korin::getRecFreqSpikeZahyou(bins, view, x, y);
        zahyou[0] = p.x;
        zahyou[1] = p.y;
        break;
    }
    case AnalysisMode::Slope: {
        if (!form_.slopeView) break;
        const korin::PointerReadout p =
            slopeReadout(form_.slopeView->slopeInputs(), d.channel, slopeState(), view, x, y);
        zahyou[0] = p.x;
        zahyou[1] = p.y;
        texts = Texts::Plain;
        break;
    }
    case AnalysisMode::ISI: {
        const korin::StampsView stamps{d.stamps, d.stampCount};
        const korin::PointerReadout p = replay ? korin::getReadISIZahyou(stamps, view, x, y)
                                               : korin::getRecISIZahyou(stamps, view, x, y);
        zahyou[0] = p.x;
        zahyou[1] = p.y;
        break;
    }
    }

    if (zahyou[0] == -1.0f) {
        if (pointerinfo_->showing) pointerinfo_->hide();
        pointerinfo_->showing = 0;
        return;
    }
    if (!pointerinfo_->showing) {
        pointerinfo_->show();
        pointerinfo_->showing = 1;
    }
    switch (texts) {
    case Texts::Spike: pointerinfo_->setLabelTextSpike(zahyou); break;
    case Texts::Plain: pointerinfo_->setLabelText(zahyou); break;
    case Texts::Stim: pointerinfo_->setLabelTextStim(zahyou); break;
    }
}

// --- Drags in the raw plot -----------------------------------------------------------

void SelectedViewsForm::panelRawDataUp_MouseMove(int x, int y, bool leftHeld) {
    const bool dragging = drag.move(leftHeld);
    // The Slope mode's upper plot shows a measured response, not the live trace.
    if (!dataShown() || !dragging || static_cast<AnalysisMode>(form_.Mode) == AnalysisMode::Slope) return;
    const bool replay = form_.ReplayMode != 0;
    const PlotRange range = rawRange();
    if (static_cast<AnalysisMode>(form_.Mode) == AnalysisMode::EP) {
        const RawTraceX t = rawTraceX(range);
        const int channel = replay ? form_.reader->selectch : form_.selectCh;
        korin::moveNearerEPEdge(x, {rawView_->width(), t.firstSample, t.samples}, channel, form_.EPThreshAry1,
                                form_.EPThreshAry2);
    } else {
        const auto mv = korin::manualThresholdMv(y, {rawView_->height(), range.yMin, range.yMax, form_.RawUpYScale});
        if (mv) {
            for (float& t : form_.yMThreshAry) t = *mv;
            if (markThresholdsSet) markThresholdsSet();
        }
    }
    if (replay) {
        DrawSelectChLoad();
    } else {
        DrawSelectChRec();
    }
}

// --- Double clicks and the range boxes ---------------------------------------------

void SelectedViewsForm::panelRawDataUp_DoubleClick() {
    form_.RawUpauto = true;
    korin::ui::checkItem(form_.panelRawDataUpDodai->autoscaleItems, "On");
    if (dataShown()) {
        const RawXRange r = upperDoubleClickRange(snapshot(), checkText(form_.RawUpXaxis.toStdString()));
        form_.panelRawDataUpDodai->textBoxRawXMin->setText(QString::fromStdString(korin::defaultNumberText(r.xMin)));
        form_.panelRawDataUpDodai->textBoxRawXMax->setText(QString::fromStdString(korin::defaultNumberText(r.xMax)));
    }
    redrawRaw();
}

void SelectedViewsForm::panelFreq_DoubleClick() {
    form_.Freqauto = true;
    korin::ui::checkItem(form_.panelFreqDodai->autoscaleItems, "On");
    if (dataShown()) {
        const RawXRange r = lowerDoubleClickRange(snapshot(), form_.EpXScale);
        form_.panelFreqDodai->textBoxFreqXMin->setText(QStringLiteral("0"));
        form_.panelFreqDodai->textBoxFreqXMax->setText(QString::fromStdString(korin::defaultNumberText(r.xMax)));
    }
    DrawFreqSelectCh();
}

void SelectedViewsForm::openLimitBox(QWidget* frame, PlotPanel* panel, int x, int y, bool upper) {
    const AxisLimit limit = axisLimitAt(x, y, rectOf(panel->parentWidget()));
    if (limit == AxisLimit::None) return;
    QLineEdit* box = nullptr;
    if (upper) {
        RawDataUpFrame* f = form_.panelRawDataUpDodai;
        box = limit == AxisLimit::XMin   ? f->textBoxRawXMin
              : limit == AxisLimit::XMax ? f->textBoxRawXMax
              : limit == AxisLimit::YMin ? f->textBoxRawYMin
                                         : f->textBoxRawYMax;
    } else {
        FreqFrame* f = form_.panelFreqDodai;
        box = limit == AxisLimit::XMin   ? f->textBoxFreqXMin
              : limit == AxisLimit::XMax ? f->textBoxFreqXMax
              : limit == AxisLimit::YMin ? f->textBoxFreqYMin
                                         : f->textBoxFreqYMax;
    }
    (void)frame;
    box->show();
    box->raise();
    box->setFocus();
}

void SelectedViewsForm::pictureBoxRawDataUp_Click(int x, int y) {
    openLimitBox(form_.panelRawDataUpDodai, rawView_, x, y, true);
}

void SelectedViewsForm::pictureBoxFreq_Click(int x, int y) { openLimitBox(form_.panelFreqDodai, freqView_, x, y, false); }

void SelectedViewsForm::limitBoxEntered(QLineEdit* box, bool upper) {
    box->hide();
    if (upper) {
        setRawUpAuto(false);
    } else {
        setFreqAuto(false);
    }
}

bool SelectedViewsForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == form_.panelRawDataUpDodai->pictureBoxRawDataUp || watched == form_.panelFreqDodai->pictureBoxFreq)) {
        auto* canvas = static_cast<QLabel*>(watched);
        const QPoint p = canvas->mapToParent(static_cast<QMouseEvent*>(event)->position().toPoint());
        korin::ui::shielded([&] {
            if (watched == form_.panelRawDataUpDodai->pictureBoxRawDataUp) {
                pictureBoxRawDataUp_Click(p.x(), p.y());
            } else {
                pictureBoxFreq_Click(p.x(), p.y());
            }
        });
    } else if (event->type() == QEvent::Paint && watched == static_cast<QObject*>(form_.panelRawData1View)) {
        // After start-up every paint of the sixteen-channel view redraws the
        // other views; queued, since they must not be drawn inside its paint.
        if (!form_.PaintTatiagari && !form_.Tatiagari && !repaintQueued_) {
            repaintQueued_ = true;
            QTimer::singleShot(0, this, korin::ui::shield([this] { afterSixteenChannelPaint(); }));
        }
    }
    return QObject::eventFilter(watched, event);
}

// --- Clipboard ----------------------------------------------------------------------

void SelectedViewsForm::toolStripMenuItemCopyData_Click() {
    if (static_cast<AnalysisMode>(form_.Mode) == AnalysisMode::Slope) {
        const korin::MeasuresTable* table = form_.slopeView ? form_.slopeView->slopeInputs().table : nullptr;
        QApplication::clipboard()->setText(QString::fromStdString(slopeCopyDataText(table, snapshot().channel)));
        return;
    }
    CopyDataOptions o;
    o.Mode = static_cast<AnalysisMode>(form_.Mode);
    o.EpYScale = form_.EpYScale;
    o.epMilli = form_.EpYUnit == "mV";
    o.hyouziStep = form_.hyouziStep;
    QApplication::clipboard()->setText(QString::fromStdString(copyDataText(snapshot(), o)));
}

namespace {

void copyImageOf(QWidget* container) { QApplication::clipboard()->setImage(container->grab().toImage()); }

}  // namespace

void SelectedViewsForm::toolStripMenuItemCopyImage_Click() { copyImageOf(form_.panelFreqDodai); }
void SelectedViewsForm::toolStripMenuItemCopyImageRawData_Click() { copyImageOf(form_.panelRawDataUpDodai); }
void SelectedViewsForm::toolStripMenuItemCopyImage16_Click() { copyImageOf(form_.panelRawDataDodai); }
