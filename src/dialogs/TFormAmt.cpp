#include "dialogs/TFormAmt.h"

#include "ui_TFormAmt.h"

#include "common/Forms.h"
#include "common/HandlerGuard.h"
#include "common/Konst.h"
#include "common/Prompts.h"
#include "store/MasterData.h"
#include "store/TDatMod.h"
#include "window/Binding.h"
#include "window/TFormMain.h"

#include <QRegularExpressionValidator>
#include <QSignalBlocker>

namespace {
constexpr int kDialogWidth = 474;
constexpr int kNameWidthBesidePick = 394; // the name box leaves room for the pick button
constexpr int kNameWidthFull = 426;
} // namespace

TFormAmt::TFormAmt(Forms& forms, QWidget* parent)
    : MasterDialog(QStringLiteral("FormAmt"), parent), ui(std::make_unique<Ui::TFormAmt>()) {
    m_forms = &forms;
    ui->setupUi(this);
    setObjectName(QStringLiteral("FormAmt"));
    setFixedSize(kDialogWidth, kAuthorityHeight);
    setHeading(ui->Label_Amt);
    ui->Edit_AmtPLZ->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), ui->Edit_AmtPLZ));
    // A typed character takes the pick as it is, not a completed country.
    ui->Combo_Land->setCompleter(nullptr);
    ui->Combo_Land->hide();
    for (QLabel* label : findChildren<QLabel*>())
        if (QWidget* box = label->buddy())
            box->setAccessibleName(label->text());
    setPictureButton(ui->BitBtn_AmtOK, QStringLiteral(":/widgets/icons/uebernehmen.svg"),
                     QStringLiteral("Übernehmen"));
    setPictureButton(ui->BitBtn_AmtESC, QStringLiteral(":/widgets/icons/verwerfen.svg"),
                     QStringLiteral("Verwerfen"));
    for (QPushButton* b : {ui->BitBtn_AmtOK, ui->BitBtn_AmtESC})
        b->setIconSize(QSize(120, 36)); // the picture fills its button

    connect(ui->BitBtn_AmtOK, &QPushButton::clicked, this,
            [this] { guarded([this] { BitBtn_AmtOKClick(); }); });
    connect(ui->BitBtn_AmtESC, &QPushButton::clicked, this,
            [this] { guarded([this] { BitBtn_AmtESCClick(); }); });
    connect(ui->SB_Landwahl, &QToolButton::clicked, this,
            [this] { guarded([this] { SB_LandwahlClick(); }); });
    connect(ui->Combo_Land, &QComboBox::editTextChanged, this,
            [this] { guarded([this] { Combo_LandChange(); }); });
    // Choosing an entry whose text is the one shown (an empty entry) changes no text.
    connect(ui->Combo_Land, &QComboBox::activated, this, [this] { guarded([this] { Combo_LandChange(); }); });
    for (QLineEdit* edit : {ui->Edit_AmtName, ui->Edit_AmtStrasse, ui->Edit_AmtPLZ, ui->Edit_AmtOrt})
        storeOnEnter(edit, [this] { guarded([this] { BitBtn_AmtOKClick(); }); });
}

TFormAmt::~TFormAmt() = default;

void TFormAmt::guarded(const std::function<void()>& handler) {
    runGuarded(*m_forms->prompts, handler);
}

bool TFormAmt::countryMode() const {
    // The record form's permit-kind box shows the row's kind; kind 1 is a permit from abroad.
    const Dataset& reg = *m_forms->DatMod->ASet_Vorgang;
    return reg.isActive() && (reg.recNo() > 0 || reg.isEditing()) &&
           reg.asInteger(QStringLiteral("EWB")) == 1;
}

void TFormAmt::setAddressShown(bool shown) {
    for (QWidget* w :
         {static_cast<QWidget*>(ui->Edit_AmtStrasse), static_cast<QWidget*>(ui->Label_AmtStrasse),
          static_cast<QWidget*>(ui->Edit_AmtPLZ), static_cast<QWidget*>(ui->Label_AmtPLZ),
          static_cast<QWidget*>(ui->Edit_AmtOrt), static_cast<QWidget*>(ui->Label_AmtOrt)})
        w->setVisible(shown);
}

void TFormAmt::setButtonsTop(int top) {
    ui->BitBtn_AmtOK->move(ui->BitBtn_AmtOK->x(), top);
    ui->BitBtn_AmtESC->move(ui->BitBtn_AmtESC->x(), top);
}

void TFormAmt::FormActivate() {
    guarded([this] {
        for (QLineEdit* edit : {ui->Edit_AmtName, ui->Edit_AmtStrasse, ui->Edit_AmtPLZ, ui->Edit_AmtOrt})
            edit->clear();
        ui->Combo_Land->hide();
        ui->Edit_AmtName->show();
        ui->BitBtn_AmtOK->setEnabled(true);
        ui->BitBtn_AmtESC->setEnabled(true);
        const bool country = countryMode();
        ui->Edit_AmtName->resize(country ? kNameWidthBesidePick : kNameWidthFull, ui->Edit_AmtName->height());
        if (country) {
            ui->Label_Amt->setText(QStringLiteral("Geben Sie ein neues Land ein."));
            ui->Label_AmtName->setText(QStringLiteral("Land eingeben"));
            ui->SB_Landwahl->show();
            setAddressShown(false);
            setButtonsTop(ui->Edit_AmtStrasse->y());
            setFixedSize(kDialogWidth, kCountryHeight);
        } else {
            ui->Label_Amt->setText(Konst::IssuingAmtMode
                                       ? QStringLiteral("Geben Sie das ausstellende Amt ein.")
                                       : QStringLiteral("Geben Sie das zuständige Amt ein."));
            ui->Label_AmtName->setText(QStringLiteral("Amt eingeben"));
            ui->SB_Landwahl->hide();
            setAddressShown(true);
            setButtonsTop(kAuthorityButtonTop);
            setFixedSize(kDialogWidth, kAuthorityHeight);
        }
        ui->Edit_AmtName->setAccessibleName(ui->Label_AmtName->text());
        ui->Edit_AmtName->setFocus();
    });
    setWindowTitle(heading()->text()); // what a screen reader announces for the window
}

void TFormAmt::SB_LandwahlClick() {
    const Dataset& land = *m_forms->DatMod->ATab_Land;
    const int field = land.fieldIndex(QStringLiteral("Land"));
    QStringList names; // every row in the dataset's order, repeated names as often as they occur
    for (int row = 0; row < land.recordCount(); ++row)
        names << land.textAt(row, field);
    {
        // Filling is no choice: the first item must not end the pick.
        const QSignalBlocker block(ui->Combo_Land);
        ui->Combo_Land->clear();
        ui->Combo_Land->addItems(names);
        ui->Combo_Land->setCurrentIndex(-1);
        ui->Combo_Land->clearEditText();
    }
    ui->Label_AmtName->setText(QStringLiteral("Land aus der Liste auswählen"));
    ui->Edit_AmtName->hide();
    // The dialog is left only by taking a country.
    ui->BitBtn_AmtOK->setEnabled(false);
    ui->BitBtn_AmtESC->setEnabled(false);
    ui->Combo_Land->setGeometry(ui->Edit_AmtName->x(), ui->Edit_AmtName->y(), ui->Edit_AmtName->width(),
                                ui->Edit_AmtName->height());
    ui->Combo_Land->show();
    ui->Combo_Land->setFocus();
    if (isVisible())
        ui->Combo_Land->showPopup();
}

void TFormAmt::Combo_LandChange() {
    if (ui->Combo_Land->isHidden())
        return;
    ui->Combo_Land->hidePopup();
    ui->Combo_Land->hide();
    ui->Label_Amt->setText(QStringLiteral("Geben Sie ein neues Land ein."));
    ui->Label_AmtName->setText(QStringLiteral("Land eingeben"));
    ui->Edit_AmtName->show();
    ui->BitBtn_AmtOK->setEnabled(true);
    ui->BitBtn_AmtESC->setEnabled(true);
    ui->Edit_AmtName->setText(ui->Combo_Land->currentText());
    ui->Edit_AmtName->setFocus();
}

void TFormAmt::BitBtn_AmtOKClick() {
    TDatMod& dm = *m_forms->DatMod;
    const QString name = ui->Edit_AmtName->text(); // as typed, not trimmed
    if (MasterData::isDuplicate(*dm.ATab_Amt, QStringLiteral("Name"), name)) {
        m_forms->prompts->message(MasterData::duplicateMessage(name));
        done(Rejected);
        return;
    }
    // The address goes in exactly when the dialog shows it.
    const bool address = ui->Edit_AmtStrasse->isVisibleTo(this);
    const QString street = ui->Edit_AmtStrasse->text(), town = ui->Edit_AmtOrt->text();
    const std::optional<int> postcode = MasterData::postcodeValue(ui->Edit_AmtPLZ->text());
    // Everything that could stop the store is checked before anything is begun; the dialog
    // stays open with the typed texts.
    std::optional<QString> refusal = MasterData::checkWidth(
        address ? QStringLiteral("Amt") : QStringLiteral("Land"), name, MasterData::kAddressWidth);
    if (!refusal && address)
        refusal = MasterData::checkWidth(ui->Label_AmtStrasse->text(), street, MasterData::kAddressWidth);
    if (!refusal && address && !postcode)
        refusal = MasterData::postcodeMessage(ui->Label_AmtPLZ->text());
    if (!refusal && address)
        refusal = MasterData::checkWidth(ui->Label_AmtOrt->text(), town, MasterData::kAddressWidth);
    if (refusal) {
        m_forms->prompts->message(*refusal);
        return;
    }
    m_forms->FormMain->DScr_Vorgang->commit();

    std::vector<std::pair<QString, QVariant>> values{{QStringLiteral("Name"), name}};
    if (address)
        values.insert(values.end(), {{QStringLiteral("Strasse"), street},
                                     {QStringLiteral("PLZ"), *postcode},
                                     {QStringLiteral("Stadt"), town}});
    const int key = MasterData::appendEntry(*dm.ATab_Amt, values);
    dm.SortLookupTables();
    Dataset& reg = *dm.ASet_Vorgang;
    if (Konst::IssuingAmtMode)
        reg.setValue(QStringLiteral("Amt"), key);
    reg.setValue(QStringLiteral("KauferAmt"), key);
    // Stored at once, so that the authority panels show the new entry; editing goes on.
    try {
        MasterData::postAndResumeEditing(reg);
    } catch (...) {
        // The authority is stored and the row, still in editing, holds it: close, so that storing
        // again cannot add it a second time; the error box says why the row was not stored.
        done(Accepted);
        throw;
    }
    done(Accepted);
}

void TFormAmt::BitBtn_AmtESCClick() {
    done(Rejected);
}

void TFormAmt::reject() {
    if (ui->BitBtn_AmtESC->isEnabled())
        BitBtn_AmtESCClick();
}

void TFormAmt::ApplyColours(const DialogColours& colours) {
    paintDialog(this, {ui->Edit_AmtName, ui->Edit_AmtOrt, ui->Edit_AmtPLZ, ui->Edit_AmtStrasse}, colours);
}
