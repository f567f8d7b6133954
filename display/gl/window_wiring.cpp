#include "display/gl/window_wiring.h"

#include <QLineEdit>

#include "acquisition/acquisition_ni.h"
#include "acquisition/timer.h"
#include "acquisition/number_text.h"
#include "files/file_reader.h"

namespace {

QString numberText(double v) {
    return QString::fromStdString(korin::defaultNumberText(v));
}

// What the update after a frame needs from the window, with the times left 0.
SelectedViewInput windowInput(const SelectedViewsWiring& w, bool sizechange) {
    SelectedViewInput in;
    in.Mode = static_cast<AnalysisMode>(*w.Mode);
    in.RawUpXaxis = korin::parseDouble(w.RawUpXaxis->toStdString()).value_or(0.0);
    in.EpXScale = *w.EpXScale;
    in.sizechange = sizechange;
    in.rawRangeTextsNumeric = korin::parseDouble(w.textBoxRawXMin->text().toStdString()).has_value() &&
                              korin::parseDouble(w.textBoxRawXMax->text().toStdString()).has_value();
    return in;
}

}  // namespace

SixteenChannelBinding bindingToFields(const WindowViewFields& f) {
    SixteenChannelBinding b;
    b.getSettings = [f] {
        SixteenChannelSettings s;
        s.UIType = f.UIType->toStdString();
        s.RawXaxis = f.RawXaxis->toStdString();
        s.RawYaxis = f.RawYaxis->toStdString();
        s.Rawauto = *f.Rawauto;
        s.SelectOneCh = f.SelectOneCh->toStdString();
        s.selectCh = *f.selectCh;
        return s;
    };
    b.setSettings = [f](const SixteenChannelSettings& s) {
        *f.UIType = QString::fromStdString(s.UIType);
        *f.RawXaxis = QString::fromStdString(s.RawXaxis);
        *f.RawYaxis = QString::fromStdString(s.RawYaxis);
        *f.Rawauto = s.Rawauto;
        *f.SelectOneCh = QString::fromStdString(s.SelectOneCh);
        *f.selectCh = s.selectCh;
    };
    b.ReplayMode = f.ReplayMode;
    b.sizechange = f.sizechange;
    b.Tatiagari = f.Tatiagari;
    b.PaintTatiagari = f.PaintTatiagari;
    b.Paint16ChFirst = f.Paint16ChFirst;
    return b;
}

void applySelectedViewPlan(const SelectedViewPlan& plan, const SelectedViewsWiring& w, bool& sizechange) {
    if (plan.setRawRange) {
        w.textBoxRawXMin->setText(numberText(plan.rawXMin));
        w.textBoxRawXMax->setText(numberText(plan.rawXMax));
    }
    if (plan.drawSelectCh && w.DrawSelectCh) w.DrawSelectCh();
    if (plan.setFreqRange) {
        w.textBoxFreqXMin->setText(QStringLiteral("0"));
        w.textBoxFreqXMax->setText(numberText(plan.freqXMax));
    }
    if (plan.drawFreq && w.DrawFreqSelectCh) w.DrawFreqSelectCh();
    if (plan.clearSizechange) sizechange = false;
}

SixteenChannelView* installSixteenChannelView(QWidget* placeholder, const SixteenChannelWiring& w) {
    SixteenChannelView* view = installSixteenChannelView(placeholder, *w.colors);
    view->bind(bindingToFields(w.fields));
    view->setLiveSource(w.acquisition);
    const auto reader = w.reader;
    view->setReplaySource([reader] {
        const FileReader* r = reader ? reader() : nullptr;
        return r != nullptr ? replaySnapshot(*r) : ChartSnapshot{};
    });

    const SelectedViewsWiring sel = w.selected;
    bool* sizechange = w.fields.sizechange;
    const AcquisitionNI* acquisition = w.acquisition;
    SixteenChannelHooks hooks;
    hooks.DrawSelectCh = sel.DrawSelectCh;
    hooks.DrawFreqSelectCh = sel.DrawFreqSelectCh;
    hooks.DrawSelectChWaku = sel.DrawSelectChWaku;
    hooks.DrawSelectFreqChWaku = sel.DrawSelectFreqChWaku;
    if (sel.Mode != nullptr) {
        hooks.afterLiveFrame = [sel, sizechange, acquisition] {
            SelectedViewInput in = windowInput(sel, *sizechange);
            in.FreqDrawTiming = acquisition->FreqDrawTiming != 0;
            if (const Timer* clock = acquisition->timer.get()) {
                in.timeInTraceSec = clock->getTime();
                in.elapsedRunSec = clock->getKeikaTime();
                in.traceDurationSec = clock->getMaxtime();
            }
            applySelectedViewPlan(planAfterLiveFrame(in), sel, *sizechange);
        };
        hooks.afterReplayFrame = [sel, sizechange, reader] {
            const FileReader* r = reader ? reader() : nullptr;
            if (r == nullptr) return;
            SelectedViewInput in = windowInput(sel, *sizechange);
            in.FreqDrawTiming = r->FreqDrawTiming;
            in.blockOffsetMs = r->blockOffsetTime;
            in.replayElapsedSec = r->getKeikaTimeSec();
            in.longestTraceSec = r->DurationMax / 1000.0;
            applySelectedViewPlan(planAfterReplayFrame(in), sel, *sizechange);
        };
    }
    view->setHooks(hooks);
    view->setContextMenu(w.contextMenu);
    if (w.xAxisItems != nullptr && w.yAxisItems != nullptr) connectRawAxisItems(w.xAxisItems, w.yAxisItems, view);
    for (const PreferenceActions& p : w.preferences)
        if (p.line != nullptr) connectPreferenceItems(p, *w.colors, w.SizeChangeDraw, view);
    return view;
}
