#pragma once

// The whole program in a test: a fresh application folder, scripted prompts, the windows of the
// program entry, and the start-up run with a scripted login. Header-only, for the GUI tests.
#include "app/Application.h"
#include "common/Konst.h"
#include "store/TDatMod.h"
#include "support/SampleData.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "window/TFormMain.h"

#include <QDialog>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>
#include <functional>
#include <memory>

class AppRun {
public:
    static inline const QString kPassword = QStringLiteral("Waffenbuch");

    AppRun() {
        // Windows of the test come and go; the last one closing must not end the test.
        QGuiApplication::setQuitOnLastWindowClosed(false);
        // A prompt that no answer was queued for fails the running test.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^no answer queued")));
        prompts.onUnexpected = [](const QString& what) { qWarning("%s", qPrintable(what)); };
        // Firm data present and no automatic restore point, so that no start-up asks or reports
        // anything beyond the login; tests of those steps switch them back.
        folder.sql(QStringLiteral(
            R"(UPDATE "Benutzer" SET "Firma" = 'Waffen Test', "Strasse" = 'Markt 1', "Ort" = '34117 Kassel',
               "CheckDataSave" = 0)"));
    }

    TFormMain& main() const { return *app->forms.FormMain; }
    TDatMod& dm() const { return *app->forms.DatMod; }
    Dataset& reg() const { return *app->forms.DatMod->ASet_Vorgang; }

    // Creates the windows as the program entry does; nothing is shown.
    void create() {
        app = std::make_unique<Application>(prompts);
        // A modal dialog would block the test: record it and close it at once.
        app->runner.hook = [this](QDialog* d) {
            dialogsRun << d->objectName();
            return int(QDialog::Rejected);
        };
        main().startFolder = folder.path();
    }

    // Shows the register window and waits until its start-up has run; the start-up runs in one
    // go and always shows something (the login box, or an error box before it).
    bool show() {
        if (!app)
            create();
        main().show();
        const bool ran = QTest::qWaitFor([this] { return !prompts.shown().isEmpty(); }, 5000);
        QTest::qWait(1);
        return ran;
    }

    // Logs in and waits for the register; true when the start-up finished.
    bool login(const QString& password = kPassword) {
        prompts.queueInput(password);
        return show() && !Konst::FirmDataMode && main().statusPanelText(4) == QStringLiteral("verbunden");
    }

    // Logs in on the sample register (and `moreSql`) with every dialog shown without a modal
    // loop and accepted; `shown` sees each dialog first. True once the register window is active.
    bool loginShowingDialogs(const QString& moreSql = QString(),
                             const std::function<void(QDialog*)>& shown = {}) {
        addSampleData(folder);
        if (!moreSql.isEmpty())
            folder.sql(moreSql);
        create();
        app->runner.hook = [this, shown](QDialog* d) {
            dialogsRun << d->objectName();
            if (shown)
                shown(d);
            d->show();
            return int(QDialog::Accepted);
        };
        return login() && activate();
    }

    // Waits until the register window is the active window (shortcuts and focus need it).
    bool activate() {
        main().activateWindow();
        return QTest::qWaitForWindowActive(&main());
    }

    TestFolder folder;
    ScriptedPrompts prompts;
    std::unique_ptr<Application> app;
    QStringList dialogsRun;
};

// The end of every GUI test: no prompt was shown that the test did not queue an answer for.
// `run` is reset in any case.
inline void finishRun(std::unique_ptr<AppRun>& run) {
    const std::unique_ptr<AppRun> done = std::move(run);
    if (done)
        QVERIFY2(done->prompts.failures().isEmpty(), qPrintable(done->prompts.failures().join(u'\n')));
}
