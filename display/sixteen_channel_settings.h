// What the user has chosen for the sixteen-channel view: arrangement, X and Y
// scale with the check marks of their menus, and the selected channel.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "display/raw_scales.h"

struct SixteenChannelSettings {
    std::string UIType = "C";
    std::string RawXaxis = raw_axis::kDefaultX;
    std::string RawYaxis = raw_axis::kDefaultY;
    bool Rawauto = false;
    std::string SelectOneCh = "1";
    std::int32_t selectCh = 1;

    std::array<bool, raw_axis::kXItems.size()> xChecked{};
    std::array<bool, raw_axis::kYItems.size()> yChecked{};

    // "X-axis" item i: uncheck all, take its value, check it.
    void comboduration_SelectedIndexChanged(int item);
    // "Y-axis" item i: "Autoscale" turns autoscale on and keeps RawYaxis; any
    // other item turns it off and takes the item's value.
    void combovoltage_SelectedIndexChanged(int item);

    // Autoscale on or off, with the "Autoscale" check mark.
    void setRawAuto(bool on);
    // Check the item whose value equals RawXaxis / RawYaxis as a number (after a restore).
    void RawXCheck();
    void RawYCheck();
    void RawXCheckOff() { xChecked.fill(false); }
    void RawYCheckOff() { yChecked.fill(false); }

    // selectCh and its text together; an index outside 0..15 is refused.
    bool selectChannel(int index);
    // The channel the selection frame is drawn around: SelectOneCh as a number,
    // or -1 (no frame) when it is not a channel index.
    int selectedIndex() const;
};
