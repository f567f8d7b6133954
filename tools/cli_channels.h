// The channel list of the commands that take one (--channels 3,7,16).
#pragma once

#include <string>
#include <string_view>

struct ChannelList {
    bool on[16] = {};
    std::string problem;  // empty when the list is sound
};

// "3,7,16": channel numbers 1-16, each once, no empty item.
ChannelList channelList(std::string_view text);
