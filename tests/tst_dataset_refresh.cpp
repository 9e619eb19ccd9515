// Re-reading: the current row kept, the partial re-read against a full one, writes through other
// datasets of the program and by another program.
#include "tst_dataset.h"

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
