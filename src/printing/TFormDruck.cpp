#include "printing/TFormDruck.h"

TFormDruck::TFormDruck(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormDruck"), QStringLiteral("Drucken"), parent) {}
