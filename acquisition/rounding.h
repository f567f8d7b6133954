// Rounding shared by the engine: halves go to the even neighbour, as the
// system's numeric conventions require (std::round would go away from zero).
#pragma once

#include <cmath>

namespace korin {

// Rounds to `decimals` decimal places, halves to even (the scaled value decides,
// as binary doubles hold no exact decimal halves beyond the first place).
inline double roundHalfEven(double value, int decimals = 0) {
    if (decimals == 0) return std::nearbyint(value);  // FE_TONEAREST: ties to even
    const double scale = std::pow(10.0, decimals);
    return std::nearbyint(value * scale) / scale;
}

}  // namespace korin
