// Start-up, login and close request of the register window, and the commands of its menus.
#include "common/HandlerGuard.h"
#include "common/Konst.h"
#include "common/Prompts.h"
#include "dialogs/TFormHaendler.h"
#include "settings/TFormOptions.h"
#include "store/RegisterRules.h"
#include "widgets/DialogRunner.h"
#include "window/TFormMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

void TFormMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!m_activated) {
        // Once per run, right after the window first shows; later activations do nothing.
        m_activated = true;
        // No entry is shown before the login has succeeded.
        if (!m_loggedIn)
            centralWidget()->hide();
        QTimer::singleShot(0, this, [this] { guarded([this] { FormActivate(); }); });
    }
}

void TFormMain::FormActivate() {
    Konst::AppDir = QDir::toNativeSeparators(QDir(startFolder).absolutePath() + QLatin1Char('/'));
    Konst::SpulStep = 10;
    Konst::RecordEditing = false;
    Konst::FirmDataMode = true;
    Konst::PasswordText = Konst::scrambledDatabasePassword();
    Konst::DescramblePassword(Konst::PasswordText, Konst::PasswordText);
    Konst::ConnectionString = Konst::buildConnectionString(Konst::AppDir, Konst::PasswordText);
    Konst::PasswordText.clear();
    dm().Connect();
    dm().ATab_User->first();

    if (!login())
        return;

    FillSortChoices();
    Combo_Sort->setMaxVisibleItems(16);
    LoadUserSettings();
    Spin_Spul->setValue(Konst::SpulStep);
    Spin_SpulChange();
    CountUnsold(dm());
    ApplyRegisterGridEditing();
    if (m_forms.FormOptions->Check_Sicherung->isChecked())
        M_SichernClick();
    if (m_forms.FormOptions->Check_Verbinden->isChecked()) {
        dm().ReturnToIndex(Konst::CurrentIndex);
        // Without a saved order the whole register stays as it is: rebuilding it from no order
        // would only report a faulty statement at every start.
        if (Combo_Sort->currentIndex() >= 0)
            ApplyRegisterSort();
        dm().SortLookupTables();
        UpdateStatusBar();
    } else {
        M_TrennenClick();
        ShowPartyPanels();
        for (int i = 0; i < 4; ++i)
            setStatusPanelText(i, QString());
    }
    // Disconnected there is no settings row to read or store the firm data in: ask at the next
    // connected start.
    if (dm().isConnected() && dm().ATab_User->asString(QStringLiteral("Firma")).isEmpty())
        m_runner.exec(m_forms.FormHaendler);
    Konst::FirmDataMode = false;
}

bool TFormMain::login() {
    const auto typed = m_prompts.password(QStringLiteral("Eingabe erforderlich"),
                                          QStringLiteral("Geben Sie Ihr Passwort ein:"));
    Konst::PasswordText = typed.value_or(QString());
    if (Konst::PasswordText != dm().ATab_User->asString(QStringLiteral("Passwort"))) {
        m_prompts.message(QStringLiteral("Falsches Passwort - Programm wird beendet"));
        // Nothing was shown, so there is nothing of the window's state to save.
        Konst::FirmDataMode = true;
        close();
        return false;
    }
    m_loggedIn = true;
    centralWidget()->show();
    return true;
}

void TFormMain::closeEvent(QCloseEvent* e) {
    // An entry being edited is stored, dropped or kept open as the user says.
    if (dm().ASet_Vorgang->isEditing()) {
        switch (m_prompts.yesNoCancel(QStringLiteral(
            "Der Eintrag wird gerade bearbeitet. Soll er vor dem Beenden gespeichert werden?"))) {
        case Prompts::Answer::Cancel:
            e->ignore();
            return;
        case Prompts::Answer::Yes:
            // A refused store keeps the program open in edit mode.
            if (!runGuarded(m_prompts, [this] { SpBtn10Click(); })) {
                e->ignore();
                return;
            }
            break;
        case Prompts::Answer::No:
            runGuarded(m_prompts, [this] { SpBtn11Click(); });
            break;
        }
    }
    // A row changed in a grid of the table page is written before the datasets close with the
    // connection; a refused write keeps the program open.
    if (!leaveTablePage()) {
        e->ignore();
        return;
    }
    // FormCloseQuery
    if (!Konst::FirmDataMode && m_forms.FormOptions->Check_ProgEnde->isChecked() &&
        m_prompts.yesNo(QStringLiteral("Programm wirklich beenden?")) != Prompts::Answer::Yes) {
        e->ignore();
        return;
    }
    if (dm().isConnected()) {
        try {
            dm().Disconnect();
        } catch (const std::exception& ex) {
            // The settings row could not be written: say why and let the user leave anyway.
            QString reason = QString::fromUtf8(ex.what()).trimmed();
            while (reason.endsWith(QLatin1Char('.')))
                reason.chop(1);
            if (m_prompts.yesNo(QStringLiteral("Die Einstellungen konnten nicht gespeichert werden: %1. "
                                               "Trotzdem beenden?")
                                    .arg(reason),
                                true) != Prompts::Answer::Yes) {
                e->ignore();
                return;
            }
            dm().DisconnectWithoutSaving();
        }
    }
    e->accept();
}

void TFormMain::M_EndeClick() {
    close();
}

void TFormMain::M_VerbindenClick() {
    M_Trennen->setEnabled(true);
    M_Verbinden->setEnabled(false);
    dm().Connect();
    // After a start that stopped before the login, the login comes first.
    if (!m_loggedIn) {
        dm().ATab_User->first();
        if (!login())
            return;
        CountUnsold(dm());
        UpdateStatusBar();
        ShowPartyPanels();
    }
}

void TFormMain::M_TrennenClick() {
    if (!leaveTablePage())
        return;
    M_Trennen->setEnabled(false);
    M_Verbinden->setEnabled(true);
    dm().Disconnect();
    for (int i = 0; i < 4; ++i)
        setStatusPanelText(i, QString());
    // The form shows nothing now, the address panels included.
    ShowPartyPanels();
}

void TFormMain::M_SichernClick() {
    // The restore point holds what the grids show: a changed row is written first.
    if (!leaveTablePage())
        return;
    const int r = dm().currentRegisterIndex();
    const bool ok = dm().MakeRestorePoint();
    m_prompts.message(ok ? QStringLiteral("Datenbanksicherung erfolgreich")
                         : QStringLiteral("Datenbanksicherung mißlungen"));
    dm().Connect();
    dm().ReturnToIndex(r);
}

void TFormMain::M_LadenClick() {
    const int r = dm().currentRegisterIndex();
    if (!QFileInfo::exists(TDatMod::restorePointPath())) {
        m_prompts.message(QStringLiteral("keine Sicherungsdatei gefunden"));
        return;
    }
    if (!leaveTablePage())
        return;
    const bool ok = dm().RestoreFromRestorePoint();
    m_prompts.message(ok ? QStringLiteral("Datenbank erfolgreich wiederhergestellt")
                         : QStringLiteral("Datenbank-Wiederherstellung mißlungen"));
    dm().Connect();
    CountUnsold(dm());
    UpdateStatusBar();
    dm().ReturnToIndex(r);
}

void TFormMain::M_OptionFensterClick() {
    m_runner.exec(m_forms.FormOptions);
}

void TFormMain::M_HilfeIndexClick() {
    // A shell that opens asynchronously reports success for a missing page: look first.
    const QString page = Konst::appPath(QStringLiteral("Help\\Help.html"));
    if (!QFileInfo::exists(page) || !m_prompts.openFile(page))
        m_prompts.message(QStringLiteral("Fehler beim Aufrufen der Hilfe"));
}
