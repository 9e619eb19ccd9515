#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// Colour integers as the settings row keeps them: blue-green-red, red in the low byte. A value
// with the high byte set names a system colour; it takes the desktop's colour of that kind.
namespace ColourScheme {

QColor colourOf(int value, QPalette::ColorRole fallbackRole);
// A plain colour as an integer of the settings row.
int valueOf(const QColor& colour);
// Sets one role of a widget's palette, as a role of its own (its children inherit it).
void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);
// Gives a widget the desktop's colours as its own, so that a window's colours do not reach it.
void keepDesignColours(QWidget* widget);

} // namespace ColourScheme
