// A recording of the free-running simulated Dev1 for the benchmarks: one trace
// of the given length through Kiroku, as a recorded run writes it.
#pragma once

#include <memory>
#include <string>

#include "acquisition/acquisition_ni.h"
#include "acquisition/sim_device.h"
#include "acquisition/timer.h"

namespace bench {

// False when the simulated device or the file could not be set up.
inline bool recordSimulated(const std::string& path, double seconds) {
    AcquisitionNI acq(std::make_shared<SimulatedDevice>(SimulatedDevice::Options{5, false}));
    acq.setInputRange(2000);
    if (acq.KidouNi() != 0) return false;
    acq.syokika();
    float pthre[16] = {}, mthre[16], post[16], ep1[16], ep2[16];
    for (int c = 0; c < 16; ++c) {
        mthre[c] = -0.05f;
        post[c] = 0.5f;
        ep1[c] = 10.0f;
        ep2[c] = 80.0f;
    }
    acq.setThresh(pthre, mthre, post);
    acq.setEP(ep1, ep2);
    acq.pldatExportOn = 1;
    auto clock = std::make_shared<Timer>(seconds, 1, seconds + 0.5, 0.5);
    clock->setStartDateTime(2022, 1, 31, 9, 5, 3, 250);
    acq.timer = clock;
    if (acq.fileopen(path) != 0) return false;
    acq.first = 1;
    bool ok = true;
    while (ok && clock->getRemainingTime() > 0) {
        ok = acq.Kiroku(clock->getRemainingTime()) == 0;
        clock->Plus500ms();
        clock->Plusblock();
        clock->PlusKeikaTime();
    }
    acq.fileclose();
    acq.Teisi();
    return ok;
}

}  // namespace bench
