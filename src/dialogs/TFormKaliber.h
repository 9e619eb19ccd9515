#pragma once

#include "widgets/MasterDialog.h"

class TFormKaliber : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormKaliber(Forms& forms, QWidget* parent = nullptr);
};
