#include "window/TFormMain.h"

#include "common/HandlerGuard.h"
#include "common/Konst.h"
#include "common/Prompts.h"
#include "settings/TFormOptions.h"
#include "store/RegisterQuery.h"
#include "store/RegisterRules.h"
#include "store/Schema.h"
#include "ui_RecordForm.h"
#include "ui_TFormMain.h"
#include "widgets/DialogRunner.h"
#include "window/AddressPanel.h"
#include "window/Binding.h"
#include "window/Icons.h"
#include "window/NavigationBar.h"
#include "window/RecordForm.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScopeGuard>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QFont boldFont(const QFont& base, int pixelSize = 0) {
    QFont f = base;
    f.setBold(true);
    if (pixelSize > 0)
        f.setPixelSize(pixelSize);
    return f;
}

} // namespace

// ------------------------------------------------------------------ construction

TFormMain::TFormMain(Forms& forms, Prompts& prompts, DialogRunner& runner, QWidget* parent)
    : QMainWindow(parent), m_forms(forms), m_prompts(prompts), m_runner(runner),
      ui(std::make_unique<Ui::TFormMain>()) {
    ui->setupUi(this);
    // Font in pixels, without scaling to the screen's text size: a .ui file only holds points.
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    setFont(f);
    startFolder = QCoreApplication::applicationDirPath();
    PgCtrl = ui->PgCtrl;
    TS_Formular = ui->TS_Formular;
    TS_Tabellen = ui->TS_Tabellen;
    buildTablePage();
    buildMenus();

    auto* formLayout = new QHBoxLayout(TS_Formular);
    formLayout->setContentsMargins(0, 0, 0, 0);
    buildRecordForm();
    formLayout->addWidget(Panel_Formular);
    formLayout->addWidget(buildRightSide(), 1);

    buildStatusBar();
    buildShortcuts();
    // A new window is in browse mode.
    setWindowState(WindowState::Browse);
}

TFormMain::~TFormMain() {
    // The base class deletes the children after this part of the window is gone; a child that
    // loses the focus then (the step box ends its edit) must not reach the handlers any more.
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
}

void TFormMain::guarded(const std::function<void()>& handler) {
    runGuarded(m_prompts, handler);
}

void TFormMain::buildMenus() {
    M_Datenbank = ui->M_Datenbank;
    M_Optionen = ui->M_Optionen;
    M_Hilfe = ui->M_Hilfe;
    M_Verbinden = ui->M_Verbinden;
    M_Trennen = ui->M_Trennen;
    M_Sichern = ui->M_Sichern;
    M_Laden = ui->M_Laden;
    M_NeueDatenbank = ui->M_NeueDatenbank;
    M_AlteDatenbank = ui->M_AlteDatenbank;
    M_Ende = ui->M_Ende;
    M_OptionFenster = ui->M_OptionFenster;
    M_Firma = ui->M_Firma;
    M_HilfeIndex = ui->M_HilfeIndex;
    // Each menu's entries form a group, so that a locked menu silences their keys and an entry
    // disabled on its own stays disabled when the menu comes back.
    for (QMenu* m : {M_Datenbank, M_Optionen, M_Hilfe}) {
        auto* group = new QActionGroup(this);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
        for (QAction* a : m->actions()) {
            if (a->isSeparator())
                continue;
            group->addAction(a);
            addAction(a); // shortcuts work while the menu is closed
        }
    }
    const std::pair<QAction*, void (TFormMain::*)()> handlers[] = {
        {M_Verbinden, &TFormMain::M_VerbindenClick},
        {M_Trennen, &TFormMain::M_TrennenClick},
        {M_Sichern, &TFormMain::M_SichernClick},
        {M_Laden, &TFormMain::M_LadenClick},
        {M_Ende, &TFormMain::M_EndeClick},
        {M_OptionFenster, &TFormMain::M_OptionFensterClick},
        {M_HilfeIndex, &TFormMain::M_HilfeIndexClick}};
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this,
                [this, h = handler] { guarded([this, h] { (this->*h)(); }); });
}

void TFormMain::buildRecordForm() {
    auto* form = new RecordForm;
    Panel_Formular = form;
    const Ui::RecordForm& c = form->controls();
    DBEdit_KDatum = c.DBEdit_KDatum;
    DBEdit_SerienNr = c.DBEdit_SerienNr;
    DBLU_Typ = c.DBLU_Typ;
    DBLU_Kaliber = c.DBLU_Kaliber;
    DBLU_Hersteller = c.DBLU_Hersteller;
    DBLU_Verkaufer = c.DBLU_Verkaufer;
    DBLU_Kaufer = c.DBLU_Kaufer;
    DBLU_EWB = c.DBLU_EWB;
    DBEdit_EWBNR = c.DBEdit_EWBNR;
    DBEdit_EWBDatum = c.DBEdit_EWBDatum;
    DBEdit_VDatum = c.DBEdit_VDatum;
    DBEdit_VJgdSch = c.DBEdit_VJgdSch;
    DBLU_Amt = c.DBLU_Amt;
    DBLU_KauferAmt = c.DBLU_KauferAmt;
    DBLU_Notiz = c.DBLU_Notiz;
    DBText_Index = c.DBText_Index;
    DBText_BDatum = c.DBText_BDatum;
    Label_AmtLand = c.Label_AmtLand;
    Label_KauferAmt = c.Label_KauferAmt;
    CheckBox_Filter = c.CheckBox_Filter;
    Spin_Spul = c.Spin_Spul;
    SB_Typ = c.SB_Typ;
    SB_Kaliber = c.SB_Kaliber;
    SB_Hersteller = c.SB_Hersteller;
    SB_Verkaufer = c.SB_Verkaufer;
    SB_Kaufer = c.SB_Kaufer;
    SB_Amt = c.SB_Amt;
    SB_KauferAmt = c.SB_KauferAmt;
    m_captions = form->captions();
    connect(Spin_Spul, &QSpinBox::valueChanged, this, [this] { guarded([this] { Spin_SpulChange(); }); });
    connect(Spin_Spul->editor(), &QLineEdit::textEdited, this,
            [this] { guarded([this] { Spin_SpulChange(); }); });
    connect(Spin_Spul, &QSpinBox::editingFinished, this, [this] { guarded([this] { Spin_SpulChange(); }); });
}

QWidget* TFormMain::buildRightSide() {
    auto* right = new QWidget;
    right->setObjectName(QStringLiteral("Panel_Adressen"));
    auto* v = new QVBoxLayout(right);
    v->setContentsMargins(12, 10, 8, 6);
    v->setSpacing(4);
    buildAddressPanels(right);
    v->addStretch(1);
    Combo_Sort = new QComboBox(right);
    Combo_Sort->setObjectName(QStringLiteral("Combo_Sort"));
    Combo_Sort->setFixedWidth(324);
    Combo_Sort->setFont(boldFont(font()));
    Combo_Sort->setAccessibleName(QStringLiteral("Sortierung"));
    Combo_Sort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo_Sort->hide();
    connect(Combo_Sort, &QComboBox::activated, this, [this] { guarded([this] { Combo_SortChange(); }); });
    v->addWidget(Combo_Sort, 0, Qt::AlignRight);
    buildToolbar(right);
    v->addWidget(Panel_Navi, 0, Qt::AlignRight);
    return right;
}

void TFormMain::buildAddressPanels(QWidget* page) {
    struct Def {
        const char16_t* heading;
        const char* headingName;
        const char* lineName;
    };
    const Def defs[4] = {{u"Verkäufer", "Label_AVerkauferName", "Verkaufer"},
                         {u"Käufer", "Label_AKauferName", "Kaufer"},
                         {u"Ausstellendes Amt", "Label_AamtName", "Amt"},
                         {u"Zuständiges Amt", "Label_Zamt", "Zamt"}};
    auto* v = static_cast<QVBoxLayout*>(page->layout());
    for (std::size_t i = 0; i < 4; ++i) {
        m_panels[i] =
            new AddressPanel(QString::fromUtf16(defs[i].heading), QString::fromLatin1(defs[i].headingName),
                             QString::fromLatin1(defs[i].lineName), page);
        v->addWidget(m_panels[i]);
        v->addSpacing(14);
    }
}

void TFormMain::buildToolbar(QWidget* page) {
    auto* bar = new NavigationBar(page);
    Panel_Navi = bar;
    const std::pair<int, void (TFormMain::*)()> handlers[] = {
        {1, &TFormMain::SpBtn01Click},  {2, &TFormMain::SpBtn02Click},      {3, &TFormMain::SpBtn03Click},
        {4, &TFormMain::SpBtn04Click},  {5, &TFormMain::SpBtn05Click},      {6, &TFormMain::SpBtn06Click},
        {7, &TFormMain::SpBtn07Click},  {8, &TFormMain::M_HilfeIndexClick}, {9, &TFormMain::SpBtn09Click},
        {10, &TFormMain::SpBtn10Click}, {11, &TFormMain::SpBtn11Click},     {12, &TFormMain::SpBtn12Click},
        {13, &TFormMain::SpBtn13Click}, {14, &TFormMain::SpBtn14Click},     {15, &TFormMain::M_EndeClick},
        {16, &TFormMain::SpBtn16Click}};
    for (int n = 1; n <= 16; ++n)
        SpBtn[std::size_t(n)] = bar->button(n);
    for (const auto& [n, handler] : handlers)
        connect(SpBtn[std::size_t(n)], &QToolButton::clicked, this,
                [this, h = handler] { guarded([this, h] { (this->*h)(); }); });
}

void TFormMain::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setFixedHeight(30);
    bar->setSizeGripEnabled(true);
    const int widths[5] = {120, 120, 200, 150, 500};
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel(bar);
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        l->setAlignment(Qt::AlignCenter);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setFixedWidth(widths[i]);
        bar->addWidget(l);
        StatusPanels[std::size_t(i)] = l;
    }
}

void TFormMain::bindDataModule(TDatMod& d) {
    m_datMod = &d;
    d.setPort(this);
    bindDataSources(d);
    DScr_Vorgang = new DataSource(d.ASet_Vorgang, this);
    DScr_Vorgang->setObjectName(QStringLiteral("DScr_Vorgang"));
    DScr_Vorgang->bindDate(DBEdit_KDatum, QStringLiteral("KDatum"));
    DScr_Vorgang->bindEdit(DBEdit_SerienNr, QStringLiteral("SerienNr"));
    DScr_Vorgang->bindLookup(DBLU_Typ, QStringLiteral("Waffentyp"), DScr_Typ, QStringLiteral("WTyp"));
    DScr_Vorgang->bindLookup(DBLU_Kaliber, QStringLiteral("Kaliber"), DScr_Kaliber,
                             QStringLiteral("Kaliber"));
    DScr_Vorgang->bindLookup(DBLU_Hersteller, QStringLiteral("Hersteller"), DScr_Hersteller,
                             QStringLiteral("Hersteller"));
    DScr_Vorgang->bindLookup(DBLU_Verkaufer, QStringLiteral("Verkaufer"), DScr_Kauf, QStringLiteral("Name"));
    DScr_Vorgang->bindLookup(DBLU_Kaufer, QStringLiteral("Kaufer"), DScr_Kauf, QStringLiteral("Name"),
                             [this] { guarded([this] { DBLU_KauferChange(); }); });
    DScr_Vorgang->bindLookup(DBLU_EWB, QStringLiteral("EWB"), DScr_EWB, QStringLiteral("EWB"));
    DScr_Vorgang->bindEdit(DBEdit_EWBNR, QStringLiteral("EWBNR"));
    DScr_Vorgang->bindDate(DBEdit_EWBDatum, QStringLiteral("AmtDatum"));
    DScr_Vorgang->bindDate(DBEdit_VDatum, QStringLiteral("VDatum"));
    DScr_Vorgang->bindDate(DBEdit_VJgdSch, QStringLiteral("JDatum"));
    DScr_Vorgang->bindLookup(DBLU_Amt, QStringLiteral("Amt"), DScr_Amt, QStringLiteral("Name"),
                             [this] { guarded([this] { DBLU_AmtChange(); }); });
    DScr_Vorgang->bindLookup(DBLU_KauferAmt, QStringLiteral("KauferAmt"), DScr_Amt, QStringLiteral("Name"));
    DScr_Vorgang->bindEdit(DBLU_Notiz, QStringLiteral("Notiz"));
    // An emptied party or permit-kind box means "nothing entered", as in a new row: not a key
    // without a row, which would count a weapon in stock as sold.
    for (const QString& column : RegisterRules::placeholderKeyColumns())
        DScr_Vorgang->setEmptyKey(column, RegisterRules::kPlaceholderKey);
    DScr_Vorgang->bindLabel(DBText_Index, QStringLiteral("Index"));
    DScr_Vorgang->bindLabel(DBText_BDatum, QStringLiteral("BriefDatum"));
    bindSearch();
    connect(dm().ASet_Vorgang, &Dataset::afterPost, this, [this] { m_edit.notePosted(*dm().ASet_Vorgang); });
    bindTables();
}

// ------------------------------------------------------------------ shared procedures

void TFormMain::FillSortChoices() {
    Combo_Sort->clear();
    Combo_Sort->addItems(RegisterQuery::sortNames());
    Combo_Sort->setCurrentIndex(-1);
}

void TFormMain::ApplyRegisterSort() {
    // Disconnected, no statement is at fault: say what is missing; the chosen order stays selected.
    if (!dm().isConnected()) {
        m_prompts.message(ResultsView::kNotConnected);
        return;
    }
    Dataset& reg = *dm().ASet_Vorgang;
    Konst::CurrentIndex = reg.recNo() > 0 ? reg.asInteger(QStringLiteral("Index")) : 0;
    const QString query = schema::registerColumnList() + RegisterQuery::fromPart(Combo_Sort->currentIndex());
    try {
        reg.close();
        reg.setCommandText(query);
        reg.open();
    } catch (const std::exception&) {
        m_prompts.message(QStringLiteral("Fehlerhafte Suchkriterien"));
        reg.close();
        reg.setCommandText(RegisterQuery::kWholeRegister);
        reg.open();
    }
    reg.locate(QStringLiteral("Index"), Konst::CurrentIndex);
    // A sort on a list table leaves out rows without a list entry: count what is shown.
    CountUnsold(dm());
    UpdateStatusBar();
    // The register now shows the whole register sorted, which is what unticking the results view
    // would show again: untick it without running it a second time.
    if (CheckBox_Filter->isChecked()) {
        setFilterCheckedQuietly(false);
        ShowPartyPanels();
    }
}

void TFormMain::UpdateStatusBar() {
    setStatusPanelText(0, QStringLiteral("Anzahl: %1").arg(dm().ASet_Vorgang->recordCount()));
    setStatusPanelText(1, QStringLiteral("nicht verkauft: %1").arg(Konst::UnsoldCount));
    // Without a chosen order panel 2 stays empty.
    setStatusPanelText(2, RegisterQuery::statusText(Combo_Sort->currentIndex()));
}

void TFormMain::setStatusPanelText(int panel, const QString& text) {
    StatusPanels[std::size_t(panel)]->setText(text);
}

QString TFormMain::statusPanelText(int panel) const {
    return StatusPanels[std::size_t(panel)]->text();
}

void TFormMain::fillAddress(AddressPanel& panel, const QString& keyColumn, bool partner) {
    // Nothing entered, or a key without a row: the whole panel is empty rather than showing a
    // previous row's address under an empty name.
    const RegisterRules::PartyAddress a = RegisterRules::addressOf(
        *dm().ASet_Vorgang, keyColumn, partner ? *dm().ATab_Kauf : *dm().ATab_Amt,
        partner ? RegisterRules::PartyKind::Partner : RegisterRules::PartyKind::Authority);
    panel.setAddress(a);
}

void TFormMain::ShowPartyPanels() {
    const Dataset& reg = *dm().ASet_Vorgang;
    if (!dm().isConnected() || (reg.recordCount() == 0 && !reg.isEditing())) {
        for (AddressPanel* p : m_panels)
            p->setAddress({});
        return;
    }
    fillAddress(*m_panels[0], QStringLiteral("Verkaufer"), true);
    fillAddress(*m_panels[1], QStringLiteral("Kaufer"), true);
    fillAddress(*m_panels[2], QStringLiteral("Amt"), false);
    fillAddress(*m_panels[3], QStringLiteral("KauferAmt"), false);
}

void TFormMain::setWindowState(WindowState state) {
    using windowstate::Aspect;
    for (const windowstate::ControlState& row : windowstate::kTable) {
        auto* w = findChild<QWidget*>(QString::fromLatin1(row.control));
        if (!w)
            throw std::logic_error(std::string("window state: no control ") + row.control);
        const bool on = row.in(state);
        if (row.aspect == Aspect::Editable) {
            if (auto* d = qobject_cast<DateEdit*>(w))
                d->setReadOnly(!on);
            else if (auto* c = qobject_cast<LookupComboBox*>(w))
                c->setReadOnly(!on);
            else if (auto* e = qobject_cast<QLineEdit*>(w))
                e->setReadOnly(!on);
        } else if (auto* menu = qobject_cast<QMenu*>(w)) {
            // The group keeps entries that are disabled on their own (Verbinden, the two
            // never-enabled ones) disabled when the menu comes back; it also silences their keys.
            for (QAction* a : menu->actions())
                if (a->actionGroup())
                    a->actionGroup()->setEnabled(on);
            menu->menuAction()->setEnabled(on);
        } else if (row.aspect == Aspect::Visible && w == TS_Tabellen) {
            // A hidden tab is still reached by Strg+Tab unless it is disabled as well.
            PgCtrl->setTabEnabled(PgCtrl->indexOf(TS_Tabellen), on);
            PgCtrl->setTabVisible(PgCtrl->indexOf(TS_Tabellen), on);
        } else if (row.aspect == Aspect::Visible) {
            w->setVisible(on);
        } else {
            w->setEnabled(on);
        }
    }
    m_state = state;
}

void TFormMain::EnterBrowseMode() {
    setWindowState(WindowState::Browse);
}

void TFormMain::EnterEditMode() {
    setWindowState(WindowState::Edit);
}

void TFormMain::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    FormResize();
}

void TFormMain::FormResize() {
    const int w = DBLU_Notiz->width();
    const int half = w / 2 - 5;
    for (QWidget* c : {static_cast<QWidget*>(DBLU_Amt), static_cast<QWidget*>(Label_AmtLand),
                       static_cast<QWidget*>(DBLU_KauferAmt), static_cast<QWidget*>(Label_KauferAmt)})
        c->resize(half, c->height());
    const int left = DBLU_Notiz->x() + w - half;
    DBLU_KauferAmt->move(left, DBLU_KauferAmt->y());
    Label_KauferAmt->move(left, Label_KauferAmt->y());
    SB_Amt->move(DBLU_Amt->x() + DBLU_Amt->width() - 25, SB_Amt->y());
}
