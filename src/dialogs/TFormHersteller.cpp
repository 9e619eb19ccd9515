#include "dialogs/TFormHersteller.h"

TFormHersteller::TFormHersteller(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormHersteller"),
                   QStringLiteral("Geben Sie einen neuen Hersteller ein."), parent) {}
