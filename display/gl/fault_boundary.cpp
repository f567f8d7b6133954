#include "display/gl/fault_boundary.h"

#include <cstdio>
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
    // The sink is the last stop: what it throws is printed, never let out.
    try {
        if (sink()) {
            sink()(reason);
            return;
        }
    } catch (const std::exception& e) {
        std::printf("Internal error while reporting one: %s\n", e.what());
    } catch (...) {
    }
    std::printf("Internal error: %s\n", reason.c_str());
    std::fflush(stdout);
}

}  // namespace korin::ui
