#pragma once

#include "widgets/MasterDialog.h"

class TFormAmt : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormAmt(Forms& forms, QWidget* parent = nullptr);
};
