#include "acquisition/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace korin {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Checks the decimal grammar ourselves: from_chars alone would also take "inf",
// "nan" and hexadecimal digits after a "0x" that a user never means.
bool isDecimalNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

template <typename Real>
std::optional<Real> parseReal(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (!isDecimalNumber(s)) return std::nullopt;
    // from_chars takes no leading '+'.
    if (s.front() == '+') s.remove_prefix(1);
    Real value{};
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != s.data() + s.size()) return std::nullopt;
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> parseDouble(std::string_view text) { return parseReal<double>(text); }
std::optional<float> parseSingle(std::string_view text) { return parseReal<float>(text); }

std::optional<std::int32_t> parseInt32(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    std::int32_t value = 0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value, 10);
    if (result.ec != std::errc() || result.ptr != s.data() + s.size()) return std::nullopt;
    return value;
}

std::string defaultNumberText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0.0) return "0";

    // Shortest round-trip digits in exponent form: "d.dddde+XX".
    char sci[64];
    const auto written = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific);
    std::string_view text(sci, static_cast<std::size_t>(written.ptr - sci));
    const std::size_t ePos = text.find('e');
    const int exponent = std::atoi(std::string(text.substr(ePos + 1)).c_str());
    const bool negative = text.front() == '-';
    std::string mantissa;
    for (char c : text.substr(negative ? 1 : 0, ePos - (negative ? 1 : 0)))
        if (c != '.') mantissa += c;

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        out += mantissa.substr(0, 1);
        if (mantissa.size() > 1) out += "." + mantissa.substr(1);
        const int magnitude = std::abs(exponent);
        out += exponent < 0 ? "E-" : "E+";
        if (magnitude < 10) out += "0";
        out += std::to_string(magnitude);
        return out;
    }
    if (exponent < 0) {
        out += "0.";
        out += std::string(static_cast<std::size_t>(-exponent - 1), '0');
        out += mantissa;
        return out;
    }
    const auto intDigits = static_cast<std::size_t>(exponent + 1);
    if (mantissa.size() <= intDigits) {
        out += mantissa + std::string(intDigits - mantissa.size(), '0');
    } else {
        out += mantissa.substr(0, intDigits) + "." + mantissa.substr(intDigits);
    }
    return out;
}

std::string wholeNumberText(long long value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string rangesText(const std::vector<std::int64_t>& ascending) {
    std::string text;
    for (std::size_t i = 0; i < ascending.size();) {
        std::size_t last = i;
        while (last + 1 < ascending.size() && ascending[last + 1] == ascending[last] + 1) ++last;
        if (!text.empty()) text += ", ";
        text += wholeNumberText(ascending[i]);
        if (last > i) text += "-" + wholeNumberText(ascending[last]);
        i = last + 1;
    }
    return text;
}

char* writeShortest(char* out, double value) { return std::to_chars(out, out + kShortestTextRoom, value).ptr; }
char* writeShortest(char* out, float value) { return std::to_chars(out, out + kShortestTextRoom, value).ptr; }
char* writeShortest(char* out, std::int32_t value) { return std::to_chars(out, out + kShortestTextRoom, value).ptr; }
std::string defaultNumberText(double value, int significantDigits) {
    if (!std::isfinite(value) || significantDigits < 1) return defaultNumberText(value);
    char text[64];
    const auto written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, significantDigits - 1);
    if (written.ec != std::errc()) return defaultNumberText(value);
    const std::optional<double> rounded = parseDouble(std::string_view(text, static_cast<std::size_t>(written.ptr - text)));
    return defaultNumberText(rounded.value_or(value));
}

}  // namespace korin
