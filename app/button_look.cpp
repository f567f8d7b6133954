#include "app/button_look.h"

#include <QAbstractButton>
#include <QString>

namespace korin {
namespace {

constexpr char kSelectedProperty[] = "korinShownSelected";
constexpr char kForeProperty[] = "korinForeColour";
constexpr char kBackProperty[] = "korinBackColour";

QString cssColour(const QColor& c) {
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

}  // namespace

QColor toQColor(Argb colour) { return QColor(colour.r, colour.g, colour.b, colour.a); }

void applyButtonLook(QAbstractButton* button, ButtonKind kind, bool enabled) {
    const ButtonColours colours = buttonColours(kind, enabled);
    const QColor fore = toQColor(colours.fore);
    const QColor back = toQColor(colours.back);
    button->setProperty(kForeProperty, fore);
    button->setProperty(kBackProperty, back);
    // The border keeps the button's outline visible on the panel's grey; it dims
    // with the button.
    const QColor border(90, 90, 90, enabled ? 255 : 60);
    const QString style = QStringLiteral("color: %1; background-color: %2; border: 1px solid %3; "
                                         "border-radius: 2px; padding: 2px 4px;")
                              .arg(cssColour(fore), cssColour(back), cssColour(border));
    // Restyling repolishes the button; the gating touches every button per state.
    if (button->styleSheet() != style) button->setStyleSheet(style);
}

bool isShownSelected(const QAbstractButton* button) { return button->property(kSelectedProperty).toBool(); }

void setShownSelected(QAbstractButton* button, bool selected) { button->setProperty(kSelectedProperty, selected); }

QColor buttonForeColour(const QAbstractButton* button) { return button->property(kForeProperty).value<QColor>(); }
QColor buttonBackColour(const QAbstractButton* button) { return button->property(kBackProperty).value<QColor>(); }

}  // namespace korin
