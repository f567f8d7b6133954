#include "tools/cli_channels.h"

#include "acquisition/number_text.h"

ChannelList channelList(std::string_view text) {
    ChannelList list;
    const std::string whole(text);
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string item(text.substr(0, comma));
        const auto number = korin::parseInt32(item);
        if (item.empty()) {
            list.problem = "--channels has an empty item in \"" + whole + "\"";
        } else if (!number || *number < 1 || *number > 16) {
            list.problem = "--channels takes channel numbers 1-16, not \"" + item + "\"";
        } else if (list.on[*number - 1]) {
            list.problem = "--channels names channel " + item + " twice";
        }
        if (!list.problem.empty()) return list;
        list.on[*number - 1] = true;
        if (comma == std::string_view::npos) return list;
        text.remove_prefix(comma + 1);
    }
}
