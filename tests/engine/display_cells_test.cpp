#include "display/cell_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(CellGeometry, LayoutCOn845By415HasCells100By200WithChannel9At5And210) {
    const CellGrid g = cellGrid(ArrayType::C, 845, 415);
    EXPECT_EQ(g.cellWidth, 100);
    EXPECT_EQ(g.cellHeight, 200);
    EXPECT_EQ(g.cell(0), (CellRect{5, 5, 100, 200}));
    EXPECT_EQ(g.cell(8), (CellRect{5, 210, 100, 200}));
    EXPECT_EQ(g.cell(7), (CellRect{740, 5, 100, 200}));
}

TEST(CellGeometry, LayoutAOn425By425HasCells100By100WithChannel16At320And320) {
    const CellGrid g = cellGrid(ArrayType::A, 425, 425);
    EXPECT_EQ(g.cellWidth, 100);
    EXPECT_EQ(g.cellHeight, 100);
    EXPECT_EQ(g.cell(15), (CellRect{320, 320, 100, 100}));
    EXPECT_EQ(g.cell(4), (CellRect{5, 110, 100, 100}));
}

TEST(CellGeometry, SizesAreRoundedDown) {
    const CellGrid g = cellGrid(ArrayType::C, 852, 420);  // (852 - 45) / 8 = 100.9, (420 - 15) / 2 = 202.5
    EXPECT_EQ(g.cellWidth, 100);
    EXPECT_EQ(g.cellHeight, 202);
}

TEST(CellGeometry, PanelSmallerThanItsGapsGivesEmptyCells) {
    const CellGrid g = cellGrid(ArrayType::C, 30, 10);
    EXPECT_EQ(g.cellWidth, 0);
    EXPECT_EQ(g.cellHeight, 0);
}

TEST(CellGeometry, OnlyTextAMeansFourByFour) {
    EXPECT_EQ(arrayTypeFromText("A"), ArrayType::A);
    EXPECT_EQ(arrayTypeFromText("C"), ArrayType::C);
    EXPECT_EQ(arrayTypeFromText("B"), ArrayType::C);
    EXPECT_EQ(arrayTypeFromText(""), ArrayType::C);
}

TEST(ClickToChannel, InsideACellSelectsItsChannel) {
    const CellGrid g = cellGrid(ArrayType::C, 845, 415);
    EXPECT_EQ(channelAtPoint(g, 216, 211), 10);  // cell 10 spans x 215..315, y 210..410
    EXPECT_EQ(channelAtPoint(g, 839, 409), 15);
    EXPECT_EQ(channelAtPoint(g, 6, 6), 0);
}

TEST(ClickToChannel, OnABorderSelectsIndex0) {
    const CellGrid g = cellGrid(ArrayType::C, 845, 415);
    EXPECT_EQ(channelAtPoint(g, 215, 300), 0);  // left edge of cell 10
    EXPECT_EQ(channelAtPoint(g, 315, 300), 0);  // right edge of cell 10
    EXPECT_EQ(channelAtPoint(g, 250, 210), 0);  // top edge of cell 10
    EXPECT_EQ(channelAtPoint(g, 250, 410), 0);  // bottom edge of cell 10
}

TEST(ClickToChannel, InAGapOrTheMarginSelectsIndex0) {
    const CellGrid g = cellGrid(ArrayType::A, 425, 425);
    EXPECT_EQ(channelAtPoint(g, 107, 150), 0);  // between columns 0 and 1
    EXPECT_EQ(channelAtPoint(g, 150, 317), 0);  // between rows 2 and 3
    EXPECT_EQ(channelAtPoint(g, 2, 2), 0);
    EXPECT_EQ(channelAtPoint(g, 424, 424), 0);
    EXPECT_EQ(channelAtPoint(g, 321, 321), 15);
}

}  // namespace
