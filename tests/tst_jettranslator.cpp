#include "store/DatasetQuery.h"
#include "store/JetTranslator.h"
#include "store/RegisterQuery.h"
#include "store/Schema.h"

#include <QHash>
#include <QTest>
#include <sqlite3.h>

#include <memory>

using jet::ColumnKind;

Q_DECLARE_METATYPE(ColumnKind)

namespace {

// The register column list the program puts in front of every sort order and search.
const QString kColumnList = schema::registerColumnList();

const QString kSqlColumns = QStringLiteral(
    R"x("Vorgang"."Index", "Vorgang"."KDatum", "Vorgang"."Waffentyp", "Vorgang"."Kaliber", )x"
    R"x("Vorgang"."Hersteller", "Vorgang"."SerienNr", "Vorgang"."Verkaufer", "Vorgang"."VDatum", )x"
    R"x("Vorgang"."Kaufer", "Vorgang"."EWB", "Vorgang"."EWBNR", "Vorgang"."JDatum", "Vorgang"."Amt", )x"
    R"x("Vorgang"."KauferAmt", "Vorgang"."AmtDatum", "Vorgang"."BriefDatum", "Vorgang"."Notiz")x");

const QString kSqlSelect = QStringLiteral("SELECT ") + kSqlColumns;

// The FROM parts of the seventeen sort orders, as the program builds them, in combo box order.
QStringList sortFromParts() {
    QStringList parts;
    for (int p = 0; p < int(RegisterQuery::sortNames().size()); ++p)
        parts << RegisterQuery::fromPart(p);
    return parts;
}

std::optional<ColumnKind> registerKind(const QString& table, const QString& column) {
    static const QHash<QString, ColumnKind> kinds = {
        {QStringLiteral("vorgang.kdatum"), ColumnKind::Date},
        {QStringLiteral("vorgang.vdatum"), ColumnKind::Date},
        {QStringLiteral("vorgang.jdatum"), ColumnKind::Date},
        {QStringLiteral("vorgang.amtdatum"), ColumnKind::Date},
        {QStringLiteral("vorgang.briefdatum"), ColumnKind::Date},
        {QStringLiteral("vorgang.seriennr"), ColumnKind::Text},
        {QStringLiteral("vorgang.ewbnr"), ColumnKind::Text},
        {QStringLiteral("vorgang.notiz"), ColumnKind::Text},
        {QStringLiteral("waffentyp.wtyp"), ColumnKind::Text},
        {QStringLiteral("kaliber.kaliber"), ColumnKind::Text},
        {QStringLiteral("hersteller.hersteller"), ColumnKind::Text},
        {QStringLiteral("kaufer.name"), ColumnKind::Text},
        {QStringLiteral("amt.name"), ColumnKind::Text},
        {QStringLiteral("ewb.ewb"), ColumnKind::Text},
    };
    static const QStringList tables = {QStringLiteral("vorgang"), QStringLiteral("waffentyp"),
                                       QStringLiteral("kaliber"), QStringLiteral("hersteller"),
                                       QStringLiteral("kaufer"),  QStringLiteral("amt"),
                                       QStringLiteral("ewb")};
    const QString key = (table + QLatin1Char('.') + column).toLower();
    if (kinds.contains(key))
        return kinds.value(key);
    if (tables.contains(table.toLower()))
        return ColumnKind::Integer;
    return std::nullopt;
}

jet::Translation translate(const QString& text) {
    return jet::translate(text, registerKind);
}

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

class TestJetTranslator : public QObject {
    Q_OBJECT

private slots:
    void identifierQuoting();
    void sortOrders_data();
    void sortOrders();
    void searchExamples_data();
    void searchExamples();
    void selectStar();
    void datasetStatements();
    void nestedJoins();
    void textLiterals_data();
    void textLiterals();
    void dateLiterals_data();
    void dateLiterals();
    void comparisons_data();
    void comparisons();
    void keywordsAndLayout();
    void orderKindFromSchema();
    void baseTableAndColumns_data();
    void baseTableAndColumns();
    void refused_data();
    void refused();
    void runsOnSqlite();
};

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

void TestJetTranslator::textLiterals_data() {
    QTest::addColumn<QString>("literal");
    QTest::addColumn<QString>("value");

    QTest::newRow("doubled single quotes") << QStringLiteral("'Lauf ''A'''") << QStringLiteral("Lauf 'A'");
    QTest::newRow("doubled double quotes") << QStringLiteral(R"("a""b")") << QStringLiteral(R"(a"b)");
    QTest::newRow("other quote inside double") << QStringLiteral(R"("it's")") << QStringLiteral("it's");
    QTest::newRow("other quote inside single")
        << QStringLiteral(R"('say "hi"')") << QStringLiteral(R"(say "hi")");
    QTest::newRow("empty double") << QStringLiteral(R"("")") << QString();
    QTest::newRow("empty single") << QStringLiteral("''") << QString();
    QTest::newRow("only a doubled quote") << QStringLiteral("''''") << QStringLiteral("'");
    QTest::newRow("umlauts") << QStringLiteral(R"("Müller Ößé")") << QStringLiteral("Müller Ößé");
    QTest::newRow("statement text inside stays a value")
        << QStringLiteral(R"("a; DROP TABLE Vorgang -- /* x")")
        << QStringLiteral("a; DROP TABLE Vorgang -- /* x");
    QTest::newRow("quote smuggling stays a value")
        << QStringLiteral("'x'' OR ''1''=''1'") << QStringLiteral("x' OR '1'='1");
    QTest::newRow("keywords and placeholders inside")
        << QStringLiteral(R"("SELECT ? FROM #1/1/2000#")") << QStringLiteral("SELECT ? FROM #1/1/2000#");
}

void TestJetTranslator::textLiterals() {
    QFETCH(QString, literal);
    QFETCH(QString, value);

    const jet::Translation t =
        translate(QStringLiteral("SELECT Vorgang.Index FROM Vorgang WHERE Vorgang.Notiz=") + literal);
    QCOMPARE(t.where, QStringLiteral(R"x("Vorgang"."Notiz" = ? COLLATE DE)x"));
    QCOMPARE(t.params.size(), 1);
    QCOMPARE(t.params.first().typeId(), QMetaType::QString);
    QCOMPARE(t.params.first().toString(), value);
}

void TestJetTranslator::dateLiterals_data() {
    QTest::addColumn<QString>("literal");
    QTest::addColumn<QString>("iso");

    QTest::newRow("one digit each") << QStringLiteral("#1/2/2003#") << QStringLiteral("2003-01-02");
    QTest::newRow("two digits each") << QStringLiteral("#12/31/2010#") << QStringLiteral("2010-12-31");
    QTest::newRow("leading zeros") << QStringLiteral("#03/05/2003#") << QStringLiteral("2003-03-05");
    QTest::newRow("month before day") << QStringLiteral("#8/17/2005#") << QStringLiteral("2005-08-17");
    QTest::newRow("leap day") << QStringLiteral("#2/29/2004#") << QStringLiteral("2004-02-29");
    QTest::newRow("leap day of 2000") << QStringLiteral("#2/29/2000#") << QStringLiteral("2000-02-29");
    QTest::newRow("early year") << QStringLiteral("#1/1/0100#") << QStringLiteral("0100-01-01");
}

void TestJetTranslator::dateLiterals() {
    QFETCH(QString, literal);
    QFETCH(QString, iso);

    const jet::Translation t =
        translate(QStringLiteral("SELECT * FROM Vorgang WHERE (Vorgang.KDatum)=") + literal);
    // Dates compare as stored ISO text, without a collation.
    QCOMPARE(t.where, QStringLiteral(R"x(("Vorgang"."KDatum") = ?)x"));
    QCOMPARE(t.params, QVariantList{iso});
    QCOMPARE(t.params.first().typeId(), QMetaType::QString);
}

void TestJetTranslator::comparisons_data() {
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("where");

    QTest::newRow("text literal on the left")
        << QStringLiteral(R"("x"=Vorgang.Notiz)") << QStringLiteral(R"x(? COLLATE DE = "Vorgang"."Notiz")x");
    QTest::newRow("parenthesised text literal")
        << QStringLiteral(R"((Vorgang.Notiz)=(("x")))")
        << QStringLiteral(R"x(("Vorgang"."Notiz") = ((? COLLATE DE)))x");
    QTest::newRow("two columns stay plain") << QStringLiteral("Vorgang.Notiz=Vorgang.EWBNR")
                                            << QStringLiteral(R"x("Vorgang"."Notiz" = "Vorgang"."EWBNR")x");
    QTest::newRow("like with a text literal stays plain")
        << QStringLiteral(R"(Vorgang.Notiz LIKE "%x%")") << QStringLiteral(R"x("Vorgang"."Notiz" LIKE ?)x");
    QTest::newRow("date on the left")
        << QStringLiteral("#1/2/2003#=Vorgang.KDatum") << QStringLiteral(R"x(? = "Vorgang"."KDatum")x");
    QTest::newRow("two literals") << QStringLiteral(R"("a"='b')")
                                  << QStringLiteral(R"x(? COLLATE DE = ? COLLATE DE)x");
    QTest::newRow("and without parentheses")
        << QStringLiteral(R"(Vorgang.Notiz="a" AND Vorgang.EWBNR Like "b" AND Vorgang.KDatum=#1/1/2000#)")
        << QStringLiteral(
               R"x("Vorgang"."Notiz" = ? COLLATE DE AND "Vorgang"."EWBNR" LIKE ? AND "Vorgang"."KDatum" = ?)x");
    QTest::newRow("and inside parentheses")
        << QStringLiteral(R"(((Vorgang.Notiz="a") AND (Vorgang.EWBNR="b")))")
        << QStringLiteral(R"x((("Vorgang"."Notiz" = ? COLLATE DE) AND ("Vorgang"."EWBNR" = ? COLLATE DE)))x");
}

void TestJetTranslator::comparisons() {
    QFETCH(QString, condition);
    QFETCH(QString, where);
    const jet::Translation t =
        translate(QStringLiteral("SELECT * FROM Vorgang WHERE (") + condition + QStringLiteral(")"));
    QCOMPARE(t.where, QStringLiteral("(") + where + QStringLiteral(")"));
}

void TestJetTranslator::keywordsAndLayout() {
    const jet::Translation t =
        translate(QStringLiteral("\tselect\nvorgang . notiz,Vorgang.Index\r\nfROM vorgang WheRe "
                                 "vorgang.notiz lIKe 'a' aNd vorgang.ewbnr='b'"
                                 "  order   by vorgang.notiz desc ;  \n "));
    QCOMPARE(
        t.sql,
        QStringLiteral(
            R"x(SELECT "vorgang"."notiz", "Vorgang"."Index" FROM "vorgang" WHERE "vorgang"."notiz" LIKE ? AND "vorgang"."ewbnr" = ? COLLATE DE ORDER BY "vorgang"."notiz" COLLATE DE DESC)x"));
    QCOMPARE(t.params, (QVariantList{QStringLiteral("a"), QStringLiteral("b")}));
    QVERIFY(t.orderBy->descending);
    QCOMPARE(t.orderBy->sql, QStringLiteral(R"x("vorgang"."notiz" COLLATE DE DESC)x"));
    QCOMPARE(t.columns, (QStringList{QStringLiteral("notiz"), QStringLiteral("Index")}));

    const jet::Translation asc =
        translate(QStringLiteral("SELECT * FROM Vorgang ORDER BY Vorgang.KDatum ASC;"));
    QCOMPARE(asc.sql, QStringLiteral(R"x(SELECT * FROM "Vorgang" ORDER BY "Vorgang"."KDatum")x"));
    QVERIFY(!asc.orderBy->descending);

    const jet::Translation desc =
        translate(QStringLiteral("SELECT * FROM Vorgang ORDER BY Vorgang.Index DESC"));
    QCOMPARE(desc.orderBy->sql, QStringLiteral(R"x("Vorgang"."Index" DESC)x"));
}

void TestJetTranslator::orderKindFromSchema() {
    const QString text = QStringLiteral("SELECT * FROM Vorgang ORDER BY Vorgang.Notiz");

    // Without a schema, or for a column it does not know, the order stays plain.
    const jet::Translation noSchema = jet::translate(text);
    QVERIFY(!noSchema.orderBy->kind);
    QCOMPARE(noSchema.orderBy->sql, QStringLiteral(R"x("Vorgang"."Notiz")x"));

    const jet::Translation unknown = translate(QStringLiteral("SELECT * FROM Fremd ORDER BY Fremd.Name"));
    QVERIFY(!unknown.orderBy->kind);
    QCOMPARE(unknown.orderBy->sql, QStringLiteral(R"x("Fremd"."Name")x"));

    // The lookup gets table and column as written.
    QString askedTable;
    QString askedColumn;
    const jet::Translation boolean =
        jet::translate(text, [&](const QString& table, const QString& column) -> std::optional<ColumnKind> {
            askedTable = table;
            askedColumn = column;
            return ColumnKind::Boolean;
        });
    QCOMPARE(askedTable, QStringLiteral("Vorgang"));
    QCOMPARE(askedColumn, QStringLiteral("Notiz"));
    QCOMPARE(boolean.orderBy->kind, std::optional<ColumnKind>(ColumnKind::Boolean));
    QCOMPARE(boolean.orderBy->sql, QStringLiteral(R"x("Vorgang"."Notiz")x"));
}

void TestJetTranslator::baseTableAndColumns_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("baseTable");
    QTest::addColumn<QStringList>("columns");

    const QString join = QStringLiteral(" FROM Kaufer INNER JOIN Vorgang ON Kaufer.Index=Vorgang.Kaufer");
    QTest::newRow("star over a join") << QStringLiteral("SELECT *") + join << QString() << QStringList();
    QTest::newRow("names differing in case are one table")
        << QStringLiteral("SELECT vorgang.Index, VORGANG.Notiz FROM Vorgang") << QStringLiteral("vorgang")
        << QStringList{QStringLiteral("Index"), QStringLiteral("Notiz")};
    QTest::newRow("columns of a joined table")
        << QStringLiteral("SELECT Kaufer.Name, Kaufer.Ort") + join << QStringLiteral("Kaufer")
        << QStringList{QStringLiteral("Name"), QStringLiteral("Ort")};
    QTest::newRow("mixed tables") << QStringLiteral("SELECT Vorgang.Index, Kaufer.Name") + join << QString()
                                  << QStringList{QStringLiteral("Index"), QStringLiteral("Name")};
    QTest::newRow("a different table in the middle")
        << QStringLiteral("SELECT Kaufer.Name, Vorgang.Index, Kaufer.Ort") + join << QString()
        << QStringList{QStringLiteral("Name"), QStringLiteral("Index"), QStringLiteral("Ort")};
    QTest::newRow("single column") << QStringLiteral("SELECT Amt.Name FROM Amt") << QStringLiteral("Amt")
                                   << QStringList{QStringLiteral("Name")};
}

void TestJetTranslator::baseTableAndColumns() {
    QFETCH(QString, text);
    QFETCH(QString, baseTable);
    QFETCH(QStringList, columns);

    const jet::Translation t = translate(text);
    QCOMPARE(t.baseTable, baseTable);
    QCOMPARE(t.columns, columns);
}

void TestJetTranslator::refused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // exact text where it matters, else empty

    auto refuse = [](const char* name, const QString& text, const QString& message = {}) {
        QTest::newRow(name) << text << message;
    };
    const QString star = QStringLiteral("SELECT * FROM Vorgang");
    const QString where = QStringLiteral("SELECT * FROM Vorgang WHERE ");
    const QString join = QStringLiteral("SELECT * FROM Kaufer ");

    refuse("empty", QString(), QStringLiteral("Syntaxfehler in der Abfrage: die Abfrage ist leer."));
    refuse("blanks only", QStringLiteral(" \t\n "),
           QStringLiteral("Syntaxfehler in der Abfrage: die Abfrage ist leer."));
    refuse("delete", QStringLiteral("DELETE FROM Vorgang"),
           QStringLiteral("Syntaxfehler in der Abfrage: unerwartetes 'DELETE' an Position 1."));
    refuse("update", QStringLiteral("UPDATE Vorgang SET Notiz='x'"));
    refuse("drop", QStringLiteral("DROP TABLE Vorgang"));
    refuse("pragma", QStringLiteral("PRAGMA table_info(Vorgang)"));
    refuse("insert", QStringLiteral("INSERT INTO Vorgang VALUES ('x')"));
    refuse("second statement", star + QStringLiteral("; DELETE FROM Vorgang"),
           QStringLiteral("Syntaxfehler in der Abfrage: unerwartetes 'DELETE' an Position 24."));
    refuse("second semicolon", star + QStringLiteral(";;"));
    refuse("semicolon inside", QStringLiteral("SELECT * FROM Vorgang; ORDER BY Vorgang.Index"));
    refuse("sub-select in FROM", QStringLiteral("SELECT * FROM (SELECT * FROM Vorgang)"));
    refuse("sub-select in WHERE",
           where + QStringLiteral("Vorgang.Index=(SELECT Vorgang.Index FROM Vorgang)"));
    refuse("or", where + QStringLiteral("Vorgang.Notiz='a' OR Vorgang.Notiz='b'"),
           QStringLiteral("Syntaxfehler in der Abfrage: unerwartetes 'OR' an Position 47."));
    refuse("or between parentheses",
           where + QStringLiteral("((Vorgang.Notiz)='a') OR ((Vorgang.Notiz)='b')"));
    refuse("not", where + QStringLiteral("NOT Vorgang.Notiz='a'"));
    refuse("is null", where + QStringLiteral("Vorgang.Notiz IS NULL"),
           QStringLiteral("Syntaxfehler in der Abfrage: unerwartetes 'IS' an Position 43."));
    refuse("in", where + QStringLiteral("Vorgang.Notiz IN ('a')"));
    refuse("less", where + QStringLiteral("Vorgang.Index<Vorgang.Kaufer"));
    refuse("greater", where + QStringLiteral("Vorgang.Index>Vorgang.Kaufer"));
    refuse("not equal", where + QStringLiteral("Vorgang.Index<>Vorgang.Kaufer"),
           QStringLiteral("Syntaxfehler in der Abfrage: unerwartetes '<>' an Position 42."));
    refuse("plus", where + QStringLiteral("Vorgang.Index+Vorgang.Kaufer=Vorgang.Amt"));
    refuse("concatenation", where + QStringLiteral("Vorgang.Notiz='a' || 'b'"));
    refuse("function in WHERE", where + QStringLiteral("UCASE(Vorgang.Notiz)='A'"),
           QStringLiteral("Syntaxfehler in der Abfrage: unerwartetes 'UCASE' an Position 29."));
    refuse("function in select list", QStringLiteral("SELECT COUNT(Vorgang.Index) FROM Vorgang"));
    refuse("number", where + QStringLiteral("Vorgang.Kaufer=1"),
           QStringLiteral("Syntaxfehler in der Abfrage: unerwartetes '1' an Position 44."));
    refuse("decimal number", where + QStringLiteral("Vorgang.Kaufer=1.5"));
    refuse("number as table", QStringLiteral("SELECT * FROM 1"));
    refuse("placeholder", where + QStringLiteral("Vorgang.Notiz=?"));
    refuse("named parameter", where + QStringLiteral("Vorgang.Notiz=:x"));
    refuse("bracketed identifier", QStringLiteral("SELECT [Vorgang].[Index] FROM Vorgang"));
    refuse("backquoted identifier", QStringLiteral("SELECT * FROM `Vorgang`"));
    refuse("line comment", star + QStringLiteral(" -- x"),
           QStringLiteral("Syntaxfehler in der Abfrage: unerwartetes '--' an Position 23."));
    refuse("line comment after semicolon", star + QStringLiteral("; -- x"));
    refuse("block comment", star + QStringLiteral(" /* x */"));
    refuse("underscore first", QStringLiteral("SELECT * FROM _Vorgang"));
    refuse("unterminated double quote", where + QStringLiteral("Vorgang.Notiz=\"abc"),
           QStringLiteral("Syntaxfehler in der Abfrage: nicht abgeschlossene Zeichenkette an Position 43."));
    refuse("unterminated single quote", where + QStringLiteral("Vorgang.Notiz='abc"));
    refuse("unterminated after doubled quote", where + QStringLiteral("Vorgang.Notiz='abc''"));
    refuse("double quote typed into a search", where + QStringLiteral("((Vorgang.SerienNr)=\"12\"3\")"));
    refuse("left join", join + QStringLiteral("LEFT JOIN Vorgang ON Kaufer.Index=Vorgang.Kaufer"));
    refuse("right join", join + QStringLiteral("RIGHT JOIN Vorgang ON Kaufer.Index=Vorgang.Kaufer"));
    refuse("join without inner", join + QStringLiteral("JOIN Vorgang ON Kaufer.Index=Vorgang.Kaufer"));
    refuse("inner without join", join + QStringLiteral("INNER Vorgang ON Kaufer.Index=Vorgang.Kaufer"));
    refuse("join without on", join + QStringLiteral("INNER JOIN Vorgang"));
    refuse("comma join", QStringLiteral("SELECT * FROM Kaufer, Vorgang"));
    refuse("on without a comparison", join + QStringLiteral("INNER JOIN Vorgang ON Kaufer.Index"));
    refuse("parenthesised on value",
           QStringLiteral("SELECT * FROM (Kaufer INNER JOIN Vorgang ON (Kaufer.Index))"));
    refuse("parenthesised single table", QStringLiteral("SELECT * FROM (Vorgang)"));
    refuse("alias", QStringLiteral("SELECT * FROM Vorgang V"));
    refuse("group by", QStringLiteral("SELECT Vorgang.Kaufer FROM Vorgang GROUP BY Vorgang.Kaufer"));
    refuse("order by two columns", star + QStringLiteral(" ORDER BY Vorgang.Kaufer, Vorgang.Index"));
    refuse("order without by", star + QStringLiteral(" ORDER Vorgang.Index"));
    refuse("order by nothing", star + QStringLiteral(" ORDER BY"),
           QStringLiteral("Syntaxfehler in der Abfrage: unerwartetes Ende der Abfrage."));
    refuse("order by twice a direction", star + QStringLiteral(" ORDER BY Vorgang.Index DESC ASC"));
    refuse("order by a text", star + QStringLiteral(" ORDER BY 'x'"));
    refuse("collate", where + QStringLiteral("Vorgang.Notiz='a' COLLATE NOCASE"));
    refuse("escape", where + QStringLiteral("Vorgang.Notiz LIKE 'a' ESCAPE '!'"));
    refuse("bare column in select", QStringLiteral("SELECT Index FROM Vorgang"),
           QStringLiteral("Syntaxfehler in der Abfrage: Spalte ohne Tabelle 'Index' an Position 8."));
    refuse("bare column in ON", join + QStringLiteral("INNER JOIN Vorgang ON Index=Vorgang.Kaufer"));
    refuse("bare column in WHERE", where + QStringLiteral("(Notiz)='a'"));
    refuse("bare column in ORDER BY", star + QStringLiteral(" ORDER BY Notiz"));
    refuse("star with a column", QStringLiteral("SELECT *, Vorgang.Index FROM Vorgang"));
    refuse("table star", QStringLiteral("SELECT Vorgang.* FROM Vorgang"));
    refuse("three-part name", QStringLiteral("SELECT main.Vorgang.Index FROM Vorgang"));
    refuse("distinct", QStringLiteral("SELECT DISTINCT Vorgang.Index FROM Vorgang"));
    refuse("no FROM", QStringLiteral("SELECT *"));
    refuse("nothing after FROM", QStringLiteral("SELECT * FROM"));
    refuse("empty WHERE", where);
    refuse("WHERE with a value only", where + QStringLiteral("(Vorgang.Notiz)"));
    refuse("WHERE with a literal only", where + QStringLiteral("'a'"));
    refuse("comparison as left operand", where + QStringLiteral("(Vorgang.Notiz='a')='b'"),
           QStringLiteral("Syntaxfehler in der Abfrage: Vergleich als Operand an Position 29."));
    refuse("comparison as right operand", where + QStringLiteral("Vorgang.Notiz=(Vorgang.EWBNR='b')"),
           QStringLiteral("Syntaxfehler in der Abfrage: Vergleich als Operand an Position 43."));
    refuse("chained comparison", where + QStringLiteral("Vorgang.Notiz=Vorgang.EWBNR=Vorgang.SerienNr"));
    refuse("AND with a value on the left", where + QStringLiteral("Vorgang.Notiz AND Vorgang.Notiz='a'"));
    refuse("AND with a value on the right",
           where + QStringLiteral("(Vorgang.Notiz='a') AND (Vorgang.EWBNR)"));
    refuse("AND with values", where + QStringLiteral("(Vorgang.Notiz AND Vorgang.EWBNR)='a'"));
    refuse("dangling AND", where + QStringLiteral("Vorgang.Notiz='a' AND"));
    refuse("missing closing parenthesis", where + QStringLiteral("((Vorgang.Notiz='a')"));
    refuse("extra closing parenthesis", where + QStringLiteral("(Vorgang.Notiz='a'))"));
    refuse("invalid date", where + QStringLiteral("Vorgang.KDatum=#2/31/2003#"),
           QStringLiteral("Ungültiges Datum in der Abfrage: #2/31/2003#"));
    refuse("no leap day", where + QStringLiteral("Vorgang.KDatum=#2/29/2003#"),
           QStringLiteral("Ungültiges Datum in der Abfrage: #2/29/2003#"));
    refuse("month 13", where + QStringLiteral("Vorgang.KDatum=#13/1/2003#"));
    refuse("month 0", where + QStringLiteral("Vorgang.KDatum=#0/1/2003#"));
    refuse("day 0", where + QStringLiteral("Vorgang.KDatum=#1/0/2003#"));
    refuse("two-digit year", where + QStringLiteral("Vorgang.KDatum=#1/2/03#"),
           QStringLiteral("Ungültiges Datum in der Abfrage: #1/2/03#"));
    refuse("five-digit year", where + QStringLiteral("Vorgang.KDatum=#1/2/20030#"));
    refuse("three-digit month", where + QStringLiteral("Vorgang.KDatum=#001/2/2003#"));
    refuse("year 0", where + QStringLiteral("Vorgang.KDatum=#1/1/0000#"));
    refuse("ISO date", where + QStringLiteral("Vorgang.KDatum=#2003-01-02#"));
    refuse("date with time", where + QStringLiteral("Vorgang.KDatum=#1/2/2003 10:00#"));
    refuse("blank in date", where + QStringLiteral("Vorgang.KDatum=# 1/2/2003#"));
    refuse("empty date", where + QStringLiteral("Vorgang.KDatum=##"));
    refuse("unterminated date", where + QStringLiteral("Vorgang.KDatum=#1/2/2003"),
           QStringLiteral("Syntaxfehler in der Abfrage: nicht abgeschlossenes Datum an Position 44."));
}

void TestJetTranslator::refused() {
    QFETCH(QString, text);
    QFETCH(QString, message);

    try {
        jet::translate(text, registerKind);
        QFAIL("accepted");
    } catch (const jet::SyntaxError& e) {
        if (!message.isEmpty())
            QCOMPARE(e.message(), message);
        QVERIFY2(e.message().startsWith(QStringLiteral("Syntaxfehler in der Abfrage: ")) ||
                     e.message().startsWith(QStringLiteral("Ungültiges Datum in der Abfrage: ")),
                 qPrintable(e.message()));
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

#include "tst_jettranslator.moc"
