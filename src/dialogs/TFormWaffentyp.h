#pragma once

#include "dialogs/ListEntryDialog.h"

// Adds a weapon type while a register row is being edited.
class TFormWaffentyp : public ListEntryDialog {
    Q_OBJECT
public:
    explicit TFormWaffentyp(Forms& forms, QWidget* parent = nullptr);
};
