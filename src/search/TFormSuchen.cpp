#include "search/TFormSuchen.h"

TFormSuchen::TFormSuchen(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormSuchen"), QStringLiteral("Suchen"), parent) {}
