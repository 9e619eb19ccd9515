// Opening by table and by statement, sort statements, navigation, locate, typed reads, refused
// statements and columns, a closed dataset, and transactions.
#include "tst_dataset.h"

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
