#include "app/slope_view_form.h"

#include <QAction>
#include <QActionGroup>
#include <QLineEdit>
#include <QMenu>

#include <algorithm>
#include <cmath>

#include "acquisition/alert_messages.h"
#include "acquisition/number_text.h"
#include "app/evoked_windows_dialog.h"
#include "app/korin16_form.h"
#include "app/logic/window_modes.h"
#include "app/selected_views_form.h"
#include "app/view_frames.h"
#include "display/gl/fault_boundary.h"
#include "processing/series.h"

using korin::ui::shield;

SlopeViewForm::SlopeViewForm(Korin16Form& form) : QObject(&form), form_(form) {
    FreqFrame* f = form.panelFreqDodai;
    // The Slope menu belongs to the Slope mode; the other modes' menus stay as they were.
    connect(f->contextMenu, &QMenu::aboutToShow, this,
            shield([this, f] { f->slopeMenu->menuAction()->setVisible(form_.Mode == korin::kModeSlope); }));
    connect(f->slopeMeasureItems, &QActionGroup::triggered, this, shield([this, f](QAction* a) {
        setMeasure(static_cast<korin::EvokedMeasure>(f->slopeMeasureItems->actions().indexOf(a)));
    }));
    connect(f->slopeAbsoluteItem, &QAction::triggered, this, shield([this](bool on) { setAbsolute(on); }));
    connect(f->textBoxSlopeBaselineTraces, &QLineEdit::returnPressed, this,
            shield([this] { baselineTracesEntered(); }));
    connect(f->toolStripMenuItemEvokedWindows, &QAction::triggered, this,
            shield([this] { openEvokedWindowsDialog(); }));
    setMeasure(settings_.measure);
    setAbsolute(settings_.absolute);
    setBaselineTraces(settings_.baselineTraces);
}

SlopeViewForm::~SlopeViewForm() = default;

void SlopeViewForm::setSlopeInputs(const SlopeInputs& inputs) {
    inputs_ = inputs;
    if (inputs.table == nullptr || inputs.table->traceCount() == 0) capture_.clear();
    if (form_.selectedViews) form_.selectedViews->captureSlopeTrace();
}

void SlopeViewForm::follow(const korin::EvokedSession* session) {
    const std::uint64_t measured = session != nullptr ? session->measuredTraces() : 0;
    if (session == followed_ && measured == followedTraces_) return;
    // The first session seen with nothing measured leaves the inputs as they
    // are: there is nothing of it to show yet.
    const bool first = followed_ == nullptr && measured == 0;
    followed_ = session;
    followedTraces_ = measured;
    if (first) return;
    SlopeInputs inputs;
    if (session != nullptr) {
        inputs.table = &session->table();
        if (measured > 0) {
            inputs.last = &session->lastMeasures();
            inputs.lastInfo = session->lastInfo();
        }
    }
    setSlopeInputs(inputs);
}

std::optional<std::string_view> SlopeViewForm::setEvokedWindows(const korin::EvokedWindows& windows) {
    if (const auto problem = korin::windowsProblem(windows)) return problem;
    windows_ = windows;
    if (evokedWindowsChanged) evokedWindowsChanged(windows_);
    redraw();
    return std::nullopt;
}

void SlopeViewForm::setMeasure(korin::EvokedMeasure measure) {
    settings_.measure = measure;
    const QList<QAction*> items = form_.panelFreqDodai->slopeMeasureItems->actions();
    const auto index = static_cast<qsizetype>(measure);
    if (index >= 0 && index < items.size()) items[index]->setChecked(true);
    redraw();
}

void SlopeViewForm::setAbsolute(bool absolute) {
    settings_.absolute = absolute;
    form_.panelFreqDodai->slopeAbsoluteItem->setChecked(absolute);
    redraw();
}

void SlopeViewForm::setBaselineTraces(std::int32_t traces) {
    settings_.baselineTraces = std::clamp<std::int32_t>(traces, 1, korin::kMaxEPEntries);
    form_.panelFreqDodai->textBoxSlopeBaselineTraces->setText(QString::number(settings_.baselineTraces));
    redraw();
}

void SlopeViewForm::baselineTracesEntered() {
    QLineEdit* box = form_.panelFreqDodai->textBoxSlopeBaselineTraces;
    const auto v = korin::parseDouble(box->text().toStdString());
    if (!v || !std::isfinite(*v)) {
        form_.ShowAlert(QString::fromUtf8(korin::alerts::kNumericalValue));
        box->setText(QString::number(settings_.baselineTraces));
        return;
    }
    const double clamped = std::clamp(std::trunc(*v), 1.0, static_cast<double>(korin::kMaxEPEntries));
    setBaselineTraces(static_cast<std::int32_t>(clamped));
}

void SlopeViewForm::openEvokedWindowsDialog() {
    if (dialog_) {
        dialog_->raise();
        return;
    }
    dialog_ = new EvokedWindowsDialog(windows_, [this](const QString& text) { form_.ShowAlert(text); }, &form_);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog_, &QDialog::accepted, this, shield([this] {
        if (dialog_) setEvokedWindows(dialog_->windows());
    }));
    dialog_->open();
}

void SlopeViewForm::redraw() {
    if (form_.Mode != korin::kModeSlope || !form_.selectedViews || form_.Tatiagari) return;
    form_.selectedViews->redrawBoth();
}
