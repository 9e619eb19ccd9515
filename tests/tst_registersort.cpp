#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/RegisterQuery.h"
#include "support/StoreHelpers.h"
#include "support/TestFolder.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A register built to trip an in-memory order: umlauts and case variants, equal names in a
// list, a NULL and an empty list text, keys without list rows, NULL and 0 keys, NULL and empty
// texts, texts equal in their first eight characters, equal and NULL dates.
QString registerSql() {
    QStringList sql;
    sql << u"DELETE FROM \"Vorgang\"; DELETE FROM \"Kaufer\"; DELETE FROM \"Waffentyp\"; "
           "DELETE FROM \"Kaliber\"; DELETE FROM \"Hersteller\"; DELETE FROM \"EWB\"; DELETE FROM \"Amt\";"_s;
    const QStringList names = {u"'Müller, Hans'"_s,
                               u"'MÜLLER, HANS'"_s,
                               u"'Mueller, Hans'"_s,
                               u"'Äpfel'"_s,
                               u"'apfel'"_s,
                               u"'Zürich'"_s,
                               u"NULL"_s,
                               u"''"_s,
                               u"'Ofen'"_s,
                               u"'Österreich'"_s,
                               u"'Müller, Hans'"_s,
                               u"'bär'"_s};
    // List Index 1..12; 50 and 51 are far keys; 0 and 13 have no row.
    QStringList rows;
    for (int i = 0; i < names.size(); ++i)
        rows << u"(%1, %2)"_s.arg(i + 1).arg(names.at(i));
    rows << u"(5000000, 'Ärger')"_s;
    const QString values = rows.join(u", "_s);
    sql << u"INSERT INTO \"Kaufer\" (\"Index\", \"Name\") VALUES %1;"_s.arg(values);
    sql << u"INSERT INTO \"Waffentyp\" (\"Index\", \"WTyp\") VALUES %1;"_s.arg(values);
    sql << u"INSERT INTO \"Kaliber\" (\"Index\", \"Kaliber\") VALUES %1;"_s.arg(values);
    sql << u"INSERT INTO \"Hersteller\" (\"Index\", \"Hersteller\") VALUES %1;"_s.arg(values);
    sql << u"INSERT INTO \"EWB\" (\"Index\", \"EWB\") VALUES %1;"_s.arg(values);
    sql << u"INSERT INTO \"Amt\" (\"Index\", \"Name\") VALUES %1;"_s.arg(values);
    const QStringList texts = {u"NULL"_s,       u"''"_s,           u"'A-100'"_s,       u"'a-100'"_s,
                               u"'Ä-100'"_s,    u"'ABCDEFGH-2'"_s, u"'abcdefgh-10'"_s, u"'ABCDEFGHÜ'"_s,
                               u"'ABCDEFGH'"_s, u"'zz'"_s,         u"'Öl 5'"_s,        u"'ol 5'"_s,
                               u"' x'"_s,       u"'x-1'"_s,        u"'Straße'"_s,      u"'Strasse'"_s};
    const QStringList dates = {u"NULL"_s, u"'2023-03-01'"_s, u"'2021-07-15'"_s, u"'2023-03-01'"_s,
                               u"'1999-12-31'"_s};
    const QList<int> keys = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 13, 5000000, -1 /* NULL */};
    quint32 seed = 7;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % quint32(n));
    };
    auto key = [&] {
        const int k = keys.at(next(int(keys.size())));
        return k < 0 ? u"NULL"_s : QString::number(k);
    };
    QStringList register_;
    // Index out of order on insert, so that storage order and Index order differ.
    for (int i = 0; i < 160; ++i) {
        const int index = (i * 37) % 160 + 1;
        register_ << u"(%1, %2, %3, %4, %5, %6, %7, %8, %9, %10, %11, %12, %13, %14, %15, %16, %17)"_s
                         .arg(index)
                         .arg(dates.at(next(int(dates.size()))), key(), key(), key(),
                              texts.at(next(int(texts.size()))), key(), dates.at(next(int(dates.size()))),
                              key())
                         .arg(key(), texts.at(next(int(texts.size()))), dates.at(next(int(dates.size()))),
                              key(), key(), dates.at(next(int(dates.size()))),
                              dates.at(next(int(dates.size()))), texts.at(next(int(texts.size()))));
    }
    sql << u"INSERT INTO \"Vorgang\" (\"Index\", \"KDatum\", \"Waffentyp\", \"Kaliber\", \"Hersteller\", "
           "\"SerienNr\", \"Verkaufer\", \"VDatum\", \"Kaufer\", \"EWB\", \"EWBNR\", \"JDatum\", \"Amt\", "
           "\"KauferAmt\", \"AmtDatum\", \"BriefDatum\", \"Notiz\") VALUES %1;"_s.arg(
               register_.join(u", "_s));
    return sql.join(u'\n');
}

QString sortText(int position, bool descending) {
    return RegisterQuery::sortQuery(position) + (descending ? u" DESC"_s : QString());
}

// The statement run through SQLite by a dataset that keeps nothing.
QStringList statementResult(Connection& conn, const QString& text) {
    Dataset plain(conn, u"Plain"_s);
    plain.setCommandText(text);
    plain.open();
    QStringList rows;
    for (int r = 0; r < plain.recordCount(); ++r) {
        QStringList cells;
        for (int f = 0; f < int(plain.fieldNames().size()); ++f)
            cells << plain.textAt(r, f);
        rows << cells.join(u'|');
    }
    return rows;
}

QStringList shown(const Dataset& ds) {
    QStringList rows;
    for (int r = 0; r < ds.recordCount(); ++r) {
        QStringList cells;
        for (int f = 0; f < int(ds.fieldNames().size()); ++f)
            cells << ds.textAt(r, f);
        rows << cells.join(u'|');
    }
    return rows;
}

void reopen(Dataset& ds, const QString& text) {
    ds.close();
    ds.setCommandText(text);
    ds.open();
}

struct Fixture {
    // mostlyAscii: the texts of all but a few rows are plain ASCII (as serial numbers are), so
    // that they are ordered row by row rather than by distinct text.
    explicit Fixture(bool mostlyAscii = false) {
        folder.sql(registerSql());
        if (mostlyAscii)
            for (const char* column : {"SerienNr", "EWBNR", "Notiz"})
                folder.sql(
                    u"UPDATE \"Vorgang\" SET \"%1\" = 'x' || (\"Index\" % 7) WHERE \"%1\" GLOB '*[^ -~]*' "
                    "AND \"Index\" % 13 <> 0;"_s.arg(QLatin1String(column)));
        openConnection(conn);
        reg.setInMemoryResort(true);
        reg.setCommandText(RegisterQuery::kWholeRegister);
        reg.open();
    }
    TestFolder folder;
    Connection conn;
    Dataset reg{conn, u"ASet_Vorgang"_s};
};

} // namespace

class TestRegisterSort : public QObject {
    Q_OBJECT
private slots:
    void everyOrderEqualsTheStatement_data();
    void everyOrderEqualsTheStatement();
    void anotherWriterMakesTheStatementRun();
    void ownChangesAreReadAgain_data();
    void ownChangesAreReadAgain();
    void unknownStatementRunsAndKeepsTheRows();
    void reconnectReadsAgain();
};

// All seventeen orders, ascending and descending, in a sequence in which each sort follows
// another sort (also one that left rows out): rows, values, order, current row, statement text.
void TestRegisterSort::everyOrderEqualsTheStatement_data() {
    QTest::addColumn<bool>("mostlyAscii");
    QTest::newRow("many umlauts") << false;
    QTest::newRow("mostly ASCII") << true;
}

void TestRegisterSort::everyOrderEqualsTheStatement() {
    QFETCH(bool, mostlyAscii);
    Fixture f(mostlyAscii);
    if (mostlyAscii)
        QVERIFY(f.folder.value(u"SELECT count(*) FROM Vorgang WHERE SerienNr GLOB '*[^ -~]*'"_s).toInt() > 0);
    const int reads = f.reg.fullReadCount();
    for (bool desc : {false, true}) {
        for (int p = 0; p < RegisterQuery::kSortCount; ++p) {
            const QString text = sortText(p, desc);
            const int before = f.reg.inMemoryOpenCount();
            reopen(f.reg, text);
            QCOMPARE(f.reg.inMemoryOpenCount(), before + 1);
            QCOMPARE(f.reg.commandText(), text);
            const QStringList expected = statementResult(f.conn, text);
            QVERIFY2(expected.size() > 0, qPrintable(text));
            QCOMPARE(shown(f.reg), expected);
            QCOMPARE(f.reg.recNo(), 1);
            // The rows sorted on a list and the whole register alike lead to the next sort.
            reopen(f.reg, sortText((p * 7 + 3) % RegisterQuery::kSortCount, !desc));
        }
    }
    // The whole register, as the return from the results view opens it.
    const int before = f.reg.inMemoryOpenCount();
    reopen(f.reg, RegisterQuery::kWholeRegister);
    QCOMPARE(f.reg.inMemoryOpenCount(), before + 1);
    QCOMPARE(shown(f.reg), statementResult(f.conn, RegisterQuery::kWholeRegister));
    QCOMPARE(f.reg.fullReadCount(), reads);
    // Keys 0, NULL, 13 and those without a row are not shown by a list sort.
    reopen(f.reg, sortText(7, false));
    QVERIFY(f.reg.recordCount() < 160);
    QCOMPARE(f.reg.recordCount(),
             f.folder.value(u"SELECT count(*) FROM Vorgang WHERE Kaufer IN (SELECT \"Index\" FROM Kaufer)"_s)
                 .toInt());
}

void TestRegisterSort::anotherWriterMakesTheStatementRun() {
    Fixture f;
    reopen(f.reg, sortText(6, false));
    f.folder.sql(u"INSERT INTO \"Vorgang\" (\"Index\", \"Verkaufer\", \"SerienNr\") VALUES (500, 4, 'neu');"
                 "UPDATE \"Kaufer\" SET \"Name\" = 'Aaron' WHERE \"Index\" = 9;"_s);
    const int reads = f.reg.fullReadCount();
    const int inMemory = f.reg.inMemoryOpenCount();
    reopen(f.reg, sortText(6, true));
    QCOMPARE(f.reg.fullReadCount(), reads + 1);
    QCOMPARE(f.reg.inMemoryOpenCount(), inMemory);
    QCOMPARE(shown(f.reg), statementResult(f.conn, sortText(6, true)));
    QVERIFY(f.reg.positionOfIndex(500) >= 0);
    // That read left rows out: the next sort runs its statement too, then memory serves again.
    reopen(f.reg, sortText(5, false));
    QCOMPARE(f.reg.fullReadCount(), reads + 2);
    reopen(f.reg, sortText(6, false));
    QCOMPARE(f.reg.inMemoryOpenCount(), inMemory + 1);
    QCOMPARE(shown(f.reg), statementResult(f.conn, sortText(6, false)));
}

void TestRegisterSort::ownChangesAreReadAgain_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("buyer to a tied name") << 7 << false << u"Kaufer"_s << QVariant(11);
    QTest::newRow("buyer to no row") << 7 << false << u"Kaufer"_s << QVariant(13);
    QTest::newRow("type, descending") << 2 << true << u"Waffentyp"_s << QVariant(4);
    QTest::newRow("serial to an umlaut") << 5 << false << u"SerienNr"_s << QVariant(u"Ä-100"_s);
    QTest::newRow("serial to NULL, descending") << 5 << true << u"SerienNr"_s << QVariant();
    QTest::newRow("purchase date") << 1 << false << u"KDatum"_s << QVariant(QDate(2021, 7, 15));
}

// A post while the kept rows are shown lands where a full read puts it, and so does the row the
// next sort reads again; a new entry too.
void TestRegisterSort::ownChangesAreReadAgain() {
    QFETCH(int, position);
    QFETCH(bool, descending);
    QFETCH(QString, column);
    QFETCH(QVariant, value);
    Fixture f;
    reopen(f.reg, sortText(3, false));
    const QString text = sortText(position, descending);
    reopen(f.reg, text);
    QCOMPARE(f.reg.inMemoryOpenCount(), 2);
    const int reads = f.reg.fullReadCount();
    f.reg.setRecNo(f.reg.recordCount() / 2);
    const int index = f.reg.asInteger(u"Index"_s);
    f.reg.edit();
    f.reg.setValue(column, value);
    f.reg.post();
    f.reg.refresh();
    QCOMPARE(f.reg.fullReadCount(), reads); // only the changed row was read again
    QCOMPARE(shown(f.reg), statementResult(f.conn, text));
    if (f.reg.positionOfIndex(index) >= 0)
        QCOMPARE(f.reg.asInteger(u"Index"_s), index);

    f.reg.append();
    f.reg.setValue(column, value);
    f.reg.setValue(u"Notiz"_s, u"neu"_s);
    f.reg.post();
    f.reg.refresh();
    QCOMPARE(shown(f.reg), statementResult(f.conn, text));

    // Both changes reach the rows kept for the next sorts, the whole register included.
    for (const QString& next : {sortText(7, true), sortText(0, false), text}) {
        reopen(f.reg, next);
        QCOMPARE(shown(f.reg), statementResult(f.conn, next));
    }
    QCOMPARE(f.reg.fullReadCount(), reads);
}

// A search runs its statement; the whole register's rows stay kept for the way back.
void TestRegisterSort::unknownStatementRunsAndKeepsTheRows() {
    Fixture f;
    const int reads = f.reg.fullReadCount();
    reopen(f.reg, searchStatement());
    QCOMPARE(f.reg.fullReadCount(), reads + 1);
    QCOMPARE(shown(f.reg), statementResult(f.conn, searchStatement()));
    // A post in the results view reaches the kept rows.
    QVERIFY(f.reg.recordCount() > 0);
    const int index = f.reg.asInteger(u"Index"_s);
    f.reg.edit();
    f.reg.setValue(u"Notiz"_s, u"Ärger"_s);
    f.reg.post();
    reopen(f.reg, sortText(16, false));
    QCOMPARE(f.reg.fullReadCount(), reads + 1);
    QCOMPARE(shown(f.reg), statementResult(f.conn, sortText(16, false)));
    QVERIFY(f.reg.locate(u"Index"_s, index));
    QCOMPARE(f.reg.asString(u"Notiz"_s), u"Ärger"_s);
    // Not one of the sort queries word for word: it runs.
    reopen(f.reg, sortText(16, false) + u";"_s);
    QCOMPARE(f.reg.fullReadCount(), reads + 2);
}

// Rows kept from before a reconnect are never shown: the file may have changed in between, and
// the data version of a new connection says nothing about that.
void TestRegisterSort::reconnectReadsAgain() {
    Fixture f;
    reopen(f.reg, sortText(5, false));
    f.conn.close();
    f.folder.sql(u"UPDATE \"Vorgang\" SET \"SerienNr\" = '0000' WHERE \"Index\" = 1;"_s);
    openConnection(f.conn);
    const int reads = f.reg.fullReadCount();
    f.reg.setCommandText(sortText(5, false));
    f.reg.open();
    QCOMPARE(f.reg.fullReadCount(), reads + 1);
    QCOMPARE(shown(f.reg), statementResult(f.conn, sortText(5, false)));
    QCOMPARE(f.reg.valueAt(f.reg.positionOfIndex(1), f.reg.fieldIndex(u"SerienNr"_s)).toString(), u"0000"_s);
}

QTEST_GUILESS_MAIN(TestRegisterSort)
#include "tst_registersort.moc"
