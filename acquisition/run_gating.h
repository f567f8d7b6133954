// Which control groups of the main window may be used in each run state, and how
// each state sets the run flags. One table serves the window, which applies it,
// and the tests, which check the window against it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace korin {

// The seven states the window's controls are gated for.
enum class RunState : std::uint8_t { Stop, Play, Pause, Replay, End, Next, Syori };
inline constexpr int kRunStateCount = 7;
inline constexpr std::array<RunState, kRunStateCount> kAllRunStates{
    RunState::Stop, RunState::Play, RunState::Pause, RunState::Replay,
    RunState::End,  RunState::Next, RunState::Syori};

std::string_view runStateName(RunState state);

// One cell of the table.
enum class Gate : std::uint8_t {
    On,
    Off,
    Keep,              // left as it was
    ReplayOnly,        // on in replay mode, off in record mode
    NotRecording,      // on when the run does not record (rectf 0)
    Recording,         // on when the run records (rectf 1)
    EnabledStepsOnly,  // step tabs: the editor of a ticked step, its check box untouched
    OffInRecordMode,   // off in record mode, left as it was in replay mode
};

enum class ControlGroup : std::uint8_t {
    PlayButtons,          // both toolbars
    RecordButtons,
    StopButtons,
    PauseButtons,
    BackNextButtons,
    FileOpenButton,
    RunSettings,          // interval h/m/s, repeat count, time h/m/s, input range, both live filters
    ExportSettings,       // output-folder chooser, output folder, text added to the file name
    StepTabs,             // the editors of steps 1 and 2
    ReplayRange,          // replay file name, trace and time ranges, the 16 replay channel buttons
    ReplayDelay,
    ReplayFilters,
    SwitchButtons,        // both toolbars
    ModeButton,
    ManualStimButton,
    EasySettings,
    ElectrodeButtons,     // steps 1 and 2
    PreferenceMenus,      // the twelve display-preference menu items
};
inline constexpr int kControlGroupCount = 18;

std::string_view controlGroupName(ControlGroup group);

// What a state does to one run flag.
enum class FlagChange : std::uint8_t { Clear, Set, Keep };

struct RunFlagChanges {
    FlagChange PlayTyuu;
    FlagChange StopTyuu;
    FlagChange PauseTyuu;
};

// Columns in the order of RunState.
using GateRow = std::array<Gate, kRunStateCount>;

inline constexpr std::array<GateRow, kControlGroupCount> kGatingTable{{
    //  Stop        Play                  Pause                    Replay      End         Next        Syori
    {Gate::On,  Gate::Off,  Gate::NotRecording,     Gate::Off,  Gate::Off,  Gate::On,   Gate::Off},   // Play
    {Gate::On,  Gate::Off,  Gate::Recording,        Gate::Off,  Gate::Off,  Gate::Off,  Gate::Off},   // Record
    {Gate::Off, Gate::On,   Gate::On,               Gate::On,   Gate::On,   Gate::On,   Gate::Off},   // Stop
    {Gate::Off, Gate::NotRecording, Gate::Off,      Gate::On,   Gate::On,   Gate::Off,  Gate::Off},   // Pause
    {Gate::ReplayOnly, Gate::Off, Gate::ReplayOnly, Gate::Off,  Gate::On,   Gate::On,   Gate::Off},   // Back, Next
    {Gate::On,  Gate::Off,  Gate::Off,              Gate::Off,  Gate::On,   Gate::Off,  Gate::Off},   // file open
    {Gate::On,  Gate::Off,  Gate::Off,              Gate::Keep, Gate::Keep, Gate::Off,  Gate::Off},   // run settings
    {Gate::On,  Gate::Off,  Gate::Off,              Gate::Keep, Gate::Keep, Gate::Off,  Gate::Off},   // export
    {Gate::On,  Gate::Off,  Gate::EnabledStepsOnly, Gate::Keep, Gate::Keep, Gate::Keep, Gate::Off},   // step tabs
    {Gate::On,  Gate::Keep, Gate::Off,              Gate::Off,  Gate::On,   Gate::Off,  Gate::Keep},  // replay range
    {Gate::On,  Gate::Off,  Gate::On,               Gate::On,   Gate::On,   Gate::On,   Gate::Keep},  // replay delay
    {Gate::On,  Gate::Keep, Gate::Off,              Gate::Off,  Gate::On,   Gate::Off,  Gate::Keep},  // replay filters
    {Gate::On,  Gate::Keep, Gate::Off,              Gate::Off,  Gate::On,   Gate::Off,  Gate::Keep},  // Switch
    {Gate::On,  Gate::Keep, Gate::On,               Gate::On,   Gate::On,   Gate::Off,  Gate::Keep},  // Mode
    {Gate::Off, Gate::Keep, Gate::Keep,             Gate::Keep, Gate::Keep, Gate::Keep, Gate::Keep},  // manual stim
    {Gate::On,  Gate::Off,  Gate::Keep,             Gate::Keep, Gate::On,   Gate::Keep, Gate::Off},   // easy settings
    {Gate::On,  Gate::Off,  Gate::Keep,             Gate::Keep, Gate::Keep, Gate::Keep, Gate::Keep},  // electrodes
    {Gate::On,  Gate::OffInRecordMode, Gate::Keep,  Gate::Keep, Gate::Keep, Gate::Keep, Gate::Keep},  // preferences
}};

inline constexpr std::array<RunFlagChanges, kRunStateCount> kRunFlagTable{{
    {FlagChange::Clear, FlagChange::Set, FlagChange::Clear},    // Stop
    {FlagChange::Set, FlagChange::Clear, FlagChange::Keep},     // Play
    {FlagChange::Clear, FlagChange::Clear, FlagChange::Set},    // Pause
    {FlagChange::Set, FlagChange::Clear, FlagChange::Clear},    // Replay
    {FlagChange::Clear, FlagChange::Set, FlagChange::Keep},     // End
    {FlagChange::Set, FlagChange::Clear, FlagChange::Keep},     // Next
    {FlagChange::Clear, FlagChange::Clear, FlagChange::Keep},   // Syori
}};

constexpr Gate gateFor(ControlGroup group, RunState state) {
    return kGatingTable[static_cast<std::size_t>(group)][static_cast<std::size_t>(state)];
}

constexpr RunFlagChanges flagChangesFor(RunState state) {
    return kRunFlagTable[static_cast<std::size_t>(state)];
}

// The window modes a cell may depend on.
struct GatingContext {
    bool replayMode = false;  // ReplayMode
    bool recording = false;   // rectf
};

// The enabled state a cell asks for, or nothing when the cell leaves the group as
// it was. EnabledStepsOnly reads as on: the window limits it to ticked steps.
std::optional<bool> resolveGate(Gate gate, GatingContext context);

// The flag value after a change, from the value before it.
constexpr std::uint8_t applyFlagChange(FlagChange change, std::uint8_t before) {
    switch (change) {
        case FlagChange::Clear: return 0;
        case FlagChange::Set: return 1;
        case FlagChange::Keep: return before;
    }
    return before;
}

}  // namespace korin
