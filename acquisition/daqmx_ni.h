// The vendor's NI-DAQmx C library, loaded at run time with dlopen. The program
// never links against it, so it builds and runs where the driver is absent.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "acquisition/daqmx.h"

namespace daqmx {

// Library names tried in order.
std::vector<std::string> defaultNiLibraryNames();

// Loads the library and resolves every function the system uses. Returns null
// and sets `reason` when the library or one of its symbols is missing.
std::unique_ptr<Driver> loadNiDaqmx(std::string* reason,
                                    const std::vector<std::string>& libraryNames = defaultNiLibraryNames());

}  // namespace daqmx
