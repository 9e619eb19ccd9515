#pragma once

#include "widgets/DialogColours.h"
#include "widgets/MasterDialog.h"

#include <memory>
#include <optional>

namespace Ui {
class TFormHaendler;
}

// Adds a trading partner as the seller or buyer of the register row being edited, or shows
// and changes the dealer's firm data (FirmDataMode). BuyerMode decides which register column
// a new partner goes into.
class TFormHaendler : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormHaendler(Forms& forms, QWidget* parent = nullptr);
    ~TFormHaendler() override;

    // ---- handlers
    void FormActivate() override;
    void BitBtn_HaendlerOKClick();
    void BitBtn_HaendlerESCClick();

    void ApplyColours(const DialogColours& colours);
    // Escape discards, like the discard button.
    void reject() override;

    std::unique_ptr<Ui::TFormHaendler> ui;

private:
    void setGenderRowShown(bool shown);
    void activateFirmMode();
    void activatePartnerMode();
    void storeFirmData();
    void storePartner();
    // Shows the first refusal of `checks` (nothing for a text that fits); true when there was one.
    bool refused(std::initializer_list<std::optional<QString>> checks);
    // Key of the chosen gender: its position + 1, or 0 when the text was typed over.
    int genderKey() const;
    void guarded(const std::function<void()>& handler);

    int m_postcodeLength = 0; // what the postcode box takes when typed into
};
