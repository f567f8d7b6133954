#include "app/logic/gating_tips.h"

namespace korin {
namespace {

constexpr std::string_view kRunInProgress = "A run is in progress: Pause or Stop it first";
constexpr std::string_view kReplayRunning = "The replay is running: Pause or Stop it first";
constexpr std::string_view kRangeDone = "The range has been replayed: Stop starts it again";
constexpr std::string_view kBusyReading = "Busy reading the recording";
constexpr std::string_view kStopToChange = "Stop the run to change this";

// Play and Record share their reasons but for the one that names the other.
std::string_view startButtonReason(RunState state, GatingContext context, bool record) {
    switch (state) {
        case RunState::Play: return kRunInProgress;
        case RunState::Pause:
            if (context.replayMode)
                return record ? "This replay does not export: Play resumes it" : "This export resumes with Record";
            return record ? "This run does not record: Play resumes it" : "This run records: Record resumes it";
        case RunState::Replay: return kReplayRunning;
        case RunState::End: return kRangeDone;
        case RunState::Next: return "Stepping through blocks: Stop first, then Record exports the range";
        case RunState::Syori: return kBusyReading;
        case RunState::Stop: return {};
    }
    return {};
}

}  // namespace

std::string_view whyDisabled(ControlGroup group, RunState state, GatingContext context) {
    switch (group) {
        case ControlGroup::PlayButtons: return startButtonReason(state, context, false);
        case ControlGroup::RecordButtons: return startButtonReason(state, context, true);
        case ControlGroup::PauseButtons:
            switch (state) {
                case RunState::Stop: return "Available during a run or a replay";
                case RunState::Play: return "A recorded run can be paused from its first interval on";
                case RunState::Next: return "Available while the replay plays";
                case RunState::Syori: return kBusyReading;
                default: return {};
            }
        case ControlGroup::BackNextButtons:
            if (!context.replayMode) return "Available in replay mode (REPLAY)";
            return state == RunState::Syori ? kBusyReading : kReplayRunning;
        case ControlGroup::SwitchButtons:
            return state == RunState::Syori ? kBusyReading : "Stop first to switch between recording and replay";
        case ControlGroup::FileOpenButton:
            return state == RunState::Syori ? kBusyReading : "Stop the replay first to open another recording";
        case ControlGroup::ManualStimButton: return kManualStimTip;
        case ControlGroup::RunSettings:
        case ControlGroup::ExportSettings:
        case ControlGroup::EasySettings:
        case ControlGroup::ElectrodeButtons: return kStopToChange;
        case ControlGroup::StopButtons:
        case ControlGroup::StepTabs:
        case ControlGroup::ReplayRange:
        case ControlGroup::ReplayDelay:
        case ControlGroup::ReplayFilters:
        case ControlGroup::ModeButton:
        case ControlGroup::PreferenceMenus: return {};
    }
    return {};
}

}  // namespace korin
