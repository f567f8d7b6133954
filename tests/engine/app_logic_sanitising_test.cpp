#include <gtest/gtest.h>

#include <vector>

#include "app/logic/input_sanitising.h"
#include "acquisition/number_text.h"

using namespace korin;

TEST(NumberText, AcceptsExponentAndSurroundingBlanks) {
    EXPECT_EQ(parseSingle("1e3"), 1000.0f);
    EXPECT_EQ(parseSingle(" 5 "), 5.0f);
    EXPECT_EQ(parseDouble("2.5E-2"), 0.025);
    EXPECT_EQ(parseDouble("+.5"), 0.5);
    EXPECT_EQ(parseDouble("5."), 5.0);
}

TEST(NumberText, RejectsTextsThatAreNotPlainDecimals) {
    for (const char* text : {"", " ", "abc", "1,5", "1.2.3", "e3", "1e", "inf", "NaN", "0x10", "1 000", "--1", "."})
        EXPECT_FALSE(parseDouble(text).has_value()) << '"' << text << '"';
}

TEST(NumberText, SingleBeyondItsRangeIsNotANumber) {
    EXPECT_FALSE(parseSingle("1e39").has_value());
    EXPECT_TRUE(parseDouble("1e39").has_value());
}

TEST(NumberText, Int32TakesWholeNumbersWithinRangeOnly) {
    EXPECT_EQ(parseInt32(" 12 "), 12);
    EXPECT_EQ(parseInt32("-3"), -3);
    EXPECT_EQ(parseInt32("2147483647"), 2147483647);
    EXPECT_FALSE(parseInt32("2147483648").has_value());
    EXPECT_FALSE(parseInt32("1.5").has_value());
    EXPECT_FALSE(parseInt32("1e3").has_value());
    EXPECT_FALSE(parseInt32("").has_value());
}

TEST(NumberText, DefaultTextIsPlainAndShortest) {
    EXPECT_EQ(defaultNumberText(50), "50");
    EXPECT_EQ(defaultNumberText(-0.5), "-0.5");
    EXPECT_EQ(defaultNumberText(1000), "1000");
    EXPECT_EQ(defaultNumberText(0.1), "0.1");
    EXPECT_EQ(defaultNumberText(0.0001), "0.0001");
    EXPECT_EQ(defaultNumberText(123456789012345.0), "123456789012345");
}

TEST(NumberText, DefaultTextUsesExponentOnlyForVeryLargeOrSmallMagnitudes) {
    EXPECT_EQ(defaultNumberText(1e15), "1E+15");
    EXPECT_EQ(defaultNumberText(0.00001), "1E-05");
    EXPECT_EQ(defaultNumberText(-2.5e-7), "-2.5E-07");
}

TEST(NumberText, RangesJoinRunsOfConsecutiveNumbers) {
    struct Case {
        std::vector<std::int64_t> numbers;
        const char* text;
    };
    const Case cases[] = {
        {{}, ""},
        {{2}, "2"},
        {{2, 5}, "2, 5"},
        {{1, 2}, "1-2"},
        {{3, 4, 5, 6, 9}, "3-6, 9"},
        {{1, 3, 4, 8, 9, 10}, "1, 3-4, 8-10"},
    };
    for (const Case& c : cases) EXPECT_EQ(korin::rangesText(c.numbers), c.text);
}

TEST(NumberText, FifteenSignificantDigitsDropTheNoiseOfArithmetic) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {0.02 + 0.02 + 0.02, "0.06"},  // 0.06000000000000001
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {-12.5, "-12.5"},
        {123456789012345678.0, "1.23456789012346E+17"},
        {-2.5e-7, "-2.5E-07"},
        {0.0, "0"},
    };
    for (const Case& c : cases) EXPECT_EQ(defaultNumberText(c.value, 15), c.text) << c.text;
}

TEST(Sanitising, CheckTextFallsBackToZero) {
    EXPECT_EQ(checkText("12.5"), 12.5f);
    EXPECT_EQ(checkText("x"), 0.0f);
    EXPECT_EQ(getDoubleParse(""), 0.0);
}

TEST(Sanitising, RawYMaximumThatIsNotANumberReadsAsHalf) {
    EXPECT_EQ(getDoubleChecktextBoxRawYMax("abc"), "0.5");
    EXPECT_EQ(getDoubleChecktextBoxRawYMin("abc"), "-0.5");
    EXPECT_EQ(getDoubleChecktextBoxFreqYMax("abc"), "10");
    EXPECT_EQ(getDoubleChecktextBoxFreqYMin("abc"), "0");
}

TEST(Sanitising, AxisLimitIsWrittenBackInPlainForm) {
    EXPECT_EQ(getDoubleChecktextBoxRawYMax(" 1e3 "), "1000");
    EXPECT_EQ(getDoubleChecktextBoxRawYMin("-50.0"), "-50");
}

TEST(Sanitising, DelayTextIsAWholeNumberOrZero) {
    EXPECT_EQ(getIntChecktextDelay(" 25 "), "25");
    EXPECT_EQ(getIntChecktextDelay("2.5"), "0");
    EXPECT_EQ(getIntChecktextDelay("Fast"), "0");
}

TEST(Sanitising, ValidTextStaysExactlyAsTyped) {
    EXPECT_EQ(sanitisedText("1e3", "1"), "1e3");
    EXPECT_EQ(sanitisedText(" 5 ", "1"), " 5 ");
    EXPECT_EQ(sanitisedText("1.5", "0"), "1.5");
}

TEST(Sanitising, EmptyOrNonNumericTextTakesTheFallback) {
    EXPECT_EQ(sanitisedText("", "1"), "1");
    EXPECT_EQ(sanitisedText("ten", "0"), "0");
}

TEST(Sanitising, FieldTableRunsInTheDocumentedOrderWithItsFallbacks) {
    const std::pair<const char*, const char*> expected[] = {
        {"comboBoxTrace", "1"},         {"comboBoxHours", "0"},         {"comboBoxMin", "0"},
        {"comboBoxSec", "0"},           {"comboBoxInHours", "0"},       {"comboBoxInMin", "0"},
        {"comboBoxInSec", "0"},         {"textBoxAutoIncrement", "0"},  {"textBoxAutoIncrement2", "0"},
        {"textBoxAutoIncrementM", "0"}, {"textBoxUnits", "1"},          {"textBoxUnits2", "1"},
        {"textBoxTraceFrom", "1"},      {"textBoxTraceTo", "1"},        {"textBoxTimeFrom", "0"},
        {"textBoxTimeTo", "0"},
    };
    ASSERT_EQ(kEnterBackColorFields.size(), std::size(expected));
    for (std::size_t i = 0; i < kEnterBackColorFields.size(); ++i) {
        EXPECT_EQ(kEnterBackColorFields[i].name, expected[i].first);
        EXPECT_EQ(kEnterBackColorFields[i].fallback, expected[i].second);
    }
}

TEST(Sanitising, WholeNumberTimeFieldTurnsDecimalIntoZero) {
    EXPECT_EQ(wholeNumberTimeText("1.5"), "0");
    EXPECT_EQ(wholeNumberTimeText(""), "0");
    EXPECT_EQ(wholeNumberTimeText("30"), "30");
}

TEST(Sanitising, RepeatCountOfExactlyOneDisablesTheInterval) {
    EXPECT_FALSE(intervalFieldsEnabled("1"));
    EXPECT_TRUE(intervalFieldsEnabled("01"));
    EXPECT_TRUE(intervalFieldsEnabled(" 1"));
    EXPECT_TRUE(intervalFieldsEnabled("5"));
}
