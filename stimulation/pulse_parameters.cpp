#include "stimulation/pulse_parameters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "acquisition/alert_messages.h"
#include "acquisition/rounding.h"

namespace {

void dump(const std::vector<float>& values, std::FILE* out) {
    char text[32];
    for (float v : values) {
        auto [end, ec] = std::to_chars(text, text + sizeof text, v);  // shortest round-trip form
        std::fprintf(out, "%.*s\n", static_cast<int>(end - text), text);
    }
    std::fflush(out);
}

std::int32_t toCount(double v) {
    if (!(v > 0)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
}

}  // namespace

void PulseParameters::setPulses(int f, std::vector<PulseConfigs> list) {
    pulses(f) = std::move(list);
    render(f);
}

void PulseParameters::render(int f) {
    const auto& list = pulses(f);
    std::vector<std::int32_t> lengths;
    lengths.reserve(list.size());
    for (const auto& p : list) lengths.push_back(stim::shapeOf(p).total());
    auto count = static_cast<std::int32_t>(list.size());
    if (f == kS1) {
        PulseAmplitudeAry = stim::renderPulses(list);
        AryLengthS1 = std::move(lengths);
        S1ChAddNum = count;
    } else {
        PulseAmplitudeAryS2 = stim::renderPulses(list);
        AryLengthS2 = std::move(lengths);
        S2ChAddNum = count;
    }
}

bool PulseParameters::parseAutoIncrement(int f) {
    auto v = stim::parseFloat32(f == kS1 ? autoincrementS1 : autoincrementS2);
    if (!v) return false;
    (f == kS1 ? autoincrementS1float : autoincrementS2float) = *v;
    return true;
}

void PulseParameters::OutPulseAmplitueAry(std::FILE* out) const { dump(PulseAmplitudeAry, out); }
void PulseParameters::OutPulseAmplitueAryF2(std::FILE* out) const { dump(PulseAmplitudeAryS2, out); }
void PulseParameters::OutPulseAmplitueAryF1F2(std::FILE* out) const { dump(PulseAmplitudeAryS1S2, out); }

namespace stim {

float repIntensity(float intensity, std::int64_t roop, float inc) {
    const double step = static_cast<double>(roop) * static_cast<double>(inc);
    if (intensity < 0) {
        double v = static_cast<double>(intensity) - step;
        return v > 0 ? 0.0f : static_cast<float>(v);
    }
    double v = static_cast<double>(intensity) + step;
    return v < 0 ? 0.0f : static_cast<float>(v);
}

std::int64_t listSamples(const std::vector<PulseConfigs>& list) {
    std::int64_t total = 0;
    for (const auto& p : list) total += shapeOf(p).total();
    return total;
}

std::vector<float> renderPulses(const std::vector<PulseConfigs>& list, std::int32_t roop, float inc) {
    // An oversized list is cut one sample past the limit: it cannot be played
    // (programProblem refuses it) and must not exhaust memory on the way.
    const std::int64_t size = std::min<std::int64_t>(listSamples(list), kMaxSamplesPerOutput + 1);
    std::vector<float> out(static_cast<std::size_t>(size), 0.0f);
    std::int64_t p = 0;
    for (const auto& pulse : list) {
        if (p >= size) break;
        PulseShape shape = shapeOf(pulse);
        if (shape.biphasic) shape.intensity = repIntensity(shape.intensity, roop, inc);
        renderPulse(shape, out.data() + p, size - p);
        p += shape.total();
    }
    return out;
}

std::vector<float> getPulseAllUnitsIncrementRep(const PulseParameters& program, int f, std::int32_t roop) {
    return renderPulses(program.pulses(f), roop, program.increment(f));
}

std::vector<float> interleaveVolts(const std::vector<float>& s1, const std::vector<float>& s2) {
    const std::size_t a = s1.size(), b = s2.size(), n = std::max(a, b);
    std::vector<float> out(2 * n, 0.0f);
    auto volts = [](float microamps) {
        return static_cast<float>(korin::roundHalfEven(static_cast<double>(microamps) * kVoltsPerMicroamp, 2));
    };
    for (std::size_t i = 0; i < a; ++i) out[2 * i] = volts(s1[i]);
    for (std::size_t i = 0; i < b; ++i) out[2 * i + 1] = volts(s2[i]);
    return out;
}

std::int32_t patternDurationMs(std::int64_t samples) {
    return toCount(static_cast<double>(samples) * static_cast<double>(kMsPerSampleF));
}

std::int32_t repeatCount(double traceMs, std::int64_t samples) {
    if (samples <= 0) return 0;
    double patterns = traceMs / (static_cast<double>(samples) * static_cast<double>(kMsPerSampleF));
    return toCount(korin::roundHalfEven(patterns, 1));
}

std::uint8_t getStimOnOrOff(const PulseParameters& program, int S) {
    return program.electrode(S) != PulseParameters::kNoElectrode && program.pulseCount(S) != 0 ? 1 : 0;
}

std::int32_t getTimeLineXMaxF1(const PulseParameters& program) {
    return static_cast<std::int32_t>(program.PulseAmplitudeAry.size());
}

std::int32_t getTimeLineXMaxF2(const PulseParameters& program) {
    return static_cast<std::int32_t>(program.PulseAmplitudeAryS2.size());
}

std::int32_t getTimeLineXMax(const PulseParameters& program) {
    return std::max(getTimeLineXMaxF1(program), getTimeLineXMaxF2(program));
}

float getMaxIntensity(const PulseParameters& program, int f, std::int32_t index) {
    float largest = 0;
    for (const auto& p : program.pulses(f))
        if (auto v = parseFloat32(p.Intensity)) largest = std::max(largest, std::fabs(*v));
    double result = largest;
    if (program.incrementsByRep(f)) result += static_cast<double>(program.increment(f)) * index;
    return result < 0 ? 0.0f : static_cast<float>(result);
}

bool endsAboveZero(const PulseParameters& program, int f) {
    const auto& s = program.samples(f);
    return program.pulseCount(f) > 0 && !s.empty() && s.back() != 0.0f;
}

std::string pulseProblem(const PulseConfigs& pulse) {
    for (const std::string* text : {&pulse.Duration, &pulse.Pre, &pulse.Post}) {
        auto v = parseFloat32(*text);
        if (v && *v < 0) return korin::alerts::kNegativePulseTime;
    }
    if (shapeOf(pulse).total() == 0) return korin::alerts::kZeroLengthPulse;
    return {};
}

std::string programProblem(const PulseParameters& program) {
    for (int f : {PulseParameters::kS1, PulseParameters::kS2}) {
        if (!getStimOnOrOff(program, f)) continue;
        for (const auto& p : program.pulses(f))
            if (auto problem = pulseProblem(p); !problem.empty()) return problem;
        if (listSamples(program.pulses(f)) > kMaxSamplesPerOutput) return korin::alerts::kPatternTooLong;
    }
    return {};
}

}  // namespace stim
