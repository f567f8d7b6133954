// Numeric input clean-up of the main window: the fields that fall back to a
// default when they hold no number, the whole-number time fields, and the
// interval fields that only make sense with more than one trace.
#include <QComboBox>
#include <QLineEdit>

#include "app/acquisition_panel.h"
#include "app/korin16_form.h"
#include "app/logic/input_sanitising.h"
#include "app/panel_widgets.h"
#include "display/gl/fault_boundary.h"

using namespace korin;
using korin::ui::shield;

namespace {

constexpr char kCleansOnPress[] = "korinCleansOnPress";
constexpr char kGatesIntervalOnPress[] = "korinGatesIntervalOnPress";

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

QString textOf(QObject* field) {
    if (auto* combo = qobject_cast<QComboBox*>(field)) return combo->currentText();
    if (auto* edit = qobject_cast<QLineEdit*>(field)) return edit->text();
    return QString();
}

void setTextOf(QObject* field, const QString& text) {
    if (auto* combo = qobject_cast<QComboBox*>(field)) ui::setSelectorText(combo, text);
    else if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->setText(text);
}

// A press into an editable selector lands on its line edit, one on its arrow on
// the selector itself; both count as a click into the field.
void watchPresses(QObject* field, QObject* filter, const char* marker) {
    QList<QObject*> targets{field};
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit()) targets << combo->lineEdit();
    for (QObject* target : targets) {
        target->setProperty(marker, true);
        target->installEventFilter(filter);
    }
}

}  // namespace

void Korin16Form::connectInputSanitising() {
    for (const NumericField& field : kEnterBackColorFields)
        if (QObject* w = findChild<QObject*>(qs(field.name))) watchPresses(w, this, kCleansOnPress);
    for (std::string_view name : kEnterBackColorTriggerOnlyFields)
        if (QObject* w = findChild<QObject*>(qs(name))) watchPresses(w, this, kCleansOnPress);
    watchPresses(panelAcquisitionNew->comboBoxHours, this, kGatesIntervalOnPress);

    for (std::string_view name : kWholeNumberTimeFields) {
        auto* combo = findChild<QComboBox*>(qs(name));
        connect(combo, &QComboBox::editTextChanged, this, shield([this, combo] { wholeNumberFieldChanged(combo); }));
    }
    connect(panelAcquisitionNew->comboBoxTrace, &QComboBox::editTextChanged, this,
            shield([this] { setTraceDisable(); }));
}

void Korin16Form::inputFieldPressed(QObject* field) {
    if (field->property(kCleansOnPress).toBool()) applyEnterBackColor();
    if (field->property(kGatesIntervalOnPress).toBool()) setTraceDisable();
}

void Korin16Form::applyEnterBackColor() {
    for (const NumericField& field : kEnterBackColorFields) {
        QObject* w = findChild<QObject*>(qs(field.name));
        if (!w) continue;
        const QString text = textOf(w);
        const QString cleaned = qs(sanitisedText(text.toStdString(), field.fallback));
        if (cleaned != text) setTextOf(w, cleaned);
    }
    if (hooks.SetSelectStepStimConfig) hooks.SetSelectStepStimConfig();
}

void Korin16Form::wholeNumberFieldChanged(QComboBox* field) {
    const QString text = field->currentText();
    const QString fixed = qs(wholeNumberTimeText(text.toStdString()));
    if (fixed != text) field->setEditText(fixed);
}

void Korin16Form::setTraceDisable() {
    const bool on = intervalFieldsEnabled(panelAcquisitionNew->comboBoxTrace->currentText().toStdString());
    for (QComboBox* field :
         {panelAcquisitionNew->comboBoxInHours, panelAcquisitionNew->comboBoxInMin, panelAcquisitionNew->comboBoxInSec})
        field->setEnabled(on);
}
