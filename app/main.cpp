// Entry point: choose the acquisition device (as the settings last asked),
// run one main window until it closes.
#include <QApplication>

#include <cstdio>

#include "acquisition/device_preference.h"
#include "app/device_choice_form.h"
#include "app/korin16_form.h"
#include "files/settings_keys.h"
#include "files/settings_store.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Korin16Form::registerFontSubstitutes();

    // Only the device is read here; a damaged store is kept aside by the full
    // loading at the first paint, which also says so.
    const korin::SettingsStore store = korin::SettingsStore::open(
        korin::settingsStorePath(korin::settingsFolder()), korin::SettingsStore::Damaged::LeaveInPlace);
    const DevicePreference preference = devicePreferenceFromText(
        store.value(korin::keyInfo(korin::SettingKey::Device).name).value_or(std::string(korin::kDeviceAuto)));
    DeviceChoice device = chooseDevice(preference);
    std::printf("Device: %s\n", device.description.c_str());

    Korin16Form form(device.driver, QString::fromStdString(device.description));
    form.deviceChoice->setInUse(preference);
    form.show();
    app.exec();
    return 0;
}
