#include "processing/filter_selectors.h"

#include <optional>

#include "acquisition/number_text.h"

namespace korin {
namespace {

SwitchReading readSwitch(std::string_view text) {
    if (text == kFilterNoneText) return {true, std::string(text)};
    if (!korin::parseSingle(text)) return {true, kFilterNoneText};
    return {false, std::string(text)};
}

}  // namespace

SwitchReading isFilterComboBoxNoneLPF(std::string_view text) { return readSwitch(text); }
SwitchReading isFilterComboBoxNoneHPF(std::string_view text) { return readSwitch(text); }

ValueReading getFilterComboBoxValueLPF(std::string_view text) {
    const std::optional<float> value = korin::parseSingle(text);
    if (!value) return {kMaxLowPassHz, std::string(text)};
    if (*value > kMaxLowPassHz) return {kMaxLowPassHz, "10000"};
    return {*value, std::string(text)};
}

ValueReading getFilterComboBoxValueHPF(std::string_view text) {
    const std::optional<float> value = korin::parseSingle(text);
    if (!value) return {kHighPassFallbackHz, std::string(text)};
    if (*value < kMinHighPassHz) return {kMinHighPassHz, "0.1"};
    return {*value, std::string(text)};
}

}  // namespace korin
