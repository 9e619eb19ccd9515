#include "dialogs/TFormHaendler.h"

TFormHaendler::TFormHaendler(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormHaendler"), QStringLiteral("Geben Sie einen neuen Käufer ein."),
                   parent) {}
