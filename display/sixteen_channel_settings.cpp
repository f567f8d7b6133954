#include "display/sixteen_channel_settings.h"

#include <charconv>

namespace {

template <std::size_t N>
void checkMatching(std::array<bool, N>& checks, const std::array<const char*, N>& items, const std::string& value) {
    const double v = parseAxisValue(value, -1.0);
    for (std::size_t i = 0; i < N; ++i)
        if (parseAxisValue(items[i], -2.0) == v) checks[i] = true;
}

}  // namespace

void SixteenChannelSettings::comboduration_SelectedIndexChanged(int item) {
    if (item < 0 || item >= static_cast<int>(raw_axis::kXItems.size())) return;
    RawXCheckOff();
    RawXaxis = raw_axis::kXItems[item];
    xChecked[item] = true;
}

void SixteenChannelSettings::combovoltage_SelectedIndexChanged(int item) {
    if (item < 0 || item >= static_cast<int>(raw_axis::kYItems.size())) return;
    RawYCheckOff();
    if (item == raw_axis::kAutoscaleItem) {
        Rawauto = true;
    } else {
        Rawauto = false;
        RawYaxis = raw_axis::kYItems[item];
    }
    yChecked[item] = true;
}

void SixteenChannelSettings::setRawAuto(bool on) {
    Rawauto = on;
    if (on) RawYCheckOff();
    yChecked[raw_axis::kAutoscaleItem] = on;
}

void SixteenChannelSettings::RawXCheck() {
    checkMatching(xChecked, raw_axis::kXItems, RawXaxis);
}

void SixteenChannelSettings::RawYCheck() {
    // "Autoscale" is no number, so it never matches.
    checkMatching(yChecked, raw_axis::kYItems, RawYaxis);
}

bool SixteenChannelSettings::selectChannel(int index) {
    if (index < 0 || index >= 16) return false;
    selectCh = index;
    SelectOneCh = std::to_string(index);
    return true;
}

int SixteenChannelSettings::selectedIndex() const {
    int v = -1;
    const auto [end, ec] = std::from_chars(SelectOneCh.data(), SelectOneCh.data() + SelectOneCh.size(), v);
    if (ec != std::errc() || end != SelectOneCh.data() + SelectOneCh.size() || v < 0 || v >= 16) return -1;
    return v;
}
