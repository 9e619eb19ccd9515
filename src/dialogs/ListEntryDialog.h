#pragma once

#include "widgets/DialogColours.h"
#include "widgets/MasterDialog.h"

#include <memory>

class Dataset;
class TDatMod;
namespace Ui {
class ListEntryDialog;
}

// The dialog that adds one entry to a single-column list (weapon types, calibres, manufacturers)
// and puts its key into the register row being edited. One design; each list passes its names.
class ListEntryDialog : public MasterDialog {
    Q_OBJECT
public:
    struct Design {
        const char* objectName;     // "FormWaffentyp"
        const char16_t* heading;    // text of the heading band
        const char* headingName;    // "Label_Waffentyp"
        const char* editName;       // "Edit_Waffentyp"
        const char* okName;         // "BitBtn_WTypOK"
        const char* escName;        // "BitBtn_WTypESC"
        const char16_t* fieldName;  // the field as messages name it
        Dataset* TDatMod::*table;   // the list dataset
        const char* column;         // its text column
        const char* registerColumn; // the register column that takes the new key
        int width;                  // width of the text column
    };

    ListEntryDialog(Forms& forms, const Design& design, QWidget* parent = nullptr);
    ~ListEntryDialog() override;

    // ---- handlers
    void FormActivate() override;
    void BitBtn_OKClick();
    void BitBtn_ESCClick();

    void ApplyColours(const DialogColours& colours);
    // Escape discards, like the discard button.
    void reject() override;

    std::unique_ptr<Ui::ListEntryDialog> ui;

private:
    void guarded(const std::function<void()>& handler);
    const Design m_design;
};
