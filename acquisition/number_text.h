// Numbers typed into the window's fields, read and written the same way on every
// machine: a point as decimal separator, an optional exponent, surrounding blanks
// allowed, whatever the process locale. Nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korin {

// A decimal number: optional blanks, optional sign, digits with at most one point
// (".5" and "5." count), optional exponent ("1e3", "2.5E-2"), optional blanks.
// Infinities, NaN, hexadecimal and thousands separators are not numbers; nor is
// a value beyond the type's range.
std::optional<double> parseDouble(std::string_view text);
std::optional<float> parseSingle(std::string_view text);

// A whole number: optional blanks, optional sign, decimal digits, optional blanks;
// it must fit 32 bits.
std::optional<std::int32_t> parseInt32(std::string_view text);

// The shortest text that reads back as the same double, in the plain form the
// window shows: "50", "0.5", "-0.25", "1000"; exponent form ("1E+15", "1E-05")
// only for magnitudes of 1e15 and above or below 1e-4.
std::string defaultNumberText(double value);
// The same text of `value` rounded to `significantDigits` significant digits
// first, for numbers that come out of arithmetic: 0.02 + 0.02 + 0.02 is
// 0.06000000000000001, and to 15 digits it reads "0.06".
std::string defaultNumberText(double value, int significantDigits);

// A whole number in plain decimal digits: "7", "-12", "172800".
std::string wholeNumberText(long long value);

// Ascending whole numbers with runs joined: "2", "2, 5", "3-6, 9"; "" for none.
std::string rangesText(const std::vector<std::int64_t>& ascending);

// Room for any text of writeShortest.
constexpr std::size_t kShortestTextRoom = 32;

// The shortest text that reads back as the same value, in the form std::to_chars
// chooses ("-2.5", "0.125", "86400", "1e-05"), written at `out`; returns its end.
// No allocation, for files written line by line.
char* writeShortest(char* out, double value);
char* writeShortest(char* out, float value);
char* writeShortest(char* out, std::int32_t value);

}  // namespace korin
