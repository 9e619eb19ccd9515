#include "dialogs/TFormAmt.h"

TFormAmt::TFormAmt(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormAmt"), QStringLiteral("Geben Sie ein neues Amt ein."), parent) {
}
