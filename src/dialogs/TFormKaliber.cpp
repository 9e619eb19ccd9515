#include "dialogs/TFormKaliber.h"

TFormKaliber::TFormKaliber(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormKaliber"), QStringLiteral("Geben Sie ein neues Kaliber ein."),
                   parent) {}
