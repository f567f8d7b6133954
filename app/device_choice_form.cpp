#include "app/device_choice_form.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include <cstdio>

#include "acquisition/acquisition_ni.h"
#include "app/korin16_form.h"
#include "display/gl/fault_boundary.h"

using korin::ui::shield;

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

constexpr DevicePreference kChoices[] = {DevicePreference::Auto, DevicePreference::NiDaqmx,
                                         DevicePreference::Simulated};

}  // namespace

DeviceChoiceForm::DeviceChoiceForm(Korin16Form& form, const QString& description)
    : QObject(&form), form_(form), description_(description) {
    choose = [](DevicePreference p) { return chooseDevice(p); };
    simulated_ = form.acquisition->sharedDriver() && form.acquisition->sharedDriver()->isSimulated();
    menu_ = new QMenu(form.labelDevice);
    menu_->setObjectName("menuDevice");
    items_ = new QActionGroup(menu_);
    items_->setExclusive(true);
    for (DevicePreference p : kChoices) {
        QAction* item = menu_->addAction(qs(devicePreferenceText(p)));
        item->setCheckable(true);
        item->setChecked(p == preference_);
        items_->addAction(item);
        connect(item, &QAction::triggered, this, shield([this, p] { setPreference(p); }));
    }
    form.labelDevice->installEventFilter(this);
    form.hooks.beforeRunSetUp = [this] { applyBeforeRun(); };
}

void DeviceChoiceForm::setInUse(DevicePreference preference) {
    inUse_ = preference;
    setPreference(preference);
}

void DeviceChoiceForm::setPreference(DevicePreference preference) {
    preference_ = preference;
    for (QAction* item : items_->actions()) item->setChecked(item->text() == qs(devicePreferenceText(preference)));
    showIndicator();
}

void DeviceChoiceForm::applyBeforeRun() {
    if (preference_ == inUse_) return;
    DeviceChoice device = choose(preference_);
    if (!device.driver || !form_.acquisition->setDriver(device.driver)) return;
    std::printf("Device: %s\n", device.description.c_str());
    std::fflush(stdout);
    inUse_ = preference_;
    description_ = QString::fromStdString(device.description);
    simulated_ = device.driver->isSimulated();
    showIndicator();
}

void DeviceChoiceForm::showIndicator() {
    form_.applyDeviceIndicator(description_, simulated_);
    if (preference_ == inUse_) return;
    QLabel* label = form_.labelDevice;
    label->setText(tr("%1 (%2 from the next run)").arg(label->text(), qs(devicePreferenceText(preference_))));
    label->setToolTip(label->text());
}

bool DeviceChoiceForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_.labelDevice &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::ContextMenu)) {
        menu_->popup(form_.labelDevice->mapToGlobal(QPoint(0, 0)));
        return true;
    }
    return QObject::eventFilter(watched, event);
}
