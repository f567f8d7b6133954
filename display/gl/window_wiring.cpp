#include "display/gl/window_wiring.h"

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

SixteenChannelView* installSixteenChannelView(QWidget* placeholder, const SixteenChannelWiring& w) {
    SixteenChannelView* view = installSixteenChannelView(placeholder, *w.colors);
    view->bind(bindingToFields(w.fields));
    view->setLiveSource(w.acquisition);
    view->setReplaySource(w.replaySource);
    view->setContextMenu(w.contextMenu);
    if (w.xAxisItems != nullptr && w.yAxisItems != nullptr) connectRawAxisItems(w.xAxisItems, w.yAxisItems, view);
    for (const PreferenceActions& p : w.preferences)
        if (p.line != nullptr) connectPreferenceItems(p, *w.colors, w.SizeChangeDraw, view);
    return view;
}
