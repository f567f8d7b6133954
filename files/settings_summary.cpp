#include "files/settings_summary.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "acquisition/rounding.h"
#include "files/text_encoding.h"

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kColon = " \xEF\xBC\x9A ";  // fullwidth colon U+FF1A between spaces

}  // namespace

std::string summaryStartTimeText(const StartDateTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%d/%02d/%02d/%02dh %02dm %02ds", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string conversionFactorText(double factor) {
    return korin::formatFixed(factor, 10);
}

std::string settingsSummaryText(const SettingsSummary& s) {
    const std::string lines[] = {
        std::string("Start time") + kColon + summaryStartTimeText(s.start),
        std::string("Repeat number") + kColon + s.repeat,
        std::string("Recording time") + kColon + s.hours + "h " + s.minutes + "m " + s.seconds + "s",
        std::string("Interval time") + kColon + s.intervalHours + "h " + s.intervalMinutes + "m " +
            s.intervalSeconds + "s",
        std::string("Input range (uV)") + kColon + s.inputRange,
        std::string("Highpass filter (Hz)") + kColon + s.highpass,
        std::string("Lowpass filter (Hz)") + kColon + s.lowpass,
        std::string("Conversion factor (mV)") + kColon + conversionFactorText(s.conversionFactor),
    };
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += kLineEnd;
        text += line;
    }
    return text;
}

namespace {

bool appendBytes(const std::string& path, const std::string& bytes, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (f == nullptr) {
        if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const int writeErr = errno;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        if (error) *error = "cannot write " + path + ": " + std::strerror(written ? errno : writeErr);
        return false;
    }
    return true;
}

}  // namespace

bool appendSettingsSummary(const std::string& path, const SettingsSummary& summary, std::string* error) {
    return appendBytes(path, korin::toShiftJis(settingsSummaryText(summary)), error);
}

bool appendSettingsSummaryLine(const std::string& path, const std::string& line, std::string* error) {
    return appendBytes(path, korin::toShiftJis(kLineEnd + line), error);
}
