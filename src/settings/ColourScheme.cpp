#include "settings/ColourScheme.h"

#include <QApplication>
#include <QWidget>

namespace ColourScheme {

QColor colourOf(int value, QPalette::ColorRole fallbackRole) {
    if (quint32(value) & 0xFF000000u) {
        const QPalette pal = QApplication::palette();
        switch (value & 0xFF) {
        case 5:
            return pal.color(QPalette::Base);
        case 8:
            return pal.color(QPalette::Text);
        case 15:
            return pal.color(QPalette::Button);
        case 18:
            return pal.color(QPalette::ButtonText);
        default:
            return pal.color(fallbackRole);
        }
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int valueOf(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    if (!widget)
        return;
    QPalette p = widget->palette();
    p.setColor(role, colour);
    widget->setPalette(p);
}

void keepDesignColours(QWidget* widget) {
    if (!widget)
        return;
    QPalette p = QApplication::palette();
    // Every role counts as set on the widget itself: nothing of its window's palette reaches it.
    p.setResolveMask(~QPalette::ResolveMask(0));
    widget->setPalette(p);
}

} // namespace ColourScheme
