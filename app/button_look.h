// Paints a button in the window's colour scheme: the enabled or dimmed colours
// of its kind, remembered on the button so tests and later restyling can read them.
#pragma once

#include <QColor>

#include "app/logic/button_colours.h"

class QAbstractButton;

namespace korin {

QColor toQColor(Argb colour);

// Sets the button's colours for its kind and enabled state (does not enable it).
void applyButtonLook(QAbstractButton* button, ButtonKind kind, bool enabled);

// A toggle shown as on keeps the swapped ordinary colours, dimmed or not.
bool isShownSelected(const QAbstractButton* button);
void setShownSelected(QAbstractButton* button, bool selected);

// The colours last applied by applyButtonLook.
QColor buttonForeColour(const QAbstractButton* button);
QColor buttonBackColour(const QAbstractButton* button);

}  // namespace korin
