#include "acquisition/device_preference.h"

#include "acquisition/daqmx_ni.h"
#include "acquisition/sim_device.h"

namespace {

constexpr std::string_view kAuto = "Auto";
constexpr std::string_view kNiDaqmx = "NI-DAQmx";
constexpr std::string_view kSimulated = "Simulated";

std::shared_ptr<daqmx::Driver> simulated(const DeviceChoiceOptions& options) {
    SimulatedDevice::Options sim;
    sim.seed = options.simulationSeed;
    sim.realTime = options.simulationRealTime;
    return std::make_shared<SimulatedDevice>(sim);
}

}  // namespace

DevicePreference devicePreferenceFromText(std::string_view text) {
    if (text == kNiDaqmx) return DevicePreference::NiDaqmx;
    if (text == kSimulated) return DevicePreference::Simulated;
    return DevicePreference::Auto;
}

std::string_view devicePreferenceText(DevicePreference preference) {
    switch (preference) {
        case DevicePreference::NiDaqmx: return kNiDaqmx;
        case DevicePreference::Simulated: return kSimulated;
        case DevicePreference::Auto: break;
    }
    return kAuto;
}

DeviceChoice chooseDevice(DevicePreference preference, const DeviceChoiceOptions& options) {
    if (preference == DevicePreference::Auto) return chooseDevice(options);
    DeviceChoice choice;
    if (preference == DevicePreference::Simulated) {
        choice.niStatus = "NI-DAQmx not used: Simulated chosen";
        choice.driver = simulated(options);
        choice.description = "Simulated Dev1 (chosen; no real recording)";
        return choice;
    }
    std::string reason;
    std::unique_ptr<daqmx::Driver> ni =
        options.niLibraryNames.empty() ? daqmx::loadNiDaqmx(&reason) : daqmx::loadNiDaqmx(&reason, options.niLibraryNames);
    if (ni) {
        choice.niAvailable = deviceAnswers(*ni, &reason);
        choice.niStatus = choice.niAvailable ? "NI-DAQmx loaded; Dev1 answers" : "NI-DAQmx loaded, but " + reason;
        choice.driver = std::move(ni);
        choice.description = "NI-DAQmx Dev1";
        return choice;
    }
    // Without the library there is no board to fail on; say plainly that the
    // data will be simulated.
    choice.niStatus = "NI-DAQmx chosen but not found: " + reason;
    choice.driver = simulated(options);
    choice.description = "Simulated Dev1 (NI-DAQmx chosen but not found; no real recording)";
    return choice;
}
