#include "app/logic/input_sanitising.h"

#include "acquisition/number_text.h"

namespace korin {
namespace {

std::string numberTextOr(std::string_view text, std::string_view fallback) {
    if (auto value = parseDouble(text)) return defaultNumberText(*value);
    return std::string(fallback);
}

}  // namespace

float checkText(std::string_view text) { return parseSingle(text).value_or(0.0f); }

double getDoubleParse(std::string_view text) { return parseDouble(text).value_or(0.0); }

std::string getDoubleChecktextBoxRawYMax(std::string_view text) { return numberTextOr(text, "0.5"); }
std::string getDoubleChecktextBoxRawYMin(std::string_view text) { return numberTextOr(text, "-0.5"); }
std::string getDoubleChecktextBoxFreqYMax(std::string_view text) { return numberTextOr(text, "10"); }
std::string getDoubleChecktextBoxFreqYMin(std::string_view text) { return numberTextOr(text, "0"); }

std::string getIntChecktextDelay(std::string_view text) {
    if (auto value = parseInt32(text)) return std::to_string(*value);
    return "0";
}

std::string sanitisedText(std::string_view text, std::string_view fallback) {
    return parseSingle(text) ? std::string(text) : std::string(fallback);
}

std::string wholeNumberTimeText(std::string_view text) {
    return parseInt32(text) ? std::string(text) : std::string("0");
}

bool intervalFieldsEnabled(std::string_view repeatCountText) { return repeatCountText != "1"; }

}  // namespace korin
