#include "app/logic/input_sanitising.h"

#include "acquisition/number_text.h"
#include "files/settings_keys.h"

namespace korin {

float checkText(std::string_view text) { return parseSingle(text).value_or(0.0f); }

double getDoubleParse(std::string_view text) { return parseDouble(text).value_or(0.0); }

std::string getDoubleChecktextBoxRawYMax(std::string_view text) {
    return limitBoxText(SettingKey::RawYMax, text);
}
std::string getDoubleChecktextBoxRawYMin(std::string_view text) {
    return limitBoxText(SettingKey::RawYMin, text);
}
std::string getDoubleChecktextBoxFreqYMax(std::string_view text) {
    return limitBoxText(SettingKey::FreqYMax, text);
}
std::string getDoubleChecktextBoxFreqYMin(std::string_view text) {
    return limitBoxText(SettingKey::FreqYMin, text);
}

std::string getIntChecktextDelay(std::string_view text) {
    if (auto value = parseInt32(text)) return std::to_string(*value);
    return "0";
}

std::string sanitisedText(std::string_view text, std::string_view fallback) {
    return parseSingle(text) ? std::string(text) : std::string(fallback);
}

bool intervalFieldsEnabled(std::string_view repeatCountText) { return repeatCountText != "1"; }

}  // namespace korin
