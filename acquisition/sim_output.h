// The sample stream of one analog-output task of the simulated "Dev1".
//
// Finite generation plays the written samples once (N scans from the start);
// if the writer has not supplied them all, the last level is held, as the
// hardware holds its output when its buffer runs dry. Continuous generation
// plays the written samples in order; when nothing new is queued it
// regenerates: it replays the last E scans played, E being what was written
// before the start (the "buffer" a regenerating device loops over). Later
// writes append to the stream, so a pattern written again and again plays
// back to back.
#pragma once

#include <cstdint>
#include <vector>

namespace sim {

class OutputStream {
public:
    // Resets the stream. `bufferScans`: N of a finite generation, or the device
    // buffer of a continuous one (the writer's room). `maxQueueScans` lets a
    // free-running device queue more than its buffer instead of blocking.
    void configure(bool continuous, std::uint64_t bufferScans, int channels, std::uint64_t maxQueueScans);
    bool configured() const { return channels_ > 0; }
    bool continuous() const { return continuous_; }
    int channels() const { return channels_; }

    // Scans that can be written now without overwriting unplayed data.
    std::uint64_t room() const;
    // Appends `scans` scans interleaved by scan; the caller checks room() first.
    void write(const double* interleaved, std::uint64_t scans);
    std::uint64_t queued() const { return count_; }
    // The most a single write can ever hold.
    std::uint64_t limit() const { return continuous_ ? maxQueueScans_ : bufferScans_; }

    // Fixes the regeneration length; false when nothing was written.
    bool start();
    // Discards everything written; a new start needs new writes.
    void stop();

    // The next scan's values (one per channel); false once a finite generation is over.
    bool next(double* values);
    bool finished() const { return !continuous_ && played_ >= bufferScans_; }

private:
    void grow(std::uint64_t scans);

    bool continuous_ = false;
    int channels_ = 0;
    std::uint64_t bufferScans_ = 0;
    std::uint64_t maxQueueScans_ = 0;
    std::uint64_t written_ = 0;  // scans written since configure (finite: against N)
    std::uint64_t played_ = 0;
    // Queue of unplayed scans: a ring that grows on demand.
    std::vector<double> ring_;
    std::uint64_t capacity_ = 0, head_ = 0, count_ = 0;
    // Regeneration: the last `regenScans_` scans played, slot = position mod length.
    std::vector<double> regen_;
    std::uint64_t regenScans_ = 0;
    std::vector<double> last_;
};

}  // namespace sim
