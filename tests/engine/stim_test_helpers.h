// Small pieces the stimulation tests share: pulses written as the editor would,
// a bounded wait for a worker thread, and task handles by number.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

#include "acquisition/daqmx.h"
#include "stimulation/pulse_configs.h"

namespace stimtest {

inline daqmx::TaskHandle handle(std::intptr_t n) { return reinterpret_cast<daqmx::TaskHandle>(n); }

inline PulseConfigs pulse(const char* type, const char* duration, const char* intensity, const char* pre,
                          const char* post) {
    PulseConfigs p;
    p.setParameter(type, duration, intensity, pre, post);
    return p;
}

// 2000 samples, 100 ms: −10 µA then +10 µA, then zeros.
inline PulseConfigs standardBiphasic() { return pulse("Biphasic", "0.1", "-10", "0", "99.9"); }

template <typename Pred>
bool waitUntil(Pred pred, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace stimtest
