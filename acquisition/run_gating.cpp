#include "acquisition/run_gating.h"

namespace korin {

std::string_view runStateName(RunState state) {
    switch (state) {
        case RunState::Stop: return "Stop";
        case RunState::Play: return "Play";
        case RunState::Pause: return "Pause";
        case RunState::Replay: return "Replay";
        case RunState::End: return "End";
        case RunState::Next: return "Next";
        case RunState::Syori: return "Syori";
    }
    return "?";
}

std::string_view controlGroupName(ControlGroup group) {
    switch (group) {
        case ControlGroup::PlayButtons: return "PlayButtons";
        case ControlGroup::RecordButtons: return "RecordButtons";
        case ControlGroup::StopButtons: return "StopButtons";
        case ControlGroup::PauseButtons: return "PauseButtons";
        case ControlGroup::BackNextButtons: return "BackNextButtons";
        case ControlGroup::FileOpenButton: return "FileOpenButton";
        case ControlGroup::RunSettings: return "RunSettings";
        case ControlGroup::ExportSettings: return "ExportSettings";
        case ControlGroup::StepTabs: return "StepTabs";
        case ControlGroup::ReplayRange: return "ReplayRange";
        case ControlGroup::ReplayDelay: return "ReplayDelay";
        case ControlGroup::ReplayFilters: return "ReplayFilters";
        case ControlGroup::SwitchButtons: return "SwitchButtons";
        case ControlGroup::ModeButton: return "ModeButton";
        case ControlGroup::ManualStimButton: return "ManualStimButton";
        case ControlGroup::EasySettings: return "EasySettings";
        case ControlGroup::ElectrodeButtons: return "ElectrodeButtons";
        case ControlGroup::PreferenceMenus: return "PreferenceMenus";
    }
    return "?";
}

std::optional<bool> resolveGate(Gate gate, GatingContext context) {
    switch (gate) {
        case Gate::On: return true;
        case Gate::Off: return false;
        case Gate::Keep: return std::nullopt;
        case Gate::ReplayOnly: return context.replayMode;
        case Gate::NotRecording: return !context.recording;
        case Gate::Recording: return context.recording;
        case Gate::EnabledStepsOnly: return true;
        case Gate::OffInRecordMode:
            if (context.replayMode) return std::nullopt;
            return false;
    }
    return std::nullopt;
}

}  // namespace korin
