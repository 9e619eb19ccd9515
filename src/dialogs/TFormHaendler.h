#pragma once

#include "widgets/MasterDialog.h"

class TFormHaendler : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormHaendler(Forms& forms, QWidget* parent = nullptr);
};
