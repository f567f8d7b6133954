#include "display/sixteen_channel_settings.h"

#include <charconv>

namespace {

template <std::size_t N>
int itemWithValue(const std::array<const char*, N>& items, const std::string& value) {
    const double v = parseAxisValue(value, -1.0);
    for (std::size_t i = 0; i < N; ++i)
        if (parseAxisValue(items[i], -2.0) == v) return static_cast<int>(i);
    return -1;
}

}  // namespace

void SixteenChannelSettings::comboduration_SelectedIndexChanged(int item) {
    if (item < 0 || item >= static_cast<int>(raw_axis::kXItems.size())) return;
    RawXaxis = raw_axis::kXItems[item];
}

void SixteenChannelSettings::combovoltage_SelectedIndexChanged(int item) {
    if (item < 0 || item >= static_cast<int>(raw_axis::kYItems.size())) return;
    if (item == raw_axis::kAutoscaleItem) {
        Rawauto = true;
    } else {
        Rawauto = false;
        RawYaxis = raw_axis::kYItems[item];
    }
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

int checkedXItem(const std::string& RawXaxis) {
    return itemWithValue(raw_axis::kXItems, RawXaxis);
}

int checkedYItem(const std::string& RawYaxis, bool Rawauto) {
    if (Rawauto) return raw_axis::kAutoscaleItem;
    // "Autoscale" is no number, so it never matches a value.
    return itemWithValue(raw_axis::kYItems, RawYaxis);
}
