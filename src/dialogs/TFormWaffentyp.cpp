#include "dialogs/TFormWaffentyp.h"

TFormWaffentyp::TFormWaffentyp(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormWaffentyp"),
                   QStringLiteral("Geben Sie einen neuen Waffentyp ein."), parent) {}
