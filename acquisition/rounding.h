// Rounding shared by the engine: halves go to the even neighbour, as the
// system's numeric conventions require (std::round would go away from zero).
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace korin {

// Rounds to `decimals` decimal places, halves to even (the scaled value decides,
// as binary doubles hold no exact decimal halves beyond the first place).
inline double roundHalfEven(double value, int decimals = 0) {
    if (decimals == 0) return std::nearbyint(value);  // FE_TONEAREST: ties to even
    const double scale = std::pow(10.0, decimals);
    return std::nearbyint(value * scale) / scale;
}

// Fixed-decimal text with a point whatever the process locale ("0.00" for 2).
// Exact decimal expansion of the binary value, halves to even.
inline std::string formatFixed(double value, int decimals) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return std::to_string(value);
    return std::string(text, result.ptr);
}

// A single-precision value rounded to `decimals` by writing it as fixed-decimal
// text and reading the text back, so the result is the float nearest to the
// printed decimal. No allocation: usable inside the signal path.
inline float roundViaText(float value, int decimals) {
    char text[64];
    const auto written =
        std::to_chars(text, text + sizeof text, static_cast<double>(value), std::chars_format::fixed, decimals);
    if (written.ec != std::errc()) return value;
    float parsed = value;
    std::from_chars(text, written.ptr, parsed);
    return parsed;
}

// Float to integer conversions truncate toward zero; these also saturate at the
// type's limits (NaN gives 0) instead of wrapping or being undefined.
template <typename Int>
inline Int truncSaturating(double value) {
    if (std::isnan(value)) return 0;
    const double t = std::trunc(value);
    if (t <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
    if (t >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
    return static_cast<Int>(t);
}

inline std::int16_t truncToInt16(double value) { return truncSaturating<std::int16_t>(value); }
inline std::int32_t truncToInt32(double value) { return truncSaturating<std::int32_t>(value); }

}  // namespace korin
