#pragma once

#include "widgets/MasterDialog.h"

class TFormHersteller : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormHersteller(Forms& forms, QWidget* parent = nullptr);
};
