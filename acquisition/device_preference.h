// The device the user asked for (the "Device" setting) turned into the device
// a run uses. "Auto" is chooseDevice's rule; "Simulated" never loads the
// vendor's driver; "NI-DAQmx" uses the vendor's driver whenever its library
// loads, so a board that does not answer fails the run's set-up with the device
// alert instead of being replaced by simulated data.
#pragma once

#include <string_view>

#include "acquisition/device_choice.h"

enum class DevicePreference { Auto, NiDaqmx, Simulated };

// "Auto", "NI-DAQmx", "Simulated"; any other text is Auto.
DevicePreference devicePreferenceFromText(std::string_view text);
std::string_view devicePreferenceText(DevicePreference preference);

DeviceChoice chooseDevice(DevicePreference preference, const DeviceChoiceOptions& options = {});
