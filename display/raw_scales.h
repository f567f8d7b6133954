// Scales of the sixteen-channel view: the X-axis and Y-axis menu values (per
// grid division), samples across a cell, the fixed and automatic Y mappings.
#pragma once

#include <array>
#include <string_view>

namespace raw_axis {

inline constexpr std::array<const char*, 9> kXItems = {"1", "10", "20", "50", "100", "200", "300", "400", "500"};
inline constexpr std::array<const char*, 14> kYItems = {"1",    "2.5",  "5",    "10",   "25",
                                                         "50",   "100",  "250",  "500",  "1000",
                                                         "2000", "2500", "5000", "Autoscale"};
inline constexpr int kAutoscaleItem = static_cast<int>(kYItems.size()) - 1;
inline constexpr const char* kDefaultX = "500";  // ms per division
inline constexpr const char* kDefaultY = "50";   // uV per division

inline constexpr int kSamplesPerMs = 20;
inline constexpr int kXDivisions = 5;
inline constexpr int kYDivisions = 4;
// The automatic range's margin around the data, in mV: the single-precision 0.0001.
inline constexpr float kAutoScaleMarginMv = 0.0001f;

}  // namespace raw_axis

// A menu value as a number. Menu texts always parse; a stored text that does
// not, or is not a positive finite number, gives the fallback instead, so a
// corrupt setting can never divide a scale by zero.
double parseAxisValue(std::string_view text, double fallback);

// Samples across one cell: RawXaxis ms per division x 5 divisions x 20 samples per ms.
int samplesAcross(std::string_view RawXaxis);

// Autoscale limits in uV over a channel's whole array (unfilled entries hold 0).
double getAmpYAutoScaleMax(const double* ary, int length);
double getAmpYAutoScaleMin(const double* ary, int length);

// Vertical mapping of one cell: a sample v (mV) is drawn at
// y = top + zeroOffset - v * 1000 * pixelsPerMicrovolt.
struct CellYScale {
    double pixelsPerMicrovolt = 0.0;
    double zeroOffset = 0.0;  // from the cell's top edge
};

// -2 x RawYaxis uV at the cell's bottom to +2 x RawYaxis uV at its top.
CellYScale fixedYScale(int cellHeight, double RawYaxis);
// Ymin uV at the bottom to Ymax uV at the top.
CellYScale autoYScale(int cellHeight, double Ymax, double Ymin);
