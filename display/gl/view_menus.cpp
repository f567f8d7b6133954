#include "display/gl/view_menus.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QColor>
#include <QColorDialog>
#include <QMenu>

#include "display/gl/fault_boundary.h"
#include "display/gl/sixteen_channel_view.h"
#include "display/replay_channel_selector.h"
#include "display/sixteen_channel_settings.h"

using korin::ui::shield;

std::optional<Rgb> pickColorWithDialog(Rgb current, QWidget* parent) {
    const QColor c = QColorDialog::getColor(QColor(current.r, current.g, current.b), parent);
    if (!c.isValid()) return std::nullopt;
    return Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
               static_cast<std::uint8_t>(c.blue())};
}

void connectPreferenceItems(const PreferenceActions& items, ViewColors& colors, std::function<void()> SizeChangeDraw,
                            QWidget* dialogParent, ColorPicker picker) {
    auto redraw = [SizeChangeDraw] {
        if (SizeChangeDraw) SizeChangeDraw();
    };
    auto edit = [&colors, redraw, dialogParent, picker](Rgb ViewColors::*field) {
        return shield([&colors, redraw, dialogParent, picker, field] {
            if (const auto chosen = picker(colors.*field, dialogParent)) colors.*field = *chosen;
            redraw();
        });
    };
    QObject::connect(items.line, &QAction::triggered, items.line, edit(&ViewColors::LineColor16));
    QObject::connect(items.back, &QAction::triggered, items.back, edit(&ViewColors::BackColor16));
    QObject::connect(items.grid, &QAction::triggered, items.grid, edit(&ViewColors::GridColor16));
    QObject::connect(items.defaults, &QAction::triggered, items.defaults, shield([&colors, redraw] {
        colors.restoreDefaults();
        redraw();
    }));
}

PreferenceActions addPreferencesMenu(QMenu* menu, const QString& lineText, ViewColors& colors,
                                     std::function<void()> SizeChangeDraw, ColorPicker picker) {
    PreferenceActions a;
    a.menu = menu->addMenu(QStringLiteral("Preferences"));
    a.line = a.menu->addAction(lineText);
    a.back = a.menu->addAction(QStringLiteral("Background Color"));
    a.grid = a.menu->addAction(QStringLiteral("Grid Color"));
    a.defaults = a.menu->addAction(QStringLiteral("Default"));
    connectPreferenceItems(a, colors, std::move(SizeChangeDraw), menu, std::move(picker));
    return a;
}

void syncRawAxisChecks(QActionGroup* xItems, QActionGroup* yItems, const SixteenChannelSettings& settings) {
    const int x = checkedXItem(settings.RawXaxis);
    const auto xs = xItems->actions();
    for (int i = 0; i < xs.size(); ++i) xs[i]->setChecked(i == x);
    const int y = checkedYItem(settings.RawYaxis, settings.Rawauto);
    const auto ys = yItems->actions();
    for (int i = 0; i < ys.size(); ++i) ys[i]->setChecked(i == y);
}

void connectRawAxisItems(QActionGroup* xItems, QActionGroup* yItems, SixteenChannelView* view) {
    for (QAction* a : xItems->actions()) a->setCheckable(true);
    for (QAction* a : yItems->actions()) a->setCheckable(true);
    QObject::connect(xItems, &QActionGroup::triggered, view, shield([=](QAction* a) {
        view->comboduration_SelectedIndexChanged(static_cast<int>(xItems->actions().indexOf(a)));
        syncRawAxisChecks(xItems, yItems, view->settings());
    }));
    QObject::connect(yItems, &QActionGroup::triggered, view, shield([=](QAction* a) {
        view->combovoltage_SelectedIndexChanged(static_cast<int>(yItems->actions().indexOf(a)));
        syncRawAxisChecks(xItems, yItems, view->settings());
    }));
    syncRawAxisChecks(xItems, yItems, view->settings());
}

std::array<QActionGroup*, 2> addRawAxisMenus(QMenu* menu, SixteenChannelView* view) {
    QMenu* xMenu = menu->addMenu(QStringLiteral("X-axis"));
    auto* xItems = new QActionGroup(menu);
    for (const char* t : raw_axis::kXItems) xItems->addAction(xMenu->addAction(QString::fromLatin1(t)));
    QMenu* yMenu = menu->addMenu(QStringLiteral("Y-axis"));
    auto* yItems = new QActionGroup(menu);
    for (const char* t : raw_axis::kYItems) yItems->addAction(yMenu->addAction(QString::fromLatin1(t)));
    connectRawAxisItems(xItems, yItems, view);
    return {xItems, yItems};
}

void paintReplayChannelButtons(const std::array<QAbstractButton*, 16>& buttons, const ReplayChannelSelector& sel) {
    for (int c = 0; c < 16; ++c) {
        if (buttons[c] == nullptr) continue;
        const Rgb col = sel.buttonColor(c);
        buttons[c]->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3);").arg(col.r).arg(col.g).arg(col.b));
    }
}
