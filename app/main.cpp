// Entry point: choose the acquisition device, run one main window until it closes.
#include <QApplication>

#include <cstdio>

#include "acquisition/device_choice.h"
#include "app/korin16_form.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Korin16Form::registerFontSubstitutes();

    DeviceChoice device = chooseDevice();
    std::printf("Device: %s\n", device.description.c_str());

    Korin16Form form(device.driver, QString::fromStdString(device.description));
    form.show();
    app.exec();
    return 0;
}
