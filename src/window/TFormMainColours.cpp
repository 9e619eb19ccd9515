// The register window's colours: the thirteen slots of the scheme applied to its controls.
#include "settings/TFormOptions.h"
#include "widgets/DialogColours.h"
#include "window/AddressPanel.h"
#include "window/Binding.h"
#include "window/TFormMain.h"

#include <QApplication>
#include <QStatusBar>

namespace {

// Colour integers are blue-green-red (red in the low byte). Values with the high byte set name
// a system colour; those take the desktop's colour of that kind.
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

void setColour(QWidget* w, QPalette::ColorRole role, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(role, c);
    w->setPalette(p);
}

} // namespace

void TFormMain::ApplyColourScheme() {
    const TFormOptions& o = *m_forms.FormOptions;
    auto slot = [&](int s, QPalette::ColorRole fallback) { return colourOf(o.slotColour(s), fallback); };

    setAutoFillBackground(true);
    setColour(this, QPalette::Window, slot(0, QPalette::Window));
    setColour(this, QPalette::WindowText, slot(1, QPalette::WindowText));
    for (AddressPanel* p : m_panels) {
        for (QLabel* l : p->lines())
            setColour(l, QPalette::WindowText, slot(1, QPalette::WindowText));
        setColour(p->heading(), QPalette::WindowText, slot(2, QPalette::WindowText));
    }
    setColour(Panel_Formular, QPalette::Window, slot(3, QPalette::Window));
    for (QLabel* l : m_captions)
        setColour(l, QPalette::WindowText, slot(4, QPalette::WindowText));
    setColour(CheckBox_Filter, QPalette::WindowText, slot(4, QPalette::WindowText));
    // The captions Label_EWBNR and Label_Spul use the window's font colour.
    setColour(findChild<QLabel*>(QStringLiteral("Label_EWBNR")), QPalette::WindowText,
              slot(1, QPalette::WindowText));
    setColour(findChild<QLabel*>(QStringLiteral("Label_Spul")), QPalette::WindowText,
              slot(1, QPalette::WindowText));
    const QColor back = slot(5, QPalette::Base), fore = slot(6, QPalette::Text);
    ApplyMasterDialogColours({slot(7, QPalette::Window), slot(8, QPalette::WindowText), back, fore});
    QList<QWidget*> entries = {DBEdit_SerienNr, DBEdit_EWBNR,    DBLU_Notiz,     DBLU_Typ,
                               DBLU_Kaliber,    DBLU_Hersteller, DBLU_Verkaufer, DBLU_Kaufer,
                               DBLU_EWB,        DBLU_Amt,        DBLU_KauferAmt};
    for (DateEdit* d : {DBEdit_KDatum, DBEdit_VDatum, DBEdit_EWBDatum, DBEdit_VJgdSch})
        entries << d->lineEdit();
    for (QWidget* w : entries) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, back);
        p.setColor(QPalette::Button, back);
        p.setColor(QPalette::Text, fore);
        p.setColor(QPalette::ButtonText, fore);
        w->setPalette(p);
    }
    // The toolbar, the sort box, the step box, the two displays and the status bar keep their colours.
    for (QWidget* w :
         QList<QWidget*>{Panel_Navi, Combo_Sort, Spin_Spul, DBText_Index, DBText_BDatum, statusBar()})
        w->setPalette(QApplication::palette());
}
