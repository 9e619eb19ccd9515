#include "common/Konst.h"
#include "store/RestorePoint.h"
#include "store/TDatMod.h"
#include "support/StoreHelpers.h"
#include "support/TestFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSet>
#include <QSysInfo>
#include <QTest>
#include <csignal>
#include <cstring>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kBak = u"Archiv/Waffenbuch.BAK"_s;
const QString kKept = u"Archiv/Waffenbuch.vor-Wiederherstellung.BAK"_s;

void insertEntries(const TestFolder& f, int first, int count) {
    f.sql(uR"(WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < %2)
              INSERT INTO "Vorgang" ("Index", "SerienNr", "Kaufer") SELECT i, 'SN' || i, 1 FROM n)"_s
              .arg(first)
              .arg(first + count - 1));
}

// Read through a connection of its own, as another program would look at the file.
QString integrity(const TestFolder& f) {
    return f.value(u"PRAGMA integrity_check"_s).toString();
}

qlonglong countIn(const QString& path) {
    sqlite3* db = nullptr;
    qlonglong n = -1;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM \"Vorgang\"", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return n;
}

qlonglong entries(const TestFolder& f) {
    return f.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toLongLong();
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Temporary files still beside the database or in Archiv.
QStringList leftovers(const TestFolder& f) {
    QStringList names;
    for (const QString& folder : {f.path(), f.file(u"Archiv"_s)})
        for (const QString& name : QDir(folder).entryList({u"*.neu"_s}, QDir::Files))
            names << name;
    return names;
}

bool isRoot() {
    return ::geteuid() == 0;
}

} // namespace

class TestRestorePoint : public QObject {
    Q_OBJECT
private slots:
    void makeWritesACheckedCompleteCopy();
    void makeFailsWithoutTouchingThePreviousOne();
    void makeCopiesOneCommittedStateWhileAnotherProgramWrites();
    void restoreReplacesAndKeepsTheReplacedFile();
    void damagedRestorePointIsRefused_data();
    void damagedRestorePointIsRefused();
    void restoreRefusedWhileAnotherConnectionWrites();
    void copyDatabaseFileContract();
    void secondInstanceIsRefusedAndStaleLocksTakenOver();
    void killedAtEveryStep_data();
    void killedAtEveryStep();
    void fullDiskLeavesBothFilesWhole_data();
    void fullDiskLeavesBothFilesWhole();
};

void TestRestorePoint::makeWritesACheckedCompleteCopy() {
    TestFolder f;
    insertEntries(f, 1, 50);
    QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
    QVERIFY(RestorePoint::check(f.file(kBak), databasePassword()));
    QVERIFY(!QFile::exists(f.file(kBak + u".neu"_s)));
    // Two in a row: the second replaces the first.
    insertEntries(f, 51, 25);
    QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
    QCOMPARE(countIn(f.file(kBak)), 75);
    QVERIFY(!RestorePoint::check(f.file(kBak), u"anderes Kennwort"_s));
    // Set to a write-ahead log by another program, whose last commit is still in the log only.
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(f.databasePath()).constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "PRAGMA journal_mode = WAL; INSERT INTO \"Vorgang\" (\"Kaufer\") VALUES (1)",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    QVERIFY(QFileInfo(f.databasePath() + u"-wal"_s).size() > 0);
    QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
    sqlite3_close(other);
    QCOMPARE(countIn(f.file(kBak)), 76);
}

void TestRestorePoint::makeFailsWithoutTouchingThePreviousOne() {
    TestFolder f;
    QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
    const QByteArray before = contents(f.file(kBak));
    // Source missing: the previous restore point stays.
    QVERIFY(!RestorePoint::make(f.file(u"fehlt.mdb"_s), f.file(kBak)));
    QCOMPARE(contents(f.file(kBak)), before);
    // A source that is no database.
    writeFile(f.file(u"kaputt.mdb"_s), QByteArray(8192, 'x'));
    QVERIFY(!RestorePoint::make(f.file(u"kaputt.mdb"_s), f.file(kBak)));
    QCOMPARE(contents(f.file(kBak)), before);
    // Archiv missing.
    QVERIFY(QDir(f.file(u"Archiv"_s)).removeRecursively());
    QVERIFY(!RestorePoint::make(f.databasePath(), f.file(kBak)));
    QVERIFY(!QFile::exists(f.file(u"Archiv"_s)));
    if (!isRoot()) {
        // A read-only Archiv.
        QDir().mkdir(f.file(u"Archiv"_s));
        QFile::setPermissions(f.file(u"Archiv"_s), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QVERIFY(!RestorePoint::make(f.databasePath(), f.file(kBak)));
        QFile::setPermissions(f.file(u"Archiv"_s),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QCOMPARE(integrity(f), u"ok"_s);
}

// A child commits in a loop (new entries at the end, changed notes all over the file); every
// restore point taken meanwhile holds whole commits only.
void TestRestorePoint::makeCopiesOneCommittedStateWhileAnotherProgramWrites() {
    TestFolder f;
    insertEntries(f, 1, 3000);
    QProcess writer;
    writer.start(QCoreApplication::applicationFilePath(), {u"--write-loop"_s, f.databasePath()});
    QVERIFY(writer.waitForReadyRead(10000));
    QSet<qlonglong> seen;
    for (int round = 0; round < 20; ++round) {
        QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
        QVERIFY(RestorePoint::check(f.file(kBak), databasePassword()));
        const qlonglong n = countIn(f.file(kBak));
        QVERIFY2(n % 100 == 0, qPrintable(QString::number(n)));
        seen.insert(n);
    }
    writer.kill();
    writer.waitForFinished();
    QVERIFY(seen.size() > 1); // the copies did overlap the commits
}

void TestRestorePoint::restoreReplacesAndKeepsTheReplacedFile() {
    TestFolder f;
    insertEntries(f, 1, 10);
    QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
    insertEntries(f, 11, 5);
    const QByteArray replaced = contents(f.databasePath());
    QVERIFY(RestorePoint::restore(f.file(kBak), f.databasePath(), f.file(kKept), databasePassword()));
    QCOMPARE(entries(f), 10);
    QCOMPARE(integrity(f), u"ok"_s);
    QCOMPARE(contents(f.file(kKept)), replaced);
    // Again: the file kept before is replaced, and no temporary file is left behind.
    insertEntries(f, 11, 1);
    const QByteArray replacedAgain = contents(f.databasePath());
    QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
    QVERIFY(RestorePoint::restore(f.file(kBak), f.databasePath(), f.file(kKept), databasePassword()));
    QCOMPARE(entries(f), 11);
    QCOMPARE(contents(f.file(kKept)), replacedAgain);
    QCOMPARE(leftovers(f), QStringList());
}

void TestRestorePoint::damagedRestorePointIsRefused_data() {
    QTest::addColumn<QString>("damage");
    for (const char* d : {"flipped", "truncated", "empty", "text", "no tables", "password"})
        QTest::newRow(d) << QString::fromLatin1(d);
}

void TestRestorePoint::damagedRestorePointIsRefused() {
    QFETCH(QString, damage);
    TestFolder f;
    insertEntries(f, 1, 3000);
    QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
    insertEntries(f, 3001, 1);
    QByteArray bak = contents(f.file(kBak));
    if (damage == u"flipped"_s) {
        // Past the header, in the pages of the register.
        for (qsizetype i = bak.size() / 2; i < bak.size() / 2 + 64; ++i)
            bak[i] = char(~bak[i]);
    } else if (damage == u"truncated"_s) {
        bak.truncate(bak.size() / 2);
    } else if (damage == u"empty"_s) {
        bak.clear();
    } else if (damage == u"text"_s) {
        bak = "Dies ist keine Datenbank.\n";
    }
    writeFile(f.file(kBak), bak);
    if (damage == u"no tables"_s) {
        TestFolder other;
        other.sql(uR"(DROP TABLE "Land")"_s);
        QFile::remove(f.file(kBak));
        QVERIFY(QFile::copy(other.databasePath(), f.file(kBak)));
    }
    const QString password = damage == u"password"_s ? u"falsch"_s : databasePassword();
    const QByteArray before = contents(f.databasePath());
    QVERIFY(!RestorePoint::restore(f.file(kBak), f.databasePath(), f.file(kKept), password));
    QCOMPARE(contents(f.databasePath()), before);
    QCOMPARE(integrity(f), u"ok"_s);
    QCOMPARE(entries(f), 3001);
    QVERIFY(!QFile::exists(f.file(kKept)));
    QVERIFY(!QFile::exists(f.databasePath() + u".neu"_s)); // the copy made during the check
}

void TestRestorePoint::restoreRefusedWhileAnotherConnectionWrites() {
    TestFolder f;
    QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
    writeFile(f.databasePath() + u"-journal"_s, QByteArray(512, '\0'));
    QVERIFY(!RestorePoint::restore(f.file(kBak), f.databasePath(), f.file(kKept), databasePassword()));
    QVERIFY(!QFile::exists(f.file(kKept)));
}

void TestRestorePoint::copyDatabaseFileContract() {
    TestFolder f;
    writeFile(f.file(u"ziel.mdb"_s), "alt");
    QVERIFY(!Konst::CopyDatabaseFile(f.file(u"fehlt.mdb"_s), f.file(u"ziel.mdb"_s)));
    QCOMPARE(contents(f.file(u"ziel.mdb"_s)), QByteArray("alt"));
    QVERIFY(!Konst::CopyDatabaseFile(f.databasePath(), f.file(u"fehlt/ziel.mdb"_s)));
    QVERIFY(Konst::CopyDatabaseFile(f.databasePath(), f.file(u"ziel.mdb"_s)));
    QCOMPARE(contents(f.file(u"ziel.mdb"_s)), contents(f.databasePath()));
}

void TestRestorePoint::secondInstanceIsRefusedAndStaleLocksTakenOver() {
    TestFolder f;
    const QString path = InstanceLock::lockPath(f.databasePath());
    {
        QLockFile first(path);
        QVERIFY(InstanceLock::acquire(first).isEmpty());
        QVERIFY(InstanceLock::acquire(first).isEmpty()); // ours already
        // A second copy of the program is a second process; a child holds the lock here.
        first.unlock();
    }
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {u"--hold-lock"_s, path});
    QVERIFY(holder.waitForReadyRead(10000));
    QLockFile second(path);
    const QString message = InstanceLock::acquire(second);
    QVERIFY2(message.contains(QString::number(holder.processId())), qPrintable(message));
    QVERIFY(message.contains(QSysInfo::machineHostName()));
    QVERIFY(!second.isLocked());
    holder.kill(); // dies holding it: the lock is stale now
    holder.waitForFinished();
    QVERIFY(InstanceLock::acquire(second).isEmpty());
    QVERIFY(second.isLocked());
}

void TestRestorePoint::killedAtEveryStep_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("step");
    for (const char* s : {"begin", "copied", "checked", "renamed"})
        QTest::addRow("make at %s", s) << u"make"_s << QString::fromLatin1(s);
    for (const char* s : {"begin", "checked", "copy-written", "kept", "restored"})
        QTest::addRow("restore at %s", s) << u"restore"_s << QString::fromLatin1(s);
}

// The work runs in a child that is killed when it reaches the step; afterwards the database and
// the restore point are each whole: the old one or the new one.
void TestRestorePoint::killedAtEveryStep() {
    QFETCH(QString, operation);
    QFETCH(QString, step);
    TestFolder f;
    insertEntries(f, 1, 2000);
    QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
    insertEntries(f, 2001, 500);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {u"--kill-at"_s, step, operation, f.databasePath(), f.file(kBak), f.file(kKept)});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit); // it did reach the step
    QCOMPARE(integrity(f), u"ok"_s);
    const qlonglong n = entries(f);
    QVERIFY2(n == 2000 || n == 2500, qPrintable(QString::number(n)));
    if (operation == u"make"_s)
        QCOMPARE(n, 2500);
    QVERIFY(RestorePoint::check(f.file(kBak), databasePassword()));
    // The next restore point and restore clear what the killed one left behind.
    QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
    QVERIFY(RestorePoint::restore(f.file(kBak), f.databasePath(), f.file(kKept), databasePassword()));
    QVERIFY2(leftovers(f).isEmpty(), qPrintable(leftovers(f).join(u", "_s)));
    QCOMPARE(entries(f), n);
}

void TestRestorePoint::fullDiskLeavesBothFilesWhole_data() {
    QTest::addColumn<QString>("operation");
    QTest::newRow("make") << u"make"_s;
    QTest::newRow("restore") << u"restore"_s;
}

// A file-size limit below the database's size stands in for a full disk.
void TestRestorePoint::fullDiskLeavesBothFilesWhole() {
    QFETCH(QString, operation);
    TestFolder f;
    insertEntries(f, 1, 3000);
    QVERIFY(RestorePoint::make(f.databasePath(), f.file(kBak)));
    insertEntries(f, 3001, 3000);
    const QByteArray bak = contents(f.file(kBak));
    const QByteArray db = contents(f.databasePath());
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {u"--size-limit"_s, QString::number(bak.size() / 2), operation, f.databasePath(),
                 f.file(kBak), f.file(kKept)});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 1); // the work reported failure
    QCOMPARE(contents(f.databasePath()), db);
    QCOMPARE(contents(f.file(kBak)), bak);
    QCOMPARE(integrity(f), u"ok"_s);
    QCOMPARE(entries(f), 6000);
}

namespace {

// Child modes of this executable, for the tests that end or limit a process.
int runChild(const QStringList& args) {
    if (args.value(1) == u"--hold-lock"_s) {
        QLockFile lock(args.value(2));
        if (!InstanceLock::acquire(lock).isEmpty())
            return 2;
        ::write(STDOUT_FILENO, "locked\n", 7);
        ::pause();
        return 0;
    }
    if (args.value(1) == u"--write-loop"_s) {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(args.value(2)).constData(), &db, SQLITE_OPEN_READWRITE,
                            nullptr) != SQLITE_OK)
            return 2;
        sqlite3_busy_timeout(db, 10000);
        sqlite3_exec(db, "PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
        for (int commit = 0;; ++commit) {
            const QByteArray sql = QStringLiteral(R"(BEGIN IMMEDIATE;
                    WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100)
                    INSERT INTO "Vorgang" ("SerienNr", "Kaufer") SELECT 'W' || i, 1 FROM n;
                    UPDATE "Vorgang" SET "Notiz" = substr('%1', 1, %2) WHERE "Index" % 7 = %3;
                    COMMIT)")
                                       .arg(QString(100, u'n'))
                                       .arg(commit % 90 + 1)
                                       .arg(commit % 7)
                                       .toUtf8();
            if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
                return 3;
            if (commit == 0)
                ::write(STDOUT_FILENO, "writing\n", 8);
        }
    }
    const QString mode = args.value(1);
    const QString argument = args.value(2);
    const QString operation = args.value(3);
    const QString database = args.value(4), bak = args.value(5), kept = args.value(6);
    if (mode == u"--kill-at"_s) {
        const QByteArray step = argument.toLatin1();
        RestorePoint::stepHook = [step](const char* reached) {
            if (step == reached)
                ::kill(::getpid(), SIGKILL);
        };
    } else {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(argument.toLongLong()), rlim_t(argument.toLongLong())};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    const bool ok = operation == u"make"_s ? RestorePoint::make(database, bak)
                                           : RestorePoint::restore(bak, database, kept, databasePassword());
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--kill-at") == 0 || std::strcmp(argv[1], "--size-limit") == 0 ||
                     std::strcmp(argv[1], "--hold-lock") == 0 || std::strcmp(argv[1], "--write-loop") == 0)) {
        QCoreApplication app(argc, argv);
        return runChild(app.arguments());
    }
    QCoreApplication app(argc, argv);
    TestRestorePoint t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_restorepoint.moc"
