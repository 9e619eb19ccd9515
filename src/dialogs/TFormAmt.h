#pragma once

#include "widgets/DialogColours.h"
#include "widgets/MasterDialog.h"

#include <memory>

namespace Ui {
class TFormAmt;
}

// Adds an authority (name and address) or, for a permit of kind 1, a country (name only, with
// a pick list from the country table) and makes it the register row's issuing and responsible
// authority (IssuingAmtMode) or its responsible authority only.
class TFormAmt : public MasterDialog {
    Q_OBJECT
public:
    explicit TFormAmt(Forms& forms, QWidget* parent = nullptr);
    ~TFormAmt() override;

    // ---- handlers
    void FormActivate() override;
    void BitBtn_AmtOKClick();
    void BitBtn_AmtESCClick();
    void SB_LandwahlClick();
    void Combo_LandChange();

    // Country mode: the permit kind of the register row is 1.
    bool countryMode() const;

    void ApplyColours(const DialogColours& colours);
    // Escape discards, like the discard button (not while a country is being picked).
    void reject() override;

    std::unique_ptr<Ui::TFormAmt> ui;

    static constexpr int kAuthorityHeight = 276;
    static constexpr int kCountryHeight = 160;
    static constexpr int kAuthorityButtonTop = 227;

private:
    void setAddressShown(bool shown);
    void setButtonsTop(int top);
    void guarded(const std::function<void()>& handler);
};
