// Behaviour of the data views' context menus: the "X-axis" and "Y-axis" items
// of the sixteen-channel view, the "Preferences" colour items shared by the
// three data views, and the look of the replay channel buttons. The menus may
// be the window's own (connect...) or built here (add...).
#pragma once

#include <QString>

#include <array>
#include <functional>
#include <optional>

#include "display/colors.h"

class QAbstractButton;
class QAction;
class QActionGroup;
class QMenu;
class QWidget;
class ReplayChannelSelector;
class SixteenChannelView;
struct SixteenChannelSettings;

// Asks the user for a colour starting from `current`; nothing when the dialog is cancelled.
using ColorPicker = std::function<std::optional<Rgb>(Rgb current, QWidget* parent)>;
std::optional<Rgb> pickColorWithDialog(Rgb current, QWidget* parent);

struct PreferenceActions {
    QMenu* menu = nullptr;
    QAction* line = nullptr;
    QAction* back = nullptr;
    QAction* grid = nullptr;
    QAction* defaults = nullptr;
};

// "Line Color", "Background Color", "Grid Color" edit LineColor16, BackColor16,
// GridColor16 through the picker; "Default" restores all three. Every item ends
// with SizeChangeDraw.
void connectPreferenceItems(const PreferenceActions& items, ViewColors& colors, std::function<void()> SizeChangeDraw,
                            QWidget* dialogParent, ColorPicker picker = pickColorWithDialog);
// Adds a "Preferences" submenu to `menu` and connects it. The analysis view's
// line item reads "Line Color No Stim".
PreferenceActions addPreferencesMenu(QMenu* menu, const QString& lineText, ViewColors& colors,
                                     std::function<void()> SizeChangeDraw, ColorPicker picker = pickColorWithDialog);

// Items of the two groups are taken in menu order (raw_axis::kXItems, kYItems).
void connectRawAxisItems(QActionGroup* xItems, QActionGroup* yItems, SixteenChannelView* view);
// Adds "X-axis" and "Y-axis" submenus to `menu` and connects them; returns the two groups.
std::array<QActionGroup*, 2> addRawAxisMenus(QMenu* menu, SixteenChannelView* view);
// Shows the check marks the settings hold (after a restore: RawXCheck, RawYCheck).
void syncRawAxisChecks(QActionGroup* xItems, QActionGroup* yItems, const SixteenChannelSettings& settings);

// Paints the sixteen replay channel buttons white (selected) or grey.
void paintReplayChannelButtons(const std::array<QAbstractButton*, 16>& buttons, const ReplayChannelSelector& sel);
