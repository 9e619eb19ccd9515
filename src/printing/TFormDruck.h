#pragma once

#include "widgets/MasterDialog.h"

// The print dialog; its reports come with the printing work.
class TFormDruck : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormDruck(Forms& forms, QWidget* parent = nullptr);
};
