#pragma once

#include "dialogs/ListEntryDialog.h"

// Adds a manufacturer while a register row is being edited.
class TFormHersteller : public ListEntryDialog {
    Q_OBJECT
public:
    explicit TFormHersteller(Forms& forms, QWidget* parent = nullptr);
};
