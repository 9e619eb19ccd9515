#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/DatasetModel.h"
#include "store/RegisterQuery.h"
#include "store/Schema.h"
#include "support/StoreHelpers.h"
#include "support/TestFolder.h"

#include <QSignalSpy>
#include <QTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Lists and six register rows whose keys all match a list row, with ties in several sort keys
// ('A-100'/'a-100', equal purchase dates, equal types, partners equal but for case).
void fillRegister(const TestFolder& f) {
    f.sql(uR"(
INSERT INTO "Waffentyp" ("Index", "WTyp") VALUES (1, 'Büchse'), (2, 'Flinte'), (3, 'Revolver'), (4, 'Pistole');
INSERT INTO "Kaliber" ("Index", "Kaliber") VALUES (1, '.308 Win'), (2, '12/70'), (3, '9 mm Luger');
INSERT INTO "Hersteller" ("Index", "Hersteller") VALUES (1, 'Zeiss'), (2, 'Ärzte-Waffen'), (3, 'Blaser');
INSERT INTO "Kaufer" ("Index", "Name", "Geschlecht", "EWB", "EWBAmt", "KAmt") VALUES
    (2, 'Zürich Jagd', 2, 1, 1, 1), (3, 'Bär, Anna', 1, 2, 2, 2), (4, 'Äpfel, Otto', 2, 1, 1, 1),
    (5, 'ÄPFEL, OTTO', 2, 1, 1, 1), (6, 'Ofen GmbH', 1, 3, 3, 3);
INSERT INTO "Amt" ("Index", "Name") VALUES (2, 'Landratsamt Ölberg'), (3, 'Ordnungsamt Aachen');
INSERT INTO "Vorgang" ("Index", "KDatum", "Waffentyp", "Kaliber", "Hersteller", "SerienNr", "Verkaufer",
    "VDatum", "Kaufer", "EWB", "EWBNR", "JDatum", "Amt", "KauferAmt", "AmtDatum", "BriefDatum", "Notiz") VALUES
    (1, '2023-03-01', 2, 1, 2, 'A-100', 2, NULL, 1, 1, NULL, NULL, 1, 1, NULL, NULL, 'erste'),
    (2, '2022-12-24', 1, 2, 1, 'b-200', 3, '2023-01-05', 4, 2, 'WBK 17', '2024-03-31', 2, 3, '2020-06-01',
        '2023-01-10', 'Zweite'),
    (3, '2023-03-01', 3, 1, 3, 'Ä-300', 2, NULL, 1, 1, NULL, NULL, 1, 1, NULL, NULL, NULL),
    (4, '2021-07-15', 2, 3, 1, 'a-100', 5, '2021-08-01', 6, 3, 'JS 1', '2025-01-01', 3, 2, '2019-01-01', NULL,
        'äpfel'),
    (5, NULL, 4, 2, 2, 'Z-9', 6, NULL, 1, 1, NULL, NULL, 1, 1, NULL, NULL, 'Apfel'),
    (6, '2020-01-01', 1, 3, 3, 'ö-5', 4, '2020-02-02', 3, 2, 'WBK 3', NULL, 2, 2, '2018-05-05', '2020-02-10', 'Bär');
)"_s);
}

// Every row of a dataset as one line, in dataset order.
QStringList dump(const Dataset& ds) {
    QStringList rows;
    const int fields = int(ds.fieldNames().size());
    for (int r = 0; r < ds.recordCount(); ++r) {
        QStringList cells;
        for (int f = 0; f < fields; ++f) {
            const QVariant v = ds.valueAt(r, f);
            cells << (v.isNull() || !v.isValid() ? QStringLiteral("NULL") : v.toString());
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// Whether a fixture's folder holds the register of fillRegister or an empty one.
enum class Register { Filled, Empty };

// A test folder with its register, `moreSql` run on it afterwards, and a connection open on it.
struct StoreFixture {
    explicit StoreFixture(const QString& moreSql = QString(), Register rows = Register::Filled) {
        if (rows == Register::Filled)
            fillRegister(folder);
        if (!moreSql.isEmpty())
            folder.sql(moreSql);
        openConnection(conn);
    }

    TestFolder folder;
    Connection conn;
};

// The filled register, and the register dataset ASet_Vorgang open on `commandText`.
struct RegisterFixture : StoreFixture {
    explicit RegisterFixture(const QString& commandText = RegisterQuery::kWholeRegister,
                             const QString& moreSql = QString())
        : StoreFixture(moreSql) {
        reg.setCommandText(commandText);
        reg.open();
    }

    Dataset reg{conn, u"ASet_Vorgang"_s};
};

} // namespace

class TestDataset : public QObject {
    Q_OBJECT
private slots:
    void openByTableAndQuery();
    void transactionCommitsOrRollsBack();
    void sortQueries_data();
    void sortQueries();
    void navigation();
    void emptyDataset();
    void locate_data();
    void locate();
    void typedReads();
    void appendPostStoresIsoDates();
    void editPost();
    void cancel();
    void overlongTextRefused_data();
    void overlongTextRefused();
    void lookupFields();
    void lookupCutToDisplaySize();
    void clientSort();
    void refreshKeepsCurrentRow();
    void partialRefreshEqualsFullRead_data();
    void partialRefreshEqualsFullRead();
    void refreshAfterProgramWritesElsewhere();
    void refreshAfterForeignWrite();
    void optimisticConflict_data();
    void optimisticConflict();
    void disableControls();
    void closedDataset();
    void refusedQuery_data();
    void refusedQuery();
    void missingDeclaredColumn_data();
    void missingDeclaredColumn();
    void modelFollowsDataset();
};

void TestDataset::openByTableAndQuery() {
    StoreFixture f;

    Dataset kauf(f.conn, u"ATab_Kauf"_s);
    kauf.setTableName(u"Kaufer"_s);
    kauf.open();
    QCOMPARE(kauf.state(), Dataset::State::Browse);
    QCOMPARE(kauf.recordCount(), 6);
    QStringList names;
    for (const schema::Column& c : schema::columns(u"Kaufer"_s))
        names << c.name;
    QCOMPARE(kauf.fieldNames(), names);
    QCOMPARE(kauf.asString(u"Name"_s), u"(nicht verkauft)"_s);

    Dataset reg(f.conn, u"ASet_Vorgang"_s);
    reg.setCommandText(RegisterQuery::kWholeRegister);
    reg.open();
    QCOMPARE(reg.recordCount(), 6);
    QCOMPARE(reg.fieldNames().size(), 17);
    QCOMPARE(column(reg, u"Index"_s), (QStringList{"1", "2", "3", "4", "5", "6"}));

    // Land has no Index: still readable.
    Dataset land(f.conn, u"ATab_Land"_s);
    land.setTableName(u"Land"_s);
    land.open();
    QCOMPARE(QString::number(land.recordCount()),
             f.folder.value(uR"(SELECT count(*) FROM "Land")"_s).toString());
    QVERIFY(land.locate(u"Land"_s, u"Österreich"_s));
}

void TestDataset::sortQueries_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("sortColumn"); // register column, or lookup field for joined orders
    QTest::addColumn<QStringList>("indexes");
    // Ties keep Index order.
    QTest::newRow("0 Index") << 0 << "Index" << QStringList{"1", "2", "3", "4", "5", "6"};
    QTest::newRow("1 KDatum") << 1 << "KDatum" << QStringList{"5", "6", "4", "2", "1", "3"};
    QTest::newRow("2 Waffentyp") << 2 << "ViewWaffentyp" << QStringList{"2", "6", "1", "4", "5", "3"};
    QTest::newRow("4 Hersteller") << 4 << "ViewHersteller" << QStringList{"1", "5", "3", "6", "2", "4"};
    QTest::newRow("5 SerienNr") << 5 << "SerienNr" << QStringList{"1", "4", "3", "2", "6", "5"};
    QTest::newRow("7 Kaufer") << 7 << "ViewKaufer" << QStringList{"1", "3", "5", "2", "6", "4"};
    QTest::newRow("12 Amt") << 12 << "ViewAmt" << QStringList{"1", "3", "5", "2", "6", "4"};
    QTest::newRow("16 Notiz") << 16 << "Notiz" << QStringList{"3", "5", "4", "6", "1", "2"};
}

void TestDataset::sortQueries() {
    QFETCH(int, position);
    QFETCH(QStringList, indexes);
    RegisterFixture f(RegisterQuery::sortQuery(position));
    QCOMPARE(f.reg.fieldNames().size(), 17); // the sort key of a join adds no visible field
    QCOMPARE(column(f.reg, u"Index"_s), indexes);
    QCOMPARE(f.reg.recNo(), 1);
}

void TestDataset::navigation() {
    StoreFixture f;
    Dataset reg(f.conn, u"ASet_Vorgang"_s);
    reg.setCommandText(RegisterQuery::kWholeRegister);
    QSignalSpy scroll(&reg, &Dataset::afterScroll);
    reg.open();
    QCOMPARE(scroll.count(), 1); // the first row after opening
    QCOMPARE(reg.recNo(), 1);
    QCOMPARE(reg.recordCount(), 6);

    struct Step {
        std::function<void()> move;
        int recNo;
        int scrolls; // afterScroll signals so far
    };
    const QList<Step> steps = {
        {[&] { reg.first(); }, 1, 1},     {[&] { reg.prior(); }, 1, 1}, {[&] { reg.next(); }, 2, 2},
        {[&] { reg.next(); }, 3, 3},      {[&] { reg.prior(); }, 2, 4}, {[&] { reg.last(); }, 6, 5},
        {[&] { reg.next(); }, 6, 5},      {[&] { reg.last(); }, 6, 5},  {[&] { reg.setRecNo(4); }, 4, 6},
        {[&] { reg.setRecNo(4); }, 4, 6}, {[&] { reg.first(); }, 1, 7},
    };
    for (int i = 0; i < steps.size(); ++i) {
        steps[i].move();
        QVERIFY2(reg.recNo() == steps[i].recNo, qPrintable(QString::number(i)));
        QVERIFY2(scroll.count() == steps[i].scrolls, qPrintable(QString::number(i)));
    }
    QCOMPARE(reg.asInteger(u"Index"_s), 1);
    reg.setRecNo(6);
    QCOMPARE(reg.asInteger(u"Index"_s), 6);

    for (int bad : {0, -1, 7}) {
        QVERIFY(!dbErrorOf([&] { reg.setRecNo(bad); }).isEmpty());
        QCOMPARE(reg.recNo(), 6);
    }
    QCOMPARE(scroll.count(), 8);
}

void TestDataset::emptyDataset() {
    StoreFixture f(QString(), Register::Empty);
    Dataset reg(f.conn, u"ASet_Vorgang"_s);
    reg.setCommandText(RegisterQuery::kWholeRegister);
    QSignalSpy scroll(&reg, &Dataset::afterScroll);
    reg.open();
    QVERIFY(reg.isActive());
    QCOMPARE(reg.recordCount(), 0);
    QVERIFY(reg.isEmpty());
    QCOMPARE(reg.recNo(), -1);
    reg.first();
    reg.next();
    reg.last();
    reg.prior();
    QCOMPARE(reg.recNo(), -1);
    QVERIFY(!reg.locate(u"Index"_s, 1));
    QCOMPARE(scroll.count(), 0);
    QVERIFY(reg.value(u"SerienNr"_s).isNull());
    QCOMPARE(reg.asInteger(u"Kaufer"_s), 0);
    QCOMPARE(reg.lookupText(u"ViewKaufer"_s), QString());
}

void TestDataset::locate_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("caseInsensitive");
    QTest::addColumn<int>("found"); // Index of the row found, 0 for none

    QTest::newRow("Index") << "Index" << QVariant(6) << false << 6;
    QTest::newRow("Index as text") << "Index" << QVariant(u"4"_s) << false << 4;
    QTest::newRow("Index absent") << "Index" << QVariant(99) << false << 0;
    QTest::newRow("integer column, first match") << "Kaufer" << QVariant(1) << false << 1;
    QTest::newRow("integer column") << "Verkaufer" << QVariant(4) << false << 6;
    QTest::newRow("date") << "KDatum" << QVariant(QDate(2021, 7, 15)) << false << 4;
    QTest::newRow("date absent") << "KDatum" << QVariant(QDate(2021, 7, 16)) << false << 0;
    QTest::newRow("text exact") << "SerienNr" << QVariant(u"a-100"_s) << false << 4;
    QTest::newRow("text exact, other case") << "Notiz" << QVariant(u"ZWEITE"_s) << false << 0;
    QTest::newRow("text ignoring case") << "Notiz" << QVariant(u"ZWEITE"_s) << true << 2;
    QTest::newRow("umlaut exact") << "Notiz" << QVariant(u"Bär"_s) << false << 6;
    QTest::newRow("umlaut ignoring case") << "SerienNr" << QVariant(u"ä-300"_s) << true << 3;
    QTest::newRow("umlaut exact, other case") << "SerienNr" << QVariant(u"ä-300"_s) << false << 0;
    QTest::newRow("umlaut is no base letter") << "Notiz" << QVariant(u"apfel"_s) << true << 5;
    QTest::newRow("Ä ignoring case") << "Notiz" << QVariant(u"ÄPFEL"_s) << true << 4;
    QTest::newRow("prefix is no match") << "Notiz" << QVariant(u"erst"_s) << true << 0;
    QTest::newRow("text absent") << "Notiz" << QVariant(u"xyz"_s) << true << 0;
}

void TestDataset::locate() {
    QFETCH(QString, column);
    QFETCH(QVariant, value);
    QFETCH(bool, caseInsensitive);
    QFETCH(int, found);
    RegisterFixture f(RegisterQuery::sortQuery(5)); // positions differ from Index
    f.reg.last();                                   // Index 5
    const int before = f.reg.asInteger(u"Index"_s);
    QSignalSpy scroll(&f.reg, &Dataset::afterScroll);

    QCOMPARE(f.reg.locate(column, value, caseInsensitive), found != 0);
    QCOMPARE(f.reg.asInteger(u"Index"_s), found != 0 ? found : before);
    QCOMPARE(scroll.count(), found != 0 && found != before ? 1 : 0);
}

void TestDataset::typedReads() {
    RegisterFixture f(RegisterQuery::kWholeRegister,
                      uR"(INSERT INTO "Vorgang" ("Index", "SerienNr") VALUES (7, '');
                          UPDATE "Benutzer" SET "WinState" = NULL, "CheckTabChange" = 1, "CheckProgEnde" = 0,
                              "Oben" = NULL;)"_s);

    QVERIFY(f.reg.locate(u"Index"_s, 2));
    QCOMPARE(f.reg.asInteger(u"Kaufer"_s), 4);
    QCOMPARE(f.reg.asString(u"SerienNr"_s), u"b-200"_s);
    QCOMPARE(f.reg.asDate(u"VDatum"_s), QDate(2023, 1, 5));
    QCOMPARE(f.reg.asString(u"VDatum"_s), u"05.01.2023"_s);
    QCOMPARE(f.reg.value(u"JDatum"_s), QVariant(QDate(2024, 3, 31)));
    QCOMPARE(f.reg.asString(u"Kaufer"_s), u"4"_s);

    QVERIFY(f.reg.locate(u"Index"_s, 7)); // everything but Index empty
    for (const QString& c : {u"Waffentyp"_s, u"Kaufer"_s, u"EWB"_s, u"KauferAmt"_s})
        QCOMPARE(f.reg.asInteger(c), 0);
    QVERIFY(f.reg.isNull(u"Kaufer"_s));
    QCOMPARE(f.reg.asString(u"Notiz"_s), QString());
    QCOMPARE(f.reg.asString(u"KDatum"_s), QString());
    QVERIFY(!f.reg.asDate(u"KDatum"_s).isValid());
    QCOMPARE(f.reg.asString(u"SerienNr"_s), QString());
    QVERIFY(!f.reg.isNull(u"SerienNr"_s)); // empty text is a value
    QVERIFY(!dbErrorOf([&] { f.reg.value(u"Unbekannt"_s); }).isEmpty());

    Dataset user(f.conn, u"ATab_User"_s);
    user.setTableName(u"Benutzer"_s);
    user.open();
    QVERIFY(!user.asBoolean(u"WinState"_s));
    QVERIFY(user.isNull(u"WinState"_s));
    QVERIFY(user.asBoolean(u"CheckTabChange"_s));
    QVERIFY(!user.asBoolean(u"CheckProgEnde"_s));
    QCOMPARE(user.asInteger(u"Oben"_s), 0);
    QCOMPARE(user.asInteger(u"Breit"_s), 1000);
}

void TestDataset::appendPostStoresIsoDates() {
    RegisterFixture f;
    f.reg.setRecNo(3);
    QSignalSpy posted(&f.reg, &Dataset::afterPost);

    f.reg.append();
    QCOMPARE(f.reg.state(), Dataset::State::Insert);
    QVERIFY(f.reg.isNull(u"Index"_s));
    f.reg.setValue(u"KDatum"_s, QDate(2024, 2, 29));
    f.reg.setValue(u"VDatum"_s, u"  "_s); // an empty date box
    f.reg.setValue(u"SerienNr"_s, u"Ü-77"_s);
    f.reg.setValue(u"Kaufer"_s, 1);
    f.reg.setValue(u"Waffentyp"_s, u"3"_s);
    QCOMPARE(f.reg.asDate(u"KDatum"_s), QDate(2024, 2, 29)); // the buffer reads back
    f.reg.post();

    QCOMPARE(f.reg.state(), Dataset::State::Browse);
    QCOMPARE(posted.count(), 1);
    QCOMPARE(f.reg.recordCount(), 7);
    QCOMPARE(f.reg.asInteger(u"Index"_s), 7);
    QCOMPARE(f.reg.asString(u"SerienNr"_s), u"Ü-77"_s);
    QCOMPARE(f.reg.asInteger(u"Waffentyp"_s), 3);
    QCOMPARE(f.folder.rows(uR"(SELECT "KDatum", typeof("KDatum"), "VDatum", "SerienNr", "Waffentyp",
                               typeof("Waffentyp"), "Notiz" FROM "Vorgang" WHERE "Index" = 7)"_s),
             (QList<QVariantList>{{"2024-02-29", "text", QVariant(), u"Ü-77"_s, 3, "integer", QVariant()}}));

    // Auto-number goes on from the highest ever given.
    f.folder.sql(uR"(DELETE FROM "Vorgang" WHERE "Index" = 7)"_s);
    f.reg.append();
    f.reg.setValue(u"SerienNr"_s, u"X"_s);
    f.reg.post();
    QCOMPARE(f.reg.asInteger(u"Index"_s), 8);

    // A row with nothing set is stored too.
    f.reg.append();
    f.reg.post();
    QCOMPARE(f.reg.asInteger(u"Index"_s), 9);
    QCOMPARE(f.folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toString(), u"8"_s);
}

void TestDataset::editPost() {
    RegisterFixture f(RegisterQuery::sortQuery(2));
    QVERIFY(f.reg.locate(u"Index"_s, 4));
    QSignalSpy posted(&f.reg, &Dataset::afterPost);

    f.reg.edit();
    QCOMPARE(f.reg.state(), Dataset::State::Edit);
    f.reg.setValue(u"Notiz"_s, u"geändert"_s);
    f.reg.setValue(u"JDatum"_s, QVariant()); // cleared
    f.reg.setValue(u"EWBNR"_s, u""_s);
    QVERIFY(!dbErrorOf([&] { f.reg.setValue(u"Index"_s, 99); }).isEmpty());
    QVERIFY(!dbErrorOf([&] { f.reg.setValue(u"Kaufer"_s, u"abc"_s); }).isEmpty());
    QVERIFY(!dbErrorOf([&] { f.reg.setValue(u"KDatum"_s, u"31.02.2020"_s); }).isEmpty());
    f.reg.post();

    QCOMPARE(posted.count(), 1);
    QCOMPARE(f.reg.state(), Dataset::State::Browse);
    QCOMPARE(f.reg.asInteger(u"Index"_s), 4);
    QCOMPARE(f.reg.asString(u"Notiz"_s), u"geändert"_s);
    QCOMPARE(f.folder.rows(uR"(SELECT "Notiz", "JDatum", "EWBNR", "SerienNr", "KDatum" FROM "Vorgang"
                               WHERE "Index" = 4)"_s),
             (QList<QVariantList>{{u"geändert"_s, QVariant(), "", "a-100", "2021-07-15"}}));
    QCOMPARE(f.folder.value(uR"(SELECT count(*) FROM "Vorgang" WHERE "Notiz" = 'geändert')"_s).toString(),
             u"1"_s);

    // Edit without a change posts nothing new and leaves the row as it is.
    f.reg.edit();
    f.reg.post();
    QCOMPARE(posted.count(), 2);
    QCOMPARE(f.folder.value(uR"(SELECT "Notiz" FROM "Vorgang" WHERE "Index" = 4)"_s).toString(),
             u"geändert"_s);
}

void TestDataset::cancel() {
    RegisterFixture f;
    f.reg.setRecNo(2);

    f.reg.append();
    f.reg.setValue(u"SerienNr"_s, u"verworfen"_s);
    f.reg.cancel();
    QCOMPARE(f.reg.state(), Dataset::State::Browse);
    QCOMPARE(f.reg.recNo(), 2);
    QCOMPARE(f.reg.asInteger(u"Index"_s), 2);
    QCOMPARE(f.reg.recordCount(), 6);
    QCOMPARE(f.folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toString(), u"6"_s);

    f.reg.edit();
    f.reg.setValue(u"SerienNr"_s, u"verworfen"_s);
    QCOMPARE(f.reg.asString(u"SerienNr"_s), u"verworfen"_s);
    f.reg.cancel();
    QCOMPARE(f.reg.asString(u"SerienNr"_s), u"b-200"_s);
    QCOMPARE(f.folder.value(uR"(SELECT "SerienNr" FROM "Vorgang" WHERE "Index" = 2)"_s).toString(),
             u"b-200"_s);

    // Append and cancel on the last row, and on an empty dataset.
    f.reg.last();
    f.reg.append();
    f.reg.cancel();
    QCOMPARE(f.reg.recNo(), 6);
    f.folder.sql(uR"(DELETE FROM "Vorgang")"_s);
    f.reg.refresh();
    QCOMPARE(f.reg.recNo(), -1);
    f.reg.append();
    f.reg.cancel();
    QCOMPARE(f.reg.recNo(), -1);
    QCOMPARE(f.reg.recordCount(), 0);
}

void TestDataset::overlongTextRefused_data() {
    QTest::addColumn<bool>("insert");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fits");
    const QString a51(51, u'A'), a50(50, u'A'), ae51(51, u'ä'), ae50(50, u'ä');
    QTest::newRow("insert SerienNr") << true << "SerienNr" << a51 << a50;
    QTest::newRow("edit SerienNr") << false << "SerienNr" << a51 << a50;
    QTest::newRow("umlauts count as one") << false << "SerienNr" << ae51 << ae50;
    QTest::newRow("edit EWBNR") << false << "EWBNR" << a51 << a50;
    QTest::newRow("insert Notiz") << true << "Notiz" << QString(101, u'n') << QString(100, u'n');
}

void TestDataset::overlongTextRefused() {
    QFETCH(bool, insert);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, fits);
    RegisterFixture f;
    f.reg.setRecNo(3);
    const QVariantList before =
        f.folder.row(uR"(SELECT group_concat(ifnull("%1", '-'), '|') FROM "Vorgang")"_s.arg(field));

    if (insert)
        f.reg.append();
    else
        f.reg.edit();
    f.reg.setValue(u"Kaufer"_s, 5);
    f.reg.setValue(field, text);
    const QString error = dbErrorOf([&] { f.reg.post(); });
    QVERIFY2(error.contains(u"'"_s + field + u"'"_s), qPrintable(error));
    QVERIFY2(error.contains(u"zu lang"_s), qPrintable(error));

    QCOMPARE(f.reg.state(), insert ? Dataset::State::Insert : Dataset::State::Edit);
    QCOMPARE(f.reg.asString(field), text);
    QCOMPARE(f.reg.asInteger(u"Kaufer"_s), 5);
    QCOMPARE(f.folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toString(), u"6"_s);
    QCOMPARE(f.folder.row(uR"(SELECT group_concat(ifnull("%1", '-'), '|') FROM "Vorgang")"_s.arg(field)),
             before);

    // The failed post left no transaction behind: the corrected row goes in.
    f.reg.setValue(field, fits);
    f.reg.post();
    QCOMPARE(f.reg.state(), Dataset::State::Browse);
    QCOMPARE(
        f.folder.value(uR"(SELECT count(*) FROM "Vorgang" WHERE "%1" = '%2')"_s.arg(field, fits)).toString(),
        u"1"_s);
    QCOMPARE(f.folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toString(), insert ? u"7"_s : u"6"_s);
}

void TestDataset::lookupFields() {
    StoreFixture f(uR"(UPDATE "Vorgang" SET "Kaliber" = 999, "Hersteller" = NULL WHERE "Index" = 3)"_s);
    Dataset typ(f.conn, u"ATab_Typ"_s), kal(f.conn, u"ATab_Kaliber"_s), her(f.conn, u"ATab_Hersteller"_s),
        kauf(f.conn, u"ATab_Kauf"_s), ewb(f.conn, u"ATab_EWB"_s), amt(f.conn, u"ATab_Amt"_s);
    typ.setTableName(u"Waffentyp"_s);
    kal.setTableName(u"Kaliber"_s);
    her.setTableName(u"Hersteller"_s);
    kauf.setTableName(u"Kaufer"_s);
    ewb.setTableName(u"EWB"_s);
    amt.setTableName(u"Amt"_s);
    Dataset reg(f.conn, u"ASet_Vorgang"_s);
    reg.setCommandText(RegisterQuery::kWholeRegister);
    reg.setDeclaredTable(u"Vorgang"_s);
    for (Dataset* d : {&typ, &kal, &her, &kauf, &ewb, &amt}) {
        reg.setLookupSource(d->tableName(), d);
        d->open();
    }
    reg.open();
    QCOMPARE(reg.lookupFieldNames(),
             (QStringList{"ViewWaffentyp", "ViewKaliber", "ViewHersteller", "ViewVerkaufer", "ViewKaufer",
                          "ViewEWB", "ViewAmt", "ViewKauferAmt"}));

    QVERIFY(reg.locate(u"Index"_s, 2));
    const QStringList expected = {u"Büchse"_s,
                                  u"12/70"_s,
                                  u"Zeiss"_s,
                                  u"Bär, Anna"_s,
                                  u"Äpfel, Otto"_s,
                                  u"Waffenbesitzkarte"_s,
                                  u"Landratsamt Ölberg"_s,
                                  u"Ordnungsamt Aachen"_s};
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(reg.lookupText(reg.lookupFieldNames().at(i)), expected.at(i));

    QVERIFY(reg.locate(u"Index"_s, 3)); // a key without a row, and no key
    QCOMPARE(reg.lookupText(u"ViewKaliber"_s), QString());
    QCOMPARE(reg.lookupText(u"ViewHersteller"_s), QString());
    QCOMPARE(reg.lookupText(u"ViewKaufer"_s), u"(nicht verkauft)"_s);
    QCOMPARE(reg.lookupTextAt(1, u"ViewKaufer"_s), u"Äpfel, Otto"_s);
    QVERIFY(!dbErrorOf([&] { reg.lookupText(u"ViewNichts"_s); }).isEmpty());

    // The lookup follows the edit buffer, and finds a list row posted after opening.
    typ.append();
    typ.setValue(u"WTyp"_s, u"Armbrust"_s);
    typ.post();
    const int newType = typ.asInteger(u"Index"_s);
    reg.edit();
    reg.setValue(u"Waffentyp"_s, newType);
    QCOMPARE(reg.lookupText(u"ViewWaffentyp"_s), u"Armbrust"_s);
    reg.cancel();
    QCOMPARE(reg.lookupText(u"ViewWaffentyp"_s), u"Revolver"_s);

    // A sorted source resolves the same keys.
    kauf.setSort(u"Name DESC"_s);
    QVERIFY(reg.locate(u"Index"_s, 2));
    QCOMPARE(reg.lookupText(u"ViewVerkaufer"_s), u"Bär, Anna"_s);
    // A closed source gives empty texts.
    kauf.close();
    QCOMPARE(reg.lookupText(u"ViewVerkaufer"_s), QString());
    QCOMPARE(reg.lookupText(u"ViewWaffentyp"_s), u"Büchse"_s);
}

void TestDataset::lookupCutToDisplaySize() {
    StoreFixture f(uR"(DROP TABLE "Geschlecht";
                  CREATE TABLE "Geschlecht" ("Index" INTEGER PRIMARY KEY, "Geschlecht" TEXT, "Anrede" TEXT);
                  INSERT INTO "Geschlecht" VALUES (1, 'weiblich', 'Sehr geehrte Frau'),
                      (2, 'männlich', 'Sehr geehrter Herr'),
                      (3, 'Ärztinnen-Ver', 'Sehr geehrte Frau Doktor Ärztin');
                  INSERT INTO "Kaufer" ("Index", "Name", "Geschlecht") VALUES (2, 'Dr. Ä', 3);)"_s,
                   Register::Empty);
    Dataset ges(f.conn, u"ATab_Geschlecht"_s);
    ges.setTableName(u"Geschlecht"_s);
    ges.open();
    Dataset kauf(f.conn, u"ATab_Kauf"_s);
    kauf.setTableName(u"Kaufer"_s);
    kauf.setLookupSource(u"Geschlecht"_s, &ges);
    kauf.open();

    QCOMPARE(kauf.lookupText(u"ViewGeschlecht"_s), u"männlich"_s);
    QCOMPARE(kauf.lookupText(u"ViewAnrede"_s), u"Sehr geehrter Herr"_s);
    QCOMPARE(kauf.lookupText(u"ViewEWB"_s), QString()); // no source set
    QVERIFY(kauf.locate(u"Index"_s, 2));
    QCOMPARE(kauf.lookupText(u"ViewGeschlecht"_s), u"Ärztinnen-"_s);       // 10 characters
    QCOMPARE(kauf.lookupText(u"ViewAnrede"_s), u"Sehr geehrte Frau Do"_s); // 20 characters
    QCOMPARE(kauf.lookupTextAt(0, u"ViewGeschlecht"_s), u"männlich"_s);
}

void TestDataset::clientSort() {
    StoreFixture f(
        uR"(INSERT INTO "Kaufer" ("Index", "Name") VALUES (7, 'zebra'), (8, 'Österreich AG'), (9, NULL),
                          (10, 'apfel'), (11, 'Oma'))"_s);
    Dataset kauf(f.conn, u"ATab_Kauf"_s);
    kauf.setTableName(u"Kaufer"_s);
    kauf.open();
    QVERIFY(kauf.locate(u"Name"_s, u"Ofen GmbH"_s));

    kauf.setSort(u"Name ASC"_s);
    QCOMPARE(kauf.sort(), u"Name ASC"_s);
    const QStringList ascending = {"",           "(nicht verkauft)", "apfel", "Äpfel, Otto",   "ÄPFEL, OTTO",
                                   "Bär, Anna",  "Ofen GmbH",        "Oma",   "Österreich AG", "zebra",
                                   "Zürich Jagd"};
    QCOMPARE(column(kauf, u"Name"_s), ascending);
    QCOMPARE(kauf.asString(u"Name"_s), u"Ofen GmbH"_s); // the current row stays
    QCOMPARE(kauf.recNo(), 7);
    QCOMPARE(column(kauf, u"Index"_s).mid(3, 2), (QStringList{"4", "5"})); // equal names keep their order

    kauf.setSort(u"name"_s); // bare column name, any case
    QCOMPARE(column(kauf, u"Name"_s), ascending);

    kauf.setSort(u"Name  DESC"_s);
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    std::swap(descending[6], descending[7]); // the tie keeps its read order
    QCOMPARE(column(kauf, u"Name"_s), descending);
    QCOMPARE(kauf.asString(u"Name"_s), u"Ofen GmbH"_s);

    kauf.setSort(u"PLZ ASC"_s); // not text: numeric order, empty first
    QCOMPARE(kauf.asString(u"Name"_s), u"Ofen GmbH"_s);

    for (const QString& bad : {u"Nichts ASC"_s, u"Name AUF"_s, u"Name ASC DESC"_s}) {
        QVERIFY2(!dbErrorOf([&] { kauf.setSort(bad); }).isEmpty(), qPrintable(bad));
        QCOMPARE(kauf.sort(), u"PLZ ASC"_s);
    }

    // Refresh keeps the sort; an empty text goes back to the order read.
    kauf.setSort(u"Name ASC"_s);
    kauf.refresh();
    QCOMPARE(column(kauf, u"Name"_s), ascending);
    kauf.setSort(QString());
    QCOMPARE(column(kauf, u"Index"_s),
             (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}));
    QCOMPARE(kauf.asString(u"Name"_s), u"Ofen GmbH"_s);

    // The sort belongs to the open dataset.
    kauf.setSort(u"Name ASC"_s);
    kauf.close();
    kauf.open();
    QCOMPARE(kauf.sort(), QString());
    QCOMPARE(column(kauf, u"Index"_s).first(), u"1"_s);
    QCOMPARE(column(kauf, u"Index"_s).last(), u"11"_s);
}

void TestDataset::refreshKeepsCurrentRow() {
    RegisterFixture f(RegisterQuery::sortQuery(5));
    QVERIFY(f.reg.locate(u"Index"_s, 2));
    QCOMPARE(f.reg.recNo(), 4);

    // Another program inserts a row that sorts before it.
    f.folder.sql(uR"(INSERT INTO "Vorgang" ("Index", "SerienNr") VALUES (7, '0-1'))"_s);
    f.reg.refresh();
    QCOMPARE(f.reg.recordCount(), 7);
    QCOMPARE(f.reg.asInteger(u"Index"_s), 2);
    QCOMPARE(f.reg.recNo(), 5);

    // Our own post moves the row; refresh puts it in its place and stays on it.
    f.reg.edit();
    f.reg.setValue(u"SerienNr"_s, u"zz"_s);
    f.reg.post();
    f.reg.refresh();
    QCOMPARE(f.reg.asInteger(u"Index"_s), 2);
    QCOMPARE(f.reg.recNo(), 7);

    // The current row deleted elsewhere: the position stays where it was, within the rows left.
    f.folder.sql(uR"(DELETE FROM "Vorgang" WHERE "Index" = 2)"_s);
    f.reg.refresh();
    QCOMPARE(f.reg.recordCount(), 6);
    QCOMPARE(f.reg.recNo(), 6);
}

void TestDataset::partialRefreshEqualsFullRead_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("whole register") << RegisterQuery::kWholeRegister;
    for (int i = 0; i < RegisterQuery::kSortCount; ++i)
        QTest::addRow("sort %d", i) << RegisterQuery::sortQuery(i);
    QTest::newRow("search") << searchStatement();
    QTest::newRow("descending")
        << schema::registerColumnList() +
               u"FROM Waffentyp INNER JOIN Vorgang ON Waffentyp.Index=Vorgang.Waffentyp "
               u"ORDER BY Waffentyp.WTyp DESC"_s;
}

void TestDataset::partialRefreshEqualsFullRead() {
    QFETCH(QString, text);
    RegisterFixture f(text);
    const int fullReads = f.reg.fullReadCount();

    auto editRow = [&](int index, const QList<std::pair<QString, QVariant>>& values) {
        if (!f.reg.locate(u"Index"_s, index))
            return; // not in this result
        f.reg.edit();
        for (const auto& [c, v] : values)
            f.reg.setValue(c, v);
        f.reg.post();
    };
    auto appendRow = [&](const QList<std::pair<QString, QVariant>>& values) {
        f.reg.append();
        for (const auto& [c, v] : values)
            f.reg.setValue(c, v);
        f.reg.post();
        return f.reg.asInteger(u"Index"_s);
    };
    auto checkAgainstFreshRead = [&](int currentIndex) {
        Dataset fresh(f.conn, u"fresh"_s);
        fresh.setCommandText(text);
        fresh.open();
        QCOMPARE(dump(f.reg), dump(fresh));
        QCOMPARE(f.reg.fullReadCount(), fullReads);
        // The Index map kept up to date by posts and partial re-reads finds every row where it is.
        const int indexField = f.reg.fieldIndex(u"Index"_s);
        for (int p = 0; p < f.reg.recordCount(); ++p)
            QCOMPARE(f.reg.positionOfIndex(f.reg.valueAt(p, indexField).toInt()), p);
        if (f.reg.positionOfIndex(currentIndex) >= 0)
            QCOMPARE(f.reg.asInteger(u"Index"_s), currentIndex);
    };

    // Moves within every order, ties with other rows included.
    editRow(3, {{u"SerienNr"_s, u"a-100"_s},
                {u"Waffentyp"_s, 2},
                {u"Kaliber"_s, 3},
                {u"Hersteller"_s, 2},
                {u"Verkaufer"_s, 5},
                {u"Kaufer"_s, 2},
                {u"EWB"_s, 3},
                {u"EWBNR"_s, u"X 1"_s},
                {u"KDatum"_s, QDate(2021, 7, 15)},
                {u"VDatum"_s, QDate(2024, 1, 1)},
                {u"JDatum"_s, QDate(2026, 6, 30)},
                {u"Amt"_s, 3},
                {u"KauferAmt"_s, 3},
                {u"AmtDatum"_s, QDate(2023, 12, 1)},
                {u"BriefDatum"_s, QDate(2024, 1, 2)},
                {u"Notiz"_s, u"Mitte"_s}});
    const int added = appendRow({{u"KDatum"_s, QDate(2023, 3, 1)},
                                 {u"Waffentyp"_s, 1},
                                 {u"Kaliber"_s, 1},
                                 {u"Hersteller"_s, 1},
                                 {u"SerienNr"_s, u"Ä-1"_s},
                                 {u"Verkaufer"_s, 4},
                                 {u"Kaufer"_s, 1},
                                 {u"EWB"_s, 1},
                                 {u"Amt"_s, 2},
                                 {u"KauferAmt"_s, 1},
                                 {u"Notiz"_s, u"neu"_s}});
    f.reg.refresh();
    checkAgainstFreshRead(added);
    if (QTest::currentTestFailed())
        return;

    // Rows leaving the result: empty keys, keys without a list row, and a new row without keys.
    appendRow({{u"SerienNr"_s, u"nur Nummer"_s}});
    editRow(1, {{u"Waffentyp"_s, 999}, {u"Kaufer"_s, 0}, {u"SerienNr"_s, u"B-1"_s}, {u"Notiz"_s, u"zzz"_s}});
    editRow(2, {{u"Notiz"_s, QVariant()}, {u"BriefDatum"_s, QVariant()}, {u"Hersteller"_s, QVariant()}});
    editRow(6, {{u"Amt"_s, 1}, {u"EWB"_s, 6}, {u"SerienNr"_s, u"a-1000"_s}});
    f.reg.refresh();
    checkAgainstFreshRead(6);
    if (QTest::currentTestFailed())
        return;

    // Nothing changed: a refresh changes nothing either.
    const QStringList before = dump(f.reg);
    f.reg.refresh();
    QCOMPARE(dump(f.reg), before);
    QCOMPARE(f.reg.fullReadCount(), fullReads);
}

void TestDataset::refreshAfterProgramWritesElsewhere() {
    // Writes through other datasets of the same connection: to a list table the register is
    // joined with, and to the register itself.
    RegisterFixture f(RegisterQuery::sortQuery(2));
    Dataset typ(f.conn, u"ATab_Typ"_s);
    typ.setTableName(u"Waffentyp"_s);
    typ.open();
    Dataset other(f.conn, u"other"_s);
    other.setCommandText(RegisterQuery::kWholeRegister);
    other.open();

    QVERIFY(typ.locate(u"WTyp"_s, u"Flinte"_s));
    typ.edit();
    typ.setValue(u"WTyp"_s, u"Armbrust"_s);
    typ.post();
    QVERIFY(other.locate(u"Index"_s, 6));
    other.edit();
    other.setValue(u"Waffentyp"_s, 3);
    other.post();
    QVERIFY(f.reg.locate(u"Index"_s, 5));
    f.reg.refresh();

    Dataset fresh(f.conn, u"fresh"_s);
    fresh.setCommandText(RegisterQuery::sortQuery(2));
    fresh.open();
    QCOMPARE(dump(f.reg), dump(fresh));
    QCOMPARE(column(f.reg, u"Index"_s).first(), u"1"_s); // Armbrust first now
    QCOMPARE(f.reg.asInteger(u"Index"_s), 5);
}

void TestDataset::refreshAfterForeignWrite() {
    RegisterFixture f(RegisterQuery::sortQuery(0));
    f.reg.setRecNo(3);
    // One own post first, so that a partial re-read would be possible if nobody else wrote.
    f.reg.edit();
    f.reg.setValue(u"Notiz"_s, u"eigene"_s);
    f.reg.post();
    const int reads = f.reg.fullReadCount();

    f.folder.sql(uR"(UPDATE "Vorgang" SET "Notiz" = 'fremd' WHERE "Index" = 5;
                    INSERT INTO "Vorgang" ("Index", "SerienNr") VALUES (10, 'fremd'))"_s);
    f.reg.refresh();
    QCOMPARE(f.reg.fullReadCount(), reads + 1);
    QCOMPARE(f.reg.recordCount(), 7);
    QCOMPARE(f.reg.asInteger(u"Index"_s), 3);
    QCOMPARE(f.reg.asString(u"Notiz"_s), u"eigene"_s);
    QVERIFY(f.reg.locate(u"Index"_s, 5));
    QCOMPARE(f.reg.asString(u"Notiz"_s), u"fremd"_s);
    QVERIFY(f.reg.locate(u"Index"_s, 10));
}

void TestDataset::optimisticConflict_data() {
    QTest::addColumn<QString>("foreign");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QVariantList>("stored"); // SerienNr of row 2 afterwards; no row when deleted
    QTest::newRow("changed") << uR"(UPDATE "Vorgang" SET "SerienNr" = 'fremd' WHERE "Index" = 2)"_s
                             << "anderen Benutzer geändert" << QVariantList{"fremd"};
    QTest::newRow("changed to empty") << uR"(UPDATE "Vorgang" SET "VDatum" = NULL WHERE "Index" = 2)"_s
                                      << "anderen Benutzer geändert" << QVariantList{"b-200"};
    QTest::newRow("deleted") << uR"(DELETE FROM "Vorgang" WHERE "Index" = 2)"_s << "anderen Benutzer gelöscht"
                             << QVariantList();
}

void TestDataset::optimisticConflict() {
    QFETCH(QString, foreign);
    QFETCH(QString, message);
    QFETCH(QVariantList, stored);
    RegisterFixture f;
    QVERIFY(f.reg.locate(u"Index"_s, 2));

    f.folder.sql(foreign);
    f.reg.edit();
    f.reg.setValue(u"Notiz"_s, u"meine"_s);
    const QString error = dbErrorOf([&] { f.reg.post(); });
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(f.reg.isEditing());
    QCOMPARE(f.folder.row(uR"(SELECT "SerienNr" FROM "Vorgang" WHERE "Index" = 2)"_s), stored);
    QCOMPARE(f.folder.value(uR"(SELECT count(*) FROM "Vorgang" WHERE "Notiz" = 'meine')"_s).toString(),
             u"0"_s);

    // An edit that changes nothing writes nothing, so it collides with nobody.
    f.reg.cancel();
    f.reg.edit();
    f.reg.post();
    QVERIFY(!f.reg.isEditing());
    QCOMPARE(f.folder.row(uR"(SELECT "SerienNr" FROM "Vorgang" WHERE "Index" = 2)"_s), stored);

    // After re-reading, the edit goes through (no transaction was left open).
    f.reg.cancel();
    f.reg.refresh();
    f.reg.first();
    f.reg.edit();
    f.reg.setValue(u"Notiz"_s, u"danach"_s);
    f.reg.post();
    QCOMPARE(f.folder.value(uR"(SELECT "Notiz" FROM "Vorgang" WHERE "Index" = 1)"_s).toString(), u"danach"_s);
}

void TestDataset::disableControls() {
    RegisterFixture f;
    QSignalSpy record(&f.reg, &Dataset::recordChanged);
    QSignalSpy reset(&f.reg, &Dataset::rowsReset);
    QSignalSpy scroll(&f.reg, &Dataset::afterScroll);

    f.reg.enableControls(); // unbalanced: nothing happens
    QVERIFY(!f.reg.controlsDisabled());
    QCOMPARE(record.count(), 0);

    f.reg.disableControls();
    f.reg.disableControls();
    QVERIFY(f.reg.controlsDisabled());
    f.reg.next();
    f.reg.next();
    f.reg.refresh();
    QCOMPARE(record.count(), 0);
    QCOMPARE(reset.count(), 0);
    QCOMPARE(scroll.count(), 2); // hooks still run
    f.reg.enableControls();
    QCOMPARE(record.count(), 0);
    QVERIFY(f.reg.controlsDisabled());
    f.reg.enableControls();
    QVERIFY(!f.reg.controlsDisabled());
    QCOMPARE(record.count(), 1);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(f.reg.recNo(), 3);

    // Without a change while disabled, enabling sends nothing.
    f.reg.disableControls();
    f.reg.enableControls();
    QCOMPARE(record.count(), 1);
    QCOMPARE(reset.count(), 1);
    f.reg.next();
    QCOMPARE(record.count(), 2);
}

void TestDataset::closedDataset() {
    TestFolder folder;
    fillRegister(folder);
    Connection conn;
    Dataset reg(conn, u"ASet_Vorgang"_s);
    reg.setCommandText(RegisterQuery::kWholeRegister);
    QVERIFY(!dbErrorOf([&] { reg.open(); }).isEmpty()); // connection not open
    QVERIFY(!reg.isActive());

    openConnection(conn);
    reg.open();
    reg.setRecNo(2);
    conn.close(); // closes its datasets
    QVERIFY(!reg.isActive());
    QCOMPARE(reg.state(), Dataset::State::Inactive);

    QVERIFY(!reg.value(u"SerienNr"_s).isValid());
    QCOMPARE(reg.asInteger(u"Kaufer"_s), 0);
    QCOMPARE(reg.asString(u"SerienNr"_s), QString());
    QVERIFY(!reg.asDate(u"KDatum"_s).isValid());
    QVERIFY(!reg.asBoolean(u"Kaufer"_s));
    QCOMPARE(reg.recNo(), -1);
    QCOMPARE(reg.recordCount(), 0);
    QCOMPARE(reg.lookupText(u"ViewKaufer"_s), QString());
    QVERIFY(!reg.valueAt(0, 0).isValid());

    const QList<std::pair<const char*, std::function<void()>>> actions = {
        {"edit", [&] { reg.edit(); }},
        {"append", [&] { reg.append(); }},
        {"post", [&] { reg.post(); }},
        {"locate", [&] { reg.locate(u"Index"_s, 1); }},
        {"setSort", [&] { reg.setSort(u"SerienNr ASC"_s); }},
        {"first", [&] { reg.first(); }},
        {"next", [&] { reg.next(); }},
        {"setRecNo", [&] { reg.setRecNo(1); }},
        {"refresh", [&] { reg.refresh(); }},
    };
    for (const auto& [name, action] : actions) {
        const QString error = dbErrorOf(action);
        // the connection is gone, so the message says that rather than naming the dataset
        QVERIFY2(error == u"Die Datenbank ist nicht verbunden."_s,
                 qPrintable(QString::fromLatin1(name) + u": "_s + error));
    }
    reg.cancel(); // harmless
}

void TestDataset::refusedQuery_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("delete") << u"DELETE FROM Vorgang"_s;
    QTest::newRow("second statement") << u"select * from Vorgang; DROP TABLE Kaufer"_s;
    QTest::newRow("or")
        << schema::registerColumnList() +
               uR"(FROM Vorgang WHERE ((Vorgang.SerienNr) Like "%A%" OR Vorgang.Index=Vorgang.Index);)"_s;
    QTest::newRow("unknown table") << u"select * from Nichtda"_s;
    QTest::newRow("unknown column") << u"SELECT Vorgang.Nichtda FROM Vorgang"_s;
    QTest::newRow("empty") << u"   "_s;
}

void TestDataset::refusedQuery() {
    QFETCH(QString, text);
    StoreFixture f;
    Dataset reg(f.conn, u"ASet_Vorgang"_s);
    reg.setCommandText(text);
    QVERIFY(!dbErrorOf([&] { reg.open(); }).isEmpty());
    QVERIFY(!reg.isActive());
    QCOMPARE(reg.recordCount(), 0);
    QCOMPARE(f.folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toString(), u"6"_s);
    QCOMPARE(f.folder.value(uR"(SELECT count(*) FROM "Kaufer")"_s).toString(), u"6"_s);

    // The same dataset opens again with a good text.
    reg.setCommandText(RegisterQuery::kWholeRegister);
    reg.open();
    QCOMPARE(reg.recordCount(), 6);
}

void TestDataset::missingDeclaredColumn_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("asQuery");
    QTest::addColumn<QString>("column");
    QTest::newRow("Kaufer without KAmt")
        << uR"(ALTER TABLE "Kaufer" DROP COLUMN "KAmt")"_s << "Kaufer" << false << "KAmt";
    QTest::newRow("Kaufer PLZ as text") << uR"(ALTER TABLE "Kaufer" DROP COLUMN "PLZ";
                                              ALTER TABLE "Kaufer" ADD COLUMN "PLZ" TEXT)"_s
                                        << "Kaufer" << false << "PLZ";
    QTest::newRow("Benutzer without CheckConnect")
        << uR"(ALTER TABLE "Benutzer" DROP COLUMN "CheckConnect")"_s << "Benutzer" << false << "CheckConnect";
    QTest::newRow("register query without Notiz")
        << uR"(ALTER TABLE "Vorgang" DROP COLUMN "Notiz")"_s << "Vorgang" << true << "Notiz";
    QTest::newRow("register KDatum as text") << uR"(ALTER TABLE "Vorgang" DROP COLUMN "KDatum";
                                                   ALTER TABLE "Vorgang" ADD COLUMN "KDatum" TEXT)"_s
                                             << "Vorgang" << true << "KDatum";
}

void TestDataset::missingDeclaredColumn() {
    QFETCH(QString, change);
    QFETCH(QString, table);
    QFETCH(bool, asQuery);
    QFETCH(QString, column);
    StoreFixture f(change, Register::Empty);
    Dataset ds(f.conn, u"ds"_s);
    if (asQuery) {
        ds.setCommandText(u"select * from "_s + table);
        ds.setDeclaredTable(table);
    } else {
        ds.setTableName(table);
    }
    const QString error = dbErrorOf([&] { ds.open(); });
    QVERIFY2(error.contains(u"'"_s + column + u"'"_s), qPrintable(error));
    QVERIFY(!ds.isActive());
    QCOMPARE(ds.recordCount(), 0);
}

void TestDataset::modelFollowsDataset() {
    StoreFixture f;
    Dataset ges(f.conn, u"ATab_Geschlecht"_s);
    ges.setTableName(u"Geschlecht"_s);
    ges.open();
    Dataset kauf(f.conn, u"ATab_Kauf"_s);
    kauf.setTableName(u"Kaufer"_s);
    kauf.setLookupSource(u"Geschlecht"_s, &ges);
    DatasetModel model(&kauf, {u"Name"_s, u"PLZ"_s, u"ViewGeschlecht"_s});
    model.setTitles({u"Name"_s, u"PLZ"_s});
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    QCOMPARE(model.rowCount(), 0);
    kauf.open();
    QVERIFY(resets.count() >= 1);
    QCOMPARE(model.rowCount(), 6);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), u"PLZ"_s);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), u"ViewGeschlecht"_s);
    QCOMPARE(model.data(model.index(2, 0)).toString(), u"Bär, Anna"_s);
    QCOMPARE(model.data(model.index(2, 2)).toString(), u"weiblich"_s);
    QCOMPARE(model.data(model.index(1, 2)).toString(), u"männlich"_s);
    QCOMPARE(model.data(model.index(0, 1)).toString(), u"0"_s);

    // The edit buffer shows in the current row.
    kauf.setRecNo(3);
    changed.clear();
    kauf.edit();
    kauf.setValue(u"Name"_s, u"Bär, Berta"_s);
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).value<QModelIndex>().row(), 2);
    QCOMPARE(model.data(model.index(2, 0)).toString(), u"Bär, Berta"_s);
    kauf.post();

    resets.clear();
    kauf.append();
    kauf.setValue(u"Name"_s, u"Neu"_s);
    kauf.setValue(u"Geschlecht"_s, 2);
    kauf.post();
    QVERIFY(resets.count() >= 1);
    QCOMPARE(model.rowCount(), 7);
    QCOMPARE(model.data(model.index(6, 0)).toString(), u"Neu"_s);
    QCOMPARE(model.data(model.index(6, 2)).toString(), u"männlich"_s);

    kauf.setSort(u"Name ASC"_s);
    QCOMPARE(model.data(model.index(0, 0)).toString(), u"(nicht verkauft)"_s);
    QCOMPARE(model.data(model.index(3, 0)).toString(), u"Bär, Berta"_s);

    model.setFields({});
    QCOMPARE(model.columnCount(), 12); // every field of the table
    kauf.close();
    QCOMPARE(model.rowCount(), 0);
}

void TestDataset::transactionCommitsOrRollsBack() {
    TestFolder folder;
    Connection conn;
    openConnection(conn);
    const QString count = QStringLiteral(R"(SELECT count(*) FROM "Waffentyp")");
    const qlonglong before = folder.value(count).toLongLong();
    try {
        Transaction t(conn);
        conn.exec(QStringLiteral(R"(INSERT INTO "Waffentyp" ("WTyp") VALUES ('Halb'))"));
        throw std::runtime_error("abgebrochen");
    } catch (const std::runtime_error&) {
    }
    QCOMPARE(folder.value(count).toLongLong(), before);
    {
        Transaction t(conn);
        conn.exec(QStringLiteral(R"(INSERT INTO "Waffentyp" ("WTyp") VALUES ('Ganz'))"));
        t.commit();
    }
    QCOMPARE(folder.value(count).toLongLong(), before + 1);
    // The connection takes the next transaction after both.
    Transaction again(conn);
    again.commit();
}

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"
