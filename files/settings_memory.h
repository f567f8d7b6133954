// Bringing back the last session's settings at start-up and keeping them at
// exit: the store's keys and the six pulse-list files, in the order the
// window must apply them, with everything but the controls themselves here.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "files/pulse_list_files.h"
#include "files/settings_keys.h"
#include "files/settings_store.h"

class PulseParameters;
namespace stim {
class StepEditor;
}

namespace korin {

// The console line of a pulse list that could not be read, or whose reading
// stopped at a line, starts with this.
inline constexpr std::string_view kStimLastOneError = "Stim Last One Error ";

struct LoadedSettings {
    SettingsValues values;
    std::array<PulseListFile, kPulseListCount> lists;
    bool storeDamaged = false;
    // Lines for standard output: a damaged store, "Stim Last One Error" for each
    // pulse list that could not be read or stopped at a line, and each stored
    // value that was skipped.
    std::vector<std::string> console;
};

// Reads the store and the pulse-list files of `folder`. Never fails: whatever
// cannot be read keeps its default and leaves a line in `console`.
LoadedSettings loadSettings(const std::string& folder,
                            SettingsStore::Damaged damaged = SettingsStore::Damaged::KeepAside);

// The window's side of the loading: each call puts values into controls.
class SettingsTarget {
public:
    virtual ~SettingsTarget() = default;
    // Passes 1 and 3: one key's value (as the window applies it) into its control or field.
    virtual void applySetting(SettingKey key, const std::string& value) = 0;
    // Pass 2 (setStimLastOneMemory…): one file into its program's output,
    // normally applyPulseList with the editor's setStepF.
    virtual void applyPulseList(PulseList list, const PulseListFile& file) = 0;
    // Pass 2, after both files of step 0 or step 1: stimulus plot limits,
    // repeat-all button, by-rep colours and increment texts.
    virtual void stepListsLoaded(int /*step*/) {}
    // Pass 4: layout, colours, menus, units and the editors' refresh.
    virtual void applyLoaded(const SettingsValues& values) = 0;
};

// initialSettingLastOneMemory: pass 1 (input range and trace duration, which
// the pulse lists are checked against), pass 2 (the six pulse lists in file
// order), pass 3 (every other key that is read back), pass 4 (apply).
void initialSettingLastOneMemory(const LoadedSettings& loaded, SettingsTarget& target);

// setStimLastOneMemory…: the file's output shown in the editor, its flags set
// and its units added through the editor's setStepF until one is refused (Steps 1
// and 2 refuse a pattern longer than the trace set in pass 1). Returns the units
// added; a refusal's alert text in `alert`, for the window to show.
int setStimLastOneMemory(stim::StepEditor& editor, int f, const PulseListFile& file, std::string* alert = nullptr);

// Pass 4's part on the programs: the electrodes and each output's "Increase
// intensity" (its own key; a store written before those keys existed gives
// both outputs of a step the box text "textBoxAutoIncrement…").
void applyToPrograms(const SettingsValues& values, PulseParameters& step1, PulseParameters& step2,
                     PulseParameters& manual);
// The programs' electrodes and each output's increment into the values, for saving.
void takeFromPrograms(SettingsValues& values, const PulseParameters& step1, const PulseParameters& step2,
                      const PulseParameters& manual);

// The question asked when the window closes, or nullptr when nothing is saved
// (any preset but "Custom" selected).
const char* closeQuestion(std::string_view presetName);

// Korin16Form_FormClosed after a Yes: every key into the store (removed, then
// added, in table order), the store saved, then the six pulse-list files. The
// first failure ends the saving; false with the reason in `error`.
bool saveSettings(const std::string& folder, const SettingsValues& values, const PulseParameters& step1,
                  const PulseParameters& step2, const PulseParameters& manual, std::string* error = nullptr);

}  // namespace korin
