#pragma once

#include <QIcon>
#include <QString>

// Pictures of the toolbar and the small buttons, drawn from the SVG files in the resources.
namespace Icons {
QIcon icon(const QString& name, int size = 35);
}
