// Why a control group is greyed in a run state: the tool tip a greyed control
// shows, so that a user who reaches for it learns what makes it available. The
// window applies it where it gates the controls and restores the control's own
// tip when the group is enabled again.
#pragma once

#include <string_view>

#include "acquisition/run_gating.h"

namespace korin {

inline constexpr std::string_view kManualStimTip = "Available while a run is paused";

// The reason for `group` being disabled in `state`; empty where nobody reaches
// for it then (Stop while stopped, Pause while paused).
std::string_view whyDisabled(ControlGroup group, RunState state, GatingContext context);

}  // namespace korin
