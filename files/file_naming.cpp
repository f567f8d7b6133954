#include "files/file_naming.h"

#include <chrono>
#include <cstdio>
#include <ctime>

StartDateTime localNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    StartDateTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.millisecond = static_cast<int>(ms < 0 ? ms + 1000 : ms);
    return t;
}

std::string timeStampText(const StartDateTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%d%02d%02d_%02dh%02dm%02ds", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == kPathSeparator) return folder + name;
    return folder + kPathSeparator + name;
}

std::string recordingFilePath(const std::string& folder, const std::string& stamp, const std::string& added) {
    return joinPath(folder, stamp + added + kRecordingExtension);
}

std::string manualFilePath(const std::string& folder, const std::string& stamp, const std::string& added) {
    return joinPath(folder, stamp + "_" + added + kManualSuffix);
}

std::string settingsFilePath(const std::string& folder, const std::string& stamp, const std::string& added) {
    return joinPath(folder, stamp + added + kSettingsSuffix);
}

std::string numberedPath(const std::string& path, int n) {
    if (n <= 1) return path;
    const std::size_t nameStart = path.rfind(kPathSeparator) == std::string::npos ? 0 : path.rfind(kPathSeparator) + 1;
    std::size_t dot = path.rfind('.');
    // A leading dot names a hidden file, not an extension.
    if (dot == std::string::npos || dot <= nameStart) dot = path.size();
    return path.substr(0, dot) + "_" + std::to_string(n) + path.substr(dot);
}

std::string settingsPathForData(const std::string& dataPath) {
    const std::string extension = kRecordingExtension;
    const bool hasExtension = dataPath.size() >= extension.size() &&
                              dataPath.compare(dataPath.size() - extension.size(), extension.size(), extension) == 0;
    return (hasExtension ? dataPath.substr(0, dataPath.size() - extension.size()) : dataPath) + kSettingsSuffix;
}
