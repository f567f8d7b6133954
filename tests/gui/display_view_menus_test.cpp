#include "display/gl/view_menus.h"

#include <QAction>
#include <QActionGroup>
#include <QImage>
#include <QMenu>

#include <gtest/gtest.h>

#include <vector>

#include "display/gl/sixteen_channel_view.h"

namespace {

class PreferencesMenu : public ::testing::Test {
protected:
    PreferencesMenu() {
        colors.BackColor16 = {10, 20, 30};
        colors.LineColor16 = {40, 50, 60};
        colors.GridColor16 = {70, 80, 90};
        items = addPreferencesMenu(&menu, "Line Color", colors, [this] { ++redraws; },
                                   [this](Rgb current, QWidget*) {
                                       offered.push_back(current);
                                       return answer;
                                   });
    }

    ViewColors colors;
    QMenu menu;
    PreferenceActions items;
    int redraws = 0;
    std::vector<Rgb> offered;
    std::optional<Rgb> answer;
};

TEST_F(PreferencesMenu, DefaultRestoresWhiteBackgroundBlackLineBlackGrid) {
    items.defaults->trigger();
    EXPECT_EQ(colors.BackColor16, (Rgb{255, 255, 255}));
    EXPECT_EQ(colors.LineColor16, (Rgb{0, 0, 0}));
    EXPECT_EQ(colors.GridColor16, (Rgb{0, 0, 0}));
    EXPECT_EQ(redraws, 1);
}

TEST_F(PreferencesMenu, DialogIsPresetToTheCurrentColourAndItsChoiceIsTaken) {
    answer = Rgb{1, 2, 3};
    items.back->trigger();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0], (Rgb{10, 20, 30}));
    EXPECT_EQ(colors.BackColor16, (Rgb{1, 2, 3}));
    EXPECT_EQ(redraws, 1);
}

TEST_F(PreferencesMenu, CancelledDialogLeavesTheColourButStillRedraws) {
    items.grid->trigger();
    items.line->trigger();
    EXPECT_EQ(colors.GridColor16, (Rgb{70, 80, 90}));
    EXPECT_EQ(colors.LineColor16, (Rgb{40, 50, 60}));
    EXPECT_EQ(offered, (std::vector<Rgb>{{70, 80, 90}, {40, 50, 60}}));
    EXPECT_EQ(redraws, 2);
}

TEST_F(PreferencesMenu, ItemsReadAsTheUserSeesThem) {
    EXPECT_EQ(items.menu->title(), "Preferences");
    EXPECT_EQ(items.line->text(), "Line Color");
    EXPECT_EQ(items.back->text(), "Background Color");
    EXPECT_EQ(items.grid->text(), "Grid Color");
    EXPECT_EQ(items.defaults->text(), "Default");
}

TEST(PreferencesRendered, AfterDefaultTheCellsAreWhiteAgain) {
    ViewColors colors;
    colors.BackColor16 = {0, 0, 255};
    QMenu menu;
    SixteenChannelView view(colors);
    view.setStartUp(false, false);
    view.resize(845, 415);
    view.show();
    const PreferenceActions items = addPreferencesMenu(&menu, "Line Color", colors, [&] { view.DrawWaku(); },
                                                       [](Rgb, QWidget*) { return std::optional<Rgb>(); });
    view.DrawWaku();
    EXPECT_EQ(view.grabFramebuffer().pixel(7, 100), qRgb(0, 0, 255));
    items.defaults->trigger();
    EXPECT_EQ(view.grabFramebuffer().pixel(7, 100), qRgb(255, 255, 255));
}

class RawAxisMenus : public ::testing::Test {
protected:
    RawAxisMenus() : view(colors) {
        view.setStartUp(false, false);
        groups = addRawAxisMenus(&menu, &view);
    }
    int checkedCount(QActionGroup* g) const {
        int n = 0;
        for (QAction* a : g->actions()) n += a->isChecked();
        return n;
    }

    ViewColors colors;
    QMenu menu;
    SixteenChannelView view;
    std::array<QActionGroup*, 2> groups{};
};

TEST_F(RawAxisMenus, ChoosingAnXItemSetsTheScaleAndTicksOnlyIt) {
    groups[0]->actions()[4]->trigger();
    EXPECT_EQ(view.settings().RawXaxis, "100");
    EXPECT_TRUE(groups[0]->actions()[4]->isChecked());
    EXPECT_EQ(checkedCount(groups[0]), 1);
}

TEST_F(RawAxisMenus, AutoscaleTicksOnlyAutoscaleAndAValueUnticksIt) {
    groups[1]->actions().back()->trigger();
    EXPECT_TRUE(view.settings().Rawauto);
    EXPECT_EQ(checkedCount(groups[1]), 1);
    EXPECT_TRUE(groups[1]->actions().back()->isChecked());
    groups[1]->actions()[5]->trigger();
    EXPECT_FALSE(view.settings().Rawauto);
    EXPECT_EQ(view.settings().RawYaxis, "50");
    EXPECT_EQ(checkedCount(groups[1]), 1);
    EXPECT_TRUE(groups[1]->actions()[5]->isChecked());
}

}  // namespace
