// Writes a few small valid recordings (and one cut short) into the folder
// given as the only argument: the seed corpus of the reader's fuzz target.
#include <cstdio>
#include <string>

#include "tests/engine/file_reader_test_files.h"

using namespace testfiles;

namespace {

void save(const std::string& folder, const char* name, const Bytes& bytes, std::size_t cut = 0) {
    const std::string path = folder + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data.data(), 1, bytes.data.size() - cut, f);
    std::fclose(f);
}

RecordingSpec channels(int n, double durationMs, int traces, int steps) {
    RecordingSpec plan;
    plan.header.flags = {};
    for (int i = 0; i < n; ++i) plan.header.flags[i] = 1;
    plan.durationMs = durationMs;
    plan.traces = traces;
    plan.steps = steps;
    return plan;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    save(folder, "one-channel-two-traces", recording(channels(1, 100, 2, 0)));
    save(folder, "sixteen-channels-50ms", recording(channels(16, 50, 1, 0)));
    save(folder, "two-channels-short-last-block-steps", recording(channels(2, 600, 2, 2)));
    save(folder, "one-channel-cut", recording(channels(1, 600, 2, 1)), 300);
    RecordingSpec gap = channels(3, 100, 3, 0);
    gap.header.flags[1] = 0;
    gap.header.flags[20] = 1;
    save(folder, "channel-gap-and-beyond-sixteen", recording(gap));
    return 0;
}
