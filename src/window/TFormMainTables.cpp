// The table page of the register window: the eight grids on the shared datasets, the switch
// that lets the register grid take input, and sorting by a click on a column title.
#include "common/Konst.h"
#include "settings/TFormOptions.h"
#include "store/DeletionLog.h"
#include "store/RegisterRules.h"
#include "ui_TFormMain.h"
#include "widgets/DBGrid.h"
#include "window/Binding.h"
#include "window/TFormMain.h"

#include <QHeaderView>

namespace {

struct GridColumn {
    const char16_t* field;
    const char16_t* title; // empty: the field name
};

QStringList fieldsOf(std::initializer_list<GridColumn> columns) {
    QStringList l;
    for (const GridColumn& c : columns)
        l << QString::fromUtf16(c.field);
    return l;
}

QStringList titlesOf(std::initializer_list<GridColumn> columns) {
    QStringList l;
    for (const GridColumn& c : columns)
        l << QString::fromUtf16(c.title);
    return l;
}

// Column n of the register grid is sort order n of the register query.
const std::initializer_list<GridColumn> kRegisterColumns = {{u"Index", u"Nr."},
                                                            {u"KDatum", u"Kaufdatum"},
                                                            {u"ViewWaffentyp", u"Waffentyp"},
                                                            {u"ViewKaliber", u"Kaliber"},
                                                            {u"ViewHersteller", u"Hersteller"},
                                                            {u"SerienNr", u""},
                                                            {u"ViewVerkaufer", u"Verkäufer"},
                                                            {u"ViewKaufer", u"Käufer"},
                                                            {u"VDatum", u"Verk.-Datum"},
                                                            {u"ViewEWB", u"EWB"},
                                                            {u"EWBNR", u"EWB-Nr."},
                                                            {u"AmtDatum", u"Amt-Datum"},
                                                            {u"ViewAmt", u"Amt/Land"},
                                                            {u"ViewKauferAmt", u"Käufer-Amt"},
                                                            {u"JDatum", u"Jgd.-Dat."},
                                                            {u"BriefDatum", u"Brief-Dat."},
                                                            {u"Notiz", u""}};

const std::initializer_list<GridColumn> kPartnerColumns = {{u"Name", u""},
                                                           {u"Strasse", u""},
                                                           {u"PLZ", u""},
                                                           {u"Ort", u""},
                                                           {u"ViewGeschlecht", u"Geschlecht"},
                                                           {u"ViewAnrede", u"Anrede"},
                                                           {u"ViewEWB", u"EWB"},
                                                           {u"EWBNR", u"EWB-Nr."},
                                                           {u"EWBDatum", u"EWB-Datum"},
                                                           {u"JDatum", u"Jagdsch.-Datum"},
                                                           {u"ViewEWBAmt", u"EWB Amt"},
                                                           {u"ViewKAmt", u"Käufer-Amt"}};

// The lookup columns sort by the key behind them: gender and salutation both by "Geschlecht".
const std::array<const char*, 12> kPartnerSortTexts = {"Name",       "Strasse",    "PLZ",    "Ort",
                                                       "Geschlecht", "Geschlecht", "EWB",    "EWBNR",
                                                       "EWBDatum",   "JDatum",     "EWBAmt", "KAmt"};

} // namespace

QString TFormMain::partnerSortText(int position) {
    if (position < 0 || position >= int(kPartnerSortTexts.size()))
        return QString();
    return QString::fromLatin1(kPartnerSortTexts[std::size_t(position)]);
}

QList<DBGrid*> TFormMain::grids() const {
    return {DBGrid_Vorgang,    DBGrid_Partner, DBGrid_Typen, DBGrid_Kaliber,
            DBGrid_Hersteller, DBGrid_Amt,     DBGrid_EWB,   DBGrid_Land};
}

void TFormMain::buildTablePage() {
    PgCtrl_Tab = ui->PgCtrl_Tab;
    TS_Vorgaenge = ui->TS_Vorgaenge;
    TS_Vorgaenge->setObjectName(QStringLiteral("TS_Vorgänge"));
    TS_Handel = ui->TS_Handel;
    TS_Typ = ui->TS_Typ;
    TS_Kaliber = ui->TS_Kaliber;
    TS_Hersteller = ui->TS_Hersteller;
    TS_Amt = ui->TS_Amt;
    TS_EWB = ui->TS_EWB;
    TS_Land = ui->TS_Land;
    DBGrid_Vorgang = ui->DBGrid_Vorgang;
    DBGrid_Partner = ui->DBGrid_Partner;
    DBGrid_Typen = ui->DBGrid_Typen;
    DBGrid_Kaliber = ui->DBGrid_Kaliber;
    DBGrid_Hersteller = ui->DBGrid_Hersteller;
    DBGrid_Amt = ui->DBGrid_Amt;
    DBGrid_EWB = ui->DBGrid_EWB;
    DBGrid_Land = ui->DBGrid_Land;
    PgCtrl_Tab->setCurrentIndex(0);
    QFont bold = DBGrid_Vorgang->horizontalHeader()->font();
    bold.setBold(true);
    DBGrid_Vorgang->horizontalHeader()->setFont(bold);
    // The register grid is read-only until the option says otherwise; the others always take input.
    DBGrid_Vorgang->setOptions(DBGrid::kReadOnlyOptions);
    DBGrid_Vorgang->setReadOnly(true);
    for (DBGrid* g : grids()) {
        g->setPrompts(&m_prompts);
        if (g != DBGrid_Vorgang)
            g->setOptions(DBGrid::kEditableOptions);
    }
    connect(DBGrid_Vorgang, &DBGrid::titleClicked, this,
            [this](int n) { guarded([this, n] { DBGrid_VorgangTitleClick(n); }); });
    connect(DBGrid_Partner, &DBGrid::titleClicked, this,
            [this](int n) { guarded([this, n] { DBGrid_PartnerTitleClick(n); }); });
    // The keyboard goes to the grid of the page shown.
    for (DBGrid* g : grids())
        g->parentWidget()->setFocusProxy(g);
    connect(PgCtrl_Tab, &QTabWidget::currentChanged, this, [this] {
        if (QWidget* page = PgCtrl_Tab->currentWidget())
            page->setFocus();
    });
    connect(PgCtrl, &QTabWidget::currentChanged, this, [this](int page) {
        const int left = m_lastPage;
        m_lastPage = page;
        if (PgCtrl->widget(left) == TS_Tabellen && page != left && !leaveTablePage())
            PgCtrl->setCurrentIndex(left);
        else if (PgCtrl->widget(page) == TS_Tabellen && PgCtrl_Tab->currentWidget())
            PgCtrl_Tab->currentWidget()->setFocus();
    });
}

void TFormMain::bindDataSources(TDatMod& d) {
    const std::pair<DataSource**, Dataset*> sources[] = {
        {&DScr_Kauf, d.ATab_Kauf},       {&DScr_Typ, d.ATab_Typ},
        {&DScr_Kaliber, d.ATab_Kaliber}, {&DScr_Hersteller, d.ATab_Hersteller},
        {&DScr_Amt, d.ATab_Amt},         {&DScr_EWB, d.ATab_EWB},
        {&DScr_Land, d.ATab_Land},       {&DScr_Geschlecht, d.ATab_Geschlecht}};
    for (const auto& [source, dataset] : sources) {
        *source = new DataSource(dataset, this);
        (*source)->setObjectName(QStringLiteral("DScr_") + dataset->name().mid(5));
    }
}

void TFormMain::bindTables() {
    DScr_Vorgang->bindGrid(DBGrid_Vorgang, fieldsOf(kRegisterColumns), titlesOf(kRegisterColumns));
    DScr_Kauf->bindGrid(DBGrid_Partner, fieldsOf(kPartnerColumns), titlesOf(kPartnerColumns));
    DScr_Typ->bindGrid(DBGrid_Typen, {QStringLiteral("WTyp")}, {QStringLiteral("Waffentyp")});
    DScr_Kaliber->bindGrid(DBGrid_Kaliber, {QStringLiteral("Kaliber")}, {});
    DScr_Hersteller->bindGrid(DBGrid_Hersteller, {QStringLiteral("Hersteller")}, {});
    DScr_Amt->bindGrid(
        DBGrid_Amt,
        {QStringLiteral("Name"), QStringLiteral("Strasse"), QStringLiteral("PLZ"), QStringLiteral("Stadt")},
        {QString(), QStringLiteral("Straße"), QString(), QString()});
    DScr_EWB->bindGrid(DBGrid_EWB, {QStringLiteral("EWB")}, {QStringLiteral("Erwerbsberechtigung")});
    DScr_Land->bindGrid(DBGrid_Land, {QStringLiteral("Land")}, {});
    // A register row begun in the grid starts with the placeholder keys, as one begun with the
    // toolbar does; a deleted one is kept in the deletion record.
    DBGrid_Vorgang->onAppend = [this] { RegisterRules::setPlaceholderKeys(*dm().ASet_Vorgang); };
    DBGrid_Vorgang->onDelete = [this] { deleteRegisterRow(); };
}

void TFormMain::ApplyRegisterGridEditing() {
    const bool on = m_forms.FormOptions->Check_TabEdit->isChecked();
    DBGrid_Vorgang->setReadOnly(!on);
    DBGrid_Vorgang->setOptions(on ? DBGrid::kEditableOptions : DBGrid::kReadOnlyOptions);
}

void TFormMain::deleteRegisterRow() {
    // The register is a legal book: the row goes into the deletion record in the same
    // transaction that deletes it, or neither happens.
    dm().ASet_Vorgang->deleteRecord([this](qint64 index) { DeletionLog::record(dm().ADOCon, index); });
    CountUnsold(dm());
    ShowPartyPanels();
    UpdateStatusBar();
}

void TFormMain::DBGrid_VorgangTitleClick(int position) {
    if (position < 0 || position >= Combo_Sort->count())
        return;
    // A changed row is written before the register is read again in the new order.
    if (!DBGrid_Vorgang->postPending())
        return;
    Combo_Sort->setCurrentIndex(position);
    ApplyRegisterSort();
}

void TFormMain::DBGrid_PartnerTitleClick(int position) {
    const QString sortText = partnerSortText(position);
    if (sortText.isEmpty() || !DBGrid_Partner->postPending())
        return;
    dm().ATab_Kauf->setSort(sortText);
}

bool TFormMain::leaveTablePage() {
    for (DBGrid* g : grids())
        if (!g->postPending())
            return false;
    return true;
}
