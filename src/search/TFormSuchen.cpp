#include "search/TFormSuchen.h"

#include "ui_TFormSuchen.h"

#include "common/Forms.h"
#include "common/HandlerGuard.h"
#include "common/Prompts.h"
#include "search/ResultsView.h"
#include "store/GermanCollation.h"
#include "store/TDatMod.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <utility>

// The pictures live in a static library: register them before the first use.
static void initSearchResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(search);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

QIcon picture(const char* name) {
    initSearchResources();
    return QIcon(QStringLiteral(":/search/icons/%1.svg").arg(QLatin1String(name)));
}

void fillColour(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

} // namespace

TFormSuchen::TFormSuchen(Forms& forms, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ui(std::make_unique<Ui::TFormSuchen>()),
      m_forms(forms) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("FormSuchen"));
    setModal(true);
    setFixedSize(644, 604);
    setStyleSheet(QStringLiteral("TFormSuchen { border: 3px solid palette(dark); }"));
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(font().pointSize());
    setFont(arial);

    // Title strip, heading, check list and pick list keep their own colours.
    QFont bold = ui->Label_Titel->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    ui->Label_Titel->setFont(bold);
    fillColour(ui->Label_Titel, QPalette::Window, QColor(0xD7, 0x57, 0x1A));
    bold.setPointSize(font().pointSize());
    ui->Label_Suchfelder->setFont(bold);
    fillColour(ui->Label_Suchfelder, QPalette::Window, QColor(0xCB, 0xEE, 0xA4));
    fillColour(ui->CheckList_Suchen, QPalette::Base, QColor(0x96, 0xFC, 0xAD));
    fillColour(ui->Combo_Such, QPalette::Base, QColor(0x96, 0xFC, 0xAD));
    auto* statusPanel = new QLabel(ui->StatusBarSuchen);
    statusPanel->setObjectName(QStringLiteral("StatusPanelSuchen"));
    statusPanel->setAlignment(Qt::AlignCenter);
    ui->StatusBarSuchen->addWidget(statusPanel, 1);

    // Every field is announced by its label.
    for (QLabel* label : ui->Panel_Suchen->findChildren<QLabel*>())
        if (QWidget* field = label->buddy())
            field->setAccessibleName(label->text());
    for (MaskedDateEdit* date :
         {ui->MEd_KDatum, ui->MEd_VDatum, ui->MEd_EWBDatum, ui->MEd_JDatum, ui->MEd_BriefDatum})
        date->onRefused = [this] { m_forms.prompts->errorBox(MaskedDateEdit::kRefusal); };

    ui->BitBtn_Suchen->setIcon(picture("suchen"));
    ui->BitBtn_SuchEnde->setIcon(picture("schliessen"));
    ui->BitBtn_Leeren->setIcon(picture("leeren"));
    for (QToolButton* b : {ui->BitBtn_Suchen, ui->BitBtn_SuchEnde})
        b->setIconSize(QSize(120, 36));
    ui->BitBtn_Leeren->setIconSize(QSize(120, 28));
    for (QToolButton* b : {ui->SB_Kaufer, ui->SB_Verkaufer, ui->SB_WTyp, ui->SB_Kaliber, ui->SB_Amt,
                           ui->SB_Fabrik, ui->SB_KauferAmt}) {
        b->setIcon(picture("pick"));
        b->setIconSize(QSize(20, 18));
    }
    // Picture buttons are reached with Tab and pressed with the space bar.
    for (QToolButton* b : findChildren<QToolButton*>())
        b->setFocusPolicy(Qt::StrongFocus);
    // The three large ones also have keys; their pictures have no letter to underline, so the
    // hints name them.
    const std::pair<QToolButton*, const char*> keys[] = {
        {ui->BitBtn_Suchen, "Alt+S"}, {ui->BitBtn_Leeren, "Alt+F"}, {ui->BitBtn_SuchEnde, "Alt+C"}};
    for (const auto& [button, key] : keys) {
        button->setShortcut(QKeySequence(QString::fromLatin1(key)));
        button->setToolTip(QStringLiteral("%1 (%2)").arg(button->toolTip(), QString::fromLatin1(key)));
    }

    ui->Combo_Such->setCompleter(nullptr); // a typed character ends the pick as it is
    ui->Combo_EWB->setCompleter(nullptr);

    connectHandler(ui->BitBtn_Suchen, &TFormSuchen::BitBtn_SuchenClick);
    connectHandler(ui->BitBtn_Leeren, &TFormSuchen::BitBtn_LeerenClick);
    connectHandler(ui->BitBtn_SuchEnde, &TFormSuchen::BitBtn_SuchEndeClick);
    connectHandler(ui->SB_Kaufer, &TFormSuchen::SB_KauferClick);
    connectHandler(ui->SB_Verkaufer, &TFormSuchen::SB_VerkauferClick);
    connectHandler(ui->SB_WTyp, &TFormSuchen::SB_WTypClick);
    connectHandler(ui->SB_Kaliber, &TFormSuchen::SB_KaliberClick);
    connectHandler(ui->SB_Amt, &TFormSuchen::SB_AmtClick);
    connectHandler(ui->SB_Fabrik, &TFormSuchen::SB_FabrikClick);
    connectHandler(ui->SB_KauferAmt, &TFormSuchen::SB_KauferAmtClick);
    connect(ui->Combo_Such, &QComboBox::editTextChanged, this,
            [this] { guarded([this] { Combo_SuchChange(); }); });
    // Choosing an entry whose text is the one shown (an empty entry) changes no text.
    connect(ui->Combo_Such, &QComboBox::activated, this, [this] { guarded([this] { Combo_SuchChange(); }); });
}

TFormSuchen::~TFormSuchen() = default;

void TFormSuchen::connectHandler(QToolButton* button, void (TFormSuchen::*handler)()) {
    connect(button, &QToolButton::clicked, this,
            [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
}

void TFormSuchen::guarded(const std::function<void()>& handler) {
    runGuarded(*m_forms.prompts, handler);
}

void TFormSuchen::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() != QEvent::ActivationChange)
        return;
    if (!isActiveWindow()) {
        // Left for another program (no window of this one is active): coming back from there
        // is no activation of the dialog, and the typed permit kind stays.
        m_leftForOtherProgram = isVisible() && !QApplication::activeWindow();
        return;
    }
    if (std::exchange(m_leftForOtherProgram, false))
        return;
    guarded([this] { FormActivate(); });
}

void TFormSuchen::showEvent(QShowEvent* e) {
    // Opened anew (not restored after a minimize): this showing's activation runs.
    if (!e->spontaneous())
        m_leftForOtherProgram = false;
    if (parentWidget()) {
        const QRect p = parentWidget()->frameGeometry();
        move(p.center() - rect().center());
    }
    QDialog::showEvent(e);
}

void TFormSuchen::keyPressEvent(QKeyEvent* e) {
    // Neither Escape nor Enter closes the dialog or presses a button.
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TFormSuchen::FormActivate() {
    TDatMod& dm = *m_forms.DatMod;
    ui->Combo_EWB->clear();
    ui->Combo_EWB->clearEditText();
    if (!dm.isConnected())
        return; // the register window opens the dialog only with a connection
    const Dataset& ewb = *dm.ATab_EWB;
    const int field = ewb.fieldIndex(QStringLiteral("EWB"));
    QStringList kinds;
    for (int row = 0; row < ewb.recordCount(); ++row)
        kinds << ewb.textAt(row, field);
    {
        const QSignalBlocker block(ui->Combo_EWB);
        ui->Combo_EWB->addItems(kinds);
        ui->Combo_EWB->setCurrentIndex(-1);
        ui->Combo_EWB->clearEditText();
    }
    // Once hidden, the authority pick buttons stay hidden for the run.
    if (dm.ATab_Amt->recordCount() == 0) {
        ui->SB_Amt->hide();
        ui->SB_KauferAmt->hide();
    }
}

search::SearchCriteria TFormSuchen::criteria() const {
    search::SearchCriteria c;
    for (int i = 0; i < search::kCriteriaCount; ++i)
        c.ticked[std::size_t(i)] = ui->CheckList_Suchen->item(i)->checkState() == Qt::Checked;
    const std::array<QString, search::kCriteriaCount> texts = {
        ui->MEd_KDatum->maskText(), ui->MEd_VDatum->maskText(),     ui->MEd_EWBDatum->maskText(),
        ui->MEd_JDatum->maskText(), ui->MEd_BriefDatum->maskText(), ui->Edit_Kaufer->text(),
        ui->Edit_Verkaufer->text(), ui->Edit_WTyp->text(),          ui->Edit_Kaliber->text(),
        ui->Edit_Amt->text(),       ui->Combo_EWB->currentText(),   ui->Edit_KauferAmt->text(),
        ui->Edit_EWBNR->text(),     ui->Edit_Fabrik->text(),        ui->Edit_SerienNr->text(),
        ui->Edit_Notiz->text()};
    c.texts = texts;
    c.exact = ui->Check_ExakteBegriffe->isChecked();
    return c;
}

void TFormSuchen::BitBtn_SuchenClick() {
    m_forms.Results->runSearch(criteria());
}

void TFormSuchen::BitBtn_LeerenClick() {
    for (MaskedDateEdit* date :
         {ui->MEd_KDatum, ui->MEd_VDatum, ui->MEd_EWBDatum, ui->MEd_JDatum, ui->MEd_BriefDatum})
        date->clearDate();
    for (QLineEdit* edit :
         {ui->Edit_Kaufer, ui->Edit_Verkaufer, ui->Edit_WTyp, ui->Edit_Kaliber, ui->Edit_Amt,
          ui->Edit_KauferAmt, ui->Edit_SerienNr, ui->Edit_Fabrik, ui->Edit_Notiz})
        edit->clear();
}

void TFormSuchen::BitBtn_SuchEndeClick() {
    accept();
}

QList<QWidget*> TFormSuchen::searchControls() const {
    return {ui->MEd_KDatum,      ui->MEd_VDatum,
            ui->MEd_EWBDatum,    ui->MEd_JDatum,
            ui->MEd_BriefDatum,  ui->Edit_Kaufer,
            ui->Edit_Verkaufer,  ui->Edit_WTyp,
            ui->Edit_Kaliber,    ui->Edit_Amt,
            ui->Combo_EWB,       ui->Edit_Fabrik,
            ui->Edit_SerienNr,   ui->Edit_Notiz,
            ui->SB_Kaufer,       ui->SB_Verkaufer,
            ui->SB_WTyp,         ui->SB_Kaliber,
            ui->SB_Amt,          ui->SB_Fabrik,
            ui->SB_KauferAmt,    ui->Check_ExakteBegriffe,
            ui->BitBtn_Leeren,   ui->BitBtn_Suchen,
            ui->BitBtn_SuchEnde, ui->CheckList_Suchen};
}

void TFormSuchen::DisableSearchControls() {
    for (QWidget* w : searchControls())
        w->setEnabled(false);
}

void TFormSuchen::EnableSearchControls() {
    for (QWidget* w : searchControls())
        w->setEnabled(true);
}

QList<QLineEdit*> TFormSuchen::pickFields() const {
    return {ui->Edit_Kaufer, ui->Edit_Verkaufer, ui->Edit_WTyp,  ui->Edit_Kaliber,
            ui->Edit_Amt,    ui->Edit_KauferAmt, ui->Edit_Fabrik};
}

void TFormSuchen::openPickList(QLineEdit* field, Dataset* table, const QString& column) {
    // Every row of the table, duplicates and the placeholder row included, in German order.
    QStringList texts;
    const int f = table->fieldIndex(column);
    for (int row = 0; row < table->recordCount(); ++row)
        texts << table->textAt(row, f);
    std::stable_sort(texts.begin(), texts.end(),
                     [](const QString& a, const QString& b) { return german::compare(a, b) < 0; });
    QComboBox* pick = ui->Combo_Such;
    {
        const QSignalBlocker block(pick);
        pick->clear();
        pick->addItems(texts);
        pick->setCurrentIndex(-1);
        pick->clearEditText();
    }
    pick->setMaxVisibleItems(20);
    DisableSearchControls();
    field->hide();
    pick->setGeometry(field->x(), field->y(), field->width(), field->height());
    pick->show();
}

void TFormSuchen::Combo_SuchChange() {
    QComboBox* pick = ui->Combo_Such;
    if (pick->isHidden())
        return; // no pick under way
    pick->hide();
    EnableSearchControls();
    for (QLineEdit* field : pickFields()) {
        if (field->isHidden()) {
            field->show();
            field->setText(pick->currentText());
            break;
        }
    }
}

void TFormSuchen::SB_KauferClick() {
    openPickList(ui->Edit_Kaufer, m_forms.DatMod->ATab_Kauf, QStringLiteral("Name"));
}

void TFormSuchen::SB_VerkauferClick() {
    openPickList(ui->Edit_Verkaufer, m_forms.DatMod->ATab_Kauf, QStringLiteral("Name"));
}

void TFormSuchen::SB_WTypClick() {
    openPickList(ui->Edit_WTyp, m_forms.DatMod->ATab_Typ, QStringLiteral("WTyp"));
}

void TFormSuchen::SB_KaliberClick() {
    openPickList(ui->Edit_Kaliber, m_forms.DatMod->ATab_Kaliber, QStringLiteral("Kaliber"));
}

void TFormSuchen::SB_AmtClick() {
    openPickList(ui->Edit_Amt, m_forms.DatMod->ATab_Amt, QStringLiteral("Name"));
}

void TFormSuchen::SB_FabrikClick() {
    openPickList(ui->Edit_Fabrik, m_forms.DatMod->ATab_Hersteller, QStringLiteral("Hersteller"));
}

void TFormSuchen::SB_KauferAmtClick() {
    openPickList(ui->Edit_KauferAmt, m_forms.DatMod->ATab_Amt, QStringLiteral("Name"));
}
