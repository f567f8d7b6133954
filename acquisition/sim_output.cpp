#include "acquisition/sim_output.h"

#include <algorithm>

namespace sim {

namespace {
constexpr std::uint64_t kInitialQueueScans = 65536;
}

void OutputStream::configure(bool continuous, std::uint64_t bufferScans, int channels, std::uint64_t maxQueueScans) {
    continuous_ = continuous;
    channels_ = channels;
    bufferScans_ = bufferScans;
    maxQueueScans_ = continuous ? std::max(bufferScans, maxQueueScans) : bufferScans;
    written_ = played_ = 0;
    head_ = count_ = 0;
    capacity_ = 0;
    ring_.clear();
    grow(std::min(bufferScans, kInitialQueueScans));
    regen_.clear();
    regenScans_ = 0;
    last_.assign(static_cast<std::size_t>(channels), 0.0);
}

std::uint64_t OutputStream::room() const {
    if (!continuous_) return bufferScans_ - written_;
    return maxQueueScans_ - count_;
}

void OutputStream::grow(std::uint64_t scans) {
    if (scans <= capacity_) return;
    std::uint64_t capacity = std::max<std::uint64_t>(capacity_, 1);
    while (capacity < scans) capacity *= 2;
    std::vector<double> ring(static_cast<std::size_t>(capacity * channels_));
    for (std::uint64_t i = 0; i < count_; ++i) {
        const std::uint64_t from = ((head_ + i) % capacity_) * channels_;
        std::copy_n(ring_.begin() + static_cast<std::ptrdiff_t>(from), channels_,
                    ring.begin() + static_cast<std::ptrdiff_t>(i * channels_));
    }
    ring_ = std::move(ring);
    capacity_ = capacity;
    head_ = 0;
}

void OutputStream::write(const double* interleaved, std::uint64_t scans) {
    grow(count_ + scans);
    for (std::uint64_t i = 0; i < scans; ++i) {
        const std::uint64_t slot = ((head_ + count_ + i) % capacity_) * channels_;
        std::copy_n(interleaved + i * channels_, channels_, ring_.begin() + static_cast<std::ptrdiff_t>(slot));
    }
    count_ += scans;
    written_ += scans;
}

bool OutputStream::start() {
    if (count_ == 0) return false;
    played_ = 0;
    if (continuous_) {
        regenScans_ = count_;
        regen_.assign(static_cast<std::size_t>(regenScans_ * channels_), 0.0);
    }
    return true;
}

void OutputStream::stop() {
    head_ = count_ = 0;
    written_ = played_ = 0;
    regenScans_ = 0;
}

bool OutputStream::next(double* values) {
    if (finished()) return false;
    if (count_ > 0) {
        const auto from = static_cast<std::ptrdiff_t>(head_ * channels_);
        std::copy_n(ring_.begin() + from, channels_, values);
        head_ = (head_ + 1) % capacity_;
        --count_;
        if (continuous_ && regenScans_ > 0) {
            const auto slot = static_cast<std::ptrdiff_t>((played_ % regenScans_) * channels_);
            std::copy_n(values, channels_, regen_.begin() + slot);
        }
    } else if (continuous_ && regenScans_ > 0) {
        const auto slot = static_cast<std::ptrdiff_t>((played_ % regenScans_) * channels_);
        std::copy_n(regen_.begin() + slot, channels_, values);
    } else {
        std::copy(last_.begin(), last_.end(), values);  // underflow: the output holds its level
    }
    std::copy_n(values, channels_, last_.begin());
    ++played_;
    return true;
}

}  // namespace sim
