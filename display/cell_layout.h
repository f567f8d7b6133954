// Cell geometry of the sixteen-channel view: which rectangle of the panel each
// channel's trace occupies in the two arrangements, and which channel a click selects.
#pragma once

#include <string_view>

enum class ArrayType {
    A,  // four rows of four (menu item "A/B")
    C,  // two rows of eight
};

// "A" and "C" are the stored texts of the arrangement; anything else is "C".
ArrayType arrayTypeFromText(std::string_view UIType);
const char* arrayTypeText(ArrayType t);

struct CellRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(const CellRect&, const CellRect&) = default;
};

struct CellGrid {
    static constexpr int kChannels = 16;
    static constexpr int kGap = 5;  // between cells and at the panel's edges

    int columns = 8;
    int cellWidth = 0;
    int cellHeight = 0;

    // The cell of channel index c (0..15); channels run row by row from the top left.
    CellRect cell(int c) const {
        const int k = c % columns;
        const int r = c / columns;
        return {k * cellWidth + kGap * (k + 1), kGap + r * (cellHeight + kGap), cellWidth, cellHeight};
    }
};

// Cells of a panel of W x H pixels. Sizes are rounded down; a panel too small
// for the gaps gets empty cells rather than negative ones.
CellGrid cellGrid(ArrayType type, int W, int H);

// The channel index a click at (x, y) selects: the first cell that strictly
// contains the point, else 0 (a click on a border, in a gap or in the margin).
int channelAtPoint(const CellGrid& grid, int x, int y);
