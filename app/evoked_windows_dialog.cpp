#include "app/evoked_windows_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "acquisition/alert_messages.h"
#include "acquisition/number_text.h"

namespace {

struct Box {
    const char* name;
    const char* label;
    double korin::EvokedWindows::*field;
};

constexpr Box kBoxes[korin::kEvokedWindowCount] = {
    {"textBoxEvokedBaseFrom", "Baseline from (ms before the onset)", &korin::EvokedWindows::baseFromMs},
    {"textBoxEvokedBaseTo", "Baseline to (ms before the onset)", &korin::EvokedWindows::baseToMs},
    {"textBoxEvokedBlank", "Artefact blank (ms after the onset)", &korin::EvokedWindows::blankMs},
    {"textBoxEvokedWinFrom", "Measure window from (ms)", &korin::EvokedWindows::winFromMs},
    {"textBoxEvokedWinTo", "Measure window to (ms)", &korin::EvokedWindows::winToMs},
    {"textBoxEvokedSlopeFrom", "Slope window from (ms)", &korin::EvokedWindows::slopeFromMs},
    {"textBoxEvokedSlopeTo", "Slope window to (ms)", &korin::EvokedWindows::slopeToMs},
    {"textBoxEvokedWidth", "Max-slope run (ms)", &korin::EvokedWindows::widthMs},
};

}  // namespace

EvokedWindowsDialog::EvokedWindowsDialog(const korin::EvokedWindows& windows,
                                         std::function<void(const QString&)> alert, QWidget* parent)
    : QDialog(parent), windows_(windows), alert_(std::move(alert)) {
    setObjectName("EvokedWindowsDialog");
    setWindowTitle(tr("Evoked-response windows"));
    auto* form = new QFormLayout;
    for (int i = 0; i < korin::kEvokedWindowCount; ++i) {
        auto* box = new QLineEdit(QString::fromStdString(korin::defaultNumberText(windows.*kBoxes[i].field)), this);
        box->setObjectName(kBoxes[i].name);
        form->addRow(tr(kBoxes[i].label), box);
        boxes_[i] = box;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttonBoxEvokedWindows");
    connect(buttons, &QDialogButtonBox::accepted, this, &EvokedWindowsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EvokedWindowsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void EvokedWindowsDialog::accept() {
    korin::EvokedWindows w;
    for (int i = 0; i < korin::kEvokedWindowCount; ++i) {
        const auto v = korin::parseDouble(boxes_[i]->text().toStdString());
        if (!v) {
            if (alert_) alert_(QString::fromUtf8(korin::alerts::kNumericalValue));
            boxes_[i]->setFocus();
            boxes_[i]->selectAll();
            return;
        }
        w.*kBoxes[i].field = *v;
    }
    if (const auto problem = korin::windowsProblem(w)) {
        if (alert_) alert_(QString::fromUtf8(problem->data(), static_cast<int>(problem->size())));
        return;
    }
    windows_ = w;
    QDialog::accept();
}
