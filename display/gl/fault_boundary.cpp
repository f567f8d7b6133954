#include "display/gl/fault_boundary.h"

#include <utility>

namespace korin::ui {
namespace {

// The window's thread only: every shielded entry point runs on it.
FaultSink& sink() {
    static FaultSink installed;
    return installed;
}

}  // namespace

FaultSink setFaultSink(FaultSink s) { return std::exchange(sink(), std::move(s)); }

void reportFault(const std::string& reason) {
    if (sink()) {
        // The sink is the last stop: what it throws is printed, never let out.
        const std::optional<std::string> fault = caughtFault([&] { sink()(reason); });
        if (!fault) return;
        printInternalError(*fault);
    }
    printInternalError(reason);
}

}  // namespace korin::ui
