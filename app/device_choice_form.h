// The device choice on the status bar: a small menu on the device indicator
// ("Auto", "NI-DAQmx", "Simulated"), remembered with the other settings. A
// change applies from the next run's set-up; until then the indicator keeps
// naming the device in use and says what comes next.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include "acquisition/device_preference.h"

class Korin16Form;
class QActionGroup;
class QMenu;

class DeviceChoiceForm : public QObject {
    Q_OBJECT
public:
    DeviceChoiceForm(Korin16Form& form, const QString& description);

    // The choice main made the device with (Auto unless the settings said otherwise).
    void setInUse(DevicePreference preference);
    DevicePreference inUse() const { return inUse_; }
    // The choice to remember and to apply at the next run's set-up.
    DevicePreference preference() const { return preference_; }
    void setPreference(DevicePreference preference);
    // Before a run's set-up: a changed choice opens its device now. Refused
    // while the acquisition object still holds a task.
    void applyBeforeRun();

    QMenu* menu() const { return menu_; }
    // How a choice becomes a device; tests replace it.
    std::function<DeviceChoice(DevicePreference)> choose;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showIndicator();

    Korin16Form& form_;
    QMenu* menu_;
    QActionGroup* items_;
    QString description_;
    bool simulated_ = false;
    DevicePreference inUse_ = DevicePreference::Auto;
    DevicePreference preference_ = DevicePreference::Auto;
};
