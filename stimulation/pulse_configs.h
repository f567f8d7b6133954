// One stimulus pulse (a "unit" in the editor) and the rules that turn its texts
// into samples. The texts are kept exactly as typed; numbers are parsed from
// them every time samples are built, in single precision like the editor.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class PulseConfigs {
public:
    static constexpr const char* kBiphasic = "Biphasic";
    static constexpr const char* kConst = "Const";

    void setParameter(std::string pulsetype, std::string duration, std::string intensity, std::string pre,
                      std::string post);

    std::string Pulsetype = kBiphasic;
    std::string Duration;   // ms
    std::string Intensity;  // µA, the sign is the polarity of the first phase
    std::string Pre;        // ms of zeros before the pulse
    std::string Post;       // ms of zeros after the pulse
};

namespace stim {

inline constexpr double kSamplesPerMs = 20.0;  // 20 kHz stimulus time base
// One sample in ms, held in single precision: pattern durations and repeat
// counts are computed with this widened value (0.05000000074505806).
inline constexpr float kMsPerSampleF = 0.05f;
inline constexpr double kSecondsPerSample = 0.00005;
// The output task stages both outputs in 2 000 000 values, so one pattern may
// hold at most this many samples per output (50 s).
inline constexpr std::int32_t kMaxSamplesPerOutput = 1'000'000;
// The stimulator's range: ±100 µA (±4 V on the outputs).
inline constexpr double kIntensityLimitUa = 100.0;

// Parses like the editor's single-precision fields: surrounding blanks and a
// leading '+' allowed, the whole text must be a finite number.
std::optional<float> parseFloat32(std::string_view text);

// Pulsetype, Duration, Intensity, Pre and Post, in that order.
inline constexpr std::size_t kPulseTextFields = 5;
// Why the kPulseTextFields texts of a pulse cannot be played as written, or
// "": a type other than "Biphasic" or "Const", a field that is not a number,
// or an intensity beyond the stimulator's range. Where the window's boxes
// correct such a value in sight, a stored list or a command line would change
// the pulse unseen, so they refuse it with this text instead.
std::string pulseTextProblem(const std::vector<std::string_view>& fields);

// Samples of one time field: the single-precision value widened, × 20,
// truncated. Unparsable or negative texts give 0; counts saturate one past
// kMaxSamplesPerOutput so an oversized pattern still reads as oversized.
std::int32_t fieldSamples(const std::string& ms);

// A pulse resolved to sample counts and its intensity.
struct PulseShape {
    std::int32_t pre = 0;
    std::int32_t duration = 0;
    std::int32_t post = 0;
    std::int32_t firstPhase = 0;  // biphasic: samples at +I before the -I phase
    bool biphasic = false;
    float intensity = 0;  // µA; 0 when unparsable

    std::int32_t total() const { return pre + duration + post; }
};

PulseShape shapeOf(const PulseConfigs& pulse);
bool isBiphasic(const PulseConfigs& pulse);

// Writes the pulse's total() samples at `out`, at most `room` of them.
void renderPulse(const PulseShape& shape, float* out, std::int64_t room);

}  // namespace stim
