#include "acquisition/sim_channels.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <functional>
#include <string_view>

namespace sim {

namespace {

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

// "<prefix>N" or "<prefix>N:M", numbers only.
bool parseRange(std::string_view text, std::string_view prefix, int& first, int& last) {
    if (text.substr(0, prefix.size()) != prefix) return false;
    text.remove_prefix(prefix.size());
    const char* end = text.data() + text.size();
    auto r = std::from_chars(text.data(), end, first);
    if (r.ec != std::errc() || r.ptr == text.data()) return false;
    last = first;
    if (r.ptr == end) return true;
    if (*r.ptr != ':') return false;
    const char* second = r.ptr + 1;
    r = std::from_chars(second, end, last);
    return r.ec == std::errc() && r.ptr == end && r.ptr != second;
}

ChannelList failure(daqmx::int32 status, std::string message) {
    ChannelList list;
    list.status = status;
    list.message = std::move(message);
    return list;
}

// Splits the list into terms, checks the device of each, and hands the rest of
// a term ("ai0:7") to `term`, which appends channels or returns false.
ChannelList parseList(const char* names, const char* valid,
                      const std::function<bool(std::string_view, std::vector<int>&)>& term) {
    ChannelList list;
    const std::string text = names ? names : "";
    for (std::size_t begin = 0; begin <= text.size();) {
        std::size_t comma = text.find(',', begin);
        if (comma == std::string::npos) comma = text.size();
        const std::string_view original = trimmed(std::string_view(text).substr(begin, comma - begin));
        begin = comma + 1;
        const std::string name = lowered(original);
        const std::size_t slash = name.find('/');
        if (slash != std::string::npos && name.substr(0, slash) != "dev1")
            return failure(daqmx::DAQmxErrorDeviceNotFound,
                           "Device identifier is invalid.\nDevice Specified: " + std::string(original.substr(0, slash)));
        if (slash == std::string::npos || !term(std::string_view(name).substr(slash + 1), list.physical))
            return failure(daqmx::DAQmxErrorPhysicalChanDoesNotExist,
                           "Physical channel specified does not exist on this device.\nPhysical Channel Name: " +
                               std::string(original) + "\nValid Physical Channels: " + valid);
    }
    for (int channel : list.physical)
        if (std::count(list.physical.begin(), list.physical.end(), channel) > 1)
            return failure(daqmx::DAQmxErrorInvalidAttributeValue,
                           "A physical channel appears twice in the list.\nPhysical Channels: " + text);
    return list;
}

}  // namespace

ChannelList parseInputChannels(const char* names) {
    return parseList(names, "Dev1/ai0:7, Dev1/ai16:23 (differential)", [](std::string_view term, std::vector<int>& out) {
        int first = -1, last = -1;
        if (!parseRange(term, "ai", first, last)) return false;
        for (int ai = first;; ai += last >= first ? 1 : -1) {
            const bool positiveInput = (ai >= 0 && ai <= 7) || (ai >= 16 && ai <= 23);
            if (!positiveInput) return false;
            out.push_back(ai < 8 ? ai : ai - 8);
            if (ai == last) return true;
        }
    });
}

ChannelList parseOutputChannels(const char* names) {
    return parseList(names, "Dev1/ao0:1", [](std::string_view term, std::vector<int>& out) {
        int first = -1, last = -1;
        if (!parseRange(term, "ao", first, last) || first < 0 || first > 1 || last < 0 || last > 1) return false;
        for (int ao = first;; ao += last >= first ? 1 : -1) {
            out.push_back(ao);
            if (ao == last) return true;
        }
    });
}

ChannelList parseRoutingLines(const char* names) {
    ChannelList list = parseList(names, "Dev1/port0/line0:9 (the electrode router)",
                                 [](std::string_view term, std::vector<int>& out) {
                                     if (term != "port0/line0:9") return false;
                                     out.push_back(0);
                                     return true;
                                 });
    return list;
}

}  // namespace sim
