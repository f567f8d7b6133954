#include "processing/filter_selectors.h"

#include <gtest/gtest.h>

namespace {

TEST(FilterSelectors, NoneSwitchesTheStageOff) {
    const korin::SwitchReading r = korin::isFilterComboBoxNoneLPF("None");
    EXPECT_TRUE(r.none);
    EXPECT_EQ(r.text, "None");
}

TEST(FilterSelectors, NumberSwitchesTheStageOn) {
    const korin::SwitchReading r = korin::isFilterComboBoxNoneHPF("10");
    EXPECT_FALSE(r.none);
    EXPECT_EQ(r.text, "10");
}

TEST(FilterSelectors, TextThatIsNotANumberTurnsTheSelectorToNone) {
    for (const char* text : {"abc", "", "1O0", "nan", "inf"}) {
        EXPECT_TRUE(korin::isFilterComboBoxNoneLPF(text).none) << text;
        EXPECT_EQ(korin::isFilterComboBoxNoneHPF(text).text, "None") << text;
    }
}

TEST(FilterSelectors, LowPassAbove10000ReadsAs10000) {
    const korin::ValueReading r = korin::getFilterComboBoxValueLPF("12000");
    EXPECT_EQ(r.value, 10000.0f);
    EXPECT_EQ(r.text, "10000");
    EXPECT_EQ(korin::getFilterComboBoxValueLPF("2500").value, 2500.0f);
    EXPECT_EQ(korin::getFilterComboBoxValueLPF("2500").text, "2500");
}

TEST(FilterSelectors, LowPassThatIsNotANumberGives10000) {
    EXPECT_EQ(korin::getFilterComboBoxValueLPF("None").value, 10000.0f);
}

TEST(FilterSelectors, HighPassBelowPointOneReadsAsPointOne) {
    const korin::ValueReading r = korin::getFilterComboBoxValueHPF("0.05");
    EXPECT_EQ(r.value, 0.1f);
    EXPECT_EQ(r.text, "0.1");
    EXPECT_EQ(korin::getFilterComboBoxValueHPF("0.1").value, 0.1f);
    EXPECT_EQ(korin::getFilterComboBoxValueHPF("0.1").text, "0.1");
}

TEST(FilterSelectors, HighPassThatIsNotANumberGivesOne) {
    EXPECT_EQ(korin::getFilterComboBoxValueHPF("None").value, 1.0f);
}

}  // namespace
