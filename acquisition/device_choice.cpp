#include "acquisition/device_choice.h"

#include "acquisition/daqmx_ni.h"
#include "acquisition/sim_device.h"

using namespace daqmx;

bool deviceAnswers(Driver& driver, std::string* why) {
    TaskHandle task = nullptr;
    int32 status = driver.DAQmxCreateTask("", &task);
    if (!failed(status))
        status = driver.DAQmxCreateAIVoltageChan(task, "Dev1/ai0", "", DAQmx_Val_Diff, -1.0, 1.0,
                                                 DAQmx_Val_Volts, nullptr);
    if (failed(status) && why) {
        char text[kExtendedErrorBufferSize] = {};
        driver.DAQmxGetExtendedErrorInfo(text, sizeof text);
        text[sizeof text - 1] = '\0';
        *why = "Dev1 does not answer (status " + std::to_string(status) + "): " + text;
    }
    if (task != nullptr) driver.DAQmxClearTask(task);
    return !failed(status);
}

DeviceChoice chooseDevice(const DeviceChoiceOptions& options) {
    DeviceChoice choice;
    std::string reason;
    std::unique_ptr<Driver> ni =
        options.niLibraryNames.empty() ? loadNiDaqmx(&reason) : loadNiDaqmx(&reason, options.niLibraryNames);
    if (ni) {
        if (deviceAnswers(*ni, &reason)) {
            choice.niAvailable = true;
            choice.niStatus = "NI-DAQmx loaded; Dev1 answers";
            choice.driver = std::move(ni);
            choice.description = "NI-DAQmx Dev1";
            return choice;
        }
        choice.niStatus = "NI-DAQmx loaded, but " + reason;
    } else {
        choice.niStatus = "NI-DAQmx not found: " + reason;
    }
    SimulatedDevice::Options sim;
    sim.seed = options.simulationSeed;
    sim.realTime = options.simulationRealTime;
    choice.driver = std::make_shared<SimulatedDevice>(sim);
    choice.description = "Simulated Dev1 (no real recording)";
    return choice;
}
