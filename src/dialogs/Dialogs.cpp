#include "dialogs/TFormAmt.h"
#include "dialogs/TFormHaendler.h"
#include "dialogs/TFormHersteller.h"
#include "dialogs/TFormKaliber.h"
#include "dialogs/TFormWaffentyp.h"

// The master-data dialogs exist from the start in the program's creation order; their boxes
// and buttons come with the dialogs' own work.

TFormWaffentyp::TFormWaffentyp(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormWaffentyp"),
                   QStringLiteral("Geben Sie einen neuen Waffentyp ein."), parent) {}

TFormKaliber::TFormKaliber(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormKaliber"), QStringLiteral("Geben Sie ein neues Kaliber ein."),
                   parent) {}

TFormHersteller::TFormHersteller(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormHersteller"),
                   QStringLiteral("Geben Sie einen neuen Hersteller ein."), parent) {}

TFormHaendler::TFormHaendler(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormHaendler"), QStringLiteral("Geben Sie einen neuen Käufer ein."),
                   parent) {}

TFormAmt::TFormAmt(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormAmt"), QStringLiteral("Geben Sie ein neues Amt ein."), parent) {
}
