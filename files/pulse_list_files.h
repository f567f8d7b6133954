// The six pulse-list files kept beside the settings store, one per output of
// each stimulation program: Shift-JIS text, CR LF line ends, fields separated
// by commas without quoting. A step file starts with its flag line ("by rep",
// True/False, "repeat all the time", True/False); every file then has the
// column names and one line per pulse unit.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "stimulation/pulse_configs.h"

class PulseParameters;

namespace korin {

enum class PulseList : std::uint8_t { Step1S1, Step1S2, Step2S1, Step2S2, ManualS1, ManualS2 };
inline constexpr std::size_t kPulseListCount = 6;

struct PulseListInfo {
    PulseList id;
    std::string_view fileName;
    int step;   // 0 step 1, 1 step 2, 2 manual
    int f;      // 0 S1, 1 S2
    bool manual;
};
// In the order they are read and written.
const std::array<PulseListInfo, kPulseListCount>& pulseLists();
const PulseListInfo& pulseListInfo(PulseList list);
std::string pulseListPath(const std::string& folder, PulseList list);

// One unit line of a file with the index its line number gives it.
struct PulseListUnit {
    std::int32_t index;
    PulseConfigs pulse;
};

enum class ListStatus : std::uint8_t {
    Missing,     // no file: the output keeps its defaults
    Unreadable,  // a file is there but cannot be read (permissions, a folder, a FIFO)
    Read,
};

// What one file holds. Flags only ever set: a "False" (or no flag line) leaves
// the output as it was.
struct PulseListFile {
    ListStatus status = ListStatus::Missing;
    // Why the file was not read, or why its reading stopped at a line; "" when
    // every line was taken.
    std::string error;
    bool setsByRep = false;
    bool setsRepeatAll = false;
    std::vector<PulseListUnit> units;

    bool read() const { return status == ListStatus::Read; }
};

// A file's text (already converted from Shift-JIS) parsed as a step or a manual
// file. A unit line whose type is not exactly "Biphasic" or "Const", whose time
// or intensity is not a number, or whose intensity is beyond the stimulator's
// range ends the reading there: the units before it are kept, and `error`
// names `source` and the line.
PulseListFile parsePulseList(std::string_view utf8, bool manual, std::string_view source = "pulse list");
PulseListFile readPulseListFile(const std::string& path, bool manual);
std::array<PulseListFile, kPulseListCount> readPulseLists(const std::string& folder);

// Adds one unit to a program's output, as the step editor's setStepF does:
// 0 when the unit is refused (reading of that file stops there), else 1.
using AddUnit = std::function<int(std::int32_t unitIndex, const PulseConfigs& pulse)>;

// setStimLastOneMemory…: the file's flags into output f of `program`, then its
// units through `addUnit` until one is refused. Returns the units added.
int applyPulseList(PulseParameters& program, int f, const PulseListFile& file, const AddUnit& addUnit);
// The same with units appended directly (no trace-length check), refusing a
// unit with a negative time, for tools that load lists without an editor.
int applyPulseList(PulseParameters& program, int f, const PulseListFile& file);

// The file texts (UTF-8, before the Shift-JIS conversion).
std::string stepPulseListText(const PulseParameters& program, int f);
std::string manualPulseListText(const PulseParameters& program, int f);

// saveStim…: one file written anew, atomically. False with the reason in `error`.
bool saveStimF1(const std::string& path, const PulseParameters& step, std::string* error = nullptr);
bool saveStimF2(const std::string& path, const PulseParameters& step, std::string* error = nullptr);
bool saveStimMF1(const std::string& path, const PulseParameters& manual, std::string* error = nullptr);
bool saveStimMF2(const std::string& path, const PulseParameters& manual, std::string* error = nullptr);

// The six files in order; the first failure ends the saving.
bool savePulseLists(const std::string& folder, const PulseParameters& step1, const PulseParameters& step2,
                    const PulseParameters& manual, std::string* error = nullptr);

}  // namespace korin
