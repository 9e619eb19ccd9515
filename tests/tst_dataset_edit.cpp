// Append, edit, post and cancel; overlong texts; a row changed or deleted by another user since it
// was read; controls disabled while the dataset is worked on.
#include "tst_dataset.h"

#include <sqlite3.h>

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

    // Another program stored a row under the largest number: the next one would not fit and
    // come back negative. The row is refused and nothing is stored.
    f.folder.sql(uR"(INSERT INTO "Vorgang" ("Index", "SerienNr") VALUES (2147483647, 'fremd'))"_s);
    f.reg.append();
    f.reg.setValue(u"SerienNr"_s, u"Y"_s);
    const QString error = dbErrorOf([&] { f.reg.post(); });
    QVERIFY2(error.contains(u"keine freie laufende Nummer"_s), qPrintable(error));
    QCOMPARE(f.reg.state(), Dataset::State::Insert);
    QCOMPARE(f.folder.value(uR"(SELECT count(*) FROM "Vorgang" WHERE "SerienNr" = 'Y')"_s).toString(),
             u"0"_s);
    QCOMPARE(f.folder.value(uR"(SELECT max("Index") FROM "Vorgang")"_s).toLongLong(), 2147483647LL);
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

// A row is stored, but reading it back fails (here: reads refused, as a lock held by another program
// would). The edit must be over, so that storing again cannot write the entry a second time.
void TestDataset::failedReadBackEndsTheEdit() {
    RegisterFixture f;
    f.reg.setRecNo(3);
    // Reads inside the writing transaction pass; the first one after the commit is refused.
    static bool refuseReads = false;
    sqlite3_set_authorizer(
        f.conn.handle(),
        [](void* db, int action, const char*, const char*, const char*, const char*) {
            const bool afterCommit = sqlite3_get_autocommit(static_cast<sqlite3*>(db)) != 0;
            return refuseReads && afterCommit && action == SQLITE_SELECT ? SQLITE_DENY : SQLITE_OK;
        },
        f.conn.handle());
    refuseReads = true;
    auto storedCount = [&] { return f.folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toInt(); };

    f.reg.append();
    f.reg.setValue(u"SerienNr"_s, u"NEU-1"_s);
    QVERIFY(dbErrorOf([&] { f.reg.post(); }).startsWith(u"Der Datensatz wurde gespeichert"_s));
    QCOMPARE(f.reg.state(), Dataset::State::Browse);
    QCOMPARE(f.reg.recordCount(), 6);
    QCOMPARE(f.reg.recNo(), 3);
    f.reg.post();
    QCOMPARE(storedCount(), 7);

    f.reg.edit();
    f.reg.setValue(u"Notiz"_s, u"geändert"_s);
    QVERIFY(!dbErrorOf([&] { f.reg.post(); }).isEmpty());
    QCOMPARE(f.reg.state(), Dataset::State::Browse);

    refuseReads = false;
    f.reg.refresh();
    QCOMPARE(f.reg.recordCount(), 7);
    QCOMPARE(storedCount(), 7);
    QCOMPARE(f.folder.value(uR"(SELECT count(*) FROM "Vorgang" WHERE "Notiz" = 'geändert')"_s).toInt(), 1);
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
