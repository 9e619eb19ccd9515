// Hostile input at the store's edges: statement nesting, control characters, database files that
// are not what they should be, connection strings with separators in their values.
#include "common/ConnectionString.h"
#include "common/DbError.h"
#include "common/Konst.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/JetTranslator.h"
#include "support/StoreHelpers.h"
#include "support/TestFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

class TestHardening : public QObject {
    Q_OBJECT
private slots:
    void deepNestingIsRefused();
    void connectionStringQuoting();
    void controlCharactersAreNotStored();
    void brokenFilesGiveGermanMessages();
    void databaseFailuresInGerman();
    void killedWriterLosesNoCommittedEntry();
};

void TestHardening::deepNestingIsRefused() {
    const auto nested = [](int depth) {
        return u"SELECT * FROM Vorgang WHERE "_s + QString(depth, u'(') + u"Vorgang.SerienNr = 'A'"_s +
               QString(depth, u')');
    };
    QCOMPARE(jet::translate(nested(150)).params, QVariantList{u"A"_s});
    // far past the limit: refused as a syntax error, not a stack overflow
    for (int depth : {201, 20000}) {
        const QString error = dbErrorOf([&] { jet::translate(nested(depth)); });
        QVERIFY2(error.contains(u"verschachtelt"_s), qPrintable(error));
    }
    const QString joins = u"SELECT * FROM "_s + QString(30000, u'(') + u"Vorgang"_s;
    QVERIFY(dbErrorOf([&] { jet::translate(joins); }).startsWith(u"Syntaxfehler"_s));
}

void TestHardening::connectionStringQuoting() {
    const QString dir = u"/home/x/Firma; Waffen \"Nord\"/"_s;
    const QString cs = Konst::buildConnectionString(dir, u"pw;1"_s);
    QCOMPARE(connstr::value(cs, u"Data Source"_s), dir + u"Waffenbuch.mdb"_s);
    QCOMPARE(connstr::value(cs, u"jet oledb:database password"_s), u"pw;1"_s);
    QCOMPARE(connstr::value(cs, u"Persist Security Info"_s), u"False"_s);
    // plain values stay unquoted, as before
    QCOMPARE(Konst::buildConnectionString(u"/a/"_s, u"p"_s),
             u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/a/Waffenbuch.mdb;Persist Security "
             "Info=False;Jet OLEDB:Database Password=p"_s);
    QCOMPARE(connstr::value(u"A='x;''y';B=2"_s, u"A"_s), u"x;'y"_s);
    QCOMPARE(connstr::value(u"A=\"open;B=2"_s, u"A"_s), u"open;B=2"_s);
    QCOMPARE(connstr::value(u"junk;B=2"_s, u"B"_s), u"2"_s);
    QCOMPARE(connstr::value(u"B=2"_s, u"C"_s), QString());
}

void TestHardening::controlCharactersAreNotStored() {
    TestFolder folder;
    Connection conn;
    openConnection(conn);
    Dataset reg(conn, u"ATab_Typ"_s);
    reg.setTableName(u"Waffentyp"_s);
    reg.open();
    const qlonglong before = folder.value(u"SELECT count(*) FROM Waffentyp"_s).toLongLong();
    for (QChar bad : {QChar(0), QChar(0x0a), QChar(0x1f)}) {
        reg.append();
        reg.setValue(u"WTyp"_s, u"AB"_s + bad + QString(200, u'x'));
        const QString error = dbErrorOf([&] { reg.post(); });
        QVERIFY2(error.contains(u"'WTyp'"_s) && error.contains(u"Steuerzeichen"_s), qPrintable(error));
        reg.cancel();
    }
    QCOMPARE(folder.value(u"SELECT count(*) FROM Waffentyp"_s).toLongLong(), before);
    reg.append();
    reg.setValue(u"WTyp"_s, u"Tab\there"_s);
    reg.post();
    QCOMPARE(folder.value(u"SELECT count(*) FROM Waffentyp"_s).toLongLong(), before + 1);
}

void TestHardening::brokenFilesGiveGermanMessages() {
    TestFolder folder;
    const QString db = folder.databasePath();
    {
        QFile f(db);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    }
    Connection conn;
    QString error = dbErrorOf([&] { openConnection(conn); });
    QVERIFY2(error.contains(u"leer"_s) && error.contains(u"Waffenbuch.mdb"_s), qPrintable(error));
    {
        QFile f(db);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(8192, 'z'));
    }
    error = dbErrorOf([&] { openConnection(conn); });
    QVERIFY2(error.contains(u"keine Datenbank"_s) && error.contains(u"Waffenbuch.mdb"_s), qPrintable(error));
}

void TestHardening::databaseFailuresInGerman() {
    auto expect = [](const QString& error, const QString& what) {
        QVERIFY2(error.contains(what) && error.contains(u"Waffenbuch.mdb"_s), qPrintable(error));
    };
    {
        // Another program holds the file.
        TestFolder folder;
        Connection conn;
        openConnection(conn);
        Dataset types(conn, u"ATab_Typ"_s);
        types.setTableName(u"Waffentyp"_s);
        types.open();
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(folder.databasePath().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        types.append();
        types.setValue(u"WTyp"_s, u"Gesperrt"_s);
        expect(dbErrorOf([&] { types.post(); }), u"gesperrt"_s);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        // Once the other program lets go, the same row can be stored.
        types.post();
        QCOMPARE(folder.value(u"SELECT count(*) FROM Waffentyp WHERE WTyp = 'Gesperrt'"_s).toInt(), 1);
    }
    {
        TestFolder folder;
        folder.sql(uR"(DROP TABLE "Hersteller")"_s);
        Connection conn;
        openConnection(conn);
        Dataset makers(conn, u"ATab_Hersteller"_s);
        makers.setTableName(u"Hersteller"_s);
        expect(dbErrorOf([&] { makers.open(); }), u"fehlt die Tabelle 'Hersteller'"_s);
    }
    {
        // Damaged pages behind an intact header.
        TestFolder folder;
        folder.sql(uR"(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
                        INSERT INTO "Kaufer" ("Name") SELECT 'Partner ' || i FROM n)"_s);
        QFile f(folder.databasePath());
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(4096);
        f.write(QByteArray(int(f.size() - 4096), '\xA5'));
        f.close();
        Connection conn;
        QString error = dbErrorOf([&] {
            openConnection(conn);
            Dataset partners(conn, u"ATab_Kauf"_s);
            partners.setTableName(u"Kaufer"_s);
            partners.open();
        });
        expect(error, u"beschädigt"_s);
    }
    {
        // The disk takes no more: a file-size limit makes every growing write fail.
        TestFolder folder;
        Connection conn;
        openConnection(conn);
        Dataset partners(conn, u"ATab_Kauf"_s);
        partners.setTableName(u"Kaufer"_s);
        partners.open();
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = rlim_t(QFileInfo(folder.databasePath()).size());
        setrlimit(RLIMIT_FSIZE, &small);
        QString error = dbErrorOf([&] {
            for (int i = 0; i < 200; ++i) {
                partners.append();
                partners.setValue(u"Name"_s, QString(40, QChar(u'A' + i % 26)));
                partners.setValue(u"Strasse"_s, QString(40, u'x'));
                partners.post();
            }
        });
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        partners.cancel();
        QVERIFY2(error.contains(u"Ein-/Ausgabefehler"_s) || error.contains(u"voll"_s), qPrintable(error));
        QVERIFY2(error.contains(u"Waffenbuch.mdb"_s), qPrintable(error));
        QCOMPARE(folder.value(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
    }
}

void TestHardening::killedWriterLosesNoCommittedEntry() {
    TestFolder folder;
    QStringList committed;
    try {
        for (int round = 0; round < 5; ++round) {
            QProcess child;
            child.start(QStringLiteral(WB_CRASH_WRITER), {folder.databasePath(), QString::number(round)});
            QVERIFY(child.waitForStarted());
            QTest::qWait(100 + int(QRandomGenerator::global()->bounded(400)));
            child.kill(); // SIGKILL
            QVERIFY(child.waitForFinished());
            const QString out = QString::fromUtf8(child.readAllStandardOutput());
            for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts))
                committed << line;
        }
    } catch (const std::exception& e) {
        QFAIL(e.what());
    }
    QVERIFY(!committed.isEmpty());
    // The program's own read-write connection rolls back what a killed writer left in its journal.
    Connection conn;
    openConnection(conn);
    conn.close();
    QString check;
    QString error = dbErrorOf([&] { check = folder.value(u"PRAGMA integrity_check"_s).toString(); });
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(check, u"ok"_s);
    QStringList stored;
    error = dbErrorOf([&] {
        for (const QVariantList& row : folder.rows(u"SELECT WTyp FROM Waffentyp"_s))
            stored << row.value(0).toString();
    });
    QVERIFY2(error.isEmpty(), qPrintable(error));
    for (const QString& text : committed)
        QVERIFY2(stored.contains(text), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestHardening)
#include "tst_hardening.moc"
