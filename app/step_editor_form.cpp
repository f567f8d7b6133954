#include "app/step_editor_form.h"

#include <QCheckBox>
#include <algorithm>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>

#include "acquisition/number_text.h"
#include "app/acquisition_panel.h"
#include "app/korin16_form.h"
#include "app/step_tab.h"
#include "app/view_frames.h"
#include "display/gl/fault_boundary.h"
#include "display/gl/stim_timeline_view.h"

using korin::ui::shield;

namespace {

constexpr char kPulseFieldStep[] = "korinPulseFieldStep";  // Enter in it modifies the pulse
constexpr int kS1 = PulseParameters::kS1;
constexpr int kS2 = PulseParameters::kS2;

QString qs(const std::string& text) { return QString::fromStdString(text); }
std::string text(const QLineEdit* edit) { return edit->text().toStdString(); }

void setText(QLineEdit* edit, const std::string& value) {
    if (edit->text() != qs(value)) edit->setText(qs(value));
}

void setCurrent(QComboBox* combo, const QString& item) {
    const int index = combo->findText(item);
    if (index >= 0 && index != combo->currentIndex()) combo->setCurrentIndex(index);
}

}  // namespace

StepEditorForm::StepEditorForm(Korin16Form& form) : QObject(&form), form_(form) {
    editors_[0] = std::make_unique<stim::StepEditor>(form.Step1PP, stim::StepKind::Step1);
    editors_[1] = std::make_unique<stim::StepEditor>(form.Step2PP, stim::StepKind::Step2);
    editors_[2] = std::make_unique<stim::StepEditor>(form.StepMPP, stim::StepKind::Manual);
    for (int step = 0; step < 3; ++step) connectTab(step);
    connectTimeLine();
    for (int step = 0; step < 2; ++step) EnableChangeStep(step);

    // The window's SizeChangeDraw, and its paint rule while stopped, redraw the time line here.
    form.hooks.drawStimViews = [this] { SizeChangeDraw(); };
    form.hooks.SetSelectStepStimConfig = [this] { SetSelectStepStimConfig(); };
    form.hooks.afterGating = [this] { applyStepEnables(); };
}

StepEditorForm::~StepEditorForm() {
    form_.hooks.SetSelectStepStimConfig = nullptr;
    form_.hooks.afterGating = nullptr;
}

int StepEditorForm::nowStep() const {
    const int index = form_.panelAcquisitionNew->tabControlStep->currentIndex();
    return index == 0 || index == 1 ? index : 2;
}

bool StepEditorForm::startingUp() const { return form_.Tatiagari; }

// --- Controls <-> editor ------------------------------------------------------

void StepEditorForm::connectTab(int step) {
    StepTab* tab = form_.stepTab(step);
    connect(tab->buttonAddStep, &QPushButton::clicked, this, shield([this, step] { buttonAddStep_Click(step); }));
    connect(tab->buttonDeleteStep, &QPushButton::clicked, this, shield([this, step] { buttonDeleteStep_Click(step); }));
    connect(tab->buttonInAllUnits, &QPushButton::clicked, this, shield([this, step] { buttonInAllUnits_Click(step); }));
    if (tab->buttonbyrep)
        connect(tab->buttonbyrep, &QPushButton::clicked, this, shield([this, step] { buttonbyrep_Click(step); }));
    if (tab->buttonRepeatAll)
        connect(tab->buttonRepeatAll, &QPushButton::clicked, this,
                shield([this, step] { buttonRepeatAll_Click(step); }));
    connect(tab->textBoxAutoIncrement, &QLineEdit::textChanged, this,
            shield([this, step] { textBoxAutoIncrement_TextChanged(step); }));
    connect(tab->comboBoxUnit, &QComboBox::currentIndexChanged, this,
            shield([this, step] { comboBoxUnit_SelectedIndexChanged(step); }));
    connect(tab->comboStepF, &QComboBox::currentIndexChanged, this,
            shield([this, step] { comboStepF_SelectedIndexChanged(step); }));
    if (tab->CheckStepEnable)
        connect(tab->CheckStepEnable, &QCheckBox::toggled, this, shield([this, step] { EnableChangeStep(step); }));
    for (int i = 0; i < StepTab::kElectrodes; ++i)
        connect(tab->electrodeButtons[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                shield([this, step, i] { buttonChstep_Click(step, i + 1); }));
    for (QLineEdit* field : {tab->textBoxDurationTrain, tab->textBoxIntensity, tab->textBoxPre, tab->textBoxPost})
        connect(field, &QLineEdit::returnPressed, this,
                shield([this, step, field] { textBoxTrain_KeyDown(step, field); }));
    // The pulse-type list takes Enter through its key events.
    tab->comboBoxPulse->setProperty(kPulseFieldStep, step);
    tab->comboBoxPulse->installEventFilter(this);
}

void StepEditorForm::readControls(int step) {
    StepTab* tab = form_.stepTab(step);
    stim::StepTabState& s = editor(step).tab;
    s.output = tab->comboStepF->currentIndex() == 1 ? kS2 : kS1;
    s.selectedUnit = korin::parseInt32(tab->comboBoxUnit->currentText().toStdString()).value_or(0);
    s.fields.setParameter(tab->comboBoxPulse->currentText().toStdString(), text(tab->textBoxDurationTrain),
                          text(tab->textBoxIntensity), text(tab->textBoxPre), text(tab->textBoxPost));
    s.units = text(tab->textBoxUnits);
    s.increment = text(tab->textBoxAutoIncrement);
    if (tab->CheckStepEnable) s.enabled = tab->CheckStepEnable->isChecked();
}

void StepEditorForm::showControls(int step) {
    StepTab* tab = form_.stepTab(step);
    const stim::StepTabState& s = editor(step).tab;
    syncing_ = true;
    tab->comboStepF->setCurrentIndex(s.output == kS2 ? 1 : 0);
    QStringList items;
    for (int i = 1; i <= s.unitCount; ++i) items << QString::number(i);
    if (items.isEmpty()) items << QStringLiteral("0");
    QStringList shown;
    for (int i = 0; i < tab->comboBoxUnit->count(); ++i) shown << tab->comboBoxUnit->itemText(i);
    if (shown != items) {
        tab->comboBoxUnit->clear();
        tab->comboBoxUnit->addItems(items);
    }
    setCurrent(tab->comboBoxUnit, QString::number(s.selectedUnit));
    setCurrent(tab->comboBoxPulse, qs(s.fields.Pulsetype));
    setText(tab->textBoxDurationTrain, s.fields.Duration);
    setText(tab->textBoxIntensity, s.fields.Intensity);
    setText(tab->textBoxPre, s.fields.Pre);
    setText(tab->textBoxPost, s.fields.Post);
    setText(tab->textBoxAutoIncrement, s.increment);
    syncing_ = false;
    colorStimCh(step, s.redButton);
    showByRepColours(step);
}

void StepEditorForm::apply(int step, const stim::EditResult& result) {
    if (!result.alert.empty()) form_.ShowAlert(qs(result.alert));
    TimeLineFrame* line = form_.panelTimeLineDodai;
    if (!result.timeLineXMax.empty()) {
        line->textBoxTimeLineXMax->setText(qs(result.timeLineXMax));
        line->textBoxTimeLineXMin->setText(QStringLiteral("0"));
    }
    if (step != nowStep()) return;
    if (result.autoscaleS1) autoStimF1Draw();
    if (result.autoscaleS2) autoStimF2Draw();
}

void StepEditorForm::showEdit(int step, const stim::EditResult& result) {
    showControls(step);
    apply(step, result);
}

void StepEditorForm::showByRepColours(int step) {
    StepTab* tab = form_.stepTab(step);
    if (tab->buttonbyrep) form_.setButtonSelected(tab->buttonbyrep, editor(step).byRepOn());
    if (tab->buttonRepeatAll) form_.setButtonSelected(tab->buttonRepeatAll, editor(step).repeatAllOn());
}

// --- Editor handlers ------------------------------------------------------------

void StepEditorForm::buttonAddStep_Click(int step) {
    readControls(step);
    const AcquisitionPanel* acq = form_.panelAcquisitionNew;
    double seconds = 0;
    for (auto [combo, scale] : {std::pair{acq->comboBoxHours, 3600.0}, std::pair{acq->comboBoxMin, 60.0},
                                std::pair{acq->comboBoxSec, 1.0}})
        seconds += korin::parseDouble(combo->currentText().toStdString()).value_or(0.0) * scale;
    editor(step).setTraceSeconds(seconds);
    const stim::EditResult result = editor(step).add();
    showEdit(step, result);
}

void StepEditorForm::textBoxTrain_KeyDown(int step, QWidget* field) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::white);
    field->setPalette(palette);
    readControls(step);
    const stim::EditResult result = editor(step).enter();
    showEdit(step, result);
}

void StepEditorForm::buttonDeleteStep_Click(int step) {
    readControls(step);
    const stim::EditResult result = editor(step).deleteSyori();
    showEdit(step, result);
}

void StepEditorForm::buttonInAllUnits_Click(int step) {
    readControls(step);
    const stim::EditResult result = editor(step).setPulseAllUnitsIncrement();
    showEdit(step, result);
}

void StepEditorForm::buttonbyrep_Click(int step) {
    readControls(step);
    editor(step).toggleByRep();
    showByRepColours(step);
}

void StepEditorForm::buttonRepeatAll_Click(int step) {
    readControls(step);
    editor(step).toggleRepeatAll();
    showByRepColours(step);
}

void StepEditorForm::textBoxAutoIncrement_TextChanged(int step) {
    if (syncing_) return;
    readControls(step);
    editor(step).setIncrementText(editor(step).tab.increment);
}

void StepEditorForm::comboBoxUnit_SelectedIndexChanged(int step) {
    if (syncing_) return;
    readControls(step);
    editor(step).selectUnit(editor(step).tab.selectedUnit);
    showControls(step);
    if (step != nowStep()) return;
    if (editor(step).tab.output == kS1) drawStimF1();
    else drawStimF2();
}

void StepEditorForm::comboStepF_SelectedIndexChanged(int step) {
    if (syncing_) return;
    readControls(step);
    const stim::EditResult result = editor(step).selectOutput(editor(step).tab.output);
    showEdit(step, result);
}

void StepEditorForm::buttonChstep_Click(int step, int label) {
    readControls(step);
    editor(step).tab.redButton = form_.stepTab(step)->redElectrode();
    editor(step).clickElectrode(label);
    colorStimCh(step, editor(step).tab.redButton);
}

void StepEditorForm::colorStimCh(int step, int ch) { form_.stepTab(step)->paintElectrodes(ch); }

void StepEditorForm::EnableChangeStep(int step) {
    StepTab* tab = form_.stepTab(step);
    if (!tab->CheckStepEnable) return;
    editor(step).setEnabled(tab->CheckStepEnable->isChecked());
    const bool on = editor(step).editable();
    const auto& electrodes = tab->electrodeButtons;
    for (QWidget* control : tab->stepControls()) {
        auto* button = qobject_cast<QPushButton*>(control);
        const bool electrode = std::find(electrodes.begin(), electrodes.end(), button) != electrodes.end();
        if (button && !electrode) form_.setButtonEnable(button, on);  // ordinary buttons dim in their colours
        else control->setEnabled(on);
    }
    form_.panelAcquisitionNew->tabControlStep->setTabText(step, qs(editor(step).tabTitle()));
}

void StepEditorForm::applyStepEnables() {
    for (int step = 0; step < 2; ++step) {
        StepTab* tab = form_.stepTab(step);
        // A tab the run state switched off stays off; an enabled tab of an
        // unticked step keeps only its check box.
        if (tab->CheckStepEnable->isEnabled() && !tab->CheckStepEnable->isChecked()) EnableChangeStep(step);
    }
}

void StepEditorForm::SetSelectStepStimConfig() {
    const int step = nowStep();
    readControls(step);
    editor(step).setPulseConfig();
    showControls(step);
    if (editor(step).tab.output == kS1) drawStimF1();
    else drawStimF2();
}

// --- Time line ------------------------------------------------------------------

void StepEditorForm::connectTimeLine() {
    TimeLineFrame* line = form_.panelTimeLineDodai;
    viewF1_ = installStimTimelineView(line->panelStimF1, form_.colors);
    viewF2_ = installStimTimelineView(line->panelStimF2, form_.colors);
    viewF1_->setSource([this] { return panelFor(kS1); });
    viewF2_->setSource([this] { return panelFor(kS2); });
    connect(viewF1_, &StimTimelineView::clicked, this, shield([this](int x, int) { panelStimF1_Click(x); }));
    connect(viewF2_, &StimTimelineView::clicked, this, shield([this](int x, int) { panelStimF2_Click(x); }));
    line->pictureBoxTimeLine->installEventFilter(this);
    for (QLineEdit* field : {line->textBoxTimeLineXMin, line->textBoxTimeLineXMax, line->textBoxStimF1Ymin,
                             line->textBoxStimF1Ymax, line->textBoxStimF2Ymin, line->textBoxStimF2Ymax}) {
        connect(field, &QLineEdit::returnPressed, this, shield([this, field] { rangeFieldEntered(field); }));
        field->installEventFilter(this);
    }
    connect(form_.panelAcquisitionNew->tabControlStep, &QTabWidget::currentChanged, this, shield([this] {
        if (!startingUp()) Stimautoscale();
    }));
}

stimline::StimPanel StepEditorForm::panelFor(int f) const {
    const int step = nowStep();
    const PulseParameters& program = editors_[static_cast<std::size_t>(step)]->program();
    const TimeLineFrame* line = form_.panelTimeLineDodai;
    stimline::StimPanel panel;
    panel.samples = &program.samples(f);
    panel.hasPulses = program.pulseCount(f) > 0;
    panel.xMin = stimline::checkText(text(line->textBoxTimeLineXMin));
    panel.xMax = stimline::checkText(text(line->textBoxTimeLineXMax));
    const QLineEdit* yMin = f == kS1 ? line->textBoxStimF1Ymin : line->textBoxStimF2Ymin;
    const QLineEdit* yMax = f == kS1 ? line->textBoxStimF1Ymax : line->textBoxStimF2Ymax;
    panel.yMin = stimline::checkText(text(yMin));
    panel.yMax = stimline::checkText(text(yMax));
    const StepTab* tab = form_.stepTab(step);
    if ((tab->comboStepF->currentIndex() == 1 ? kS2 : kS1) == f) {
        const int unit = korin::parseInt32(tab->comboBoxUnit->currentText().toStdString()).value_or(0);
        const auto [from, to] = stim::getprepost(program, f, unit);
        panel.highlightFrom = from;
        panel.highlightTo = to;
    }
    return panel;
}

stimline::TimeLineGeometry StepEditorForm::geometry() const {
    const TimeLineFrame* line = form_.panelTimeLineDodai;
    return {static_cast<float>(line->width()), static_cast<float>(line->height())};
}

void StepEditorForm::drawStimF1() {
    if (startingUp()) return;
    viewF1_->drawStim();
    drawziku();
}

void StepEditorForm::drawStimF2() {
    if (startingUp()) return;
    viewF2_->drawStim();
    drawziku();
}

void StepEditorForm::drawziku() {
    TimeLineFrame* line = form_.panelTimeLineDodai;
    QLabel* picture = line->pictureBoxTimeLine;
    if (picture->width() == 0 || picture->height() == 0) return;
    stimline::AxisTexts texts;
    texts.xMin = stimline::checkText(text(line->textBoxTimeLineXMin));
    texts.xMax = stimline::checkText(text(line->textBoxTimeLineXMax));
    texts.s1Ymax = text(line->textBoxStimF1Ymax);
    texts.s1Ymin = text(line->textBoxStimF1Ymin);
    texts.s2Ymax = text(line->textBoxStimF2Ymax);
    texts.s2Ymin = text(line->textBoxStimF2Ymin);
    const stimline::AxisPicture axes = stimline::drawziku(geometry(), texts);

    QPixmap pixmap(picture->size());
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.translate(-picture->x(), -picture->y());  // the geometry is the frame's
    painter.setPen(Qt::black);
    for (std::size_t i = 0; i + 1 < axes.ticks.size(); i += 2)
        painter.drawLine(QPointF(axes.ticks[i].x, axes.ticks[i].y), QPointF(axes.ticks[i + 1].x, axes.ticks[i + 1].y));
    constexpr qreal kBox = 400;  // wide enough for any label; the text is aligned inside it
    for (const stimline::AxisLabel& label : axes.labels) {
        QFont font(label.title ? form_.fonttitle : form_.fontscale);
        font.setPointSizeF(label.points);
        painter.setFont(font);
        const qreal h = painter.fontMetrics().height();
        QRectF box(label.x, label.y - h / 2, kBox, h);
        int align = Qt::AlignVCenter;
        switch (label.align) {
            case stimline::AxisLabel::Align::Left: align |= Qt::AlignLeft; break;
            case stimline::AxisLabel::Align::Center: box.moveLeft(label.x - kBox / 2); align |= Qt::AlignHCenter; break;
            case stimline::AxisLabel::Align::Right: box.moveRight(label.x); align |= Qt::AlignRight; break;
        }
        painter.drawText(box, align, qs(label.text));
    }
    painter.end();
    picture->setPixmap(pixmap);
}

void StepEditorForm::autoStimF1Draw() {
    const PulseParameters& program = editor(nowStep()).program();
    const stimline::YRangeTexts y = stimline::verticalAutoscale(program.PulseAmplitudeAry);
    form_.panelTimeLineDodai->textBoxStimF1Ymax->setText(qs(y.yMax));
    form_.panelTimeLineDodai->textBoxStimF1Ymin->setText(qs(y.yMin));
    drawStimF1();
}

void StepEditorForm::autoStimF2Draw() {
    const PulseParameters& program = editor(nowStep()).program();
    const stimline::YRangeTexts y = stimline::verticalAutoscale(program.PulseAmplitudeAryS2);
    form_.panelTimeLineDodai->textBoxStimF2Ymax->setText(qs(y.yMax));
    form_.panelTimeLineDodai->textBoxStimF2Ymin->setText(qs(y.yMin));
    drawStimF2();
}

void StepEditorForm::Stimautoscale() {
    const std::string xMax = stimline::timeAutoscale(editor(nowStep()).program());
    if (!xMax.empty()) {
        form_.panelTimeLineDodai->textBoxTimeLineXMax->setText(qs(xMax));
        form_.panelTimeLineDodai->textBoxTimeLineXMin->setText(QStringLiteral("0"));
    }
    autoStimF1Draw();
    autoStimF2Draw();
}

void StepEditorForm::SizeChangeDraw() {
    if (startingUp() || !form_.panelTimeLineDodai->isVisible()) return;
    drawStimF1();
    drawStimF2();
}

void StepEditorForm::pictureBoxTimeLine_Click(int x, int y) {
    TimeLineFrame* line = form_.panelTimeLineDodai;
    line->textBoxTimeLineXMin->hide();
    line->textBoxTimeLineXMax->hide();
    QLineEdit* field = nullptr;
    switch (stimline::rangeFieldAt(geometry(), static_cast<float>(x), static_cast<float>(y))) {
        case stimline::RangeField::XMin: field = line->textBoxTimeLineXMin; break;
        case stimline::RangeField::XMax: field = line->textBoxTimeLineXMax; break;
        case stimline::RangeField::S1Ymax: field = line->textBoxStimF1Ymax; break;
        case stimline::RangeField::S1Ymin: field = line->textBoxStimF1Ymin; break;
        case stimline::RangeField::S2Ymax: field = line->textBoxStimF2Ymax; break;
        case stimline::RangeField::S2Ymin: field = line->textBoxStimF2Ymin; break;
        case stimline::RangeField::None: return;
    }
    field->show();
    field->raise();
    field->setFocus();
}

void StepEditorForm::rangeFieldEntered(QLineEdit* field) {
    if (startingUp()) return;
    TimeLineFrame* line = form_.panelTimeLineDodai;
    field->hide();
    if (field == line->textBoxTimeLineXMin || field == line->textBoxTimeLineXMax) {
        drawStimF1();
        drawStimF2();
    } else if (field == line->textBoxStimF1Ymin || field == line->textBoxStimF1Ymax) {
        drawStimF1();
    } else {
        drawStimF2();
    }
}

void StepEditorForm::panelStimF1_Click(int x) {
    const int step = nowStep();
    readControls(step);
    const std::string unit = stimline::getF1UnitNumber(editor(step).program(), static_cast<float>(x),
                                                     panelFor(kS1).xMin, panelFor(kS1).xMax,
                                                     static_cast<float>(viewF1_->width()));
    stim::EditResult result;
    if (editor(step).tab.output != kS1) result = editor(step).selectOutput(kS1);
    if (unit != "0") editor(step).selectUnit(std::stoi(unit));
    showEdit(step, result);
    drawStimF1();
    drawStimF2();
}

void StepEditorForm::panelStimF2_Click(int x) {
    const int step = nowStep();
    readControls(step);
    const std::string unit = stimline::getF2UnitNumber(editor(step).program(), static_cast<float>(x),
                                                     panelFor(kS2).xMin, panelFor(kS2).xMax,
                                                     static_cast<float>(viewF2_->width()));
    if (unit != "0") {
        stim::EditResult result;
        if (editor(step).tab.output != kS2) result = editor(step).selectOutput(kS2);
        editor(step).selectUnit(std::stoi(unit));
        showEdit(step, result);
    }
    drawStimF1();
    drawStimF2();
}

bool StepEditorForm::eventFilter(QObject* watched, QEvent* event) {
    TimeLineFrame* line = form_.panelTimeLineDodai;
    if (watched == line->pictureBoxTimeLine) {
        if (event->type() == QEvent::MouseButtonPress) {
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint() + line->pictureBoxTimeLine->pos();
            korin::ui::shielded([&] { pictureBoxTimeLine_Click(p.x(), p.y()); });
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            korin::ui::shielded([this] { Stimautoscale(); });
        }
    } else if (event->type() == QEvent::MouseButtonDblClick && qobject_cast<QLineEdit*>(watched)) {
        static_cast<QWidget*>(watched)->hide();  // closes the range field without a redraw
        return true;
    } else if (event->type() == QEvent::KeyPress && watched->property(kPulseFieldStep).isValid()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            korin::ui::shielded([&] {
                textBoxTrain_KeyDown(watched->property(kPulseFieldStep).toInt(), static_cast<QWidget*>(watched));
            });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
