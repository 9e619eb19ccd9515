// The colour scheme: the thirteen slots of the options dialog applied to the register window,
// its table page and the dialogs.
#include "common/Forms.h"
#include "printing/TFormDruck.h"
#include "search/TFormSuchen.h"
#include "settings/ColourScheme.h"
#include "settings/TFormOptions.h"
#include "widgets/DBGrid.h"
#include "widgets/DialogColours.h"
#include "window/AddressPanel.h"
#include "window/Binding.h"
#include "window/TFormMain.h"

#include <QHeaderView>
#include <QStatusBar>
#include <algorithm>

using ColourScheme::setColour;

namespace {

// Controls of a dialog by name; one that the dialog does not have is left out.
QList<QWidget*> named(QWidget* dialog, std::initializer_list<const char*> names) {
    QList<QWidget*> found;
    if (!dialog)
        return found;
    for (const char* n : names)
        if (auto* w = dialog->findChild<QWidget*>(QString::fromLatin1(n)))
            found << w;
    return found;
}

void paintEntry(QWidget* w, const QColor& back, const QColor& fore) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, back);
    p.setColor(QPalette::Button, back);
    p.setColor(QPalette::Text, fore);
    p.setColor(QPalette::ButtonText, fore);
    w->setPalette(p);
}

} // namespace

void TFormMain::ApplyColourScheme() {
    const TFormOptions& o = *m_forms.FormOptions;
    auto slot = [&](int s, QPalette::ColorRole fallback) {
        return ColourScheme::colourOf(o.slotColour(s), fallback);
    };
    QWidget* suchen = static_cast<QWidget*>(m_forms.FormSuchen);
    // The master-data dialogs paint themselves (ApplyMasterDialogColours); these are the others.
    const QList<QWidget*> dialogs = {static_cast<QWidget*>(m_forms.FormOptions),
                                     static_cast<QWidget*>(m_forms.FormDruck), suchen};

    // 0, 1: the window, and the texts that use its font.
    setAutoFillBackground(true);
    setColour(this, QPalette::Window, slot(0, QPalette::Window));
    setColour(this, QPalette::WindowText, slot(1, QPalette::WindowText));
    for (AddressPanel* p : m_panels) {
        for (QLabel* l : p->lines())
            setColour(l, QPalette::WindowText, slot(1, QPalette::WindowText));
        // 2: the address headings.
        setColour(p->heading(), QPalette::WindowText, slot(2, QPalette::WindowText));
    }
    // "EWB-Nummer" is drawn in the window's font colour, not in that of the other captions.
    QLabel* const ewbNumber = findChild<QLabel*>(QStringLiteral("Label_EWBNR"));
    setColour(ewbNumber, QPalette::WindowText, slot(1, QPalette::WindowText));
    setColour(findChild<QLabel*>(QStringLiteral("Label_Spul")), QPalette::WindowText,
              slot(1, QPalette::WindowText));

    // 3, 4: the record panel and the search criteria panel, and their captions.
    setColour(Panel_Formular, QPalette::Window, slot(3, QPalette::Window));
    for (QWidget* w : named(suchen, {"Panel_Suchen"})) {
        w->setAutoFillBackground(true);
        setColour(w, QPalette::Window, slot(3, QPalette::Window));
    }
    QList<QWidget*> captions = named(
        suchen, {"Label_KDatum", "Label_VDatum", "Label_EWBDatum", "Label_JDatum", "Label_BriefDatum",
                 "Label_Kaufer", "Label_Verkaufer", "Label_WTyp", "Label_Kaliber", "Label_Amt", "Label_EWB",
                 "Label_KauferAmt", "Label_Fabrik", "Label_SerienNr", "Label_Notiz", "Check_ExakteBegriffe"});
    for (QLabel* l : m_captions)
        if (l != ewbNumber)
            captions << l;
    captions << CheckBox_Filter;
    for (QWidget* w : captions)
        setColour(w, QPalette::WindowText, slot(4, QPalette::WindowText));

    // 5, 6: the entry fields of the record form and the dialogs.
    const QColor back = slot(5, QPalette::Base), fore = slot(6, QPalette::Text);
    ApplyMasterDialogColours({slot(7, QPalette::Window), slot(8, QPalette::WindowText), back, fore});
    QList<QWidget*> entries = {DBEdit_SerienNr, DBEdit_EWBNR,    DBLU_Notiz,     DBLU_Typ,
                               DBLU_Kaliber,    DBLU_Hersteller, DBLU_Verkaufer, DBLU_Kaufer,
                               DBLU_EWB,        DBLU_Amt,        DBLU_KauferAmt};
    for (DateEdit* d : {DBEdit_KDatum, DBEdit_VDatum, DBEdit_EWBDatum, DBEdit_VJgdSch})
        entries << d << d->lineEdit();
    entries << named(suchen,
                     {"MEd_KDatum", "MEd_VDatum", "MEd_EWBDatum", "MEd_JDatum", "MEd_BriefDatum",
                      "Edit_Kaufer", "Edit_Verkaufer", "Edit_WTyp", "Edit_Kaliber", "Edit_Amt", "Combo_EWB",
                      "Edit_KauferAmt", "Edit_EWBNR", "Edit_Fabrik", "Edit_SerienNr", "Edit_Notiz"});
    for (QWidget* w : entries)
        paintEntry(w, back, fore);

    // 7, 8: the dialog windows; their other controls take the window's font colour.
    const std::array<QLabel*, 7> samples = m_forms.FormOptions->samplePanels();
    for (QWidget* d : dialogs) {
        if (!d)
            continue;
        d->setAutoFillBackground(true);
        setColour(d, QPalette::Window, slot(7, QPalette::Window));
        setColour(d, QPalette::WindowText, slot(8, QPalette::WindowText));
        // Set on each of them: a dialog with a style sheet passes no palette on to its controls.
        // The captions above and the colour samples keep their own.
        for (QWidget* c : d->findChildren<QWidget*>())
            if (!captions.contains(c) && std::find(samples.begin(), samples.end(), c) == samples.end())
                setColour(c, QPalette::WindowText, slot(8, QPalette::WindowText));
    }

    // 9 to 12: the grids, their fixed row and column (titles and indicator), the title font.
    m_appliedTitleColour = o.slotColour(12);
    for (DBGrid* g : grids()) {
        QPalette p = g->palette();
        p.setColor(QPalette::Base, slot(9, QPalette::Base));
        p.setColor(QPalette::Text, slot(10, QPalette::Text));
        g->setPalette(p);
        for (QHeaderView* h : {g->horizontalHeader(), g->verticalHeader()}) {
            QPalette hp = h->palette();
            hp.setColor(QPalette::Button, slot(11, QPalette::Button));
            hp.setColor(QPalette::Window, slot(11, QPalette::Window));
            const QColor titleFont = slot(12, QPalette::ButtonText);
            hp.setColor(QPalette::ButtonText, titleFont);
            hp.setColor(QPalette::WindowText, titleFont);
            h->setPalette(hp);
        }
    }

    // The toolbar, the sort box, the step box, the two displays and the status bar keep their colours.
    for (QWidget* w :
         QList<QWidget*>{Panel_Navi, Combo_Sort, Spin_Spul, DBText_Index, DBText_BDatum, statusBar()})
        ColourScheme::keepDesignColours(w);
}
