// "Copy Data" of the analysis plot: the selected channel's analysed series as
// tab-separated text, a header line per mode, every line ended by a line feed
// (except an EP step-1 pair waiting for its step-2 partner), numbers in their
// plain decimal text.
#pragma once

#include <string>

#include "display/selected_source.h"
#include "display/selected_view_update.h"

struct CopyDataOptions {
    AnalysisMode Mode = AnalysisMode::Spike;
    int EpYScale = 1000;    // plotted units per mV
    bool epMilli = false;   // EpYUnit is "mV"
    int hyouziStep = 1;     // -1 both steps
};

std::string copyDataText(const SelectedSnapshot& data, const CopyDataOptions& options);
