// Physical channel names of the simulated "Dev1", read the way the driver
// reads them: comma-separated terms, "Dev1/ai0:7" ranges in either direction,
// device and channel names in any case.
#pragma once

#include <string>
#include <vector>

#include "acquisition/daqmx.h"

namespace sim {

struct ChannelList {
    daqmx::int32 status = 0;  // 0, or the driver status of the first bad term
    std::string message;      // what is wrong with it
    std::vector<int> physical;
};

// Differential inputs: ai0..ai7 and ai16..ai23 (their pairs ai8..15 and
// ai24..31 are the negative inputs). Gives program channels 0..15 in list order.
ChannelList parseInputChannels(const char* names);
// ao0 and ao1.
ChannelList parseOutputChannels(const char* names);
// The router's ten lines, port0/line0:9, as one channel.
ChannelList parseRoutingLines(const char* names);

}  // namespace sim
