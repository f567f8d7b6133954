#include "display/gl/sixteen_channel_view.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "display/cell_layout.h"

namespace {

constexpr int kL = ChartSnapshot::kLength;
// Layout "C" on 845 x 415: cells 100 x 200.
constexpr int kW = 845;
constexpr int kH = 415;

bool inside(const CellRect& r, int x, int y, int margin) {
    return x >= r.left - margin && x < r.left + r.width + margin && y >= r.top - margin &&
           y < r.top + r.height + margin;
}

class SixteenChannelViewTest : public ::testing::Test {
protected:
    SixteenChannelViewTest() : storage(16, std::vector<double>(kL, 0.0)), view(colors) {
        for (int c = 0; c < 16; ++c) table[c] = storage[c].data();
        selected.fill(1);
        view.setStartUp(false, false);
        view.setLiveSource([this] {
            ChartSnapshot s;
            s.chAry = table.data();
            s.DrawChartMaxIndex = valid;
            s.ring = true;
            s.DrawTyuu = valid > 0;
            return s;
        });
        view.setReplaySource([this] {
            ChartSnapshot s;
            s.chAry = table.data();
            s.DrawChartMaxIndex = valid;
            s.ACSelectary = selected.data();
            s.DrawTyuu = valid > 0;
            return s;
        });
        view.resize(kW, kH);
        view.show();
    }

    // A 200 Hz sine of `uV` microvolts amplitude.
    void sine(int channel, double uV) {
        for (int i = 0; i < kL; ++i) storage[channel][i] = uV / 1000.0 * std::sin(2 * std::numbers::pi * i / 100.0);
    }

    QImage grab() { return view.grabFramebuffer().convertToFormat(QImage::Format_RGB32); }
    CellRect cell(int c) const { return cellGrid(ArrayType::C, kW, kH).cell(c); }

    std::vector<std::vector<double>> storage;
    std::array<const double*, 16> table{};
    std::array<std::uint8_t, 16> selected{};
    std::int32_t valid = kL;
    ViewColors colors;
    SixteenChannelView view;
};

TEST_F(SixteenChannelViewTest, KnownSignalOnChannel3DarkensPixelsInsideChannel3sCellOnly) {
    view.DrawChart();
    const QImage before = grab();
    sine(2, 80.0);
    view.DrawChart();
    const QImage after = grab();
    ASSERT_EQ(before.size(), QSize(kW, kH));
    int darkened = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const QRgb a = before.pixel(x, y);
            const QRgb b = after.pixel(x, y);
            if (a == b) continue;
            ASSERT_TRUE(inside(cell(2), x, y, 1)) << "changed pixel at " << x << ", " << y;
            if (qGray(b) < qGray(a)) ++darkened;
        }
    }
    EXPECT_GT(darkened, 200);
}

TEST_F(SixteenChannelViewTest, ReplayChannelSwitchedOffDrawsAnEmptyCell) {
    for (int c = 0; c < 16; ++c) sine(c, 60.0);
    view.setReplayMode(true);
    view.DrawWaku();
    const QImage empty = grab();
    selected[5] = 0;
    view.DrawChartLoad();
    const QImage replay = grab();
    const CellRect off = cell(5);
    for (int y = off.top; y < off.top + off.height; ++y)
        for (int x = off.left; x < off.left + off.width; ++x)
            ASSERT_EQ(replay.pixel(x, y), empty.pixel(x, y)) << x << ", " << y;
    const CellRect on = cell(6);
    int differing = 0;
    for (int y = on.top; y < on.top + on.height; ++y)
        for (int x = on.left; x < on.left + on.width; ++x) differing += replay.pixel(x, y) != empty.pixel(x, y);
    EXPECT_GT(differing, 100);
}

TEST_F(SixteenChannelViewTest, CellsAreFilledWithTheBackgroundColourOnLightGrey) {
    colors.BackColor16 = {0, 0, 255};
    view.DrawWaku();
    const QImage img = grab();
    EXPECT_EQ(img.pixel(7, 100), qRgb(0, 0, 255));  // inside cell 0, clear of grid and number
    EXPECT_EQ(img.pixel(2, 2), qRgb(211, 211, 211));
    EXPECT_EQ(img.pixel(317, 100), qRgb(211, 211, 211));  // gap between cells 2 and 3
}

TEST_F(SixteenChannelViewTest, SelectedCellHasARedFrame) {
    SixteenChannelSettings s = view.settings();
    s.selectChannel(9);
    view.setSettings(s);
    view.DrawWaku();
    const QImage img = grab();
    const CellRect r = cell(9);
    EXPECT_EQ(img.pixel(r.left - 1, r.top + r.height / 2), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(r.left + r.width / 2, r.top + r.height), qRgb(255, 0, 0));
    EXPECT_NE(img.pixel(cell(8).left - 1, r.top + r.height / 2), qRgb(255, 0, 0));
}

TEST_F(SixteenChannelViewTest, ChannelNumbersAreDrawnInEachCellsTopLeft) {
    colors.ChColor16 = {0, 160, 0};
    view.DrawWaku();
    const QImage img = grab();
    for (int c : {0, 9, 15}) {
        const CellRect r = cell(c);
        int ink = 0;
        for (int y = r.top + 3; y < r.top + 21; ++y)
            for (int x = r.left + 5; x < r.left + 30; ++x) ink += img.pixel(x, y) == qRgb(0, 160, 0);
        EXPECT_GT(ink, 10) << "channel " << c + 1;
    }
}

TEST_F(SixteenChannelViewTest, ClickInsideACellSelectsItAndRedrawsLiveData) {
    int emitted = -1;
    QObject::connect(&view, &SixteenChannelView::channelSelected, [&](int c) { emitted = c; });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(250, 300), QPointF(250, 300), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &press);
    EXPECT_EQ(emitted, 10);
    EXPECT_EQ(view.settings().selectCh, 10);
    EXPECT_EQ(view.settings().SelectOneCh, "10");
    EXPECT_EQ(view.shown(), SixteenChannelView::Shown::Live);
    EXPECT_TRUE(view.sizechange());
}

TEST_F(SixteenChannelViewTest, ClickOnABorderSelectsIndex0) {
    view.panelRawData1_MouseClick(215, 300);
    EXPECT_EQ(view.settings().selectCh, 0);
    EXPECT_EQ(view.settings().SelectOneCh, "0");
}

TEST_F(SixteenChannelViewTest, ClickWithoutDataDrawsEmptyFramesOfAllThreeViews) {
    valid = 0;
    int emptySelected = 0;
    int emptyAnalysis = 0;
    SixteenChannelHooks hooks;
    hooks.DrawSelectChWaku = [&] { ++emptySelected; };
    hooks.DrawSelectFreqChWaku = [&] { ++emptyAnalysis; };
    view.setHooks(hooks);
    view.panelRawData1_MouseClick(50, 50);
    EXPECT_EQ(view.shown(), SixteenChannelView::Shown::Empty);
    EXPECT_EQ(emptySelected, 1);
    EXPECT_EQ(emptyAnalysis, 1);
    EXPECT_FALSE(view.sizechange());
}

TEST_F(SixteenChannelViewTest, ReplayClickRedrawsTheReplayFrameAndBothSelectedViews) {
    view.setReplayMode(true);
    std::vector<std::string> calls;
    SixteenChannelHooks hooks;
    hooks.afterReplayFrame = [&] { calls.push_back("after"); };
    hooks.DrawSelectCh = [&] { calls.push_back("raw"); };
    hooks.DrawFreqSelectCh = [&] { calls.push_back("freq"); };
    view.setHooks(hooks);
    view.panelRawData1_MouseClick(50, 50);
    EXPECT_EQ(view.shown(), SixteenChannelView::Shown::Replay);
    EXPECT_EQ(calls, (std::vector<std::string>{"after", "raw", "freq"}));
    EXPECT_TRUE(view.sizechange());
}

TEST_F(SixteenChannelViewTest, AxisChangeRedrawsOnlyWhenDataIsShownAfterStartUp) {
    view.DrawWaku();
    view.setStartUp(true, false);
    view.comboduration_SelectedIndexChanged(4);
    EXPECT_EQ(view.settings().RawXaxis, "100");
    EXPECT_EQ(view.shown(), SixteenChannelView::Shown::Empty);
    view.setStartUp(false, false);
    view.combovoltage_SelectedIndexChanged(2);
    EXPECT_EQ(view.settings().RawYaxis, "5");
    EXPECT_EQ(view.shown(), SixteenChannelView::Shown::Live);
}

TEST_F(SixteenChannelViewTest, FirstPaintDuringStartUpDrawsTheEmptyCells) {
    SixteenChannelView fresh(colors);
    fresh.setLiveSource([this] {
        ChartSnapshot s;
        s.chAry = table.data();
        s.DrawChartMaxIndex = kL;
        s.DrawTyuu = true;
        return s;
    });
    fresh.resize(kW, kH);
    fresh.show();
    fresh.grabFramebuffer();
    EXPECT_EQ(fresh.shown(), SixteenChannelView::Shown::Empty);
}

TEST_F(SixteenChannelViewTest, ResizeRebuildsTheFrameAtTheNewSize) {
    view.DrawChart();
    view.resize(425, 425);
    view.grabFramebuffer();
    EXPECT_EQ(view.currentFrame().recipe.width, 425);
    EXPECT_EQ(view.currentFrame().recipe.height, 425);
    EXPECT_EQ(view.shown(), SixteenChannelView::Shown::Live);
}

}  // namespace

namespace {

TEST(SixteenChannelViewBinding, SettingsAndFlagsLiveWhereTheWindowKeepsThem) {
    ViewColors colors;
    SixteenChannelSettings windowSettings;
    windowSettings.UIType = "A";
    std::uint8_t ReplayMode = 0;
    bool sizechange = false, Tatiagari = false, PaintTatiagari = false, Paint16ChFirst = true;
    SixteenChannelView view(colors);
    SixteenChannelBinding b;
    b.getSettings = [&] { return windowSettings; };
    b.setSettings = [&](const SixteenChannelSettings& s) { windowSettings = s; };
    b.ReplayMode = &ReplayMode;
    b.sizechange = &sizechange;
    b.Tatiagari = &Tatiagari;
    b.PaintTatiagari = &PaintTatiagari;
    b.Paint16ChFirst = &Paint16ChFirst;
    view.bind(b);
    std::vector<double> zeros(kL, 0.0);
    std::array<const double*, 16> table;
    table.fill(zeros.data());
    view.setLiveSource([&] {
        ChartSnapshot s;
        s.chAry = table.data();
        s.DrawChartMaxIndex = 100;
        s.ring = true;
        s.DrawTyuu = true;
        return s;
    });
    view.resize(425, 425);
    view.panelRawData1_MouseClick(330, 330);  // layout "A": channel 16's cell at (320, 320)
    EXPECT_EQ(windowSettings.selectCh, 15);
    EXPECT_EQ(windowSettings.SelectOneCh, "15");
    EXPECT_TRUE(sizechange);
    view.setReplayMode(true);
    EXPECT_EQ(ReplayMode, 1);
}

}  // namespace

namespace {

class SizeChangeDrawTest : public SixteenChannelViewTest {};

TEST_F(SizeChangeDrawTest, WithLiveDataRedrawsTheChartAndFlagsTheAnalysisView) {
    view.SizeChangeDraw(false);
    EXPECT_EQ(view.shown(), SixteenChannelView::Shown::Live);
    EXPECT_TRUE(view.sizechange());
}

TEST_F(SizeChangeDrawTest, StoppedWithoutDataDrawsTheEmptyFramesOfAllThreeViews) {
    valid = 0;
    int empties = 0;
    SixteenChannelHooks hooks;
    hooks.DrawSelectChWaku = [&] { ++empties; };
    hooks.DrawSelectFreqChWaku = [&] { ++empties; };
    view.setHooks(hooks);
    view.SizeChangeDraw(false);
    EXPECT_EQ(empties, 0);  // running, between blocks: nothing to redraw
    view.SizeChangeDraw(true);
    EXPECT_EQ(view.shown(), SixteenChannelView::Shown::Empty);
    EXPECT_EQ(empties, 2);
    EXPECT_FALSE(view.sizechange());
}

}  // namespace

namespace {

TEST_F(SixteenChannelViewTest, ImmediateModeDrawsTheSamePictureAsVertexArrays) {
    for (int c = 0; c < 16; ++c) sine(c, 90.0 + 10 * c);
    view.DrawChart();
    const QImage arrays = grab();
    view.setSubmission(Submission::Immediate);
    view.update();
    const QImage immediate = grab();
    EXPECT_TRUE(arrays == immediate);
}

}  // namespace
