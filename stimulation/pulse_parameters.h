// One stimulation program (Step 1, Step 2 or Manual): per output an ordered
// pulse list, its rendered samples in µA at 20 kHz, the routed electrode and the
// intensity-increment options; plus the pure computations the output tasks, the
// editor and the time-line view need.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "stimulation/pulse_configs.h"

class PulseParameters {
public:
    // Output index f: 0 is S1, 1 is S2.
    static constexpr int kS1 = 0;
    static constexpr int kS2 = 1;
    static constexpr std::int32_t kNoElectrode = -1;

    std::vector<float> PulseAmplitudeAry;      // S1, µA per sample
    std::vector<float> PulseAmplitudeAryS2;    // S2, µA per sample
    std::vector<float> PulseAmplitudeAryS1S2;  // output buffer: volts, S1 and S2 interleaved
    std::vector<std::int32_t> AryLengthS1;     // samples of each S1 pulse
    std::vector<std::int32_t> AryLengthS2;
    std::int32_t S1ChAddNum = 0;
    std::int32_t S2ChAddNum = 0;
    std::int32_t S1Ch = 0;  // electrode − 1 (0..15), −1 = none
    std::int32_t S2Ch = 0;
    std::int32_t repeat = 0;  // extra pattern writes in "repeat all the time" mode
    std::vector<PulseConfigs> PulseConfigS1;
    std::vector<PulseConfigs> PulseConfigS2;
    std::uint8_t addIncrementByRepS1 = 0;
    std::uint8_t addIncrementByRepS2 = 0;
    std::string autoincrementS1 = "1";  // "Increase intensity", µA, as typed
    std::string autoincrementS2 = "1";
    float autoincrementS1float = 0;  // parsed when a run is set up
    float autoincrementS2float = 0;
    std::uint8_t repeatAll = 0;

    std::vector<PulseConfigs>& pulses(int f) { return f == kS1 ? PulseConfigS1 : PulseConfigS2; }
    const std::vector<PulseConfigs>& pulses(int f) const { return f == kS1 ? PulseConfigS1 : PulseConfigS2; }
    const std::vector<float>& samples(int f) const { return f == kS1 ? PulseAmplitudeAry : PulseAmplitudeAryS2; }
    std::int32_t electrode(int f) const { return f == kS1 ? S1Ch : S2Ch; }
    std::int32_t pulseCount(int f) const { return f == kS1 ? S1ChAddNum : S2ChAddNum; }
    bool incrementsByRep(int f) const { return (f == kS1 ? addIncrementByRepS1 : addIncrementByRepS2) != 0; }
    float increment(int f) const { return f == kS1 ? autoincrementS1float : autoincrementS2float; }

    // Replaces output f's pulse list and re-renders its samples, keeping the
    // count, the per-pulse lengths and the array in step with the list.
    void setPulses(int f, std::vector<PulseConfigs> list);
    // Re-renders output f's samples from its list.
    void render(int f);
    // Parses output f's "Increase intensity" text into its float; false (and
    // nothing changed) when it is not a number.
    bool parseAutoIncrement(int f);

    // Diagnostic dumps: every value of the S1, S2 or interleaved array, one per line.
    void OutPulseAmplitueAry(std::FILE* out = stdout) const;
    void OutPulseAmplitueAryF2(std::FILE* out = stdout) const;
    void OutPulseAmplitueAryF1F2(std::FILE* out = stdout) const;
};

namespace stim {

inline constexpr double kVoltsPerMicroamp = 0.04;  // ±100 µA maps to the ±4 V of the outputs

// A "Biphasic" intensity for repetition `roop` of "by rep #": it moves away
// from zero by roop × inc (in double, stored in single precision) and stops at
// 0 rather than flip polarity.
float repIntensity(float intensity, std::int64_t roop, float inc);

// Renders a pulse list in order from position 0. With a repetition index and
// increment, "Biphasic" intensities move away from zero by roop × inc and stop
// at 0 rather than flip polarity; "Const" pulses keep theirs.
std::vector<float> renderPulses(const std::vector<PulseConfigs>& list, std::int32_t roop = 0, float inc = 0);

// Output f of the program for repetition `roop` ("by rep #"), built afresh.
std::vector<float> getPulseAllUnitsIncrementRep(const PulseParameters& program, int f, std::int32_t roop);

// The interleaved output buffer in volts: 2 × max(a, b) values, S1 at even and
// S2 at odd positions, each µA × 0.04 rounded to 0.01 V (halves to even).
std::vector<float> interleaveVolts(const std::vector<float>& s1, const std::vector<float>& s2);

// Pattern length in ms for `samples` per output (truncated).
std::int32_t patternDurationMs(std::int64_t samples);
// Patterns that fit a trace of `traceMs` after the first, for "repeat all the time".
std::int32_t repeatCount(double traceMs, std::int64_t samples);

// 1 when output S (0 = S1, 1 = S2) has an electrode and at least one pulse.
std::uint8_t getStimOnOrOff(const PulseParameters& program, int S);

std::int32_t getTimeLineXMaxF1(const PulseParameters& program);
std::int32_t getTimeLineXMaxF2(const PulseParameters& program);
std::int32_t getTimeLineXMax(const PulseParameters& program);

// Largest |intensity| of output f's pulses plus, with "by rep #", index × the
// increment; never below 0.
float getMaxIntensity(const PulseParameters& program, int f, std::int32_t index);

// True when output f has pulses and its last sample is not 0.
bool endsAboveZero(const PulseParameters& program, int f);

// Why a pulse may not be added or applied ("" if it may): a negative Duration,
// Pre or Post, or no sample at all (it would be listed but never played).
std::string pulseProblem(const PulseConfigs& pulse);
// Why a program may not be played ("" if it may): a pulse pulseProblem refuses
// on an output that is on, or more than kMaxSamplesPerOutput samples on one.
std::string programProblem(const PulseParameters& program);
// Exact sample count of a list (saturating per field), for length checks.
std::int64_t listSamples(const std::vector<PulseConfigs>& list);

}  // namespace stim
