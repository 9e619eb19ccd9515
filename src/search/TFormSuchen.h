#pragma once

#include "dialogs/MasterDialog.h"

// The search dialog; its criteria come with the search work.
class TFormSuchen : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormSuchen(Forms& forms, QWidget* parent = nullptr);
};
