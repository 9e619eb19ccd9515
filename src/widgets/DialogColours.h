#pragma once

#include <QColor>
#include <QList>

class QWidget;

// The colours a dialog takes from the scheme: its window and the text of its own controls, and
// its entry fields.
struct DialogColours {
    QColor back;
    QColor font;
    QColor editBack;
    QColor editFont;
};

// Paints `dialog` (and what inherits its colours) and its entry fields.
void paintDialog(QWidget* dialog, const QList<QWidget*>& entries, const DialogColours& colours);
