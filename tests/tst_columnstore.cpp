// The typed column storage of a dataset, on statements of an in-memory database.
#include "store/ColumnStore.h"
#include "store/IndexMap.h"

#include <QDate>
#include <QTest>
#include <memory>
#include <sqlite3.h>

namespace {

struct Db {
    sqlite3* db = nullptr;
    Db() {
        sqlite3_open(":memory:", &db);
        exec("CREATE TABLE t (\"Index\" INTEGER, Name TEXT, Datum DATE, Aktiv BOOLEAN, Anzahl INTEGER)");
    }
    ~Db() { sqlite3_close(db); }
    void exec(const char* sql) { QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK); }
    // A statement over t in the order of its Index.
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> select(const char* sql = nullptr) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql ? sql : "SELECT * FROM t ORDER BY \"Index\"", -1, &st, nullptr);
        return {st, sqlite3_finalize};
    }
};

// All rows of t in a fresh store.
ColumnStore readAll(Db& d) {
    ColumnStore store;
    auto st = d.select();
    store.setup(st.get());
    while (sqlite3_step(st.get()) == SQLITE_ROW)
        store.appendRow(st.get());
    return store;
}

} // namespace

class TestColumnStore : public QObject {
    Q_OBJECT
private slots:
    // Declared types decide the kind; each kind reads back as the value it stored, NULL as an
    // invalid QVariant, and a date column holding no date as empty (and marked unreadable).
    void kindsAndValues() {
        Db d;
        d.exec("INSERT INTO t VALUES (1, 'Müller', '2024-02-29', 1, -7),"
               " (2, NULL, NULL, NULL, NULL),"
               " (3, '', '2023-02-29', 0, 2147483647),"
               " (4, 'x', '2001-01-02 10:11:12', 0, 0)");
        const ColumnStore s = readAll(d);
        QCOMPARE(s.columnCount(), 5);
        QCOMPARE(s.rowCount(), 4);
        QCOMPARE(s.column(0).kind, ColumnStore::Kind::Integer);
        QCOMPARE(s.column(1).kind, ColumnStore::Kind::Text);
        QCOMPARE(s.column(2).kind, ColumnStore::Kind::Date);
        QCOMPARE(s.column(3).kind, ColumnStore::Kind::Boolean);
        QCOMPARE(s.value(0, 1), QVariant(QStringLiteral("Müller")));
        QCOMPARE(s.value(0, 2), QVariant(QDate(2024, 2, 29)));
        QCOMPARE(s.value(0, 3), QVariant(true));
        QCOMPARE(s.value(0, 4), QVariant(-7));
        QCOMPARE(s.value(2, 4), QVariant(2147483647));
        QCOMPARE(s.value(3, 2), QVariant(QDate(2001, 1, 2)));
        for (int f = 1; f < 5; ++f) {
            QVERIFY(s.isNull(1, f));
            QVERIFY(!s.value(1, f).isValid());
        }
        // An empty text is a text, not NULL.
        QVERIFY(!s.isNull(2, 1));
        QCOMPARE(s.value(2, 1), QVariant(QString()));
        QVERIFY(s.value(2, 1).isValid());
        // 29 February of a year that has none.
        QVERIFY(s.isNull(2, 2));
        QVERIFY(s.column(2).unreadable);
        QVERIFY(!s.column(1).unreadable);
    }

    // A row read again: NULL leaves no trace of the earlier value, a shorter statement keeps the
    // rest; a dropped row is gone while the others keep their texts.
    void rowsReadAgainAndDropped() {
        Db d;
        d.exec("INSERT INTO t VALUES (1, 'Alt', '2020-05-06', 1, 5)");
        ColumnStore s = readAll(d);
        d.exec("UPDATE t SET Name = NULL, Datum = NULL, Anzahl = NULL");
        auto again = d.select();
        QCOMPARE(sqlite3_step(again.get()), SQLITE_ROW);
        s.fillRow(again.get(), 0);
        QVERIFY(s.isNull(0, 1));
        QCOMPARE(s.text(0, 1), QString());
        QVERIFY(!s.textEquals(0, 1, "Alt"));
        QVERIFY(s.isNull(0, 2));
        QCOMPARE(s.number(0, 4), 0);

        auto two = d.select("SELECT 9, 'Neu'");
        QCOMPARE(sqlite3_step(two.get()), SQLITE_ROW);
        s.fillRow(two.get(), 0);
        QCOMPARE(s.value(0, 0), QVariant(9));
        QCOMPARE(s.value(0, 1), QVariant(QStringLiteral("Neu")));
        QCOMPARE(s.value(0, 3), QVariant(true)); // not in the statement: kept

        const int added = s.addRow();
        QCOMPARE(added, 1);
        QCOMPARE(s.rowCount(), 2);
        QVERIFY(s.isNull(added, 1));
        s.dropLastRow();
        QCOMPARE(s.rowCount(), 1);
        QVERIFY(s.textEquals(0, 1, "Neu"));
    }

    // Empty cells first, texts in German order regardless of case, numbers and dates by value.
    void comparesAsTheQueryOrders() {
        Db d;
        d.exec("INSERT INTO t VALUES (1, 'Zander', '2020-01-01', 0, 10), (2, 'äpfel', '1999-12-31', 1, -3),"
               " (3, NULL, NULL, NULL, NULL), (4, 'Apfel', '2020-01-01', 0, 2), (5, 'apfel', NULL, 1, 10)");
        const ColumnStore s = readAll(d);
        const int name = 1, date = 2, count = 4;
        QVERIFY(s.compare(name, 2, 0) < 0);  // NULL before any text
        QVERIFY(s.compare(name, 3, 0) < 0);  // Apfel < Zander
        QVERIFY(s.compare(name, 1, 0) < 0);  // äpfel < Zander
        QCOMPARE(s.compare(name, 3, 4), 0);  // case is no difference
        QCOMPARE(s.compare(name, 2, 2), 0);  // NULL equals NULL
        QVERIFY(s.compare(count, 1, 3) < 0); // -3 < 2
        QCOMPARE(s.compare(count, 0, 4), 0);
        QVERIFY(s.compare(date, 1, 0) < 0);
        QVERIFY(s.compare(date, 4, 1) < 0); // empty date first
        QCOMPARE(s.compare(date, 0, 3), 0);
    }

    // Set up again for the same statement the store starts empty (its memory kept), for another
    // one it takes that statement's columns; nothing of the earlier rows shows through.
    void setUpAgain() {
        Db d;
        d.exec("INSERT INTO t VALUES (1, 'Erster', '2020-02-30', 1, 5)");
        ColumnStore s = readAll(d);
        QVERIFY(s.column(2).unreadable);
        d.exec("UPDATE t SET Name = 'Zweiter', Datum = '2020-03-01'");
        auto again = d.select();
        s.setup(again.get());
        QCOMPARE(s.rowCount(), 0);
        QVERIFY(!s.column(2).unreadable);
        QCOMPARE(sqlite3_step(again.get()), SQLITE_ROW);
        const int r = s.appendRow(again.get());
        QCOMPARE(s.value(r, 1), QVariant(QStringLiteral("Zweiter")));
        QCOMPARE(s.value(r, 2), QVariant(QDate(2020, 3, 1)));

        auto other = d.select("SELECT Name AS Anzahl FROM t");
        s.setup(other.get());
        QCOMPARE(s.columnCount(), 1);
        QCOMPARE(s.column(0).kind, ColumnStore::Kind::Text);
        QCOMPARE(s.rowCount(), 0);

        // Retired, the store has no columns; set up for the same statement it gets their memory
        // back. Cleared, or set up for another statement, it starts afresh.
        ColumnStore k = readAll(d);
        k.reserve(1000);
        k.retire();
        QCOMPARE(k.columnCount(), 0);
        auto same = d.select();
        k.setup(same.get());
        QCOMPARE(k.columnCount(), 5);
        QCOMPARE(k.rowCount(), 0);
        QVERIFY(k.column(0).ints.capacity() >= 1000);
        // Asked for more text than a reused arena holds, it gets that room, not twice its old one.
        const QHash<QString, std::size_t> names{{QStringLiteral("Name"), 1000}};
        k.reserve(1, names);
        const std::size_t room = k.column(1).arena.capacity();
        k.retire();
        auto sameAgain = d.select();
        k.setup(sameAgain.get());
        k.reserve(1, {{QStringLiteral("Name"), 1500}});
        QVERIFY(k.column(1).arena.capacity() >= 1500);
        QVERIFY(k.column(1).arena.capacity() < 2 * room);
        k.retire();
        auto fewer = d.select("SELECT \"Index\" FROM t");
        k.setup(fewer.get());
        QCOMPARE(k.columnCount(), 1);
        QVERIFY(k.column(0).ints.capacity() < 1000);
        k.reserve(1000);
        k.clear();
        auto sameAfterClear = d.select("SELECT \"Index\" FROM t");
        k.setup(sameAfterClear.get());
        QVERIFY(k.column(0).ints.capacity() < 1000);
    }

    void findsColumnsByNameWithinTheVisibleOnes() {
        Db d;
        ColumnStore s;
        auto st = d.select("SELECT \"Index\", Name, Name AS Hidden FROM t");
        s.setup(st.get());
        QCOMPARE(s.find(QStringLiteral("name"), 3), 1);
        QCOMPARE(s.find(QStringLiteral("INDEX"), 3), 0);
        QCOMPARE(s.find(QStringLiteral("Hidden"), 2), -1);
        QCOMPARE(s.find(QStringLiteral("Hidden"), 3), 2);
        QCOMPARE(s.find(QStringLiteral("Nichts"), 3), -1);
    }

    // The rows of an Index: a dense range and keys far from it, a later row winning, new keys at
    // the end of the range, removal, and a key that was far before the range reached it.
    void indexMap() {
        // Rows 0..5 with keys 1, 2, 3, 2 (a second row for 2), none, 1000000.
        const std::vector<int> rows{0, 1, 2, 3, 4, 5};
        const qint32 keys[] = {1, 2, 3, 2, 0, 1000000};
        IndexMap m;
        m.assign(rows, [&](int r, qint32& k) {
            k = keys[r];
            return r != 4;
        });
        QCOMPARE(m.value(1), 0);
        QCOMPARE(m.value(2), 3);
        QCOMPARE(m.value(3), 2);
        QCOMPARE(m.value(1000000), 5);
        QCOMPARE(m.value(0), -1);
        QCOMPARE(m.value(-5), -1);
        QCOMPARE(m.value(4), -1);
        m.insert(4, 6); // the next Index
        m.insert(6, 7); // beyond the end: kept aside
        m.insert(5, 8); // the range reaches 6 only by its own insert
        QCOMPARE(m.value(4), 6);
        QCOMPARE(m.value(5), 8);
        QCOMPARE(m.value(6), 7);
        m.insert(6, 9);
        QCOMPARE(m.value(6), 9);
        m.remove(6);
        m.remove(1000000);
        m.remove(2);
        QVERIFY(!m.contains(6));
        QVERIFY(!m.contains(1000000));
        QVERIFY(!m.contains(2));
        QVERIFY(m.contains(3));
        m.insert(-7, 10);
        QCOMPARE(m.value(-7), 10);
        m.clear();
        QVERIFY(!m.contains(3));
        m.insert(3, 1);
        QCOMPARE(m.value(3), 1);
    }

    void parsesOnlyRealIsoDates() {
        auto parse = [](const char* s) { return ColumnStore::parseIsoDate(s, int(qstrlen(s))); };
        QCOMPARE(parse("2024-02-29"), qint32(QDate(2024, 2, 29).toJulianDay()));
        QCOMPARE(parse("1899-12-30"), qint32(QDate(1899, 12, 30).toJulianDay()));
        QCOMPARE(parse("0001-01-01"), qint32(QDate(1, 1, 1).toJulianDay()));
        QCOMPARE(parse("2023-02-29"), 0);
        QCOMPARE(parse("2024-13-01"), 0);
        QCOMPARE(parse("24-02-2024"), 0);
        QCOMPARE(parse("2024-2-29"), 0);
        QCOMPARE(parse("2024-02-2x"), 0);
        QCOMPARE(parse(""), 0);
        QCOMPARE(ColumnStore::parseIsoDate(nullptr, 10), 0);
    }
};

QTEST_GUILESS_MAIN(TestColumnStore)
#include "tst_columnstore.moc"
