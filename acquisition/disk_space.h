// Room on the disk before a recorded run: what the run will write against what
// the output folder can still take, and the question put when it will not fit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korin {

// Bytes of a recording: the file header and every block of every trace at the
// full block size (a short last block only makes the file smaller).
std::uint64_t recordingBytes(std::int64_t traces, std::int64_t blocksPerTrace);

// Bytes an ordinary writer can still put at `folder`; nothing when the folder
// cannot be asked (missing, unreadable), in which case creating the file fails
// later with its own message.
std::optional<std::uint64_t> freeBytesAt(const std::string& folder);

// Whole minutes for the question. The room is rounded down and the run up, so
// the question never makes the disk look roomier or the run shorter than it is.
struct DiskShortfall {
    long long roomMinutes;
    long long runMinutes;
};

// The shortfall when `traces` traces of `traceSeconds` (`blocksPerTrace` blocks
// each) need more than `freeBytes`; nothing when the run fits.
std::optional<DiskShortfall> diskShortfall(std::int64_t traces, double traceSeconds, std::int64_t blocksPerTrace,
                                           std::uint64_t freeBytes);

// "The output folder has room for about N min of recording, but this run records M min. Record anyway?"
std::string diskSpaceQuestion(const DiskShortfall& shortfall);

}  // namespace korin
