// The search statement texts, the date conversion, and what combined searches find on a real
// database.
#include "common/DbError.h"
#include "search/SearchBuilder.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/JetTranslator.h"
#include "store/Schema.h"
#include "support/StoreHelpers.h"
#include "support/TestFolder.h"

#include <QTest>

using namespace Qt::StringLiterals;
using search::SearchCriteria;
Q_DECLARE_METATYPE(SearchCriteria)

namespace {

const QString kHead = schema::registerColumnList();

QString statementTail(const SearchCriteria& c) {
    const QString s = search::buildSearchStatement(c);
    if (!s.startsWith(kHead))
        return u"<no register column list> "_s + s;
    return s.mid(kHead.size());
}

SearchCriteria one(int criterion, const QString& text, bool exact) {
    SearchCriteria c;
    c.set(criterion, text);
    c.exact = exact;
    return c;
}

QString conversionError(const QString& text) {
    return dbErrorOf([&] { GermanDateToSqlDate(text); });
}

// Buyers and sellers, both authorities and the note vary in case and umlauts.
void fillRegister(const TestFolder& f) {
    f.sql(uR"(
INSERT INTO "Waffentyp" ("Index", "WTyp") VALUES (1, 'Büchse'), (2, 'Flinte'), (3, 'Revolver');
INSERT INTO "Kaliber" ("Index", "Kaliber") VALUES (1, '.308 Win'), (2, '12/70');
INSERT INTO "Hersteller" ("Index", "Hersteller") VALUES (1, 'Zeiss'), (2, 'Ärzte-Waffen');
INSERT INTO "Kaufer" ("Index", "Name", "Geschlecht", "EWB", "EWBAmt", "KAmt") VALUES
    (2, 'Zürich Jagd', 2, 1, 1, 1), (3, 'Bär, Anna', 1, 2, 2, 2), (4, 'Äpfel, Otto', 2, 1, 1, 1),
    (5, 'ÄPFEL, OTTO', 2, 1, 1, 1);
INSERT INTO "Amt" ("Index", "Name") VALUES (2, 'Landratsamt Ölberg'), (3, 'Ordnungsamt Aachen');
INSERT INTO "Vorgang" ("Index", "KDatum", "Waffentyp", "Kaliber", "Hersteller", "SerienNr", "Verkaufer",
    "VDatum", "Kaufer", "EWB", "EWBNR", "JDatum", "Amt", "KauferAmt", "AmtDatum", "BriefDatum", "Notiz") VALUES
    (1, '2023-03-01', 2, 1, 2, 'A-100', 3, NULL, 4, 1, NULL, NULL, 2, 3, NULL, NULL, 'erste Waffe'),
    (2, '2022-12-24', 1, 2, 1, 'b-200', 3, '2023-01-05', 5, 2, 'WBK 17', NULL, 2, 2, '2020-06-01', NULL,
        'Zweite "x"'),
    (3, '2023-03-01', 2, 2, 2, 'Ä-300', 2, NULL, 1, 1, NULL, NULL, 1, 1, NULL, NULL, 'ERSTE'),
    (4, '2021-07-15', 2, 1, 1, 'a-100', 4, '2021-08-01', 3, 2, 'JS 1', NULL, 3, 2, NULL, NULL, 'Lauf ''A'''),
    (5, '2023-03-01', 3, 1, 2, 'Z-9', 2, NULL, 1, 1, NULL, NULL, 1, 1, NULL, NULL, 'zweitens');
)"_s);
}

} // namespace

class TestSearchBuilder : public QObject {
    Q_OBJECT
private slots:
    void singleCriterion_data();
    void singleCriterion();
    void examplesAndOrder();
    void quotesAndEmptyFields();
    void combinedStatementText();
    void dateConversion_data();
    void dateConversion();
    void dateStopsTheBuild();
    void aliasGrammar();
    void storedStatementCheck();
    void combinedSearchesFindTheRows_data();
    void combinedSearchesFindTheRows();
};

void TestSearchBuilder::singleCriterion_data() {
    QTest::addColumn<int>("criterion");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("exact");
    QTest::addColumn<QString>("partial");
    const QString reg = u"FROM Vorgang WHERE "_s;
    auto join = [](const char* table, const char* key) {
        return u"FROM %1 INNER JOIN Vorgang ON %1.Index=Vorgang.%2 WHERE "_s.arg(QLatin1String(table),
                                                                                 QLatin1String(key));
    };
    auto date = [&](const char* column) {
        const QString s = reg + u"(((Vorgang.%1)=#3/5/2003#));"_s.arg(QLatin1String(column));
        return s;
    };
    QTest::newRow("0 Kauf-Datum") << 0 << u"05.03.2003"_s << date("KDatum") << date("KDatum");
    QTest::newRow("1 Verkaufs-Datum") << 1 << u"05.03.2003"_s << date("VDatum") << date("VDatum");
    QTest::newRow("2 EWB-Datum") << 2 << u"05.03.2003"_s << date("AmtDatum") << date("AmtDatum");
    QTest::newRow("3 Jagd-Datum") << 3 << u"05.03.2003"_s << date("JDatum") << date("JDatum");
    QTest::newRow("4 Brief-Datum") << 4 << u"05.03.2003"_s << date("BriefDatum") << date("BriefDatum");
    QTest::newRow("5 Käufer") << 5 << u"Nord"_s << join("Kaufer", "Kaufer") + u"(((Kaufer.Name)=\"Nord\"));"_s
                              << join("Kaufer", "Kaufer") + u"(((Kaufer.Name) Like \"%Nord%\"));"_s;
    QTest::newRow("6 Verkäufer") << 6 << u"Nord"_s
                                 << join("Kaufer", "Verkaufer") + u"(((Kaufer.Name)=\"Nord\"));"_s
                                 << join("Kaufer", "Verkaufer") + u"(((Kaufer.Name) Like \"%Nord%\"));"_s;
    QTest::newRow("7 Waffentyp") << 7 << u"Flinte"_s
                                 << join("Waffentyp", "Waffentyp") + u"(((Waffentyp.WTyp)=\"Flinte\"));"_s
                                 << join("Waffentyp", "Waffentyp") +
                                        u"(((Waffentyp.WTyp) Like \"%Flinte%\"));"_s;
    QTest::newRow("8 Kaliber") << 8 << u"12/70"_s
                               << join("Kaliber", "Kaliber") + u"(((Kaliber.Kaliber)=\"12/70\"));"_s
                               << join("Kaliber", "Kaliber") + u"(((Kaliber.Kaliber) Like \"%12/70%\"));"_s;
    QTest::newRow("9 Amt oder Land") << 9 << u"Ölberg"_s
                                     << join("Amt", "Amt") + u"(((Amt.Name)=\"Ölberg\"));"_s
                                     << join("Amt", "Amt") + u"(((Amt.Name) Like \"%Ölberg%\"));"_s;
    QTest::newRow("10 EWB") << 10 << u"WBK"_s << join("EWB", "EWB") + u"(((EWB.EWB)=\"WBK\"));"_s
                            << join("EWB", "EWB") + u"(((EWB.EWB) Like \"%WBK%\"));"_s;
    QTest::newRow("11 Käufer-Amt") << 11 << u"Ölberg"_s
                                   << join("Amt", "KauferAmt") + u"(((Amt.Name)=\"Ölberg\"));"_s
                                   << join("Amt", "KauferAmt") + u"(((Amt.Name) Like \"%Ölberg%\"));"_s;
    QTest::newRow("12 EWB-Nr.") << 12 << u"JS 1"_s << reg + u"(((Vorgang.EWBNR)=\"JS 1\"));"_s
                                << reg + u"(((Vorgang.EWBNR) Like \"%JS 1%\"));"_s;
    QTest::newRow("13 Fabrik") << 13 << u"Zeiss"_s
                               << join("Hersteller", "Hersteller") +
                                      u"(((Hersteller.Hersteller)=\"Zeiss\"));"_s
                               << join("Hersteller", "Hersteller") +
                                      u"(((Hersteller.Hersteller) Like \"%Zeiss%\"));"_s;
    QTest::newRow("14 Serien-Nr.") << 14 << u"123"_s << reg + u"(((Vorgang.SerienNr)=\"123\"));"_s
                                   << reg + u"(((Vorgang.SerienNr) Like \"%123%\"));"_s;
    QTest::newRow("15 Notiz") << 15 << u"Lauf"_s << reg + u"(((Vorgang.Notiz)='Lauf'));"_s
                              << reg + u"(((Vorgang.Notiz) Like \"%Lauf%\"));"_s;
}

void TestSearchBuilder::singleCriterion() {
    QFETCH(int, criterion);
    QFETCH(QString, text);
    QFETCH(QString, exact);
    QFETCH(QString, partial);
    QCOMPARE(statementTail(one(criterion, text, true)), exact);
    QCOMPARE(statementTail(one(criterion, text, false)), partial);
    // Every statement the builder makes is one the translator takes and the results view runs.
    search::requireSearchStatement(search::buildSearchStatement(one(criterion, text, false)));
}

void TestSearchBuilder::examplesAndOrder() {
    SearchCriteria a;
    a.set(search::VDatum, u"05.03.2003"_s);
    a.set(search::SerienNr, u"123"_s);
    QCOMPARE(
        statementTail(a),
        u"FROM Vorgang WHERE (((Vorgang.VDatum)=#3/5/2003#) AND ((Vorgang.SerienNr) Like \"%123%\"));"_s);
    QCOMPARE(statementTail(one(search::KDatum, u"01.12.1999"_s, false)),
             u"FROM Vorgang WHERE (((Vorgang.KDatum)=#12/1/1999#));"_s);
    QCOMPARE(
        statementTail(one(search::Kaufer, u"Nord"_s, true)),
        u"FROM Kaufer INNER JOIN Vorgang ON Kaufer.Index=Vorgang.Kaufer WHERE (((Kaufer.Name)=\"Nord\"));"_s);
    SearchCriteria d;
    d.exact = true;
    d.set(search::Notiz, u"Lauf 'A'"_s); // ticked first, still comes last
    d.set(search::EWBDatum, u"17.08.2005"_s);
    QCOMPARE(statementTail(d),
             u"FROM Vorgang WHERE (((Vorgang.AmtDatum)=#8/17/2005#) AND ((Vorgang.Notiz)='Lauf ''A'''));"_s);

    // Date and text criteria together; the date reads the same exact or partial.
    SearchCriteria e;
    e.set(search::BriefDatum, u"31.12.2010"_s);
    e.set(search::KDatum, u" 1.12.1999"_s);
    e.set(search::EWBNR, u"x"_s);
    const QString partial = statementTail(e);
    QCOMPARE(partial,
             u"FROM Vorgang WHERE (((Vorgang.KDatum)=#12/1/1999#) AND ((Vorgang.BriefDatum)=#12/31/2010#) "
             "AND ((Vorgang.EWBNR) Like \"%x%\"));"_s);
    e.exact = true;
    QCOMPARE(statementTail(e), QString(partial).replace(u" Like \"%x%\""_s, u"=\"x\""_s));

    // Unticked texts take no part; nothing ticked builds nothing.
    SearchCriteria none;
    none.texts[search::Kaufer] = u"Nord"_s;
    QVERIFY(search::buildSearchStatement(none).isEmpty());
}

void TestSearchBuilder::quotesAndEmptyFields() {
    QCOMPARE(statementTail(one(search::SerienNr, QString(), true)),
             u"FROM Vorgang WHERE (((Vorgang.SerienNr)=\"\"));"_s);
    QCOMPARE(statementTail(one(search::SerienNr, QString(), false)),
             u"FROM Vorgang WHERE (((Vorgang.SerienNr) Like \"%%\"));"_s);
    QCOMPARE(statementTail(one(search::Notiz, QString(), true)),
             u"FROM Vorgang WHERE (((Vorgang.Notiz)=''));"_s);
    // A typed double quote is doubled, so the text is searched as typed; single quotes stay.
    QCOMPARE(statementTail(one(search::SerienNr, u"7\" 'a'"_s, true)),
             u"FROM Vorgang WHERE (((Vorgang.SerienNr)=\"7\"\" 'a'\"));"_s);
    QCOMPARE(statementTail(one(search::Kaufer, u"\"Nord\""_s, false)),
             u"FROM Kaufer INNER JOIN Vorgang ON Kaufer.Index=Vorgang.Kaufer WHERE (((Kaufer.Name) Like "
             "\"%\"\"Nord\"\"%\"));"_s);
    QCOMPARE(statementTail(one(search::Notiz, u"a\"b"_s, true)),
             u"FROM Vorgang WHERE (((Vorgang.Notiz)='a\"b'));"_s);
    // Wildcards typed into a partial criterion stay wildcards.
    QCOMPARE(statementTail(one(search::Notiz, u"a_%"_s, false)),
             u"FROM Vorgang WHERE (((Vorgang.Notiz) Like \"%a_%%\"));"_s);
}

void TestSearchBuilder::combinedStatementText() {
    SearchCriteria c;
    c.set(search::Verkaufer, u"B"_s);
    c.set(search::Kaufer, u"A"_s);
    c.set(search::SerienNr, u"1"_s);
    c.set(search::KauferAmt, u"C"_s);
    QCOMPARE(statementTail(c),
             u"FROM ((Vorgang INNER JOIN Kaufer AS L_Kaufer ON L_Kaufer.Index=Vorgang.Kaufer) "
             "INNER JOIN Kaufer AS L_Verkaufer ON L_Verkaufer.Index=Vorgang.Verkaufer) "
             "INNER JOIN Amt AS L_KauferAmt ON L_KauferAmt.Index=Vorgang.KauferAmt WHERE "
             "(((L_Kaufer.Name) Like \"%A%\") AND ((L_Verkaufer.Name) Like \"%B%\") AND "
             "((L_KauferAmt.Name) Like \"%C%\") AND ((Vorgang.SerienNr) Like \"%1%\"));"_s);
    search::requireSearchStatement(search::buildSearchStatement(c));
}

void TestSearchBuilder::dateConversion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result"); // or the error message
    QTest::newRow("plain") << u"05.03.2003"_s << u"3/5/2003"_s;
    QTest::newRow("end of year") << u"31.12.2010"_s << u"12/31/2010"_s;
    QTest::newRow("blank before a digit") << u" 1.12.1999"_s << u"12/1/1999"_s;
    QTest::newRow("not a calendar date") << u"31.02.2003"_s << u"2/31/2003"_s;
    QTest::newRow("largest part") << u"1.1.65535"_s << u"1/1/65535"_s;
    QTest::newRow("empty mask") << u"  .  .    "_s << u"''  '' ist kein gültiger Integer-Wert"_s;
    QTest::newRow("blank month") << u"05.  .2003"_s << u"''  '' ist kein gültiger Integer-Wert"_s;
    QTest::newRow("trailing blank") << u"1 .12.1999"_s << u"''1 '' ist kein gültiger Integer-Wert"_s;
    QTest::newRow("letters") << u"05.Mä.2003"_s << u"''Mä'' ist kein gültiger Integer-Wert"_s;
    QTest::newRow("sign") << u"-5.03.2003"_s << u"''-5'' ist kein gültiger Integer-Wert"_s;
    QTest::newRow("no points") << u"05032003"_s << u"'''' ist kein gültiger Integer-Wert"_s;
    QTest::newRow("one point") << u"05.032003"_s << u"'''' ist kein gültiger Integer-Wert"_s;
    QTest::newRow("over 65535") << u"05.03.65536"_s << u"''65536'' ist kein gültiger Integer-Wert"_s;
    QTest::newRow("far over") << u"05.03.99999999999"_s
                              << u"''99999999999'' ist kein gültiger Integer-Wert"_s;
}

void TestSearchBuilder::dateConversion() {
    QFETCH(QString, text);
    QFETCH(QString, result);
    const QString error = conversionError(text);
    if (result.contains(u"Integer-Wert"_s))
        QCOMPARE(error, result);
    else
        QCOMPARE(GermanDateToSqlDate(text), result);
}

void TestSearchBuilder::dateStopsTheBuild() {
    SearchCriteria c;
    c.set(search::SerienNr, u"1"_s);
    c.set(search::JDatum, u"  .  .    "_s);
    QCOMPARE(dbErrorOf([&] { search::buildSearchStatement(c); }), u"''  '' ist kein gültiger Integer-Wert"_s);
}

void TestSearchBuilder::aliasGrammar() {
    const jet::Translation t = jet::translate(
        u"SELECT Vorgang.Index FROM (Vorgang INNER JOIN Kaufer AS K ON K.Index=Vorgang.Kaufer) "
        "INNER JOIN Kaufer AS V ON V.Index=Vorgang.Verkaufer WHERE ((K.Name)=\"a\");"_s);
    QCOMPARE(t.from,
             u"(\"Vorgang\" INNER JOIN \"Kaufer\" AS \"K\" ON \"K\".\"Index\" = \"Vorgang\".\"Kaufer\") "
             "INNER JOIN \"Kaufer\" AS \"V\" ON \"V\".\"Index\" = \"Vorgang\".\"Verkaufer\""_s);
    QCOMPARE(t.tables, (QStringList{u"Vorgang"_s, u"Kaufer"_s, u"Kaufer"_s}));
    QCOMPARE(t.baseTable, u"Vorgang"_s);
    // Only a joined table takes an alias, and only a plain name.
    for (const QString& bad :
         {u"SELECT * FROM Vorgang AS V"_s,
          u"SELECT * FROM Vorgang AS V INNER JOIN Kaufer ON V.Kaufer=Kaufer.Index"_s,
          u"SELECT * FROM Vorgang INNER JOIN Kaufer AS \"K\" ON K.Index=Vorgang.Kaufer"_s,
          u"SELECT * FROM Vorgang INNER JOIN Kaufer AS ON Kaufer.Index=Vorgang.Kaufer"_s,
          u"SELECT * FROM Vorgang INNER JOIN Kaufer K ON K.Index=Vorgang.Kaufer"_s,
          u"SELECT Vorgang.Index AS X FROM Vorgang"_s})
        QVERIFY2(!dbErrorOf([&] { jet::translate(bad); }).isEmpty(), qPrintable(bad));
}

void TestSearchBuilder::storedStatementCheck() {
    search::requireSearchStatement(u"select * from Vorgang"_s);
    search::requireSearchStatement(kHead + u"FROM Vorgang WHERE ((Vorgang.Notiz) Like \"%a%\");"_s);
    const QString longText =
        kHead + u"FROM Vorgang WHERE ((Vorgang.Notiz) Like \"%"_s + QString(100 * 1024, u'a') + u"%\");"_s;
    for (const QString& bad : {u"DELETE FROM Vorgang"_s, u"select * from Vorgang; DELETE FROM Vorgang"_s,
                               u"select * from Kaufer"_s, u"SELECT Vorgang.Index FROM Vorgang"_s,
                               u"select * from Vorgang INNER JOIN Kaufer ON Kaufer.Index=Vorgang.Kaufer"_s,
                               u"SELECT Kaufer.Index, Vorgang.KDatum FROM Vorgang"_s, longText})
        QVERIFY2(!dbErrorOf([&] { search::requireSearchStatement(bad); }).isEmpty(),
                 qPrintable(bad.left(80)));
}

void TestSearchBuilder::combinedSearchesFindTheRows_data() {
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<QStringList>("indexes");
    auto make = [](bool exact, std::initializer_list<std::pair<int, QString>> items) {
        SearchCriteria c;
        c.exact = exact;
        for (const auto& [criterion, text] : items)
            c.set(criterion, text);
        return c;
    };
    QTest::newRow("buyer and seller")
        << make(false, {{search::Kaufer, u"äpfel"_s}, {search::Verkaufer, u"BÄR"_s}})
        << QStringList{u"1"_s, u"2"_s};
    QTest::newRow("both authorities")
        << make(false, {{search::Amt, u"ölberg"_s}, {search::KauferAmt, u"AACHEN"_s}}) << QStringList{u"1"_s};
    QTest::newRow("two lists exact") << make(true,
                                             {{search::WTyp, u"FLINTE"_s}, {search::Kaliber, u".308 win"_s}})
                                     << QStringList{u"1"_s, u"4"_s};
    QTest::newRow("list, date and text")
        << make(false,
                {{search::Fabrik, u"ärzte"_s}, {search::KDatum, u"01.03.2023"_s}, {search::Notiz, u"ERST"_s}})
        << QStringList{u"1"_s, u"3"_s};
    QTest::newRow("list then register text")
        << make(true, {{search::Kaufer, u"äpfel, otto"_s}, {search::SerienNr, u"A-100"_s}})
        << QStringList{u"1"_s};
    QTest::newRow("typed double quote") << make(false, {{search::Notiz, u"\"x\""_s}}) << QStringList{u"2"_s};
    QTest::newRow("exact note with quotes")
        << make(true, {{search::Notiz, u"lauf 'a'"_s}}) << QStringList{u"4"_s};
    QTest::newRow("nothing found") << make(true,
                                           {{search::Kaufer, u"Äpfel"_s}, {search::Verkaufer, u"Bär"_s}})
                                   << QStringList{};
}

void TestSearchBuilder::combinedSearchesFindTheRows() {
    QFETCH(SearchCriteria, criteria);
    QFETCH(QStringList, indexes);
    TestFolder folder;
    fillRegister(folder);
    Connection conn;
    openConnection(conn);
    Dataset reg(conn, u"ASet_Vorgang"_s);
    reg.setCommandText(search::buildSearchStatement(criteria));
    reg.open();
    QStringList registerColumns;
    for (const schema::Column& c : schema::columns(u"Vorgang"_s))
        registerColumns << c.name;
    QCOMPARE(reg.fieldNames().mid(0, 17), registerColumns);
    QStringList found = column(reg, u"Index"_s);
    found.sort();
    QCOMPARE(found, indexes);
}

QTEST_GUILESS_MAIN(TestSearchBuilder)
#include "tst_searchbuilder.moc"
