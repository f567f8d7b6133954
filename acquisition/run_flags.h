// The run-state flags shared by the window's handlers, the run loop and the
// replay loop. The handlers run inside the loops' event pumps and the stimulus
// workers run beside them, so every flag is atomic.
#pragma once

#include <atomic>
#include <cstdint>

#include "acquisition/run_gating.h"

namespace korin {

struct RunFlags {
    std::atomic<std::uint8_t> PlayTyuu{0};
    std::atomic<std::uint8_t> StopTyuu{0};
    std::atomic<std::uint8_t> PauseTyuu{0};
    std::atomic<std::uint8_t> KyuusiTyuu{0};  // in the interval between traces
    std::atomic<std::uint8_t> rectf{0};       // the run records to files

    // Sets PlayTyuu, StopTyuu and PauseTyuu as the gating of `state` does.
    void apply(RunState state) {
        const RunFlagChanges changes = flagChangesFor(state);
        PlayTyuu = applyFlagChange(changes.PlayTyuu, PlayTyuu);
        StopTyuu = applyFlagChange(changes.StopTyuu, StopTyuu);
        PauseTyuu = applyFlagChange(changes.PauseTyuu, PauseTyuu);
    }
};

}  // namespace korin
