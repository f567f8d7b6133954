// korin16-cli: the engine without a window. Subcommands:
//   devices   list the drivers, open the input task and summarise one 500 ms block
//   info      describe a recording file
//   settings  the settings a window would start with from a folder
//   export    a recording's range and channels to .bin/.hdr or CSV
//   measure   the evoked-response measures of every trace of a recording
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "acquisition/acquisition_ni.h"
#include "acquisition/device_choice.h"
#include "tools/cli_commands.h"

namespace {

constexpr double kCliInputRangeMicrovolts = 2000;

int usage() {
    std::fprintf(stderr,
                 "usage: korin16-cli <command>\n"
                 "commands:\n"
                 "  devices   list the data-acquisition drivers and read one 500 ms block from Dev1\n"
                 "  record    record a run on the simulated Dev1 without a window (record --help)\n"
                 "  info FILE [--json]   describe a recording (.pldat) and any problem with it\n"
                 "  settings DIR   the settings and pulse lists the window would start with from DIR\n"
                 "  export FILE --format short|csv --out PATH   export a recording (export --help)\n"
                 "  measure FILE --out PATH.csv   evoked-response measures per trace (measure --help)\n");
    return 2;
}

}  // namespace

int cliDevices(int, char**) {
    DeviceChoiceOptions options;
    options.simulationRealTime = false;  // no need to wait for the simulated clock here
    DeviceChoice choice = chooseDevice(options);
    std::printf("Drivers:\n");
    std::printf("  NI-DAQmx: %s\n", choice.niStatus.c_str());
    std::printf("  Simulated Dev1: available\n");
    std::printf("Using: %s\n", choice.description.c_str());

    AcquisitionNI acq(choice.driver);
    acq.setInputRange(kCliInputRangeMicrovolts);
    if (acq.KidouNi() != 0) {
        std::fprintf(stderr, "error: The DAQ device setup is incomplete. (%s)\n", acq.extendedErrorText().c_str());
        return 1;
    }
    double* block = acq.blockScratch();
    if (daqmx::failed(acq.scaledRead(AcquisitionNI::kReadsPerBlock, block))) {
        std::fprintf(stderr, "error: reading from the device failed: %s\n", acq.extendedErrorText().c_str());
        acq.Teisi();
        return 1;
    }
    std::printf("One 500 ms block, input range %.0f uV, mV at the electrode:\n", kCliInputRangeMicrovolts);
    std::printf("  ch        mean          sd\n");
    for (int c = 0; c < AcquisitionNI::kChannels; ++c) {
        double sum = 0, sumSq = 0;
        for (int k = 0; k < AcquisitionNI::kBlockScans; ++k) {
            double v = block[k * AcquisitionNI::kChannels + c];
            sum += v;
            sumSq += v * v;
        }
        double mean = sum / AcquisitionNI::kBlockScans;
        double var = std::max(0.0, sumSq / AcquisitionNI::kBlockScans - mean * mean);
        std::printf("  %2d  %10.5f  %10.5f\n", c + 1, mean, std::sqrt(var));
    }
    acq.Teisi();
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    struct Command {
        const char* name;
        int (*run)(int, char**);
    };
    static constexpr Command kCommands[] = {
        {"devices", cliDevices},
        {"record", cliRecord},
        {"info", cliInfo},
        {"settings", cliSettings},
        {"export", cliExport},
        {"measure", cliMeasure},
    };
    for (const Command& c : kCommands)
        if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 2, argv + 2);
    return usage();
}
