// Soak check of the window: a recorded run of the given minutes (10 by default)
// on the simulated Dev1 paced in real time, with the live view drawing every
// pass. Prints the work time per pass (processing and drawing, the device wait
// excluded) and whether the loop ever fell behind the device.
//   korin16_window_soak [MINUTES] [FOLDER]     (under xvfb-run where there is no display)
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "acquisition/acquisition_ni.h"
#include "acquisition/run_control.h"
#include "acquisition/sim_device.h"
#include "app/alert_forms.h"
#include "app/korin16_form.h"
#include "files/settings_store.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Korin16Form::registerFontSubstitutes();
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 10;
    const std::string folder =
        argc > 2 ? argv[2] : (std::filesystem::temp_directory_path() / "korin16-soak").string();
    std::filesystem::create_directories(folder);
    // The start-up defaults, not the user's saved settings, and nothing saved at close.
    korin::setSettingsFolderOverride(folder + "/config");

    auto device = std::make_shared<SimulatedDevice>(SimulatedDevice::Options{});
    Korin16Form form(device, "Simulated Dev1 (soak)");
    auto alerts = std::make_shared<ConsoleAlertSink>();
    form.setAlertSink(alerts);
    form.show();
    for (int i = 0; i < 10; ++i) QApplication::processEvents();

    form.findChild<QComboBox*>("comboBoxMin")->setEditText(QString::number(minutes));
    form.findChild<QLineEdit*>("textBoxExportDire")->setText(QString::fromStdString(folder));
    std::printf("Recording %d min in real time to %s ...\n", minutes, folder.c_str());
    std::fflush(stdout);
    form.findChild<QToolButton*>("toolStripButtonRec")->click();

    std::printf("%s\n", form.runControl->passTiming().summary().c_str());
    std::printf("file: %s\n", form.runControl->dataFilePath().c_str());
    const bool ok = !alerts->alerted && form.runControl->passTiming().lateWorkPasses() == 0;
    std::printf("%s\n", ok ? "kept up: no device error, no pass over its block" : "FELL BEHIND or failed");
    return ok ? 0 : 1;
}
