#pragma once

#include "dialogs/MasterDialog.h"

class TFormHersteller : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormHersteller(Forms& forms, QWidget* parent = nullptr);
};
