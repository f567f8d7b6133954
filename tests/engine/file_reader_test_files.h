// Recording files built byte by byte for the reader's tests, independent of
// the writer: the layout below is the format itself, field by field.
#pragma once

#include <unistd.h>

#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace testfiles {

constexpr double kCf2000 = 6.103515625E-05;  // mV per count, input range 2000 uV
constexpr std::uint64_t kFullBlockBytes = 39 + 10000 * 32;

class Bytes {
public:
    void u8(std::uint8_t v) { data.push_back(v); }
    void i16(std::int16_t v) { le(static_cast<std::uint16_t>(v), 2); }
    void i32(std::int32_t v) { le(static_cast<std::uint32_t>(v), 4); }
    void i64(std::int64_t v) { le(static_cast<std::uint64_t>(v), 8); }
    void f64(double v) { le(std::bit_cast<std::uint64_t>(v), 8); }
    std::vector<std::uint8_t> data;

private:
    void le(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) data.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
};

struct FileHeaderSpec {
    std::int32_t traceCount = 1;
    std::int32_t blocksPerTrace = 2;
    double durationMs = 1000;
    double inputRange = 2000;
    double conversionFactor = kCf2000;
    std::array<std::uint8_t, 64> flags = allSixteen();

    static std::array<std::uint8_t, 64> allSixteen() {
        std::array<std::uint8_t, 64> f{};
        for (int i = 0; i < 16; ++i) f[i] = 1;
        return f;
    }
    int presentChannels() const {
        int n = 0;
        for (auto f : flags) n += f == 1;
        return n;
    }
};

inline void appendFileHeader(Bytes& b, const FileHeaderSpec& h) {
    b.i32(h.traceCount);
    b.i32(h.blocksPerTrace);
    b.u8(1);
    b.f64(20000.0);
    b.f64(h.durationMs);
    b.f64(h.inputRange);
    b.f64(h.conversionFactor);
    for (auto f : h.flags) b.u8(f);
    b.i16(2022);
    b.u8(1);
    b.u8(31);
    b.i32(32703250);
    b.i16(540);
    b.i64(637792167032500000);
}

struct BlockSpec {
    std::int32_t trace = 0;
    std::int32_t block = 0;
    double traceStartMs = 0;
    std::int32_t samples = 10000;
    std::uint8_t first = 1;
    std::uint8_t last = 0;
    std::int32_t loop = 0;
    std::uint8_t step = 255;
    std::int32_t byteCount = -1;  // -1: samples x channels x 2
};

inline void appendBlockHeader(Bytes& b, const BlockSpec& s, int channels) {
    b.i32(s.trace);
    b.i32(s.block);
    b.f64(s.traceStartMs);
    b.f64(s.block * 500.0);
    b.i32(s.samples);
    b.u8(s.first);
    b.u8(s.last);
    b.i32(s.loop);
    b.u8(s.step);
    b.i32(s.byteCount >= 0 ? s.byteCount : s.samples * channels * 2);
}

// Count of value j (0-based position in the scan) of scan k of block n (over the file).
using CountFn = std::function<std::int16_t(int n, int k, int j)>;

// Default content: every sample names its block, channel position and scan.
inline std::int16_t identityCount(int n, int k, int j) { return static_cast<std::int16_t>(n * 1000 + j * 10 + k % 7); }

struct RecordingSpec {
    int traces = 1;
    double durationMs = 1000;
    double traceIntervalMs = 2000;  // trace start to trace start
    int steps = 0;                  // 0: no stimulation, 1 or 2 steps per loop
    FileHeaderSpec header;
};

// A recording as the writer lays it out: full blocks and a short last block
// when the duration is not a multiple of 500 ms.
inline Bytes recording(const RecordingSpec& r, const CountFn& count = identityCount) {
    Bytes b;
    FileHeaderSpec h = r.header;
    h.traceCount = r.traces;
    h.durationMs = r.durationMs;
    const int perTrace = static_cast<int>(std::ceil(r.durationMs / 500.0));
    h.blocksPerTrace = perTrace;
    const int channels = h.presentChannels();
    b.data.reserve(123 + static_cast<std::size_t>(r.traces) * perTrace * (39 + 20000 * channels));
    appendFileHeader(b, h);
    int n = 0;
    for (int t = 0; t < r.traces; ++t) {
        for (int blk = 0; blk < perTrace; ++blk, ++n) {
            BlockSpec s;
            s.trace = t;
            s.block = blk;
            s.traceStartMs = t * r.traceIntervalMs;
            const double remainingMs = r.durationMs - blk * 500.0;
            s.samples = remainingMs >= 500 ? 10000 : static_cast<int>(std::lround(remainingMs * 20));
            s.first = blk == 0;
            s.last = blk == perTrace - 1;
            if (r.steps == 0) {
                s.loop = 0;
                s.step = 255;
            } else {
                s.loop = t / r.steps + 1;
                s.step = static_cast<std::uint8_t>(t % r.steps);
            }
            appendBlockHeader(b, s, channels);
            for (int k = 0; k < s.samples; ++k)
                for (int j = 0; j < channels; ++j) b.i16(count(n, k, j));
        }
    }
    return b;
}

// A directory of its own per test, removed with it.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("korin16-reader-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const std::string p = file(name);
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p;
    }

private:
    std::filesystem::path path_;
};

}  // namespace testfiles
