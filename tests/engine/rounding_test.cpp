#include "acquisition/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(korin::roundHalfEven(2.5), 2.0);
    EXPECT_EQ(korin::roundHalfEven(3.5), 4.0);
    EXPECT_EQ(korin::roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(korin::roundHalfEven(1.25, 1), 1.2);
}

TEST(Rounding, FixedTextHasAPointAndRoundsExactHalvesToEven) {
    EXPECT_EQ(korin::formatFixed(0.125, 2), "0.12");
    EXPECT_EQ(korin::formatFixed(0.375, 2), "0.38");
    EXPECT_EQ(korin::formatFixed(-1.5, 0), "-2");
    EXPECT_EQ(korin::formatFixed(12.0, 3), "12.000");
}

TEST(Rounding, TextRoundTripSnapsASinglePrecisionTimeToHundredths) {
    // 9 x 0.05f in single precision is 0.45000002; through "0.45" it is 0.45f.
    EXPECT_EQ(korin::roundViaText(9.0f * 0.05f, 2), 0.45f);
    EXPECT_EQ(korin::roundViaText(0.454f, 2), 0.45f);
    EXPECT_EQ(korin::roundViaText(-0.456f, 2), -0.46f);
}

TEST(Rounding, TruncationGoesTowardZero) {
    EXPECT_EQ(korin::truncToInt16(-1.9), -1);
    EXPECT_EQ(korin::truncToInt16(1.9), 1);
    EXPECT_EQ(korin::truncToInt32(-123456.7), -123456);
}

TEST(Rounding, TruncationSaturatesInsteadOfWrapping) {
    EXPECT_EQ(korin::truncToInt16(40000.0), std::numeric_limits<std::int16_t>::max());
    EXPECT_EQ(korin::truncToInt16(-40000.0), std::numeric_limits<std::int16_t>::min());
    EXPECT_EQ(korin::truncToInt32(3e9), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(korin::truncToInt16(std::nan("")), 0);
}

}  // namespace
