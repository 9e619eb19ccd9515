// Text and date literals, comparisons, keywords and layout, the kinds of the schema's columns, the
// base table of a statement, and the statements the translator refuses.
#include "tst_jettranslator.h"

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
