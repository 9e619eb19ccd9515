#pragma once

#include "widgets/MasterDialog.h"

class TFormWaffentyp : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormWaffentyp(Forms& forms, QWidget* parent = nullptr);
};
