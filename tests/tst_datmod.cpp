#include "common/Konst.h"
#include "store/GermanCollation.h"
#include "store/RegisterQuery.h"
#include "store/TDatMod.h"
#include "support/StoreHelpers.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Records what the data module asks of the register window.
class FakePort : public RegisterWindowPort {
public:
    explicit FakePort(TDatMod& datMod) : m_datMod(datMod) { datMod.setPort(this); }

    void setStatusPanelText(int panel, const QString& text) override {
        panels << QStringLiteral("%1:%2").arg(panel).arg(text);
    }
    void ShowPartyPanels() override { calls << u"ShowPartyPanels"_s; }
    void UpdateStatusBar() override {
        calls << u"UpdateStatusBar"_s;
        unsoldAtStatusBar = Konst::UnsoldCount;
    }
    void SaveUserSettings() override {
        calls << u"SaveUserSettings"_s;
        settingsOpenAtSave = m_datMod.ATab_User->isActive();
    }

    void clear() {
        panels.clear();
        calls.clear();
        unsoldAtStatusBar = -1;
    }

    QStringList panels; // "panel:text"
    QStringList calls;
    int unsoldAtStatusBar = -1;
    bool settingsOpenAtSave = false;

private:
    TDatMod& m_datMod;
};

QList<Dataset*> allDatasets(const TDatMod& dm) {
    QList<Dataset*> all = dm.tableDatasets();
    all << dm.ATab_Geschlecht << dm.ASet_Vorgang;
    return all;
}

void insertRegister(const TestFolder& f, const QString& values) {
    f.sql(uR"(INSERT INTO "Vorgang" ("Index", "Waffentyp", "SerienNr", "Kaufer") VALUES )"_s + values);
}

void reopenRegister(TDatMod& dm, const QString& text) {
    dm.ASet_Vorgang->close();
    dm.ASet_Vorgang->setCommandText(text);
    dm.ASet_Vorgang->open();
}

// Test data: the module saves the user's settings, or runs in firm data mode and saves none.
void addFirmDataModeRows() {
    QTest::addColumn<bool>("firmDataMode");
    QTest::newRow("saves settings") << false;
    QTest::newRow("firm data mode") << true;
}

// A test folder and the data module on it, with a port that records what the module asks.
struct ModuleFixture {
    TestFolder folder;
    TDatMod dm;
    FakePort port{dm};
};

} // namespace

class TestDatMod : public QObject {
    Q_OBJECT
private slots:
    void connectOpensEverything();
    void connectWhileConnected_data();
    void connectWhileConnected();
    void disconnectWhenClosedDoesNothing();
    void disconnect_data();
    void disconnect();
    void connectFailsWithoutGeschlecht();
    void connectWrongPassword();
    void connectMissingFile_data();
    void connectMissingFile();
    void sortLookupTables();
    void afterScrollHook();
    void afterPostHook();
    void countUnsold();
    void countUnsoldEmptyRegister();
    void sortOrdersLeaveOutUnknownKeys_data();
    void sortOrdersLeaveOutUnknownKeys();
};

void TestDatMod::connectOpensEverything() {
    ModuleFixture f;
    insertRegister(f.folder, u"(1, NULL, 'A', 1), (2, NULL, 'B', 1)"_s);
    f.dm.Connect();

    QVERIFY(f.dm.isConnected());
    for (Dataset* d : allDatasets(f.dm))
        QVERIFY2(d->isActive(), qPrintable(d->name()));
    QCOMPARE(f.dm.ASet_Vorgang->commandText(), u"select * from Vorgang"_s);
    QCOMPARE(f.dm.ASet_Vorgang->recordCount(), 2);
    QCOMPARE(f.dm.ASet_Vorgang->recNo(), 1);
    QCOMPARE(f.dm.ASet_Vorgang->asInteger(u"Index"_s), 1);
    QCOMPARE(f.port.panels, QStringList{u"4:verbunden"_s});
    QCOMPARE(f.port.calls,
             (QStringList{u"ShowPartyPanels"_s, u"UpdateStatusBar"_s})); // first row after opening

    // The lookups are wired to the module's datasets.
    QCOMPARE(f.dm.ASet_Vorgang->lookupText(u"ViewKaufer"_s), u"(nicht verkauft)"_s);
    QCOMPARE(f.dm.ASet_Vorgang->lookupText(u"ViewEWB"_s), QString()); // EWB empty in this row
    QCOMPARE(f.dm.ATab_Kauf->lookupText(u"ViewGeschlecht"_s), u"männlich"_s);
    QCOMPARE(f.dm.ATab_Kauf->lookupText(u"ViewKAmt"_s), u"(kein Amt)"_s);

    QCOMPARE(f.dm.RvProjectBuch.projectFile,
             QDir::toNativeSeparators(f.folder.path() + u"Archiv/Waffenbuch.rav"_s));
    QCOMPARE(f.dm.RvProject_Amt.projectFile, QDir::toNativeSeparators(f.folder.path() + u"Archiv/Amt.rav"_s));
    QCOMPARE(f.dm.RvProject_Unterlagen.projectFile,
             QDir::toNativeSeparators(f.folder.path() + u"Archiv/Unterlagen.rav"_s));
}

void TestDatMod::connectWhileConnected_data() {
    addFirmDataModeRows();
}

void TestDatMod::connectWhileConnected() {
    QFETCH(bool, firmDataMode);
    ModuleFixture f;
    f.folder.sql(uR"(INSERT INTO "Waffentyp" ("Index", "WTyp") VALUES (1, 'Revolver'), (2, 'Büchse'))"_s);
    insertRegister(f.folder, u"(1, 1, 'Z', 1), (2, 2, 'A', 1), (3, 2, 'M', 1)"_s);
    f.dm.Connect();
    reopenRegister(f.dm, RegisterQuery::sortQuery(5));
    f.dm.ASet_Vorgang->last();
    f.dm.SortLookupTables();
    QCOMPARE(column(*f.dm.ATab_Typ, u"WTyp"_s), (QStringList{u"Büchse"_s, u"Revolver"_s}));
    f.port.clear();
    Konst::FirmDataMode = firmDataMode;

    f.dm.Connect();
    QCOMPARE(f.port.calls.count(u"SaveUserSettings"_s), firmDataMode ? 0 : 1);
    if (!firmDataMode)
        QVERIFY(f.port.settingsOpenAtSave);
    QCOMPARE(f.port.panels, (QStringList{u"4:nicht verbunden"_s, u"4:verbunden"_s}));
    QVERIFY(f.dm.isConnected());
    for (Dataset* d : allDatasets(f.dm))
        QVERIFY2(d->isActive(), qPrintable(d->name()));
    // The whole register in database order on its first row; the lists unsorted again.
    QCOMPARE(f.dm.ASet_Vorgang->commandText(), RegisterQuery::kWholeRegister);
    QCOMPARE(column(*f.dm.ASet_Vorgang, u"Index"_s), (QStringList{"1", "2", "3"}));
    QCOMPARE(f.dm.ASet_Vorgang->recNo(), 1);
    QCOMPARE(f.dm.ATab_Typ->sort(), QString());
    QCOMPARE(column(*f.dm.ATab_Typ, u"WTyp"_s), (QStringList{u"Revolver"_s, u"Büchse"_s}));
}

void TestDatMod::disconnectWhenClosedDoesNothing() {
    ModuleFixture f;
    f.dm.Disconnect();
    QVERIFY(f.port.panels.isEmpty());
    QVERIFY(f.port.calls.isEmpty());

    f.dm.Connect();
    f.dm.Disconnect();
    f.port.clear();
    f.dm.Disconnect();
    QVERIFY(f.port.panels.isEmpty());
    QVERIFY(f.port.calls.isEmpty());
}

void TestDatMod::disconnect_data() {
    addFirmDataModeRows();
}

void TestDatMod::disconnect() {
    QFETCH(bool, firmDataMode);
    ModuleFixture f;
    insertRegister(f.folder, u"(1, NULL, 'A', 1)"_s);
    f.dm.Connect();
    f.port.clear();
    Konst::FirmDataMode = firmDataMode;

    f.dm.Disconnect();
    QCOMPARE(f.port.calls, firmDataMode ? QStringList() : QStringList{u"SaveUserSettings"_s});
    if (!firmDataMode)
        QVERIFY(f.port.settingsOpenAtSave); // saved while the datasets were still open
    QCOMPARE(f.port.panels, QStringList{u"4:nicht verbunden"_s});
    QVERIFY(!f.dm.isConnected());
    for (Dataset* d : allDatasets(f.dm))
        QVERIFY2(!d->isActive(), qPrintable(d->name()));
    QCOMPARE(f.dm.ASet_Vorgang->asInteger(u"Index"_s), 0);
    QCOMPARE(f.dm.ATab_User->asString(u"Passwort"_s), QString());
    QVERIFY(!dbErrorOf([&] { f.dm.ASet_Vorgang->locate(u"Index"_s, 1); }).isEmpty());
    QVERIFY(!dbErrorOf([&] { f.dm.ATab_Kauf->append(); }).isEmpty());
    QVERIFY(!dbErrorOf([&] { f.dm.SortLookupTables(); }).isEmpty());
}

void TestDatMod::connectFailsWithoutGeschlecht() {
    ModuleFixture f;
    f.folder.sql(uR"(DROP TABLE "Geschlecht")"_s);
    const QString error = dbErrorOf([&] { f.dm.Connect(); });
    QVERIFY2(error.contains(u"Geschlecht"_s), qPrintable(error));
    QVERIFY(f.dm.isConnected()); // the connection itself was opened
    QVERIFY(!f.dm.ATab_Kauf->isActive());
    QVERIFY(!f.dm.ASet_Vorgang->isActive());
    QVERIFY(f.port.panels.isEmpty());
}

void TestDatMod::connectWrongPassword() {
    ModuleFixture f;
    Konst::ConnectionString = Konst::buildConnectionString(Konst::AppDir, u"falsch"_s);
    QCOMPARE(dbErrorOf([&] { f.dm.Connect(); }), u"Kein gültiges Kennwort."_s);
    QVERIFY(!f.dm.isConnected());
    QVERIFY(f.port.panels.isEmpty());
}

void TestDatMod::connectMissingFile_data() {
    QTest::addColumn<bool>("missingFolder");
    QTest::newRow("file removed") << false;
    QTest::newRow("folder missing") << true;
}

void TestDatMod::connectMissingFile() {
    QFETCH(bool, missingFolder);
    ModuleFixture f;
    QString file = f.folder.databasePath();
    if (missingFolder) {
        Konst::AppDir = QDir::toNativeSeparators(f.folder.file(u"fehlt/"_s));
        file = f.folder.file(u"fehlt/Waffenbuch.mdb"_s);
    } else {
        QVERIFY(QFile::remove(file));
    }
    Konst::ConnectionString = Konst::buildConnectionString(Konst::AppDir, databasePassword());

    const QString error = dbErrorOf([&] { f.dm.Connect(); });
    QVERIFY2(error.contains(u"Waffenbuch.mdb"_s) && error.contains(u"nicht gefunden"_s), qPrintable(error));
    QVERIFY(!f.dm.isConnected());
    QVERIFY(!QFile::exists(file));
    QVERIFY(f.port.panels.isEmpty());
}

void TestDatMod::sortLookupTables() {
    ModuleFixture f;
    f.folder.sql(uR"(
INSERT INTO "Waffentyp" ("WTyp") VALUES ('Revolver'), ('Büchse'), ('büchse'), ('Flinte'), ('Armbrust');
INSERT INTO "Kaliber" ("Kaliber") VALUES ('9 mm'), ('.22 lr'), ('12/70'), ('.308 Win');
INSERT INTO "Hersteller" ("Hersteller") VALUES ('Zeiss'), ('Österreichische Werke'), ('Ober'), ('ärztlich');
INSERT INTO "Kaufer" ("Name") VALUES ('Zürich'), ('zebra'), ('Äpfel'), ('apfel'), ('Bär');
INSERT INTO "Amt" ("Name") VALUES ('Ordnungsamt'), ('Landratsamt Ölberg'), ('Landratsamt Oberberg');
)"_s);
    f.dm.Connect();
    QCOMPARE(f.dm.ATab_Typ->asString(u"WTyp"_s), u"Revolver"_s); // database order after Connect

    f.dm.SortLookupTables();
    const QList<std::pair<Dataset*, QString>> sorted = {
        {f.dm.ATab_Kauf, u"Name"_s}, {f.dm.ATab_Typ, u"WTyp"_s}, {f.dm.ATab_Kaliber, u"Kaliber"_s},
        {f.dm.ATab_Amt, u"Name"_s},  {f.dm.ATab_EWB, u"EWB"_s},  {f.dm.ATab_Hersteller, u"Hersteller"_s},
        {f.dm.ATab_Land, u"Land"_s}};
    for (const auto& [ds, col] : sorted) {
        QCOMPARE(ds->sort(), col + u" ASC"_s);
        const QStringList values = column(*ds, col);
        for (int i = 1; i < values.size(); ++i)
            QVERIFY2(german::compare(values.at(i - 1), values.at(i)) <= 0,
                     qPrintable(ds->name() + u": "_s + values.at(i - 1) + u" > "_s + values.at(i)));
    }
    QCOMPARE(column(*f.dm.ATab_Typ, u"WTyp"_s),
             (QStringList{u"Armbrust"_s, u"Büchse"_s, u"büchse"_s, u"Flinte"_s, u"Revolver"_s}));
    QCOMPARE(column(*f.dm.ATab_Hersteller, u"Hersteller"_s),
             (QStringList{u"ärztlich"_s, u"Ober"_s, u"Österreichische Werke"_s, u"Zeiss"_s}));
    const QStringList land = column(*f.dm.ATab_Land, u"Land"_s);
    QCOMPARE(land.indexOf(u"Österreich"_s), land.indexOf(u"Norwegen"_s) + 1);
    QCOMPARE(land.indexOf(u"Polen"_s), land.indexOf(u"Österreich"_s) + 1);
    QCOMPARE(f.dm.ATab_Geschlecht->sort(), QString());
    QCOMPARE(f.dm.ATab_User->sort(), QString());
    QCOMPARE(column(*f.dm.ATab_Geschlecht, u"Index"_s), (QStringList{"1", "2"}));
}

void TestDatMod::afterScrollHook() {
    ModuleFixture f;
    {
        TDatMod dm;
        FakePort port(dm);
        dm.Connect(); // empty register: no after-scroll
        QVERIFY(port.calls.isEmpty());
    }
    insertRegister(f.folder, u"(1, NULL, 'A', 1), (2, NULL, 'B', 1)"_s);
    f.dm.Connect();
    f.port.clear();
    f.dm.ASet_Vorgang->next();
    QCOMPARE(f.port.calls, (QStringList{u"ShowPartyPanels"_s, u"UpdateStatusBar"_s}));
    f.port.clear();
    f.dm.ASet_Vorgang->next(); // no change of row
    QVERIFY(f.dm.ASet_Vorgang->locate(u"Index"_s, 2));
    QVERIFY(f.port.calls.isEmpty());
}

void TestDatMod::afterPostHook() {
    ModuleFixture f;
    f.folder.sql(uR"(INSERT INTO "Kaufer" ("Index", "Name") VALUES (2, 'Bär'))"_s);
    insertRegister(f.folder, u"(1, NULL, 'A', 1), (2, NULL, 'B', 2), (3, NULL, 'C', 1)"_s);
    f.dm.Connect();
    QVERIFY(f.dm.ASet_Vorgang->locate(u"Index"_s, 2));
    Konst::UnsoldCount = -5;
    f.port.clear();

    // Another program adds an unsold row; our post of a row back into stock re-reads it.
    insertRegister(f.folder, u"(4, NULL, 'D', 1)"_s);
    f.dm.ASet_Vorgang->edit();
    f.dm.ASet_Vorgang->setValue(u"Kaufer"_s, 1);
    f.dm.ASet_Vorgang->post();

    QCOMPARE(Konst::UnsoldCount, 4);
    QCOMPARE(f.dm.ASet_Vorgang->recordCount(), 4);
    QCOMPARE(f.dm.ASet_Vorgang->asInteger(u"Index"_s), 2);
    QVERIFY(f.port.calls.contains(u"ShowPartyPanels"_s));
    QCOMPARE(f.port.calls.last(), u"UpdateStatusBar"_s);
    QVERIFY(f.port.calls.indexOf(u"ShowPartyPanels"_s) < f.port.calls.lastIndexOf(u"UpdateStatusBar"_s));
    QCOMPARE(f.port.unsoldAtStatusBar, 4); // counted before the status bar shows it
    QCOMPARE(f.dm.ASet_Vorgang->lookupText(u"ViewKaufer"_s), u"(nicht verkauft)"_s);
}

void TestDatMod::countUnsold() {
    ModuleFixture f;
    // Five rows with an A in the serial number, two of them in stock; two more in stock without.
    insertRegister(f.folder,
                   u"(1, NULL, 'A-1', 1), (2, NULL, 'xa', 2), (3, NULL, 'B-1', 1), (4, NULL, 'AA', 0), "
                   u"(5, NULL, 'C', 1), (6, NULL, 'ba', 1), (7, NULL, 'Ab', NULL)"_s);
    f.dm.Connect();
    CountUnsold(f.dm);
    QCOMPARE(Konst::UnsoldCount, 4);

    reopenRegister(f.dm, searchStatement());
    QCOMPARE(column(*f.dm.ASet_Vorgang, u"Index"_s), (QStringList{"1", "2", "4", "6", "7"}));
    f.dm.ASet_Vorgang->setRecNo(3);
    CountUnsold(f.dm);
    QCOMPARE(Konst::UnsoldCount, 2);
    QCOMPARE(f.dm.ASet_Vorgang->recNo(), 3);
    QCOMPARE(f.dm.ASet_Vorgang->asInteger(u"Index"_s), 4);
}

void TestDatMod::countUnsoldEmptyRegister() {
    ModuleFixture f;
    f.dm.Connect();
    Konst::UnsoldCount = 7;
    CountUnsold(f.dm);
    QCOMPARE(Konst::UnsoldCount, 0);
    QCOMPARE(f.dm.ASet_Vorgang->recNo(), -1);
    QVERIFY(f.port.calls.isEmpty());
}

void TestDatMod::sortOrdersLeaveOutUnknownKeys_data() {
    QTest::addColumn<QString>("extra");
    QTest::addColumn<int>("position");
    QTest::addColumn<QStringList>("indexes");
    QTest::newRow("whole register") << QString() << 0 << QStringList{"1", "2", "3", "4", "5"};
    QTest::newRow("type: unknown and empty keys left out") << QString() << 2 << QStringList{"4", "5", "1"};
    QTest::newRow("buyer: 0, empty and unknown left out") << QString() << 7 << QStringList{"1", "4"};
    QTest::newRow("buyer: without partner 1")
        << uR"(DELETE FROM "Kaufer" WHERE "Index" = 1)"_s << 7 << QStringList{"4"};
    QTest::newRow("calibre: empty list") << QString() << 3 << QStringList();
    QTest::newRow("permit kind") << QString() << 9 << QStringList{"1", "4"};
}

void TestDatMod::sortOrdersLeaveOutUnknownKeys() {
    QFETCH(QString, extra);
    QFETCH(int, position);
    QFETCH(QStringList, indexes);
    ModuleFixture f;
    f.folder.sql(uR"(INSERT INTO "Waffentyp" ("Index", "WTyp") VALUES (1, 'Büchse'), (2, 'Flinte');
                    INSERT INTO "Kaufer" ("Index", "Name") VALUES (2, 'Bär');)"_s);
    insertRegister(f.folder, u"(1, 2, 'A', 1), (2, 999, 'B', 0), (3, NULL, 'C', NULL), (4, 1, 'D', 2), "
                             u"(5, 1, 'E', 77)"_s);
    f.folder.sql(uR"(UPDATE "Vorgang" SET "EWB" = 3 WHERE "Index" IN (1, 4);
                    UPDATE "Vorgang" SET "EWB" = 42 WHERE "Index" = 5)"_s);
    if (!extra.isEmpty())
        f.folder.sql(extra);
    f.dm.Connect();
    reopenRegister(f.dm, RegisterQuery::sortQuery(position));
    QCOMPARE(column(*f.dm.ASet_Vorgang, u"Index"_s), indexes);
    QCOMPARE(f.dm.ASet_Vorgang->recNo(), indexes.isEmpty() ? -1 : 1);
    if (!extra.isEmpty()) {
        reopenRegister(f.dm, RegisterQuery::kWholeRegister);
        QCOMPARE(f.dm.ASet_Vorgang->lookupText(u"ViewKaufer"_s), QString()); // unsold row 1 shows no name
    }
}

QTEST_GUILESS_MAIN(TestDatMod)
#include "tst_datmod.moc"
