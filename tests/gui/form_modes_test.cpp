// Analysis mode, record/replay switch and layout type.
#include <QAction>
#include <QToolButton>

#include <utility>

#include "app/view_frames.h"
#include "files/file_reader.h"
#include "tests/gui/gui_test_support.h"

using Modes = ShownForm;

TEST_F(Modes, ClicksFromStartGiveEpIsiSlopeSpike) {
    auto* mode = control<QToolButton>("toolStripButtonMode");
    const std::pair<const char*, int> cycle[] = {{"EP", 1}, {"ISI", 2}, {"Slope", 3}, {"Spike", 0}};
    for (const auto& [text, number] : cycle) {
        mode->click();
        EXPECT_EQ(mode->text(), text);
        EXPECT_EQ(form->Mode, number);
    }
}

TEST_F(Modes, ModeClickAsksTheViewsToRedraw) {
    int redraws = 0;
    form->hooks.redrawSelectedChannelViews = [&] { ++redraws; };
    control<QToolButton>("toolStripButtonMode")->click();
    EXPECT_EQ(redraws, 1);
}

TEST_F(Modes, InitializeModeApplyShowsTheStoredMode) {
    form->Mode = 2;
    form->initializeModeApply();
    EXPECT_EQ(form->modeButton()->text(), "ISI");
}

TEST_F(Modes, SwitchDuringARunStopsItAndBringsTheReplayPanelToFront) {
    form->PlayTyuuDisable();
    control<QToolButton>("toolStripButtonSwitch")->click();
    settle();
    EXPECT_EQ(form->StopTyuu, 1);
    EXPECT_EQ(form->PlayTyuu, 0);
    EXPECT_EQ(form->ReplayMode, 1);
    EXPECT_EQ(form->panelReplayFront, 1);
    EXPECT_TRUE(control<QWidget>("panelReplay")->isVisible());
    EXPECT_FALSE(control<QWidget>("panelAcquisitionNew")->isVisible());
    EXPECT_FALSE(control<QWidget>("panelTimeLineDodai")->isVisible());
}

TEST_F(Modes, SwitchBackFromReplayShowsTheRecordPanel) {
    control<QToolButton>("toolStripButtonSwitch")->click();
    control<QToolButton>("toolStripButtonSwitch2")->click();
    settle();
    EXPECT_EQ(form->ReplayMode, 0);
    EXPECT_EQ(form->panelReplayFront, 0);
    EXPECT_TRUE(control<QWidget>("panelAcquisitionNew")->isVisible());
    EXPECT_FALSE(control<QWidget>("panelReplay")->isVisible());
    EXPECT_TRUE(control<QWidget>("panelTimeLineDodai")->isVisible());
}

TEST_F(Modes, EnteringReplayGivesTheReaderTheSelectedChannel) {
    form->SelectOneCh = "7";
    control<QToolButton>("toolStripButtonSwitch")->click();
    EXPECT_EQ(form->reader->selectch, 7);
}

TEST_F(Modes, ReplayModeWidensTheSixteenChannelFrame) {
    control<QToolButton>("toolStripButtonSwitch")->click();
    settle();
    const QWidget* base = form->panelBase;
    const int wr = base->width() - 250;
    const int hr = base->height() - 25;
    EXPECT_EQ(control<QWidget>("panelRawDataDodai")->geometry(), QRect(250, 0, wr, hr / 2 + 25));
}

TEST_F(Modes, LayoutMenuAbTicksItselfAndPlacesSixteenChannelsBesideTheTimeLine) {
    control<QAction>("TypeMenuItemAB")->trigger();
    EXPECT_EQ(form->UIType, "A");
    EXPECT_TRUE(control<QAction>("TypeMenuItemAB")->isChecked());
    EXPECT_FALSE(control<QAction>("TypeMenuItemC")->isChecked());
    const int wr = form->panelBase->width() - 250;
    const int hr = form->panelBase->height() - 25;
    EXPECT_EQ(control<QWidget>("panelRawDataDodai")->geometry(), QRect(250 + wr / 2, 0, wr / 2, hr / 2 + 25));
}

TEST_F(Modes, LayoutMenuCStacksSixteenChannelsUnderTheTimeLine) {
    control<QAction>("TypeMenuItemAB")->trigger();
    control<QAction>("TypeMenuItemC")->trigger();
    EXPECT_EQ(form->UIType, "C");
    EXPECT_TRUE(control<QAction>("TypeMenuItemC")->isChecked());
    EXPECT_FALSE(control<QAction>("TypeMenuItemAB")->isChecked());
    const int wr = form->panelBase->width() - 250;
    const int hr = form->panelBase->height() - 25;
    EXPECT_EQ(control<QWidget>("panelTimeLineDodai")->geometry(), QRect(250, 0, wr, hr / 4));
    EXPECT_EQ(control<QWidget>("panelRawDataDodai")->geometry(), QRect(250, hr / 4, wr, hr / 4 + 27));
}

TEST_F(Modes, TypeSelectCheckTicksTheStoredType) {
    form->UIType = "A";
    form->TypeSelectCheck();
    EXPECT_TRUE(control<QAction>("TypeMenuItemAB")->isChecked());
    EXPECT_FALSE(control<QAction>("TypeMenuItemC")->isChecked());
}

TEST_F(Modes, ResizingLaysThePanelsOutAgain) {
    form->resize(1400, 1000);
    settle();
    const int wr = form->panelBase->width() - 250;
    EXPECT_EQ(control<QWidget>("panelRawDataDodai")->width(), wr);
    EXPECT_EQ(control<QWidget>("panelAcquisitionNew")->height(), form->panelBase->height());
}
