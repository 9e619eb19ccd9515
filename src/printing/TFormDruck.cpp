#include "printing/TFormDruck.h"

#include "common/HandlerGuard.h"
#include "common/Konst.h"
#include "common/Prompts.h"
#include "printing/ReportRunner.h"
#include "settings/TFormOptions.h"
#include "store/TDatMod.h"
#include "ui_TFormDruck.h"
#include "window/TFormMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLocale>
#include <QScopeGuard>
#include <QShowEvent>

TFormDruck::TFormDruck(Forms& forms, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ui(std::make_unique<Ui::TFormDruck>()),
      m_forms(forms) {
    setObjectName(QStringLiteral("FormDruck"));
    ui->setupUi(this);
    setFixedSize(454, 218);
    connect(ui->DateEd_Brief, &QDateEdit::dateChanged, this, &TFormDruck::DateEd_BriefChange);
    connect(ui->BitBtn_DruckOK, &QPushButton::clicked, this, &TFormDruck::BitBtn_DruckOKClick);
    connect(ui->BitBtn_AmtDruck, &QPushButton::clicked, this, &TFormDruck::BitBtn_AmtDruckClick);
    connect(ui->BitBtn_Unterlagen, &QPushButton::clicked, this, &TFormDruck::BitBtn_UnterlagenClick);
    connect(ui->BitBtn_DruckESC, &QPushButton::clicked, this, &TFormDruck::BitBtn_DruckESCClick);
    if (forms.DatMod && !forms.DatMod->reportRunner)
        forms.DatMod->reportRunner = [this](const QString& file, const QString& name) {
            ReportRunner::run(m_forms, file, name, this);
        };
}

TFormDruck::~TFormDruck() = default;

void TFormDruck::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Shown by the program, not restored by the window system after a minimize: a letter date
    // chosen in this showing stays.
    if (!e->spontaneous())
        FormActivate();
}

void TFormDruck::keyPressEvent(QKeyEvent* e) {
    // Enter in the date box ends typing the date. It must not press the dialog's default button,
    // which would print, or store the date in the current entry.
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    QWidget* focus = focusWidget();
    if (enter && focus && (focus == ui->DateEd_Brief || ui->DateEd_Brief->isAncestorOf(focus))) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TFormDruck::FormActivate() {
    Konst::LetterDate = QDate::currentDate();
    ui->Label_Datum->setText(QStringLiteral("aktuelles Datum: ") +
                             Konst::LetterDate.toString(QStringLiteral("dd.MM.yyyy")));
    ui->DateEd_Brief->setDate(Konst::LetterDate);
    DateEd_BriefChange();
}

void TFormDruck::DateEd_BriefChange() {
    // A box that does not hold a complete valid date leaves an invalid date, which the letters
    // refuse instead of storing a zero date.
    Konst::LetterDate = ui->DateEd_Brief->hasAcceptableInput() ? ui->DateEd_Brief->date() : QDate();
}

void TFormDruck::BitBtn_DruckOKClick() {
    if (!registerOpen())
        return;
    TFormMain* main = m_forms.FormMain;
    const int sortPos = main ? main->Combo_Sort->currentIndex() : 0;
    const bool filtered = main && main->CheckBox_Filter->isChecked();
    const bool byIndex = m_forms.FormOptions && m_forms.FormOptions->Check_DruckIndex->isChecked();
    // Back to the sort and the results view the user had, also after a failed print. Not left to
    // a destructor: rebuilding the register can fail in turn, and its error must reach the box.
    const auto restore = [&] {
        if (!main)
            return;
        main->Combo_Sort->setCurrentIndex(sortPos);
        main->ApplyRegisterSort();
        if (main->CheckBox_Filter->isChecked() != filtered)
            main->CheckBox_Filter->setChecked(filtered);
    };
    run([&] {
        try {
            if (main && byIndex) {
                if (main->CheckBox_Filter->isChecked())
                    main->CheckBox_Filter->setChecked(false);
                main->Combo_Sort->setCurrentIndex(0);
                main->ApplyRegisterSort();
            }
            m_forms.DatMod->PrintWaffenbuch();
        } catch (...) {
            restore();
            throw;
        }
        restore();
    });
}

void TFormDruck::run(const std::function<void()>& print) {
    runGuarded(*m_forms.prompts, print);
}

bool TFormDruck::registerOpen() {
    TDatMod* dm = m_forms.DatMod;
    if (dm->isConnected() && dm->ASet_Vorgang->isActive())
        return true;
    m_forms.prompts->message(
        QStringLiteral("Die Datenbank ist nicht verbunden. Bitte zuerst die Verbindung herstellen."));
    return false;
}

bool TFormDruck::storeLetterDate() {
    if (!registerOpen())
        return false;
    TDatMod* dm = m_forms.DatMod;
    if (dm->ASet_Vorgang->recNo() < 1) {
        m_forms.prompts->message(
            QStringLiteral("Es ist kein Datensatz ausgewählt. Bitte zuerst den Eintrag im Waffenbuch wählen, "
                           "zu dem der Brief gehört."));
        return false;
    }
    // The box may hold typed text that never became a date: read it again.
    DateEd_BriefChange();
    if (!Konst::LetterDate.isValid()) {
        m_forms.prompts->message(QStringLiteral(
            "Das Briefdatum ist unvollständig oder ungültig. Bitte ein gültiges Datum eingeben."));
        return false;
    }
    Dataset& reg = *dm->ASet_Vorgang;
    reg.edit();
    // A refused store leaves the row as stored, not in editing with a date nobody stored.
    auto undo = qScopeGuard([&reg] { reg.cancel(); });
    reg.setValue(QStringLiteral("BriefDatum"), Konst::LetterDate);
    reg.post();
    undo.dismiss();
    return true;
}

void TFormDruck::BitBtn_AmtDruckClick() {
    run([this] {
        if (storeLetterDate())
            m_forms.DatMod->PrintAmt();
    });
}

void TFormDruck::BitBtn_UnterlagenClick() {
    run([this] {
        if (storeLetterDate())
            m_forms.DatMod->PrintUnterlagen();
    });
}

void TFormDruck::BitBtn_DruckESCClick() {
    close();
}
