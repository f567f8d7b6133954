#include "acquisition/disk_space.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "acquisition/acquisition_ni.h"
#include "acquisition/alert_messages.h"
#include "acquisition/number_text.h"
#include "acquisition/rounding.h"
#include "files/recording_writer.h"

namespace korin {

namespace {

constexpr std::uint64_t kFullBlockBytes =
    pldat::kBlockHeaderBytes + static_cast<std::uint64_t>(AcquisitionNI::kBlockScans) * pldat::kBytesPerScan;
constexpr double kBlockSeconds = 0.5;

}  // namespace

std::uint64_t recordingBytes(std::int64_t traces, std::int64_t blocksPerTrace) {
    if (traces < 0) traces = 0;
    if (blocksPerTrace < 0) blocksPerTrace = 0;
    return pldat::kFileHeaderBytes +
           static_cast<std::uint64_t>(traces) * static_cast<std::uint64_t>(blocksPerTrace) * kFullBlockBytes;
}

std::optional<std::uint64_t> freeBytesAt(const std::string& folder) {
    std::error_code error;
    const std::filesystem::space_info info = std::filesystem::space(folder, error);
    if (error || info.available == static_cast<std::uintmax_t>(-1)) return std::nullopt;
    return static_cast<std::uint64_t>(info.available);
}

std::optional<DiskShortfall> diskShortfall(std::int64_t traces, double traceSeconds, std::int64_t blocksPerTrace,
                                           std::uint64_t freeBytes) {
    if (recordingBytes(traces, blocksPerTrace) <= freeBytes) return std::nullopt;
    const std::uint64_t roomBlocks =
        freeBytes > pldat::kFileHeaderBytes ? (freeBytes - pldat::kFileHeaderBytes) / kFullBlockBytes : 0;
    const double roomSeconds = static_cast<double>(roomBlocks) * kBlockSeconds;
    // A tenth of a second, as the trace duration is entered, so 60 s is 1 min and not 2.
    const double runSeconds = roundHalfEven(static_cast<double>(traces) * traceSeconds, 1);
    return DiskShortfall{static_cast<long long>(std::floor(roomSeconds / 60.0)),
                         static_cast<long long>(std::ceil(runSeconds / 60.0))};
}

std::string diskSpaceQuestion(const DiskShortfall& shortfall) {
    const std::string text = alerts::fillIn(alerts::kDiskSpaceQuestion, "{N}", wholeNumberText(shortfall.roomMinutes));
    return alerts::fillIn(text, "{M}", wholeNumberText(shortfall.runMinutes));
}

}  // namespace korin
