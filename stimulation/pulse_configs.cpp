#include "stimulation/pulse_configs.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "acquisition/number_text.h"

void PulseConfigs::setParameter(std::string pulsetype, std::string duration, std::string intensity,
                                std::string pre, std::string post) {
    Pulsetype = std::move(pulsetype);
    Duration = std::move(duration);
    Intensity = std::move(intensity);
    Pre = std::move(pre);
    Post = std::move(post);
}

namespace stim {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Saturation point of a sample count: one past what a pattern may hold.
constexpr std::int32_t kCountCeiling = kMaxSamplesPerOutput + 1;

std::int32_t samplesOf(double count) {
    if (!(count > 0)) return 0;  // negatives and NaN
    if (count >= kCountCeiling) return kCountCeiling;
    return static_cast<std::int32_t>(count);  // truncation toward zero
}

}  // namespace

std::optional<float> parseFloat32(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    float value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string pulseTextProblem(const std::vector<std::string_view>& f) {
    if (f.size() != kPulseTextFields) return "a pulse has five fields: Pulsetype,Duration,Intensity,Pre,Post";
    if (f[0] != PulseConfigs::kBiphasic && f[0] != PulseConfigs::kConst)
        return "the pulse type \"" + std::string(f[0]) + "\" is neither \"Biphasic\" nor \"Const\"";
    constexpr const char* kFields[kPulseTextFields] = {"Pulsetype", "Duration", "Intensity", "Pre", "Post"};
    for (std::size_t i = 1; i < kPulseTextFields; ++i)
        if (!parseFloat32(f[i])) return std::string("the ") + kFields[i] + " \"" + std::string(f[i]) + "\" is not a number";
    const float intensity = *parseFloat32(f[2]);
    if (std::fabs(intensity) > kIntensityLimitUa)
        return "the intensity " + std::string(f[2]) + " \u00B5A is beyond the stimulator's \u00B1" +
               korin::defaultNumberText(kIntensityLimitUa) + " \u00B5A";
    return {};
}

std::int32_t fieldSamples(const std::string& ms) {
    auto v = parseFloat32(ms);
    return v ? samplesOf(static_cast<double>(*v) * kSamplesPerMs) : 0;
}

bool isBiphasic(const PulseConfigs& pulse) { return pulse.Pulsetype == PulseConfigs::kBiphasic; }

PulseShape shapeOf(const PulseConfigs& pulse) {
    PulseShape s;
    s.pre = fieldSamples(pulse.Pre);
    s.duration = fieldSamples(pulse.Duration);
    s.post = fieldSamples(pulse.Post);
    s.biphasic = isBiphasic(pulse);
    if (s.biphasic) {
        // The first phase is half the duration in samples: trunc(ms × 10).
        auto d = parseFloat32(pulse.Duration);
        s.firstPhase = d ? std::min(samplesOf(static_cast<double>(*d) * 10.0), s.duration) : 0;
    }
    s.intensity = parseFloat32(pulse.Intensity).value_or(0.0f);
    return s;
}

void renderPulse(const PulseShape& shape, float* out, std::int64_t room) {
    auto put = [&](std::int64_t from, std::int64_t count, float value) {
        std::int64_t end = std::min(from + count, room);
        if (from < end) std::fill(out + from, out + end, value);
    };
    std::int64_t p = 0;
    put(p, shape.pre, 0.0f);
    p += shape.pre;
    if (shape.biphasic) {
        put(p, shape.firstPhase, shape.intensity);
        put(p + shape.firstPhase, shape.duration - shape.firstPhase, -shape.intensity);
    } else {
        put(p, shape.duration, shape.intensity);
    }
    p += shape.duration;
    put(p, shape.post, 0.0f);
}

}  // namespace stim
