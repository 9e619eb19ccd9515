// Sort orders and searches as the program builds them, the dataset statements, nested joins, and
// the translations run on SQLite.
#include "tst_jettranslator.h"

#include "store/DatasetQuery.h"

#include <sqlite3.h>

#include <memory>

namespace {

// Case-insensitive stand-in for the program's German collation.
int compareDe(void*, int length1, const void* text1, int length2, const void* text2) {
    return QString::compare(QString::fromUtf8(static_cast<const char*>(text1), length1),
                            QString::fromUtf8(static_cast<const char*>(text2), length2), Qt::CaseInsensitive);
}

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

} // namespace

void TestJetTranslator::sortOrders_data() {
    QTest::addColumn<QString>("fromPart");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("orderTable");
    QTest::addColumn<QString>("orderColumn");
    QTest::addColumn<ColumnKind>("kind");
    QTest::addColumn<QStringList>("tables");

    const QStringList vorgang = {QStringLiteral("Vorgang")};
    auto row = [&](int position, const char* expected, const char* table, const char* column, ColumnKind kind,
                   const QStringList& tables) {
        QTest::addRow("%d %s.%s", position, table, column)
            << sortFromParts().at(position) << QString::fromUtf8(expected) << QString::fromUtf8(table)
            << QString::fromUtf8(column) << kind << tables;
    };
    row(0, R"x( FROM "Vorgang" ORDER BY "Vorgang"."Index")x", "Vorgang", "Index", ColumnKind::Integer,
        vorgang);
    row(1, R"x( FROM "Vorgang" ORDER BY "Vorgang"."KDatum")x", "Vorgang", "KDatum", ColumnKind::Date,
        vorgang);
    row(2,
        R"x( FROM "Waffentyp" INNER JOIN "Vorgang" ON "Waffentyp"."Index" = "Vorgang"."Waffentyp" ORDER BY "Waffentyp"."WTyp" COLLATE DE)x",
        "Waffentyp", "WTyp", ColumnKind::Text, {"Waffentyp", "Vorgang"});
    row(3,
        R"x( FROM "Kaliber" INNER JOIN "Vorgang" ON "Kaliber"."Index" = "Vorgang"."Kaliber" ORDER BY "Kaliber"."Kaliber" COLLATE DE)x",
        "Kaliber", "Kaliber", ColumnKind::Text, {"Kaliber", "Vorgang"});
    row(4,
        R"x( FROM "Hersteller" INNER JOIN "Vorgang" ON "Hersteller"."Index" = "Vorgang"."Hersteller" ORDER BY "Hersteller"."Hersteller" COLLATE DE)x",
        "Hersteller", "Hersteller", ColumnKind::Text, {"Hersteller", "Vorgang"});
    row(5, R"x( FROM "Vorgang" ORDER BY "Vorgang"."SerienNr" COLLATE DE)x", "Vorgang", "SerienNr",
        ColumnKind::Text, vorgang);
    row(6,
        R"x( FROM "Kaufer" INNER JOIN "Vorgang" ON "Kaufer"."Index" = "Vorgang"."Verkaufer" ORDER BY "Kaufer"."Name" COLLATE DE)x",
        "Kaufer", "Name", ColumnKind::Text, {"Kaufer", "Vorgang"});
    row(7,
        R"x( FROM "Kaufer" INNER JOIN "Vorgang" ON "Vorgang"."Kaufer" = "Kaufer"."Index" ORDER BY "Kaufer"."Name" COLLATE DE)x",
        "Kaufer", "Name", ColumnKind::Text, {"Kaufer", "Vorgang"});
    row(8, R"x( FROM "Vorgang" ORDER BY "Vorgang"."VDatum")x", "Vorgang", "VDatum", ColumnKind::Date,
        vorgang);
    row(9,
        R"x( FROM "EWB" INNER JOIN "Vorgang" ON "Vorgang"."EWB" = "EWB"."Index" ORDER BY "EWB"."EWB" COLLATE DE)x",
        "EWB", "EWB", ColumnKind::Text, {"EWB", "Vorgang"});
    row(10, R"x( FROM "Vorgang" ORDER BY "Vorgang"."EWBNR" COLLATE DE)x", "Vorgang", "EWBNR",
        ColumnKind::Text, vorgang);
    row(11, R"x( FROM "Vorgang" ORDER BY "Vorgang"."AmtDatum")x", "Vorgang", "AmtDatum", ColumnKind::Date,
        vorgang);
    row(12,
        R"x( FROM "Amt" INNER JOIN "Vorgang" ON "Vorgang"."Amt" = "Amt"."Index" ORDER BY "Amt"."Name" COLLATE DE)x",
        "Amt", "Name", ColumnKind::Text, {"Amt", "Vorgang"});
    row(13,
        R"x( FROM "Amt" INNER JOIN "Vorgang" ON "Vorgang"."KauferAmt" = "Amt"."Index" ORDER BY "Amt"."Name" COLLATE DE)x",
        "Amt", "Name", ColumnKind::Text, {"Amt", "Vorgang"});
    row(14, R"x( FROM "Vorgang" ORDER BY "Vorgang"."JDatum")x", "Vorgang", "JDatum", ColumnKind::Date,
        vorgang);
    row(15, R"x( FROM "Vorgang" ORDER BY "Vorgang"."BriefDatum")x", "Vorgang", "BriefDatum", ColumnKind::Date,
        vorgang);
    row(16, R"x( FROM "Vorgang" ORDER BY "Vorgang"."Notiz" COLLATE DE)x", "Vorgang", "Notiz",
        ColumnKind::Text, vorgang);
}

void TestJetTranslator::sortOrders() {
    QFETCH(QString, fromPart);
    QFETCH(QString, expected);
    QFETCH(QString, orderTable);
    QFETCH(QString, orderColumn);
    QFETCH(ColumnKind, kind);
    QFETCH(QStringList, tables);

    const jet::Translation t = translate(kColumnList + fromPart);
    QCOMPARE(t.sql, kSqlSelect + expected);
    QVERIFY(t.params.isEmpty());
    QCOMPARE(t.selectList, kSqlColumns);
    QVERIFY(t.where.isEmpty());
    QCOMPARE(t.tables, tables);
    QCOMPARE(t.baseTable, QStringLiteral("Vorgang"));
    QCOMPARE(t.columns.size(), 17);
    QCOMPARE(t.columns.first(), QStringLiteral("Index"));
    QCOMPARE(t.columns.last(), QStringLiteral("Notiz"));

    QVERIFY(t.orderBy.has_value());
    QCOMPARE(t.orderBy->table, orderTable);
    QCOMPARE(t.orderBy->column, orderColumn);
    QCOMPARE(t.orderBy->kind, std::optional<ColumnKind>(kind));
    QVERIFY(!t.orderBy->descending);
    // The pieces put back together give the statement, so callers may extend them.
    QCOMPARE(QStringLiteral("SELECT ") + t.selectList + QStringLiteral(" FROM ") + t.from +
                 QStringLiteral(" ORDER BY ") + t.orderBy->sql,
             t.sql);
}

void TestJetTranslator::searchExamples_data() {
    QTest::addColumn<QString>("fromPart");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QVariantList>("params");

    QTest::newRow("sale date and serial number, partial")
        << QStringLiteral(
               R"x(FROM Vorgang WHERE (((Vorgang.VDatum)=#3/5/2003#) AND ((Vorgang.SerienNr) Like "%123%"));)x")
        << QStringLiteral(R"x("Vorgang")x")
        << QStringLiteral(R"x(((("Vorgang"."VDatum") = ?) AND (("Vorgang"."SerienNr") LIKE ?)))x")
        << QVariantList{QStringLiteral("2003-03-05"), QStringLiteral("%123%")};
    QTest::newRow("purchase date alone")
        << QStringLiteral(R"x(FROM Vorgang WHERE (((Vorgang.KDatum)=#12/1/1999#));)x")
        << QStringLiteral(R"x("Vorgang")x") << QStringLiteral(R"x(((("Vorgang"."KDatum") = ?)))x")
        << QVariantList{QStringLiteral("1999-12-01")};
    QTest::newRow("buyer exact")
        << QStringLiteral(
               R"x(FROM Kaufer INNER JOIN Vorgang ON Kaufer.Index=Vorgang.Kaufer WHERE (((Kaufer.Name)="Nord"));)x")
        << QStringLiteral(R"x("Kaufer" INNER JOIN "Vorgang" ON "Kaufer"."Index" = "Vorgang"."Kaufer")x")
        << QStringLiteral(R"x(((("Kaufer"."Name") = ? COLLATE DE)))x")
        << QVariantList{QStringLiteral("Nord")};
    QTest::newRow("permit date and note exact")
        << QStringLiteral(
               R"x(FROM Vorgang WHERE (((Vorgang.AmtDatum)=#8/17/2005#) AND ((Vorgang.Notiz)='Lauf ''A'''));)x")
        << QStringLiteral(R"x("Vorgang")x")
        << QStringLiteral(R"x(((("Vorgang"."AmtDatum") = ?) AND (("Vorgang"."Notiz") = ? COLLATE DE)))x")
        << QVariantList{QStringLiteral("2005-08-17"), QStringLiteral("Lauf 'A'")};
}

void TestJetTranslator::searchExamples() {
    QFETCH(QString, fromPart);
    QFETCH(QString, from);
    QFETCH(QString, where);
    QFETCH(QVariantList, params);

    const jet::Translation t = translate(kColumnList + fromPart);
    QCOMPARE(t.sql, kSqlSelect + QStringLiteral(" FROM ") + from + QStringLiteral(" WHERE ") + where);
    QCOMPARE(t.from, from);
    QCOMPARE(t.where, where);
    QCOMPARE(t.params, params);
    QVERIFY(!t.orderBy);
    QCOMPARE(t.baseTable, QStringLiteral("Vorgang"));
}

void TestJetTranslator::selectStar() {
    const jet::Translation t = translate(QStringLiteral("select * from Vorgang"));
    QCOMPARE(t.sql, QStringLiteral(R"x(SELECT * FROM "Vorgang")x"));
    QCOMPARE(t.selectList, QStringLiteral("*"));
    QCOMPARE(t.tables, QStringList{QStringLiteral("Vorgang")});
    QCOMPARE(t.baseTable, QStringLiteral("Vorgang"));
    QVERIFY(t.columns.isEmpty());
    QVERIFY(t.where.isEmpty());
    QVERIFY(t.params.isEmpty());
    QVERIFY(!t.orderBy);
}

// The statements a dataset reads and writes with: a sorted query reads its sort key as a hidden
// last column and breaks ties by Index; a quote in a name stays inside its identifier.
void TestJetTranslator::datasetStatements() {
    const DatasetQuery sorted = DatasetQuery::ofCommand(
        QStringLiteral("SELECT Vorgang.Index FROM Kaufer INNER JOIN Vorgang ON Kaufer.Index = Vorgang.Kaufer "
                       "ORDER BY Kaufer.Name DESC"));
    QVERIFY(sorted.baseHasIndex);
    QCOMPARE(
        sorted.selectSql(QStringLiteral("\"Vorgang\".\"Index\" IN (?)")),
        QStringLiteral(
            R"x(SELECT "Vorgang"."Index", "Kaufer"."Name" FROM "Kaufer" INNER JOIN "Vorgang" ON "Kaufer"."Index" = "Vorgang"."Kaufer" WHERE "Vorgang"."Index" IN (?) ORDER BY "Kaufer"."Name" COLLATE DE DESC, "Vorgang"."Index")x"));
    const DatasetQuery land = DatasetQuery::ofTable(QStringLiteral("Land"));
    QVERIFY(!land.baseHasIndex);
    QCOMPARE(land.selectSql(), QStringLiteral(R"x(SELECT * FROM "Land")x"));

    const QStringList names{QStringLiteral("Name"), QStringLiteral("a\"b")};
    QCOMPARE(DatasetQuery::rowSql(QStringLiteral("Kaufer"), names, QStringLiteral("Index")),
             QStringLiteral(R"x(SELECT "Name", "a""b" FROM "Kaufer" WHERE "Index" = ?)x"));
    QCOMPARE(DatasetQuery::rowSql(QStringLiteral("Kaufer"), names, QStringLiteral("rowid")),
             QStringLiteral(R"x(SELECT "Name", "a""b" FROM "Kaufer" WHERE rowid = ?)x"));
    QCOMPARE(DatasetQuery::insertSql(QStringLiteral("Land"), names),
             QStringLiteral(R"x(INSERT INTO "Land" ("Name", "a""b") VALUES (?, ?))x"));
    QCOMPARE(DatasetQuery::insertSql(QStringLiteral("Land"), {}),
             QStringLiteral(R"x(INSERT INTO "Land" DEFAULT VALUES)x"));
    QCOMPARE(DatasetQuery::assignments(names), QStringLiteral(R"x("Name" = ?, "a""b" = ?)x"));
    QCOMPARE(DatasetQuery::sameRowCondition(names), QStringLiteral(R"x("Name" IS ? AND "a""b" IS ?)x"));
}

void TestJetTranslator::nestedJoins() {
    {
        const jet::Translation t = translate(QStringLiteral(
            R"x(SELECT Vorgang.Index FROM (Kaufer INNER JOIN Vorgang ON Kaufer.Index=Vorgang.Kaufer) INNER JOIN Amt ON Amt.Index=Vorgang.Amt WHERE ((Kaufer.Name) Like "%a%") AND ((Amt.Name)="X");)x"));
        QCOMPARE(
            t.sql,
            QStringLiteral(
                R"x(SELECT "Vorgang"."Index" FROM ("Kaufer" INNER JOIN "Vorgang" ON "Kaufer"."Index" = "Vorgang"."Kaufer") INNER JOIN "Amt" ON "Amt"."Index" = "Vorgang"."Amt" WHERE (("Kaufer"."Name") LIKE ?) AND (("Amt"."Name") = ? COLLATE DE))x"));
        QCOMPARE(t.params, (QVariantList{QStringLiteral("%a%"), QStringLiteral("X")}));
        QCOMPARE(t.tables,
                 (QStringList{QStringLiteral("Kaufer"), QStringLiteral("Vorgang"), QStringLiteral("Amt")}));
        QCOMPARE(t.baseTable, QStringLiteral("Vorgang"));
    }
    {
        // Nested on the right, with a compound ON holding a literal: its value comes before WHERE's.
        const jet::Translation t = translate(QStringLiteral(
            R"x(SELECT * FROM Amt INNER JOIN (Kaufer INNER JOIN Vorgang ON (Kaufer.Index=Vorgang.Kaufer) AND (Kaufer.Name="on")) ON Amt.Index=Vorgang.Amt WHERE Amt.Name="where")x"));
        QCOMPARE(
            t.from,
            QStringLiteral(
                R"x("Amt" INNER JOIN ("Kaufer" INNER JOIN "Vorgang" ON ("Kaufer"."Index" = "Vorgang"."Kaufer") AND ("Kaufer"."Name" = ? COLLATE DE)) ON "Amt"."Index" = "Vorgang"."Amt")x"));
        QCOMPARE(t.where, QStringLiteral(R"x("Amt"."Name" = ? COLLATE DE)x"));
        QCOMPARE(t.params, (QVariantList{QStringLiteral("on"), QStringLiteral("where")}));
        QCOMPARE(t.tables,
                 (QStringList{QStringLiteral("Amt"), QStringLiteral("Kaufer"), QStringLiteral("Vorgang")}));
        QVERIFY(t.baseTable.isEmpty());
    }
}

void TestJetTranslator::runsOnSqlite() {
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(":memory:", &raw), SQLITE_OK);
    const DbHandle db(raw);
    // Double-quoted text must never pass for a string here: every identifier has to be quoted right.
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    QCOMPARE(sqlite3_create_collation_v2(db.get(), jet::kCollation, SQLITE_UTF8, nullptr, compareDe, nullptr),
             SQLITE_OK);

    const char* schema = R"(
        CREATE TABLE Vorgang ("Index" INTEGER PRIMARY KEY, KDatum TEXT, Waffentyp INTEGER, Kaliber INTEGER,
            Hersteller INTEGER, SerienNr TEXT, Verkaufer INTEGER, VDatum TEXT, Kaufer INTEGER, EWB INTEGER,
            EWBNR TEXT, JDatum TEXT, Amt INTEGER, KauferAmt INTEGER, AmtDatum TEXT, BriefDatum TEXT, Notiz TEXT);
        CREATE TABLE Waffentyp ("Index" INTEGER PRIMARY KEY, WTyp TEXT);
        CREATE TABLE Kaliber ("Index" INTEGER PRIMARY KEY, Kaliber TEXT);
        CREATE TABLE Hersteller ("Index" INTEGER PRIMARY KEY, Hersteller TEXT);
        CREATE TABLE Kaufer ("Index" INTEGER PRIMARY KEY, Name TEXT);
        CREATE TABLE EWB ("Index" INTEGER PRIMARY KEY, EWB TEXT);
        CREATE TABLE Amt ("Index" INTEGER PRIMARY KEY, Name TEXT);
        INSERT INTO Waffentyp VALUES (1, 'Revolver'), (2, 'büchse'), (3, 'Flinte'), (4, 'Pistole');
        INSERT INTO Vorgang ("Index", KDatum, Waffentyp, Notiz) VALUES
            (10, '1999-12-01', 1, 'Lauf ''A'''), (11, '2000-01-15', 2, 'x'), (12, '1999-12-02', 3, NULL),
            (13, '2001-05-05', 4, NULL), (14, '1999-12-01', 9, NULL);
    )";
    char* error = nullptr;
    QVERIFY2(sqlite3_exec(db.get(), schema, nullptr, nullptr, &error) == SQLITE_OK, error);

    // Runs the translation and returns the first column of every row.
    auto run = [&](const QString& jetText) -> QList<int> {
        const jet::Translation t = translate(jetText);
        sqlite3_stmt* rawStatement = nullptr;
        const QByteArray sql = t.sql.toUtf8();
        if (sqlite3_prepare_v2(db.get(), sql.constData(), int(sql.size()), &rawStatement, nullptr) !=
            SQLITE_OK) {
            qWarning() << sqlite3_errmsg(db.get()) << t.sql;
            return {-1};
        }
        const std::unique_ptr<sqlite3_stmt, StatementFinalizer> statement(rawStatement);
        if (sqlite3_bind_parameter_count(rawStatement) != t.params.size())
            return {-2};
        for (int i = 0; i < t.params.size(); ++i) {
            const QByteArray value = t.params.at(i).toString().toUtf8();
            sqlite3_bind_text(rawStatement, i + 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        }
        QList<int> rows;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(rawStatement)) == SQLITE_ROW)
            rows << sqlite3_column_int(rawStatement, 0);
        if (rc != SQLITE_DONE)
            rows << -3;
        return rows;
    };
    auto sorted = [](QList<int> rows) {
        std::sort(rows.begin(), rows.end());
        return rows;
    };

    for (const QString& fromPart : sortFromParts())
        QVERIFY2(!run(kColumnList + fromPart).contains(-1), qPrintable(fromPart));

    // German collation, not byte order (which would put "büchse" last); the type without a row is left out.
    QCOMPARE(run(kColumnList + sortFromParts().at(2)), (QList<int>{11, 12, 13, 10}));
    QCOMPARE(run(kColumnList + QStringLiteral("FROM Vorgang ORDER BY Vorgang.KDatum DESC")).first(), 13);

    QCOMPARE(
        sorted(run(kColumnList + QStringLiteral("FROM Vorgang WHERE (((Vorgang.KDatum)=#12/1/1999#));"))),
        (QList<int>{10, 14}));
    QCOMPARE(
        run(kColumnList +
            QStringLiteral("FROM Waffentyp INNER JOIN Vorgang ON Waffentyp.Index=Vorgang.Waffentyp WHERE "
                           "(((Waffentyp.WTyp)=\"BÜCHSE\"));")),
        QList<int>{11});
    QCOMPARE(run(kColumnList + QStringLiteral("FROM Vorgang WHERE (((Vorgang.Notiz)=('lauf ''a''')));")),
             QList<int>{10});
    QCOMPARE(
        run(kColumnList +
            QStringLiteral("FROM Waffentyp INNER JOIN Vorgang ON Waffentyp.Index=Vorgang.Waffentyp WHERE "
                           "(((Waffentyp.WTyp) Like \"%LINT%\"));")),
        QList<int>{12});
    QCOMPARE(run(kColumnList + QStringLiteral("FROM Vorgang WHERE (((Vorgang.KDatum)=#12/1/1999#) AND "
                                              "((Vorgang.Notiz) Like \"%'A'%\"));")),
             QList<int>{10});
    QCOMPARE(sorted(run(QStringLiteral("select * from Vorgang"))), (QList<int>{10, 11, 12, 13, 14}));
}

void TestJetTranslator::identifierQuoting() {
    QCOMPARE(jet::quoted(QStringLiteral("Index")), QStringLiteral("\"Index\""));
    // A double quote in a name cannot end the identifier early.
    QCOMPARE(jet::quoted(QStringLiteral("a\"; DROP TABLE x; --")),
             QStringLiteral("\"a\"\"; DROP TABLE x; --\""));
}

QTEST_APPLESS_MAIN(TestJetTranslator)
