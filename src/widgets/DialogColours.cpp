#include "widgets/DialogColours.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>

void paintDialog(QWidget* dialog, const QList<QWidget*>& entries, const DialogColours& colours) {
    QPalette p = dialog->palette();
    p.setColor(QPalette::Window, colours.back);
    p.setColor(QPalette::WindowText, colours.font);
    dialog->setPalette(p);
    dialog->setAutoFillBackground(true);
    // Labels (the heading band among them) take the window's colours, set on each of them: they
    // do not all follow the dialog's palette by inheritance.
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        QPalette l = label->palette();
        l.setColor(QPalette::Window, colours.back);
        l.setColor(QPalette::WindowText, colours.font);
        label->setPalette(l);
    }
    for (QWidget* w : entries) {
        QPalette e = w->palette();
        e.setColor(QPalette::Base, colours.editBack);
        e.setColor(QPalette::Text, colours.editFont);
        // A drop-down box draws its closed face with the button roles.
        e.setColor(QPalette::Button, colours.editBack);
        e.setColor(QPalette::ButtonText, colours.editFont);
        w->setPalette(e);
    }
}
