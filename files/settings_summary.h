// The settings summary written beside every recorded run: eight labelled lines
// of the run's control texts, in Shift-JIS, CR LF between lines and none after
// the last, appended to any summary of the same name.
#pragma once

#include <string>

#include "files/file_naming.h"

struct SettingsSummary {
    StartDateTime start;
    std::string repeat;  // number of traces
    std::string hours, minutes, seconds;  // recording time
    std::string intervalHours, intervalMinutes, intervalSeconds;
    std::string inputRange;  // µV
    std::string highpass;    // Hz or "None"
    std::string lowpass;
    double conversionFactor = 0;  // mV per count
};

// "2022/01/31/09h 05m 03s"
std::string summaryStartTimeText(const StartDateTime& t);

// The factor with exactly ten decimals, halves to even: 0.0000610352.
std::string conversionFactorText(double factor);

// The summary as UTF-8 lines joined by CR LF, no line end after the last.
std::string settingsSummaryText(const SettingsSummary& summary);

// Appends the Shift-JIS summary to `path`, creating it when missing. False when
// the file cannot be opened or written, with the reason in `error`.
bool appendSettingsSummary(const std::string& path, const SettingsSummary& summary, std::string* error = nullptr);

// Adds one more line to the summary at `path` once the run is over (a CR LF,
// then the line, none after it, as the summary itself ends). False, with the
// reason in `error`, when the file cannot be opened or written.
bool appendSettingsSummaryLine(const std::string& path, const std::string& line, std::string* error = nullptr);
