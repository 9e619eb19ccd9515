// Lookup fields, the sort of a dataset in memory, and the item model that shows a dataset in a grid.
#include "tst_dataset.h"

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
                      (3, 'Ärztinnen-Ver', 'Sehr geehrte Frau Doktor Ärztin'),
                      (4, 'Hund 🐕🐕🐕🐕🐕🐕', 'Wuff');
                  INSERT INTO "Kaufer" ("Index", "Name", "Geschlecht") VALUES (2, 'Dr. Ä', 3), (3, 'Bello', 4);)"_s,
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
    // A character outside the Basic Multilingual Plane counts as one, as in the column's width,
    // and is never cut in half.
    QVERIFY(kauf.locate(u"Index"_s, 3));
    QCOMPARE(kauf.lookupText(u"ViewGeschlecht"_s), u"Hund 🐕🐕🐕🐕🐕"_s);
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
