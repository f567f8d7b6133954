// A recording made through Kiroku on the free-running simulated Dev1, as the run
// loop makes it: traces of a given duration with one interval pass between them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "acquisition/acquisition_ni.h"
#include "acquisition/sim_device.h"
#include "acquisition/timer.h"

class SimRecording {
public:
    explicit SimRecording(std::uint64_t seed) : acq(std::make_shared<SimulatedDevice>(SimulatedDevice::Options{seed, false})) {
        for (int c = 0; c < 16; ++c) {
            mthre[c] = -0.05f;
            post[c] = 0.5f;
            ep1[c] = 10.0f;
            ep2[c] = 80.0f;
        }
        acq.setInputRange(2000);
        EXPECT_EQ(acq.KidouNi(), 0);
        acq.syokika();
        acq.setThresh(pthre, mthre, post);
        acq.setEP(ep1, ep2);
        acq.pldatExportOn = 1;
    }

    // Records `traces` traces of `seconds` each to `path`. `afterBlock` sees every
    // block right after Kiroku, with the remaining trace time it was given.
    void record(const std::string& path, double seconds, int traces,
                const std::function<void(double remaining)>& afterBlock = {}) {
        clock = std::make_shared<Timer>(seconds, traces, seconds + 0.5, 0.5);
        clock->setStartDateTime(2022, 1, 31, 9, 5, 3, 250);
        acq.timer = clock;
        ASSERT_EQ(acq.fileopen(path), 0);
        for (int t = 0; t < traces; ++t) {
            if (t > 0) clock->setTraceOffsetMsec(clock->getKeikaTime());
            acq.first = 1;
            while (clock->getRemainingTime() > 0) {
                const double remaining = clock->getRemainingTime();
                ASSERT_EQ(acq.Kiroku(remaining), 0);
                if (afterBlock) afterBlock(remaining);
                clock->Plus500ms();
                clock->Plusblock();
                clock->PlusKeikaTime();
            }
            clock->PlusTrace();
            clock->PlusStep();
            clock->ResetTimer();
            if (t + 1 < traces) {
                ASSERT_EQ(acq.readonly(10), 0);  // the interval pass
                clock->PlusKeikaTime();
            }
        }
        acq.fileclose();
    }

    AcquisitionNI acq;
    std::shared_ptr<Timer> clock;
    float pthre[16] = {}, mthre[16] = {}, post[16] = {}, ep1[16] = {}, ep2[16] = {};
};
