#include "store/RegisterQuery.h"
#include "store/RestorePoint.h"
#include "support/AppRun.h"
#include "support/SampleData.h"
#include "widgets/DBGrid.h"

#include <QFile>
#include <QLockFile>
#include <QMenu>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {
const QString kBak = u"Archiv/Waffenbuch.BAK"_s;
}

class TestDatabaseMenu : public QObject {
    Q_OBJECT
private slots:
    void init() { run = std::make_unique<AppRun>(); }
    void cleanup() { run.reset(); }

    void restorePointAndRestoreReturnToTheRow();
    void restoreFallsBackToTheFirstRow();
    void failuresAreReportedAndTheRowKept();
    void restorePointWhileDisconnected();
    void editModeIgnoresTheCommands();
    void missingHelpPage();
    void startUpMakesARestorePoint_data();
    void startUpMakesARestorePoint();
    void startUpDisconnected();
    void startUpOnTheSavedRowAndFirmQuestion();
    void secondInstanceIsRefused();
    void startUpAppliesTheGridOption_data();
    void startUpAppliesTheGridOption();

private:
    bool start() {
        addSampleData(run->folder);
        return run->login() && run->activate();
    }
    TFormMain& w() const { return run->main(); }
    int shownIndex() const { return w().DBText_Index->text().toInt(); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::ControlModifier) const { QTest::keyClick(&w(), k, m); }
    qlonglong entries() const {
        return run->folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toLongLong();
    }

    std::unique_ptr<AppRun> run;
};

void TestDatabaseMenu::restorePointAndRestoreReturnToTheRow() {
    QVERIFY(start());
    run->reg().setRecNo(3);
    const int index = shownIndex();
    key(Qt::Key_W);
    key(Qt::Key_W); // two in a row: the second replaces the first
    QCOMPARE(run->prompts.messages(), QStringList(2, u"Datenbanksicherung erfolgreich"_s));
    QVERIFY(run->dm().isConnected());
    QCOMPARE(shownIndex(), index);
    QVERIFY(RestorePoint::check(run->folder.file(kBak)));

    const qlonglong before = entries();
    run->folder.sql(uR"(DELETE FROM "Vorgang" WHERE "Index" <> %1)"_s.arg(index));
    run->prompts.clearShown();
    key(Qt::Key_L);
    QCOMPARE(run->prompts.messages(), QStringList{u"Datenbank erfolgreich wiederhergestellt"_s});
    QVERIFY(run->dm().isConnected());
    QCOMPARE(entries(), before);
    QCOMPARE(run->reg().recordCount(), before);
    QCOMPARE(shownIndex(), index);
    QCOMPARE(w().statusPanelText(0), u"Anzahl: %1"_s.arg(before));
    QCOMPARE(w().statusPanelText(4), u"verbunden"_s);
    // The replaced file is kept, with only the one entry left in it.
    QVERIFY(QFile::exists(run->folder.file(u"Archiv/Waffenbuch.vor-Wiederherstellung.BAK"_s)));
    QCOMPARE(run->folder.value(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
    // The menu entries stay as they were.
    QVERIFY(w().M_Trennen->isEnabled());
    QVERIFY(!w().M_Verbinden->isEnabled());
}

void TestDatabaseMenu::restoreFallsBackToTheFirstRow() {
    QVERIFY(start());
    key(Qt::Key_W);
    run->folder.sql(uR"(INSERT INTO "Vorgang" ("Index", "SerienNr", "Kaufer") VALUES (90, 'NEU', 1))"_s);
    run->dm().Connect();
    QVERIFY(run->reg().locate(u"Index"_s, 90));
    const qlonglong firstIndex = run->folder.value(uR"(SELECT min("Index") FROM "Vorgang")"_s).toLongLong();
    key(Qt::Key_L);
    QCOMPARE(run->prompts.messages().last(), u"Datenbank erfolgreich wiederhergestellt"_s);
    QCOMPARE(run->reg().recNo(), 1);
    QCOMPARE(shownIndex(), firstIndex);
}

void TestDatabaseMenu::failuresAreReportedAndTheRowKept() {
    QVERIFY(start());
    run->reg().setRecNo(2);
    const int index = shownIndex();
    // No restore point: reported before anything closes.
    key(Qt::Key_L);
    QCOMPARE(run->prompts.messages(), QStringList{u"keine Sicherungsdatei gefunden"_s});
    QVERIFY(run->dm().isConnected());
    QCOMPARE(shownIndex(), index);

    // A damaged restore point is refused and the database left alone.
    QFile bak(run->folder.file(kBak));
    QVERIFY(bak.open(QIODevice::WriteOnly));
    bak.write(QByteArray(4096, 'x'));
    bak.close();
    const qlonglong before = entries();
    key(Qt::Key_L);
    QCOMPARE(run->prompts.messages().last(), u"Datenbank-Wiederherstellung mißlungen"_s);
    QVERIFY(run->dm().isConnected());
    QCOMPARE(shownIndex(), index);
    QCOMPARE(entries(), before);

    // Archiv missing.
    QVERIFY(QDir(run->folder.file(u"Archiv"_s)).removeRecursively());
    key(Qt::Key_W);
    QCOMPARE(run->prompts.messages().last(), u"Datenbanksicherung mißlungen"_s);
    QVERIFY(run->dm().isConnected());
    QCOMPARE(shownIndex(), index);
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestDatabaseMenu::restorePointWhileDisconnected() {
    QVERIFY(start());
    w().M_Trennen->trigger();
    QVERIFY(!run->dm().isConnected());
    key(Qt::Key_W);
    QCOMPARE(run->prompts.messages(), QStringList{u"Datenbanksicherung erfolgreich"_s});
    QVERIFY(run->dm().isConnected());
    QVERIFY(w().M_Verbinden->isEnabled());
    QVERIFY(!w().M_Trennen->isEnabled());
    key(Qt::Key_F1);
    QVERIFY(run->dm().isConnected());
    QVERIFY(!w().M_Verbinden->isEnabled());
    QVERIFY(w().M_Trennen->isEnabled());
}

void TestDatabaseMenu::editModeIgnoresTheCommands() {
    QVERIFY(start());
    QTest::mouseClick(w().SpBtn[9], Qt::LeftButton); // edit the current row
    QVERIFY(Konst::RecordEditing);
    key(Qt::Key_W);
    key(Qt::Key_L);
    QVERIFY(run->prompts.messages().isEmpty());
    QVERIFY(!QFile::exists(run->folder.file(kBak)));
    QVERIFY(run->dm().isConnected());
}

void TestDatabaseMenu::missingHelpPage() {
    QVERIFY(start());
    QVERIFY(QFile::remove(run->folder.file(u"Help/Help.html"_s)));
    key(Qt::Key_F1, Qt::NoModifier);
    QTest::mouseClick(w().SpBtn[8], Qt::LeftButton);
    QCOMPARE(run->prompts.messages(), QStringList(2, u"Fehler beim Aufrufen der Hilfe"_s));
    QVERIFY(run->prompts.texts(u"open"_s).isEmpty());
}

void TestDatabaseMenu::startUpMakesARestorePoint_data() {
    QTest::addColumn<bool>("archiv");
    QTest::addColumn<QString>("message");
    QTest::newRow("written") << true << u"Datenbanksicherung erfolgreich"_s;
    QTest::newRow("Archiv missing") << false << u"Datenbanksicherung mißlungen"_s;
}

void TestDatabaseMenu::startUpMakesARestorePoint() {
    QFETCH(bool, archiv);
    QFETCH(QString, message);
    run->folder.sql(uR"(UPDATE "Benutzer" SET "CheckDataSave" = 1, "Aktuell" = 3)"_s);
    if (!archiv)
        QVERIFY(QDir(run->folder.file(u"Archiv"_s)).removeRecursively());
    addSampleData(run->folder);
    QVERIFY(run->login());
    QCOMPARE(run->prompts.messages(), QStringList{message});
    QCOMPARE(QFile::exists(run->folder.file(kBak)), archiv);
    QCOMPARE(shownIndex(), 3);
}

void TestDatabaseMenu::startUpDisconnected() {
    run->folder.sql(uR"(UPDATE "Benutzer" SET "CheckConnect" = 0, "Firma" = '')"_s);
    addSampleData(run->folder);
    run->prompts.queueInput(AppRun::kPassword);
    QVERIFY(run->show());
    QTRY_VERIFY(!Konst::FirmDataMode);
    QVERIFY(!run->dm().isConnected());
    for (int i = 0; i < 4; ++i)
        QCOMPARE(w().statusPanelText(i), QString());
    QCOMPARE(w().statusPanelText(4), u"nicht verbunden"_s);
    QVERIFY(w().M_Verbinden->isEnabled());
    QVERIFY(!w().M_Trennen->isEnabled());
    QVERIFY(w().DBText_Index->text().isEmpty());
    // No firm question while there is no settings row to store it in.
    QVERIFY(run->dialogsRun.isEmpty());
    QVERIFY(run->prompts.messages().isEmpty());
}

void TestDatabaseMenu::startUpOnTheSavedRowAndFirmQuestion() {
    run->folder.sql(uR"(UPDATE "Benutzer" SET "Firma" = '', "Aktuell" = 4, "Sortierung" = 3)"_s);
    addSampleData(run->folder);
    QVERIFY(run->login());
    QCOMPARE(run->dialogsRun, QStringList{u"FormHaendler"_s});
    QCOMPARE(shownIndex(), 4);
    QCOMPARE(w().statusPanelText(4), u"verbunden"_s);
    // The saved order is selected and the register was rebuilt on it.
    QCOMPARE(w().Combo_Sort->currentIndex(), 3);
    QCOMPARE(w().statusPanelText(2), RegisterQuery::statusText(3));
    QVERIFY(run->reg().commandText().endsWith(RegisterQuery::fromPart(3)));
    QVERIFY(run->prompts.messages().isEmpty());

    // An order outside the list selects the first one, without a message.
    run.reset();
    run = std::make_unique<AppRun>();
    run->folder.sql(uR"(UPDATE "Benutzer" SET "Sortierung" = 40)"_s);
    addSampleData(run->folder);
    QVERIFY(run->login());
    QCOMPARE(w().Combo_Sort->currentIndex(), 0);
    QVERIFY(run->prompts.messages().isEmpty());
    QCOMPARE(w().statusPanelText(2), RegisterQuery::statusText(0));
}

void TestDatabaseMenu::secondInstanceIsRefused() {
    // The first copy of the program: this process holds the lock.
    QLockFile first(InstanceLock::lockPath(QFileInfo(run->folder.databasePath()).absoluteFilePath()));
    QVERIFY(first.tryLock(0));
    QVERIFY(run->show());
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(run->prompts.errors().first().contains(u"bereits"_s));
    QVERIFY(!run->dm().isConnected());
    // It never got to a settings row it could save: closing asks nothing and writes nothing.
    QVERIFY(w().close());
}

void TestDatabaseMenu::startUpAppliesTheGridOption_data() {
    QTest::addColumn<int>("option");
    QTest::newRow("register grid read-only") << 0;
    QTest::newRow("register grid editable") << 1;
}

void TestDatabaseMenu::startUpAppliesTheGridOption() {
    QFETCH(int, option);
    run->folder.sql(uR"(UPDATE "Benutzer" SET "CheckTabChange" = %1)"_s.arg(option));
    QVERIFY(start());
    QCOMPARE(w().DBGrid_Vorgang->isReadOnly(), option == 0);
}

QTEST_MAIN(TestDatabaseMenu)
#include "tst_databasemenu.moc"
