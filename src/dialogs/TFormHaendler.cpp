#include "dialogs/TFormHaendler.h"

#include "ui_TFormHaendler.h"

#include "common/Forms.h"
#include "common/HandlerGuard.h"
#include "common/Konst.h"
#include "common/Prompts.h"
#include "store/MasterData.h"
#include "store/TDatMod.h"
#include "window/Binding.h"
#include "window/TFormMain.h"

#include <QRegularExpressionValidator>
#include <algorithm>

namespace {
// Layout of the form file: the gender row above the postcode row, the buttons at the bottom.
constexpr int kWidth = 474;
constexpr int kHeight = 302;
constexpr int kGenderRowHeight = 50;
constexpr int kPostcodeLabelTop = 188;
constexpr int kButtonTop = 248;
} // namespace

TFormHaendler::TFormHaendler(Forms& forms, QWidget* parent)
    : MasterDialog(QStringLiteral("FormHaendler"), parent), ui(std::make_unique<Ui::TFormHaendler>()) {
    m_forms = &forms;
    ui->setupUi(this);
    setObjectName(QStringLiteral("FormHaendler"));
    setFixedSize(kWidth, kHeight);
    setHeading(ui->Label_Haendler);
    m_postcodeLength = ui->Edit_HaendlerPLZ->maxLength();
    // Digits only; a text that still cannot be stored (empty, too large) is refused at storing.
    ui->Edit_HaendlerPLZ->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), ui->Edit_HaendlerPLZ));
    ui->Combo_Geschlecht->setCompleter(nullptr);
    for (QLabel* label : findChildren<QLabel*>())
        if (QWidget* box = label->buddy())
            box->setAccessibleName(label->text());
    setPictureButton(ui->BitBtn_HaendlerOK, QStringLiteral(":/widgets/icons/uebernehmen.svg"),
                     QStringLiteral("Übernehmen"));
    setPictureButton(ui->BitBtn_HaendlerESC, QStringLiteral(":/widgets/icons/verwerfen.svg"),
                     QStringLiteral("Verwerfen"));
    for (QPushButton* b : {ui->BitBtn_HaendlerOK, ui->BitBtn_HaendlerESC})
        b->setIconSize(QSize(120, 36)); // the picture fills its button

    connect(ui->BitBtn_HaendlerOK, &QPushButton::clicked, this,
            [this] { guarded([this] { BitBtn_HaendlerOKClick(); }); });
    connect(ui->BitBtn_HaendlerESC, &QPushButton::clicked, this,
            [this] { guarded([this] { BitBtn_HaendlerESCClick(); }); });
    // Enter in the four text boxes stores; the gender box has no such key.
    for (QLineEdit* edit :
         {ui->Edit_HaendlerName, ui->Edit_HaendlerStrasse, ui->Edit_HaendlerPLZ, ui->Edit_HaendlerOrt})
        storeOnEnter(edit, [this] { guarded([this] { BitBtn_HaendlerOKClick(); }); });
}

TFormHaendler::~TFormHaendler() = default;

void TFormHaendler::guarded(const std::function<void()>& handler) {
    runGuarded(*m_forms->prompts, handler);
}

void TFormHaendler::FormActivate() {
    // Runs from the show event: an error must not travel through the event loop.
    guarded([this] { Konst::FirmDataMode ? activateFirmMode() : activatePartnerMode(); });
    setWindowTitle(heading()->text()); // what a screen reader announces for the window
}

void TFormHaendler::setGenderRowShown(bool shown) {
    ui->Combo_Geschlecht->setVisible(shown);
    ui->Label_Geschlecht->setVisible(shown);
    // Without the gender row the rows below it move up into its place.
    const int up = shown ? 0 : kGenderRowHeight;
    for (QWidget* w :
         {static_cast<QWidget*>(ui->Label_HaendlerPLZ), static_cast<QWidget*>(ui->Label_HaendlerOrt)})
        w->move(w->x(), kPostcodeLabelTop - up);
    for (QWidget* w : {ui->Edit_HaendlerPLZ, ui->Edit_HaendlerOrt})
        w->move(w->x(), kPostcodeLabelTop + 18 - up);
    for (QWidget* w : {ui->BitBtn_HaendlerOK, ui->BitBtn_HaendlerESC})
        w->move(w->x(), kButtonTop - up);
    setFixedSize(kWidth, kHeight - up);
}

void TFormHaendler::activateFirmMode() {
    setGenderRowShown(false);
    ui->Label_Haendler->setText(QStringLiteral("Geben Sie Ihre Firmendaten ein."));
    ui->Label_HaendlerName->setText(QStringLiteral("Firmen-Bezeichnung"));
    ui->Edit_HaendlerName->setAccessibleName(ui->Label_HaendlerName->text());
    // Disconnected there is no settings row: the boxes stay empty (storing says why).
    const Dataset& user = *m_forms->DatMod->ATab_User;
    const bool row = user.isActive() && user.recNo() > 0;
    ui->Edit_HaendlerName->setText(row ? user.asString(QStringLiteral("Firma")) : QString());
    ui->Edit_HaendlerStrasse->setText(row ? user.asString(QStringLiteral("Strasse")) : QString());
    QString postcode, town;
    if (row)
        MasterData::unpackFirmAddress(user.asString(QStringLiteral("Ort")), postcode, town);
    // The stored text may hold a longer first word than a postcode (written by another
    // program): the box shows it whole, or storing the firm data would write it back cut.
    ui->Edit_HaendlerPLZ->setMaxLength(std::max(m_postcodeLength, int(postcode.size())));
    ui->Edit_HaendlerPLZ->setText(postcode);
    ui->Edit_HaendlerOrt->setText(town);
}

void TFormHaendler::activatePartnerMode() {
    setGenderRowShown(true);
    ui->Label_HaendlerName->setText(QStringLiteral("Vor- und Nachname"));
    ui->Edit_HaendlerName->setAccessibleName(ui->Label_HaendlerName->text());
    for (QLineEdit* edit :
         {ui->Edit_HaendlerName, ui->Edit_HaendlerStrasse, ui->Edit_HaendlerPLZ, ui->Edit_HaendlerOrt})
        edit->clear();
    ui->Edit_HaendlerPLZ->setMaxLength(m_postcodeLength);
    ui->Combo_Geschlecht->clear();
    ui->Combo_Geschlecht->addItems({QStringLiteral("weiblich"), QStringLiteral("männlich")});
    ui->Combo_Geschlecht->setCurrentIndex(1);
    ui->Edit_HaendlerName->setFocus();
    ui->Label_Haendler->setText(Konst::BuyerMode ? QStringLiteral("Geben Sie einen neuen Käufer ein.")
                                                 : QStringLiteral("Geben Sie einen neuen Verkäufer ein."));
}

bool TFormHaendler::refused(std::initializer_list<std::optional<QString>> checks) {
    for (const auto& check : checks) {
        if (check) {
            m_forms->prompts->message(*check);
            return true;
        }
    }
    return false;
}

void TFormHaendler::BitBtn_HaendlerOKClick() {
    if (Konst::FirmDataMode)
        storeFirmData();
    else
        storePartner();
}

void TFormHaendler::storeFirmData() {
    TDatMod& dm = *m_forms->DatMod;
    if (!dm.isConnected() || !dm.ATab_User->isActive()) {
        m_forms->prompts->message(MasterData::firmDataNotConnectedMessage());
        return;
    }
    const QString name = ui->Edit_HaendlerName->text(), street = ui->Edit_HaendlerStrasse->text();
    const QString postcode = ui->Edit_HaendlerPLZ->text(), town = ui->Edit_HaendlerOrt->text();
    // Postcode and town share one column: the town gets what the postcode and the blank leave.
    if (refused({MasterData::checkWidth(ui->Label_HaendlerName->text(), name, MasterData::kFirmWidth),
                 MasterData::checkWidth(ui->Label_HaendlerStrasse->text(), street, MasterData::kFirmWidth),
                 MasterData::checkWidth(ui->Label_HaendlerOrt->text(), town,
                                        MasterData::kFirmWidth - int(postcode.size()) - 1)}))
        return;
    Dataset& user = *dm.ATab_User;
    user.edit();
    try {
        user.setValue(QStringLiteral("Firma"), name);
        user.setValue(QStringLiteral("Strasse"), street);
        user.setValue(QStringLiteral("Ort"), MasterData::packFirmAddress(postcode, town));
        user.post();
    } catch (...) {
        user.cancel();
        throw;
    }
    Konst::FirmDataMode = false;
    done(Accepted);
}

int TFormHaendler::genderKey() const {
    const QComboBox& box = *ui->Combo_Geschlecht;
    const int pos = box.currentIndex();
    return pos >= 0 && box.currentText() == box.itemText(pos) ? pos + 1 : 0;
}

void TFormHaendler::storePartner() {
    TDatMod& dm = *m_forms->DatMod;
    const QString name = ui->Edit_HaendlerName->text(); // as typed, not trimmed
    const QString street = ui->Edit_HaendlerStrasse->text(), town = ui->Edit_HaendlerOrt->text();
    // Everything that could stop the store is checked before anything is begun; the dialog
    // stays open with the typed texts.
    const std::optional<int> postcode = MasterData::postcodeValue(ui->Edit_HaendlerPLZ->text());
    if (refused({MasterData::checkWidth(ui->Label_HaendlerName->text(), name, MasterData::kPartnerNameWidth),
                 MasterData::checkWidth(ui->Label_HaendlerStrasse->text(), street, MasterData::kAddressWidth),
                 postcode
                     ? std::nullopt
                     : std::optional<QString>(MasterData::postcodeMessage(ui->Label_HaendlerPLZ->text())),
                 MasterData::checkWidth(ui->Label_HaendlerOrt->text(), town, MasterData::kAddressWidth)}))
        return;
    // What is typed in the record form but not yet in the row (a date) goes in now, or is refused
    // now, before the partner is stored.
    m_forms->FormMain->DScr_Vorgang->commit();

    if (MasterData::isDuplicate(*dm.ATab_Kauf, QStringLiteral("Name"), name) &&
        m_forms->prompts->yesNo(MasterData::duplicatePartnerQuestion(name), true) != Prompts::Answer::Yes) {
        done(Rejected);
        return;
    }
    const int key = MasterData::appendEntry(*dm.ATab_Kauf, {{QStringLiteral("Name"), name},
                                                            {QStringLiteral("Strasse"), street},
                                                            {QStringLiteral("PLZ"), *postcode},
                                                            {QStringLiteral("Ort"), town},
                                                            {QStringLiteral("Geschlecht"), genderKey()},
                                                            {QStringLiteral("EWB"), 1},
                                                            {QStringLiteral("EWBAmt"), 1},
                                                            {QStringLiteral("KAmt"), 1}});
    dm.SortLookupTables();
    Dataset& reg = *dm.ASet_Vorgang;
    reg.setValue(Konst::BuyerMode ? QStringLiteral("Kaufer") : QStringLiteral("Verkaufer"), key);
    // Stored at once, so that the record form shows the partner's address; editing goes on.
    try {
        MasterData::postAndResumeEditing(reg);
    } catch (...) {
        // The partner is stored and the row, still in editing, holds it: close, so that storing
        // again cannot add it a second time; the error box says why the row was not stored.
        done(Accepted);
        throw;
    }
    TFormMain& main = *m_forms->FormMain;
    if (Konst::BuyerMode)
        main.DBLU_EWB->setFocus();
    else
        main.DBLU_Kaufer->setFocus();
    done(Accepted);
}

void TFormHaendler::BitBtn_HaendlerESCClick() {
    if (Konst::FirmDataMode)
        Konst::FirmDataMode = false;
    done(Rejected);
}

void TFormHaendler::reject() {
    if (ui->BitBtn_HaendlerESC->isEnabled())
        BitBtn_HaendlerESCClick();
}

void TFormHaendler::ApplyColours(const DialogColours& colours) {
    paintDialog(this,
                {ui->Edit_HaendlerName, ui->Edit_HaendlerOrt, ui->Edit_HaendlerPLZ, ui->Edit_HaendlerStrasse,
                 ui->Combo_Geschlecht},
                colours);
}
