#include "app/selected_views_form.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <exception>

#include "acquisition/acquisition_ni.h"
#include "acquisition/number_text.h"
#include "app/acquisition_panel.h"
#include "app/korin16_form.h"
#include "app/replay_panel.h"
#include "app/slope_view_form.h"
#include "app/view_frames.h"
#include "display/gl/fault_boundary.h"
#include "display/gl/plot_panel.h"
#include "display/gl/pointer_information.h"
#include "display/gl/sixteen_channel_view.h"
#include "display/selected_controls.h"
#include "files/file_reader.h"

using korin::ui::shield;

namespace {

const QString kMicro = QString::fromUtf8("\u03BCV");
constexpr int kMicroScale = 1000;
constexpr int kMilliScale = 1;
constexpr int kSecScale = 1000;
constexpr int kMinScale = 60000;

std::string text(const QLineEdit* box) { return box->text().toStdString(); }
QString qtext(const std::string& s) { return QString::fromStdString(s); }
QString numberText(double v) { return qtext(korin::defaultNumberText(v)); }

// An empty plot has no titles or ticks: its canvas is plain white.
void clearCanvas(QLabel* canvas) {
    if (canvas->width() <= 0 || canvas->height() <= 0) return;
    QPixmap pixmap(canvas->size());
    pixmap.fill(Qt::white);
    canvas->setPixmap(pixmap);
}

PlotKind kindOf(AnalysisMode m) {
    switch (m) {
    case AnalysisMode::Spike: return PlotKind::Spike;
    case AnalysisMode::EP: return PlotKind::EP;
    case AnalysisMode::ISI: return PlotKind::ISI;
    case AnalysisMode::Slope: return PlotKind::Slope;
    }
    return PlotKind::Spike;
}

}  // namespace

SelectedViewsForm::SelectedViewsForm(Korin16Form& form, PointerInformation* pointerinfo)
    : QObject(&form), form_(form), pointerinfo_(pointerinfo) {
    rawView_ = installPlotPanel(form.panelRawDataUpDodai->panelRawDataUp);
    freqView_ = installPlotPanel(form.panelFreqDodai->panelFreq);
    rawView_->setRebuild([this] { redrawRaw(); });
    freqView_->setRebuild([this] { DrawFreqSelectCh(); });

    form.hooks.DrawSelectCh = [this] { DrawSelectCh(); };
    form.hooks.DrawFreqSelectCh = [this] { DrawFreqSelectCh(); };
    form.hooks.DrawSelectChWaku = [this] { DrawSelectChWaku(); };
    form.hooks.DrawSelectFreqChWaku = [this] { DrawSelectFreqChWaku(); };
    form.hooks.redrawSelectedChannelViews = [this] { redrawBoth(); };
    form.hooks.SizeChangeDraw = [this] { SizeChangeDraw(); };

    connect(rawView_, &PlotPanel::pressed, this,
            shield([this](int, int, Qt::MouseButton b) { panelRawDataUp_MouseDown(b == Qt::LeftButton); }));
    connect(rawView_, &PlotPanel::released, this, shield([this] { panelRawDataUp_MouseUp(); }));
    connect(rawView_, &PlotPanel::left, this, shield([this] { panelRawDataUp_MouseLeave(); }));
    connect(rawView_, &PlotPanel::pointerMoved, this, shield([this](int x, int y, Qt::MouseButtons b) {
        panelRawDataUp_MouseMove(x, y, b.testFlag(Qt::LeftButton));
    }));
    connect(rawView_, &PlotPanel::doubleClicked, this, shield([this] { panelRawDataUp_DoubleClick(); }));
    connect(freqView_, &PlotPanel::pointerMoved, this, shield([this](int x, int y) { panelFreq_MouseMove(x, y); }));
    connect(freqView_, &PlotPanel::doubleClicked, this, shield([this] { panelFreq_DoubleClick(); }));
    connect(freqView_, &PlotPanel::left, this, shield([this] {
        if (pointerinfo_->showing) pointerinfo_->hide();
        pointerinfo_->showing = 0;
    }));
    // A click hides the plot's context menu if it is open.
    connect(rawView_, &PlotPanel::pressed, this, shield([this](int, int, Qt::MouseButton b) {
        if (b != Qt::RightButton) form_.panelRawDataUpDodai->contextMenu->hide();
    }));
    connect(freqView_, &PlotPanel::pressed, this, shield([this](int, int, Qt::MouseButton b) {
        if (b != Qt::RightButton) form_.panelFreqDodai->contextMenu->hide();
    }));

    form.panelRawDataUpDodai->pictureBoxRawDataUp->installEventFilter(this);
    form.panelFreqDodai->pictureBoxFreq->installEventFilter(this);
    form.panelRawData1View->installEventFilter(this);
    connectMenus();
}

// --- Sources -------------------------------------------------------------------

// Replay mode shows the reader's data or nothing: never the live rings of a
// run made before, which the readout and Copy Data could not see.
bool SelectedViewsForm::replayShown() const { return form_.ReplayMode && form_.reader && form_.reader->DrawTyuu; }

bool SelectedViewsForm::liveShown() const {
    return !form_.ReplayMode && form_.acquisition && form_.acquisition->DrawTyuu != 0;
}

SelectedSnapshot SelectedViewsForm::snapshot() const {
    if (replayShown()) return replaySelected(*form_.reader, form_.reader->selectch);
    if (liveShown()) return liveSelected(*form_.acquisition, form_.selectCh);
    SelectedSnapshot nothing;
    nothing.replay = form_.ReplayMode != 0;
    return nothing;
}

PlotRange SelectedViewsForm::rawRange() const {
    const RawDataUpFrame* f = form_.panelRawDataUpDodai;
    return {checkText(text(f->textBoxRawXMin)), checkText(text(f->textBoxRawXMax)), checkText(text(f->textBoxRawYMin)),
            checkText(text(f->textBoxRawYMax))};
}

PlotRange SelectedViewsForm::freqRange() const {
    const FreqFrame* f = form_.panelFreqDodai;
    return {checkText(text(f->textBoxFreqXMin)), checkText(text(f->textBoxFreqXMax)),
            checkText(text(f->textBoxFreqYMin)), checkText(text(f->textBoxFreqYMax))};
}

// --- Upper plot ------------------------------------------------------------------

void SelectedViewsForm::DrawSelectCh() {
    // The Slope view follows the measures of whatever is shown, live or replayed.
    if (form_.slopeView) form_.slopeView->follow(form_.measuringSession());
    if (replayShown()) {
        const FileReader& r = *form_.reader;
        const bool resized = rawView_->width() != rawDrawnWidth_ || rawView_->height() != rawDrawnHeight_;
        if (r.NowSeleIndex <= r.NowBlock || form_.sizechange || resized) DrawSelectChLoad();
    } else if (liveShown()) {
        DrawSelectChRec();
    } else {
        DrawSelectChWaku();
    }
}

void SelectedViewsForm::DrawSelectChRec() { drawRaw(liveSelected(*form_.acquisition, form_.selectCh)); }

void SelectedViewsForm::DrawSelectChLoad() { drawRaw(replaySelected(*form_.reader, form_.reader->selectch)); }

void SelectedViewsForm::drawRaw(const SelectedSnapshot& data) {
    if (static_cast<AnalysisMode>(form_.Mode) == AnalysisMode::Slope) {
        drawSlopeTrace(data);
        return;
    }
    RawDataUpFrame* f = form_.panelRawDataUpDodai;
    if (form_.RawUpauto) {
        const AutoscaleTexts t = rawAutoscaleTexts(rawAutoscale(data, form_.RawUpYScale));
        f->textBoxRawYMax->setText(qtext(t.yMax));
        f->textBoxRawYMin->setText(qtext(t.yMin));
    }
    const PlotRange range = rawRange();
    RawPlotState state;
    state.Mode = static_cast<AnalysisMode>(form_.Mode);
    state.RawUpYScale = form_.RawUpYScale;
    state.thresholdMv = form_.yMThreshAry[data.channel];
    state.ep1Ms = form_.EPThreshAry1[data.channel];
    state.ep2Ms = form_.EPThreshAry2[data.channel];
    buildSelectChFrame(rawView_->drawList(), form_.colors, data, range, state, rawView_->width(), rawView_->height());
    rawView_->present();
    rawDrawnWidth_ = rawView_->width();
    rawDrawnHeight_ = rawView_->height();
    form_.RawUpXaxis = qtext(rawUpXaxisText(range));
    paintCanvas(f->pictureBoxRawDataUp, f, PlotKind::Raw, range, {form_.RawUpYUnit == "mV", false});
}

void SelectedViewsForm::DrawSelectChWaku() {
    RawDataUpFrame* f = form_.panelRawDataUpDodai;
    if (form_.ReplayMode && form_.reader)
        form_.reader->selectch = korin::parseInt32(form_.SelectOneCh.toStdString()).value_or(0);
    buildEmptyPlotFrame(rawView_->drawList(), form_.colors, rawView_->width(), rawView_->height());
    rawView_->present();
    clearCanvas(f->pictureBoxRawDataUp);
}

void SelectedViewsForm::redrawRaw() {
    if (replayShown()) {
        DrawSelectChLoad();
    } else if (liveShown()) {
        DrawSelectChRec();
    } else {
        DrawSelectChWaku();
    }
}

// --- Lower plot ------------------------------------------------------------------

void SelectedViewsForm::DrawFreqSelectCh() {
    try {
        if (dataShown()) {
            drawAnalysis(snapshot());
        } else {
            DrawSelectFreqChWaku();
        }
    } catch (const std::exception& e) {
        // The previous image stays.
        std::printf("%s\n", e.what());
    }
}

void SelectedViewsForm::drawAnalysis(const SelectedSnapshot& data) {
    FreqFrame* f = form_.panelFreqDodai;
    const AnalysisMode mode = static_cast<AnalysisMode>(form_.Mode);
    if (mode == AnalysisMode::Slope) {
        drawSlope(data);
        return;
    }
    const int w = freqView_->width();
    const int h = freqView_->height();
    if (form_.Freqauto) {
        const PlotRange r = freqRange();
        AutoscaleTexts t;
        switch (mode) {
        case AnalysisMode::Spike:
            t = freqAutoscaleTexts(getFreqYAutoScaleMax(data, analysisX(r, form_.EpXScale, w, false)), data.replay);
            break;
        case AnalysisMode::ISI:
            t = isiAutoscaleTexts(getISIYAutoScaleMax(data, analysisX(r, form_.EpXScale, w, false)));
            break;
        case AnalysisMode::EP:
            t = epAutoscaleTexts(getEPYAutoScaleMax(data, form_.EpYScale), getEPYAutoScaleMin(data, form_.EpYScale));
            break;
        case AnalysisMode::Slope: break;
        }
        f->textBoxFreqYMax->setText(qtext(t.yMax));
        f->textBoxFreqYMin->setText(qtext(t.yMin));
    }
    PlotRange range = freqRange();
    if (mode == AnalysisMode::EP && data.replay) {
        // The replay EP view reads its Y limits strictly.
        const auto yMin = korin::parseDouble(text(f->textBoxFreqYMin));
        const auto yMax = korin::parseDouble(text(f->textBoxFreqYMax));
        if (!yMin || !yMax) {
            std::printf("EP view: the Y limits \"%s\" and \"%s\" are not numbers\n", text(f->textBoxFreqYMin).c_str(),
                        text(f->textBoxFreqYMax).c_str());
            return;
        }
        range.yMin = *yMin;
        range.yMax = *yMax;
    }
    AnalysisState state;
    state.Mode = mode;
    state.EpXScale = form_.EpXScale;
    state.EpYScale = form_.EpYScale;
    state.hyouziStep = form_.hyouziStep;
    buildAnalysisFrame(freqView_->drawList(), form_.colors, data, range, state, w, h);
    freqView_->present();

    const AnalysisX xr = analysisX(range, form_.EpXScale, w, mode == AnalysisMode::EP && data.replay);
    float* limits = mode == AnalysisMode::Spike ? &freqxMin : mode == AnalysisMode::ISI ? &isixMin : &epxMin;
    limits[0] = static_cast<float>(xr.xminMs);
    limits[1] = static_cast<float>(xr.xmaxMs);
    limits[2] = static_cast<float>(range.yMin);
    limits[3] = static_cast<float>(range.yMax);
    paintCanvas(f->pictureBoxFreq, f, kindOf(mode), range, {form_.EpYUnit == "mV", form_.EpXUnit == "min"});
}

void SelectedViewsForm::DrawSelectFreqChWaku() {
    FreqFrame* f = form_.panelFreqDodai;
    if (form_.ReplayMode && form_.reader)
        form_.reader->selectch = korin::parseInt32(form_.SelectOneCh.toStdString()).value_or(0);
    buildEmptyPlotFrame(freqView_->drawList(), form_.colors, freqView_->width(), freqView_->height());
    freqView_->present();
    clearCanvas(f->pictureBoxFreq);
}


// --- Slope mode ---------------------------------------------------------------------

SlopeState SelectedViewsForm::slopeState() const {
    SlopeState state;
    if (form_.slopeView) state.settings = form_.slopeView->settings();
    state.EpXScale = form_.EpXScale;
    state.hyouziStep = form_.hyouziStep;
    return state;
}

void SelectedViewsForm::captureSlopeTrace() {
    SlopeViewForm* slope = form_.slopeView.get();
    if (slope == nullptr) return;
    if (replayShown()) {
        const FileReader& reader = *form_.reader;
        slope->traceCapture().capture(slope->slopeInputs(), [&](int c) { return replaySelected(reader, c); });
    } else if (liveShown()) {
        const AcquisitionNI& acquisition = *form_.acquisition;
        slope->traceCapture().capture(slope->slopeInputs(), [&](int c) { return liveSelected(acquisition, c); });
    }
}

void SelectedViewsForm::drawSlopeTrace(const SelectedSnapshot& data) {
    RawDataUpFrame* f = form_.panelRawDataUpDodai;
    SlopeViewForm* slope = form_.slopeView.get();
    if (slope == nullptr) return;
    captureSlopeTrace();
    const SlopeTraceView trace = slope->traceCapture().view(data.channel, slope->evokedWindows());
    if (form_.RawUpauto && trace.shows()) {
        const AutoscaleTexts t = rawAutoscaleTexts(slopeTraceAutoscale(trace, form_.RawUpYScale));
        f->textBoxRawYMax->setText(qtext(t.yMax));
        f->textBoxRawYMin->setText(qtext(t.yMin));
    }
    PlotRange range = rawRange();
    range.xMin = 0.0;
    range.xMax = slope_view::kShownMs;
    buildSlopeTraceFrame(rawView_->drawList(), form_.colors, trace, range, form_.RawUpYScale, rawView_->width(),
                         rawView_->height());
    rawView_->present();
    rawDrawnWidth_ = rawView_->width();
    rawDrawnHeight_ = rawView_->height();
    paintCanvas(f->pictureBoxRawDataUp, f, PlotKind::SlopeTrace, range, {form_.RawUpYUnit == "mV", false});
}

void SelectedViewsForm::drawSlope(const SelectedSnapshot& data) {
    FreqFrame* f = form_.panelFreqDodai;
    SlopeViewForm* slope = form_.slopeView.get();
    if (slope == nullptr) return;
    const SlopeInputs& in = slope->slopeInputs();
    const SlopeState state = slopeState();
    if (form_.Freqauto) {
        const YLimits l = slopeAutoscale(in, data.channel, state);
        const AutoscaleTexts t = epAutoscaleTexts(l.max, l.min);
        f->textBoxFreqYMax->setText(qtext(t.yMax));
        f->textBoxFreqYMin->setText(qtext(t.yMin));
    }
    const PlotRange range = freqRange();
    buildSlopeFrame(freqView_->drawList(), form_.colors, in, data.channel, range, state, freqView_->width(),
                    freqView_->height());
    freqView_->present();
    const std::string title = slopeYTitle(state.settings);
    paintCanvas(f->pictureBoxFreq, f, PlotKind::Slope, range, {false, form_.EpXUnit == "min"}, title);
}

void SelectedViewsForm::redrawBoth() {
    redrawRaw();
    DrawFreqSelectCh();
}

// --- Label canvas ----------------------------------------------------------------

void SelectedViewsForm::paintCanvas(QLabel* canvas, QWidget* frame, PlotKind kind, const PlotRange& range,
                                    LabelUnits units, std::string_view yTitle) {
    if (canvas->width() <= 0 || canvas->height() <= 0) return;
    const LabelCanvas c = buildLabelCanvas(kind, range, units, frame->width(), frame->height(), yTitle);
    QPixmap pixmap(canvas->size());
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    // The canvas sits inside the frame's outline; the layout is in frame pixels.
    p.translate(-canvas->x(), -canvas->y());
    p.setPen(Qt::black);
    for (const CanvasTick& t : c.ticks) p.drawLine(QPointF(t.x0, t.y0), QPointF(t.x1, t.y1));
    QFont title(form_.fonttitle);
    title.setPointSizeF(plot_labels::kTitlePoints);
    QFont scale(form_.fontscale);
    scale.setPointSizeF(plot_labels::kScalePoints);
    constexpr qreal kBox = 400;  // room around an anchor for any label
    for (const CanvasText& t : c.texts) {
        p.setFont(t.title ? title : scale);
        const QString s = qtext(t.text);
        switch (t.anchor) {
        case CanvasText::Anchor::Centre:
            p.drawText(QRectF(t.x - kBox / 2, t.y - kBox / 2, kBox, kBox), Qt::AlignCenter, s);
            break;
        case CanvasText::Anchor::RightMiddle:
            p.drawText(QRectF(t.x - kBox, t.y - kBox / 2, kBox, kBox), Qt::AlignRight | Qt::AlignVCenter, s);
            break;
        case CanvasText::Anchor::TopCentre:
            p.drawText(QRectF(t.x - kBox / 2, t.y, kBox, kBox), Qt::AlignHCenter | Qt::AlignTop, s);
            break;
        case CanvasText::Anchor::RotatedCentre:
            p.save();
            p.translate(t.x, t.y);
            p.rotate(-90);
            p.drawText(QRectF(-kBox / 2, -kBox / 2, kBox, kBox), Qt::AlignCenter, s);
            p.restore();
            break;
        }
    }
    p.end();
    canvas->setPixmap(pixmap);
}

// --- SizeChangeDraw ----------------------------------------------------------------

void SelectedViewsForm::SizeChangeDraw() {
    form_.panelRawData1View->SizeChangeDraw(form_.StopTyuu.load() != 0);
    (form_.ReplayMode ? static_cast<QWidget*>(form_.panelReplay) : form_.panelAcquisitionNew)->raise();
    if (form_.hooks.drawStimViews) form_.hooks.drawStimViews();
}

void SelectedViewsForm::afterSixteenChannelPaint() {
    repaintQueued_ = false;
    // During a run or a replay the frames of every block keep the plots current.
    if (form_.PlayTyuu.load() != 0) return;
    redrawBoth();
    if (form_.hooks.drawStimViews) form_.hooks.drawStimViews();
}

// --- Menus -------------------------------------------------------------------------

void SelectedViewsForm::connectMenus() {
    RawDataUpFrame* up = form_.panelRawDataUpDodai;
    FreqFrame* fr = form_.panelFreqDodai;
    connect(up->xAxisItems, &QActionGroup::triggered, this, shield([this](QAction* a) { rawUpXaxisItem(a->text()); }));
    connect(up->unitItems, &QActionGroup::triggered, this, shield([this](QAction* a) { rawUpUnitItem(a->text()); }));
    connect(up->autoscaleItems, &QActionGroup::triggered, this,
            shield([this](QAction* a) { setRawUpAuto(a->text() == "On"); }));
    connect(fr->yUnitItems, &QActionGroup::triggered, this, shield([this](QAction* a) { epYUnitItem(a->text()); }));
    connect(fr->xUnitItems, &QActionGroup::triggered, this, shield([this](QAction* a) { epXUnitItem(a->text()); }));
    connect(fr->autoscaleItems, &QActionGroup::triggered, this,
            shield([this](QAction* a) { setFreqAuto(a->text() == "On"); }));
    connect(fr->stepItems, &QActionGroup::triggered, this, shield([this](QAction* a) {
        stepFilterItem(a->text() == "Step 1" ? 1 : a->text() == "Step 2" ? 2 : -1);
    }));
    for (QLineEdit* box : {up->textBoxRawXMin, up->textBoxRawXMax, up->textBoxRawYMin, up->textBoxRawYMax})
        connect(box, &QLineEdit::returnPressed, this, shield([this, box] { limitBoxEntered(box, true); }));
    for (QLineEdit* box : {fr->textBoxFreqXMin, fr->textBoxFreqXMax, fr->textBoxFreqYMin, fr->textBoxFreqYMax})
        connect(box, &QLineEdit::returnPressed, this, shield([this, box] { limitBoxEntered(box, false); }));
    connect(fr->toolStripMenuItemCopyData, &QAction::triggered, this,
            shield([this] { toolStripMenuItemCopyData_Click(); }));
    connect(fr->toolStripMenuItemCopyImage, &QAction::triggered, this,
            shield([this] { toolStripMenuItemCopyImage_Click(); }));
    connect(up->toolStripMenuItemCopyImageRawData, &QAction::triggered, this,
            shield([this] { toolStripMenuItemCopyImageRawData_Click(); }));
    connect(form_.panelRawDataDodai->toolStripMenuItemCopyImage16, &QAction::triggered, this,
            shield([this] { toolStripMenuItemCopyImage16_Click(); }));
}

void SelectedViewsForm::rawUpXaxisItem(const QString& seconds) {
    form_.RawUpXaxis = seconds;
    korin::ui::checkItem(form_.panelRawDataUpDodai->xAxisItems, seconds);
    if (!dataShown()) return;
    const SelectedSnapshot data = snapshot();
    const double width = checkText(seconds.toStdString());
    const RawXRange r = data.replay ? rawFollowReplay(data.blockOffsetMs, width) : rawFollowLive(data.timeInTraceSec, width);
    form_.panelRawDataUpDodai->textBoxRawXMin->setText(numberText(r.xMin));
    form_.panelRawDataUpDodai->textBoxRawXMax->setText(numberText(r.xMax));
    redrawRaw();
}

void SelectedViewsForm::rawUpUnitItem(const QString& unit) {
    const int scale = unit == "mV" ? kMilliScale : kMicroScale;
    RawDataUpFrame* f = form_.panelRawDataUpDodai;
    if (scale != form_.RawUpYScale) {
        for (QLineEdit* box : {f->textBoxRawYMin, f->textBoxRawYMax})
            box->setText(qtext(convertYUnitText(text(box), form_.RawUpYScale, scale)));
    }
    form_.RawUpYUnit = unit == "mV" ? QStringLiteral("mV") : kMicro;
    form_.RawUpYScale = scale;
    redrawRaw();
}

void SelectedViewsForm::epYUnitItem(const QString& unit) {
    const int scale = unit == "mV" ? kMilliScale : kMicroScale;
    FreqFrame* f = form_.panelFreqDodai;
    if (scale != form_.EpYScale && static_cast<AnalysisMode>(form_.Mode) == AnalysisMode::EP) {
        for (QLineEdit* box : {f->textBoxFreqYMin, f->textBoxFreqYMax})
            box->setText(qtext(convertYUnitText(text(box), form_.EpYScale, scale)));
    }
    form_.EpYUnit = unit == "mV" ? QStringLiteral("mV") : kMicro;
    form_.EpYScale = scale;
    DrawFreqSelectCh();
}

void SelectedViewsForm::epXUnitItem(const QString& unit) {
    const int scale = unit == "min" ? kMinScale : kSecScale;
    FreqFrame* f = form_.panelFreqDodai;
    if (scale != form_.EpXScale) {
        for (QLineEdit* box : {f->textBoxFreqXMin, f->textBoxFreqXMax})
            box->setText(qtext(convertXUnitText(text(box), form_.EpXScale, scale)));
    }
    form_.EpXUnit = unit == "min" ? QStringLiteral("min") : QStringLiteral("sec");
    form_.EpXScale = scale;
    DrawFreqSelectCh();
}

void SelectedViewsForm::stepFilterItem(int hyouziStep) {
    form_.hyouziStep = hyouziStep;
    if (!form_.Tatiagari) DrawFreqSelectCh();
}

void SelectedViewsForm::setRawUpAuto(bool on) {
    form_.RawUpauto = on;
    korin::ui::checkItem(form_.panelRawDataUpDodai->autoscaleItems, on ? "On" : "Off");
    redrawRaw();
}

void SelectedViewsForm::setFreqAuto(bool on) {
    form_.Freqauto = on;
    korin::ui::checkItem(form_.panelFreqDodai->autoscaleItems, on ? "On" : "Off");
    DrawFreqSelectCh();
}
