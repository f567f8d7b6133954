// Which data-acquisition device the program uses: the vendor's driver when its
// library loads and "Dev1" answers, otherwise the simulated "Dev1". The choice
// is shown wherever data is shown, so simulated data is never taken for a recording.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "acquisition/daqmx.h"

struct DeviceChoice {
    std::shared_ptr<daqmx::Driver> driver;
    std::string description;  // e.g. "Simulated Dev1 (NI-DAQmx not found)"
    bool niAvailable = false;
    std::string niStatus;     // why the vendor's driver is or is not used
};

struct DeviceChoiceOptions {
    std::vector<std::string> niLibraryNames;  // empty: the default names
    std::uint64_t simulationSeed = 1;
    bool simulationRealTime = true;
};

DeviceChoice chooseDevice(const DeviceChoiceOptions& options = {});

// Whether "Dev1" answers on a driver: an input task with one channel can be made.
bool deviceAnswers(daqmx::Driver& driver, std::string* why);
