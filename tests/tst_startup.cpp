// Program entry, login and close request of the register window.
#include "support/AppRun.h"
#include "support/SampleData.h"

#include "settings/TFormOptions.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QToolButton>

namespace {

const QString kSettingsRow = QStringLiteral(R"(SELECT * FROM "Benutzer" WHERE "Index" = 1)");

QString login() {
    return QStringLiteral("Eingabe erforderlich|Geben Sie Ihr Passwort ein:");
}

// Types into the step box as the user does, replacing what it holds.
void typeStep(SpulSpinBox* box, const QString& text) {
    box->editor()->selectAll();
    QTest::keyClicks(box->editor(), text);
}

QList<QWidget*> visibleTopLevels() {
    QList<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            out << w;
    return out;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init() {
        run = std::make_unique<AppRun>();
        addSampleData(run->folder);
    }
    void cleanup() { finishRun(run); }

    void createsAllWindowsWithoutShowingOrConnecting();
    void loginOpensTheRegister();
    void startUpRunsOnce();
    void emptyStoredPasswordLogsIn_data();
    void emptyStoredPasswordLogsIn();
    void wrongPasswordEndsWithoutSaving_data();
    void wrongPasswordEndsWithoutSaving();
    void closeAsksAndSavesOnYes();
    void closeWithOverlongStepTyped();
    void closeWhileDisconnectedSavesNothing();
    void endCommandsRequestTheClose();
    void errorDuringStartLeavesWindowOpen();

private:
    std::unique_ptr<AppRun> run;
};

void TestStartup::createsAllWindowsWithoutShowingOrConnecting() {
    run->create();
    const Forms& f = run->app->forms;
    QVERIFY(f.FormMain && f.DatMod && f.FormWaffentyp && f.FormKaliber && f.FormHersteller &&
            f.FormHaendler && f.FormAmt && f.FormSuchen && f.FormDruck && f.FormOptions);
    QCOMPARE(f.FormMain->windowTitle(), QStringLiteral("Tarnova Elektronisches Waffenbuch v1.1"));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Tarnova Elektronisches Waffenbuch v1.1"));
    // Qt's stock texts speak German too (stock buttons, the context menu of text boxes).
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy"), QStringLiteral("&Kopieren"));

    // The dialogs, in the order they were created.
    QStringList dialogs;
    for (QObject* child : f.FormMain->children())
        if (auto* d = qobject_cast<QDialog*>(child))
            dialogs << d->objectName();
    QCOMPARE(dialogs, (QStringList{"FormWaffentyp", "FormKaliber", "FormHersteller", "FormHaendler",
                                   "FormAmt", "FormSuchen", "FormDruck", "FormOptions"}));
    QCOMPARE(static_cast<QObject*>(f.FormOptions), f.FormMain->findChild<QDialog*>("FormOptions"));

    // Nothing on the screen, nothing asked, the database untouched.
    QVERIFY(visibleTopLevels().isEmpty());
    QVERIFY(run->prompts.shown().isEmpty());
    QVERIFY(!run->dm().isConnected());
    QVERIFY(!run->reg().isActive());
    for (int i = 0; i < 5; ++i)
        QCOMPARE(f.FormMain->statusPanelText(i), QString());

    QVERIFY(run->login());
    QCOMPARE(visibleTopLevels(), QList<QWidget*>{f.FormMain});
    QVERIFY(run->dialogsRun.isEmpty());
}

void TestStartup::loginOpensTheRegister() {
    QVERIFY(run->login());
    TFormMain& w = run->main();
    QCOMPARE(run->prompts.shown().size(), 1);
    QCOMPARE(run->prompts.shown().first().kind, QStringLiteral("input"));
    QCOMPARE(run->prompts.shown().first().text, login());

    QVERIFY(run->dm().isConnected());
    QVERIFY(!Konst::FirmDataMode);
    QCOMPARE(w.statusPanelText(4), QStringLiteral("verbunden"));
    QCOMPARE(w.statusPanelText(0), QStringLiteral("Anzahl: 4"));
    QCOMPARE(w.statusPanelText(1), QStringLiteral("nicht verkauft: 3"));
    QCOMPARE(w.statusPanelText(3), QString());
    QCOMPARE(run->reg().recNo(), 1);
    QCOMPARE(w.DBText_Index->text(), QStringLiteral("1"));
    QCOMPARE(w.DBEdit_SerienNr->text(), QStringLiteral("M-102934"));
    // Browse mode.
    QVERIFY(w.DBEdit_SerienNr->isReadOnly());
    QVERIFY(!w.SpBtn[10]->isEnabled());
    QVERIFY(w.SpBtn[7]->isEnabled());
}

void TestStartup::startUpRunsOnce() {
    QVERIFY(run->login());
    TFormMain& w = run->main();
    QVERIFY(run->activate());
    // Showing and activating the window again does not ask for the password again.
    w.hide();
    QTest::qWait(20);
    w.show();
    QVERIFY(run->activate());
    QTest::qWait(50);
    QCOMPARE(run->prompts.texts("input"), QStringList{login()});
    QVERIFY(run->dm().isConnected());
    QVERIFY(!Konst::FirmDataMode);
}

void TestStartup::emptyStoredPasswordLogsIn_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("NULL, Cancel") << "NULL" << true;
    QTest::newRow("empty text, Cancel") << "''" << true;
    QTest::newRow("empty text, OK with nothing typed") << "''" << false;
}

void TestStartup::emptyStoredPasswordLogsIn() {
    QFETCH(QString, stored);
    QFETCH(bool, cancel);
    run->folder.sql(QStringLiteral(R"(UPDATE "Benutzer" SET "Passwort" = %1)").arg(stored));
    if (cancel)
        run->prompts.queueInputCancel();
    else
        run->prompts.queueInput(QString());
    QVERIFY(run->show());
    QVERIFY(!Konst::FirmDataMode);
    QVERIFY(run->dm().isConnected());
    QVERIFY(run->main().isVisible());
    QVERIFY(run->prompts.messages().isEmpty());
}

void TestStartup::wrongPasswordEndsWithoutSaving_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("case differs") << "waffenbuch";
    QTest::newRow("trailing blank") << "Waffenbuch ";
    QTest::newRow("other word") << "Passwort";
    QTest::newRow("nothing") << "";
}

void TestStartup::wrongPasswordEndsWithoutSaving() {
    QFETCH(QString, typed);
    const QVariantList before = run->folder.row(kSettingsRow);
    run->prompts.queueInput(typed);
    QVERIFY(run->show());
    QCOMPARE(run->prompts.messages(), QStringList{"Falsches Passwort - Programm wird beendet"});
    // The close asks nothing and stores nothing.
    QVERIFY(run->prompts.texts("yesNo").isEmpty());
    QVERIFY(!run->main().isVisible());
    QVERIFY(!run->dm().isConnected());
    QVERIFY(Konst::FirmDataMode);
    QCOMPARE(run->folder.row(kSettingsRow), before);
}

void TestStartup::closeAsksAndSavesOnYes() {
    QVERIFY(run->login());
    TFormMain& w = run->main();
    QVERIFY(run->app->forms.FormOptions->Check_ProgEnde->isChecked());
    typeStep(w.Spin_Spul, "37");
    QCOMPARE(Konst::SpulStep, 37);

    run->prompts.queueNo();
    QVERIFY(!w.close());
    QCOMPARE(run->prompts.texts("yesNo"), QStringList{"Programm wirklich beenden?"});
    QVERIFY(w.isVisible());
    QVERIFY(run->dm().isConnected());
    QCOMPARE(w.statusPanelText(4), QStringLiteral("verbunden"));
    QCOMPARE(run->folder.value(R"(SELECT "SpulSpeed" FROM "Benutzer")").toInt(), 10);

    run->prompts.queueYes();
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QVERIFY(!run->dm().isConnected());
    QCOMPARE(run->prompts.texts("yesNo").size(), 2);
    QCOMPARE(run->folder.value(R"(SELECT "SpulSpeed" FROM "Benutzer")").toInt(), 37);
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestStartup::closeWithOverlongStepTyped() {
    // A step typed beyond the box's range and not yet left is saved as the box will hold it.
    QVERIFY(run->login());
    TFormMain& w = run->main();
    w.resize(w.width() + 40, w.height() + 30);
    typeStep(w.Spin_Spul, "99999");
    QCOMPARE(Konst::SpulStep, 99999);
    run->prompts.queueYes();
    QVERIFY(w.close());
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.value(R"(SELECT "SpulSpeed" FROM "Benutzer")").toInt(), 500);
    QCOMPARE(run->folder.value(R"(SELECT "Breit" FROM "Benutzer")").toInt(), w.width());
}

void TestStartup::closeWhileDisconnectedSavesNothing() {
    QVERIFY(run->login());
    TFormMain& w = run->main();
    typeStep(w.Spin_Spul, "37");
    w.M_Trennen->trigger();
    QVERIFY(!run->dm().isConnected());
    QCOMPARE(w.statusPanelText(4), QStringLiteral("nicht verbunden"));
    // Disconnecting saved the settings once.
    QCOMPARE(run->folder.value(R"(SELECT "SpulSpeed" FROM "Benutzer")").toInt(), 37);
    const QVariantList atDisconnect = run->folder.row(kSettingsRow);

    typeStep(w.Spin_Spul, "55");
    w.resize(w.width() + 40, w.height() + 30);
    run->prompts.queueYes();
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QCOMPARE(run->prompts.texts("yesNo"), QStringList{"Programm wirklich beenden?"});
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.row(kSettingsRow), atDisconnect);
}

void TestStartup::endCommandsRequestTheClose() {
    QVERIFY(run->login());
    TFormMain& w = run->main();
    QVERIFY(run->activate());
    const QString question = QStringLiteral("Programm wirklich beenden?");

    run->prompts.queueNo();
    QTest::keyClick(&w, Qt::Key_X, Qt::AltModifier);
    QCOMPARE(run->prompts.texts("yesNo"), QStringList{question});
    QVERIFY(w.isVisible());

    auto* exit = w.findChild<QToolButton*>("SpBtn15");
    QVERIFY(exit);
    run->prompts.queueNo();
    QTest::mouseClick(exit, Qt::LeftButton);
    QCOMPARE(run->prompts.texts("yesNo").size(), 2);
    QVERIFY(w.isVisible());

    run->prompts.queueYes();
    QTest::mouseClick(exit, Qt::LeftButton);
    QCOMPARE(run->prompts.texts("yesNo").size(), 3);
    QVERIFY(!w.isVisible());
    QVERIFY(!run->dm().isConnected());
}

void TestStartup::errorDuringStartLeavesWindowOpen() {
    run->folder.sql(QStringLiteral(R"(DROP TABLE "Geschlecht")"));
    const QVariantList before = run->folder.row(kSettingsRow);
    QVERIFY(run->show());
    QCOMPARE(run->prompts.errors().size(), 1);
    // The sequence ended before the login.
    QVERIFY(run->prompts.texts("input").isEmpty());
    QVERIFY(Konst::FirmDataMode);
    TFormMain& w = run->main();
    QVERIFY(w.isVisible());
    QCOMPARE(w.statusPanelText(4), QString());

    // A later close asks nothing and saves nothing.
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QVERIFY(run->prompts.texts("yesNo").isEmpty());
    QCOMPARE(run->prompts.errors().size(), 1);
    QCOMPARE(run->folder.row(kSettingsRow), before);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
