// The layout of one input of the settings fuzz target, shared with its seed
// generator: a steering byte (which of the six pulse lists the CSV is, so
// step and manual files and both outputs are reached), the settings store's
// XML, a NUL, then the pulse list's bytes (Shift-JIS, as on disk).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fuzzinput {

inline constexpr char kSeparator = '\0';

struct SettingsInput {
    unsigned steer = 0;
    std::string_view store;
    std::string_view pulseList;
};

inline SettingsInput split(std::string_view bytes) {
    SettingsInput in;
    if (bytes.empty()) return in;
    in.steer = static_cast<unsigned char>(bytes[0]);
    bytes.remove_prefix(1);
    const std::size_t cut = bytes.find(kSeparator);
    in.store = bytes.substr(0, cut);
    if (cut != std::string_view::npos) in.pulseList = bytes.substr(cut + 1);
    return in;
}

inline std::string join(unsigned char steer, std::string_view store, std::string_view pulseList) {
    std::string bytes(1, static_cast<char>(steer));
    bytes += store;
    bytes += kSeparator;
    bytes += pulseList;
    return bytes;
}

}  // namespace fuzzinput
