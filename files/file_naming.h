// Names of the files a recorded run leaves behind, all built from the run's
// start instant: 20220131_09h05m03s<added text>.pldat, the manual-stimulation
// file and the settings summary beside it.
#pragma once

#include <string>

// Local date and time of a run start, as plain numbers.
struct StartDateTime {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

inline constexpr char kPathSeparator = '/';
inline constexpr const char* kRecordingExtension = ".pldat";
inline constexpr const char* kManualSuffix = "_Manual Stim.pldat";
inline constexpr const char* kSettingsSuffix = "_settings.txt";

// The system clock's local time now, to the millisecond.
StartDateTime localNow();

// "20220131_09h05m03s": year as its digits, the other parts two digits.
std::string timeStampText(const StartDateTime& t);

// Folder and name joined by one path separator (none added when the folder
// already ends with one or is empty).
std::string joinPath(const std::string& folder, const std::string& name);

// <folder>/<stamp><added>.pldat
std::string recordingFilePath(const std::string& folder, const std::string& stamp, const std::string& added);
// <folder>/<stamp>_<added>_Manual Stim.pldat
std::string manualFilePath(const std::string& folder, const std::string& stamp, const std::string& added);
// <folder>/<stamp><added>_settings.txt
std::string settingsFilePath(const std::string& folder, const std::string& stamp, const std::string& added);

// The summary beside a data file of any name: "<stem>.pldat" -> "<stem>_settings.txt".
std::string settingsPathForData(const std::string& dataPath);

// The n-th name for `path` when the plain one is taken: "_n" before the
// extension of the last path component ("a.pldat", 2 -> "a_2.pldat"), or at the
// end when it has none. n <= 1 gives `path` itself.
std::string numberedPath(const std::string& path, int n);
