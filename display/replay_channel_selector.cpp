#include "display/replay_channel_selector.h"

void ReplayChannelSelector::ChSelector(const std::uint8_t* presentFlags) {
    for (int c = 0; c < kChannels; ++c) {
        present_[c] = presentFlags[c] == 1;
        white_[c] = present_[c];
    }
}

void ReplayChannelSelector::buttonChrep_Click(int channel) {
    if (channel < 0 || channel >= kChannels || !present_[channel]) return;
    white_[channel] = !white_[channel];
}

void ReplayChannelSelector::GetSelectCh(std::uint8_t* selectFlags) const {
    for (int c = 0; c < kChannels; ++c) selectFlags[c] = white_[c] ? 1 : 0;
}
