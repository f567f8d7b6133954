#include "display/cell_layout.h"

#include <algorithm>

namespace {

int floorDiv(int a, int b) {
    const int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

ArrayType arrayTypeFromText(std::string_view UIType) {
    return UIType == "A" ? ArrayType::A : ArrayType::C;
}

const char* arrayTypeText(ArrayType t) {
    return t == ArrayType::A ? "A" : "C";
}

CellGrid cellGrid(ArrayType type, int W, int H) {
    CellGrid g;
    if (type == ArrayType::C) {
        g.columns = 8;
        g.cellWidth = floorDiv(W - 45, 8);
        g.cellHeight = floorDiv(H - 15, 2);
    } else {
        g.columns = 4;
        g.cellWidth = floorDiv(W - 25, 4);
        g.cellHeight = floorDiv(H - 25, 4);
    }
    g.cellWidth = std::max(g.cellWidth, 0);
    g.cellHeight = std::max(g.cellHeight, 0);
    return g;
}

int channelAtPoint(const CellGrid& grid, int x, int y) {
    for (int c = 0; c < CellGrid::kChannels; ++c) {
        const CellRect r = grid.cell(c);
        if (r.left < x && x < r.left + r.width && r.top < y && y < r.top + r.height) return c;
    }
    return 0;
}
