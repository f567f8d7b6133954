// libFuzzer target: arbitrary bytes as a recording file, through open, read
// and a few replay steps forward and back. A crash or sanitizer report is a bug.
#include <cstddef>
#include <cstdint>

#include "files/file_reader.h"
#include "memory_file.h"

namespace {

// One reader for the whole run: its buffers are large and a new file resets it.
FileReader& reader() {
    static FileReader r;
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryFile file(data, size);
    if (!file.ok()) return 0;
    FileReader& r = reader();
    if (!r.open(file.path()) || !r.read()) {
        r.readData();
        r.backBlock();
        return 0;
    }
    // The last input bytes steer the window and the steps, so they are fuzzed too.
    const std::uint8_t steer = size > 0 ? data[size - 1] : 0;
    // Set for every input, so that no input inherits the last one's filter. A
    // filtered block costs a whole block of work whatever the file holds, so
    // one steering value in 32 filters and the rest go to the file handling.
    const int filterOn = steer >= 0xF8 ? 1 : 0;
    r.setFilter(2000.0f, 10.0f, filterOn, filterOn);
    r.syokika();
    r.readThresholdData();
    r.syokika();
    r.KaisiPoint = (steer & 2) ? 5000 : 0;
    r.OwariPoint = (steer & 4) ? 7500 : 10000;
    r.selectch = steer % 16;
    r.tracefrom1 = 1;
    r.traceto1 = r.TraceMax;
    r.msfrom1 = 0;
    r.msto1 = static_cast<std::int32_t>(steer) * 40;
    r.setLastReplayBlock();
    for (int i = 0; i < 3 && !r.isLastBlockReplay(); ++i) {
        r.readHeader();
        r.readData();
    }
    if (r.backBlock() == 1) {
        r.readHeader();
        r.backSkip();
    }
    r.readData();
    r.getKeikaTimeSec();
    r.Close();
    return 0;
}
