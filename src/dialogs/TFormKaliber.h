#pragma once

#include "dialogs/ListEntryDialog.h"

// Adds a calibre while a register row is being edited.
class TFormKaliber : public ListEntryDialog {
    Q_OBJECT
public:
    explicit TFormKaliber(Forms& forms, QWidget* parent = nullptr);
};
