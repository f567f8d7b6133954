// What the user has chosen for the sixteen-channel view: arrangement, X and Y
// scale, and the selected channel, with the rules of their menus.
#pragma once

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

    // "X-axis" item i takes its value.
    void comboduration_SelectedIndexChanged(int item);
    // "Y-axis" item i: "Autoscale" turns autoscale on and keeps RawYaxis; any
    // other item turns it off and takes the item's value.
    void combovoltage_SelectedIndexChanged(int item);
    void setRawAuto(bool on) { Rawauto = on; }

    // selectCh and its text together; an index outside 0..15 is refused.
    bool selectChannel(int index);
    // The channel the selection frame is drawn around: SelectOneCh as a number,
    // or -1 (no frame) when it is not a channel index.
    int selectedIndex() const;
};

// The one "X-axis" item that carries a check mark: the item equal to RawXaxis
// as a number (a restored "500.0" checks "500"), or -1 when none is.
int checkedXItem(const std::string& RawXaxis);
// The one "Y-axis" item with a check mark: "Autoscale" while autoscaling, else
// the item equal to RawYaxis as a number, or -1.
int checkedYItem(const std::string& RawYaxis, bool Rawauto);
