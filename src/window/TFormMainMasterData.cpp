// The register window's side of the master-data dialogs: the add buttons beside the lookup
// boxes of the record form, the menu entry for the firm data, and the dialogs' colours.
#include "common/Konst.h"
#include "common/Prompts.h"
#include "dialogs/TFormAmt.h"
#include "dialogs/TFormHaendler.h"
#include "dialogs/TFormHersteller.h"
#include "dialogs/TFormKaliber.h"
#include "dialogs/TFormWaffentyp.h"
#include "store/MasterData.h"
#include "widgets/DialogRunner.h"
#include "widgets/LookupComboBox.h"
#include "window/TFormMain.h"

#include <QAction>

void TFormMain::bindMasterDialogs() {
    const std::pair<QToolButton*, void (TFormMain::*)()> openers[] = {
        {SB_Typ, &TFormMain::SB_TypClick},
        {SB_Kaliber, &TFormMain::SB_KaliberClick},
        {SB_Hersteller, &TFormMain::SB_HerstellerClick},
        {SB_Verkaufer, &TFormMain::SB_VerkauferClick},
        {SB_Kaufer, &TFormMain::SB_KauferClick},
        {SB_Amt, &TFormMain::SB_AmtClick},
        {SB_KauferAmt, &TFormMain::SB_KauferAmtClick}};
    for (const auto& [button, handler] : openers)
        connect(button, &QToolButton::clicked, this,
                [this, h = handler] { guarded([this, h] { (this->*h)(); }); });
    connect(M_Firma, &QAction::triggered, this, [this] { guarded([this] { M_FirmaClick(); }); });

    // Each add button follows its box in the tab order (the buttons show only while a row is
    // edited), so that an entry can be added without the mouse: Tab to it, Space.
    const std::pair<QWidget*, QToolButton*> follows[] = {{DBLU_Typ, SB_Typ},
                                                         {DBLU_Kaliber, SB_Kaliber},
                                                         {DBLU_Hersteller, SB_Hersteller},
                                                         {DBLU_Verkaufer, SB_Verkaufer},
                                                         {DBLU_Kaufer, SB_Kaufer},
                                                         {DBLU_Amt, SB_Amt},
                                                         {DBLU_KauferAmt, SB_KauferAmt}};
    for (const auto& [box, button] : follows) {
        button->setFocusPolicy(Qt::TabFocus);
        QWidget* next = box->nextInFocusChain();
        setTabOrder(box, button);
        setTabOrder(button, next);
    }
}

void TFormMain::SB_TypClick() {
    m_runner.exec(m_forms.FormWaffentyp);
}

void TFormMain::SB_KaliberClick() {
    m_runner.exec(m_forms.FormKaliber);
}

void TFormMain::SB_HerstellerClick() {
    m_runner.exec(m_forms.FormHersteller);
}

void TFormMain::SB_VerkauferClick() {
    Konst::BuyerMode = false;
    m_runner.exec(m_forms.FormHaendler);
}

void TFormMain::SB_KauferClick() {
    Konst::BuyerMode = true;
    m_runner.exec(m_forms.FormHaendler);
}

void TFormMain::SB_AmtClick() {
    Konst::IssuingAmtMode = true;
    m_runner.exec(m_forms.FormAmt);
}

void TFormMain::SB_KauferAmtClick() {
    Konst::IssuingAmtMode = false;
    m_runner.exec(m_forms.FormAmt);
}

void TFormMain::M_FirmaClick() {
    // The firm data live in the settings row, which is closed while disconnected.
    if (!dm().isConnected()) {
        m_prompts.message(MasterData::firmDataNotConnectedMessage());
        return;
    }
    Konst::FirmDataMode = true;
    m_runner.exec(m_forms.FormHaendler);
}

void TFormMain::ApplyMasterDialogColours(const DialogColours& colours) {
    // Before the dialogs exist (the start-up creates them after this window) there is nothing to paint.
    for (ListEntryDialog* d : {static_cast<ListEntryDialog*>(m_forms.FormWaffentyp),
                               static_cast<ListEntryDialog*>(m_forms.FormKaliber),
                               static_cast<ListEntryDialog*>(m_forms.FormHersteller)})
        if (d)
            d->ApplyColours(colours);
    if (m_forms.FormHaendler)
        m_forms.FormHaendler->ApplyColours(colours);
    if (m_forms.FormAmt)
        m_forms.FormAmt->ApplyColours(colours);
}
