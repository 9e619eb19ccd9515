// The buyer and authority fills of the record form and the address panels beside it.
#include "tst_registerwindow.h"

// ------------------------------------------------------------------ fills

void TestRegisterWindow::buyerFillCopiesPartnerPermit() {
    addSampleData(run->folder);
    run->folder.sql(QStringLiteral(R"(INSERT INTO "Kaufer" ("Index", "Name", "Strasse", "PLZ", "Ort")
                                      VALUES (5, 'Ohne Papiere', 'Gasse 1', 12345, 'Irgendwo'))"));
    QVERIFY(start());
    reg().setRecNo(3);
    click(9);
    choose(w().DBLU_Kaufer, QStringLiteral("Erika Förster"));
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.row(permitOf(3)), values({3, 2, "WBK 22/2018", "2018-06-15", null, 3, 3}));
    QVERIFY(inEditMode());
    QCOMPARE(w().DBEdit_EWBNR->text(), QStringLiteral("WBK 22/2018"));
    QCOMPARE(w().DBEdit_EWBDatum->lineEdit()->text(), QStringLiteral("15.06.2018"));
    QCOMPARE(w().DBEdit_VJgdSch->lineEdit()->text(), QString());
    QCOMPARE(w().DBLU_EWB->currentText(), QStringLiteral("Waffenbesitzkarte"));
    QCOMPARE(w().DBLU_Amt->currentText(), QStringLiteral("Landratsamt Meißen"));
    QCOMPARE(lines("Kaufer"), (QStringList{"Erika Förster", "Am Markt 12", "1067", "Dresden"}));
    QCOMPARE(lines("Amt").first(), QStringLiteral("Landratsamt Meißen"));

    // A partner without permit data empties the row's permit columns (no 0, no made-up date).
    choose(w().DBLU_Kaufer, QStringLiteral("Ohne Papiere"));
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.row(permitOf(3)), values({5, null, null, null, null, null, null}));
    QCOMPARE(w().DBEdit_EWBDatum->lineEdit()->text(), QString());
    QCOMPARE(w().DBLU_Amt->currentIndex(), -1);
    QCOMPARE(lines("Amt"), (QStringList{"", "", "", ""}));

    // Storing it leaves the partner without permit data.
    click(10);
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.row(partnerPermit(5)), values({null, null, null, null, null, null}));
    QCOMPARE(w().statusPanelText(1), QStringLiteral("nicht verkauft: 3"));
}

void TestRegisterWindow::buyerBoxReadOnlyWhenBrowsing() {
    addSampleData(run->folder);
    QVERIFY(start());
    reg().setRecNo(3);
    const QVariantList before = run->folder.row(permitOf(3));
    QComboBox* box = w().DBLU_Kaufer;
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->currentText(), QStringLiteral("Hans Jäger"));
    QCOMPARE(run->folder.row(permitOf(3)), before);

    // In edit mode the same keys choose the next partner and fill the row from it.
    click(9);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    const QString chosen = box->currentText();
    QVERIFY(chosen != QStringLiteral("Hans Jäger"));
    const int key =
        run->folder.value(QStringLiteral(R"(SELECT "Index" FROM "Kaufer" WHERE "Name" = '%1')").arg(chosen))
            .toInt();
    QCOMPARE(run->folder.value(R"(SELECT "Kaufer" FROM "Vorgang" WHERE "Index" = 3)").toInt(), key);
    QCOMPARE(lines("Kaufer").first(), chosen);
    click(11);

    // Emptying a party box means "nothing entered", as in a new row: the weapon is in stock
    // again and the entry stays in the orders by seller and buyer.
    QCOMPARE(w().statusPanelText(1), QStringLiteral("nicht verkauft: 3"));
    click(9);
    for (QComboBox* emptied : {w().DBLU_Verkaufer, w().DBLU_Kaufer, w().DBLU_Amt}) {
        emptied->setFocus();
        QTest::keyClick(emptied, Qt::Key_Delete);
    }
    click(10);
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.row(
                 R"(SELECT "Verkaufer", "Kaufer", "Amt", "KauferAmt" FROM "Vorgang" WHERE "Index" = 3)"),
             values({1, 1, 1, 1}));
    QCOMPARE(w().statusPanelText(1), QStringLiteral("nicht verkauft: 4"));
    QCOMPARE(lines("Kaufer"), QStringList(4));
    for (const QString& order : {QStringLiteral("Verkäufer"), QStringLiteral("Käufer")}) {
        click(14);
        choose(w().Combo_Sort, order);
        QCOMPARE(reg().recordCount(), 4);
    }
}

void TestRegisterWindow::authorityFillOverwritesBuyerAuthority() {
    addSampleData(run->folder);
    QVERIFY(start());
    click(9);
    choose(w().DBLU_KauferAmt, QStringLiteral("Ordnungsamt Kassel"));
    choose(w().DBLU_Amt, QStringLiteral("Landratsamt Meißen"));
    QCOMPARE(w().DBLU_KauferAmt->currentText(), QStringLiteral("Landratsamt Meißen"));
    // The fill does not store.
    QCOMPARE(run->folder.row(R"(SELECT "Amt", "KauferAmt" FROM "Vorgang" WHERE "Index" = 1)"),
             values({1, 1}));
    // A different buyer's authority may be chosen afterwards.
    choose(w().DBLU_KauferAmt, QStringLiteral("Kreisverwaltung München"));
    click(10);
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.row(R"(SELECT "Amt", "KauferAmt" FROM "Vorgang" WHERE "Index" = 1)"),
             values({3, 4}));
    QCOMPARE(lines("Amt").first(), QStringLiteral("Landratsamt Meißen"));
    QCOMPARE(lines("Zamt").first(), QStringLiteral("Kreisverwaltung München"));
}

// ------------------------------------------------------------------ address panels

void TestRegisterWindow::addressPanels() {
    addSampleData(run->folder);
    run->folder.sql(QStringLiteral(R"(
INSERT INTO "Kaufer" ("Index", "Name", "Strasse", "PLZ", "Ort") VALUES (5, 'Ohne PLZ', 'Feldweg 2', 0, 'Heide');
INSERT INTO "Amt" ("Index", "Name", "Strasse", "PLZ", "Stadt") VALUES (6, 'Amt ohne PLZ', 'Hauptstr. 1', 0, 'Nulldorf');
INSERT INTO "Amt" ("Index", "Name") VALUES (7, 'Schweiz');
INSERT INTO "Vorgang" ("Index", "Verkaufer", "Kaufer", "EWB", "Amt", "KauferAmt") VALUES
  (5, 0, NULL, 1, 0, NULL), (6, 5, 5, 1, 6, 7), (7, 99, 99, 1, 99, 99), (8, 1, 1, 1, 5, 1);
)"));
    QVERIFY(start());
    const QStringList empty{"", "", "", ""};
    auto showsRowThree = [&] {
        QCOMPARE(lines("Verkaufer"),
                 (QStringList{"Waffen Schmidt GmbH", "Industriestraße 5", "80331", "München"}));
        QCOMPARE(lines("Kaufer"), (QStringList{"Hans Jäger", "Waldweg 3", "34117", "Kassel"}));
        QCOMPARE(lines("Amt"),
                 (QStringList{"Ordnungsamt Kassel", "Obere Königsstraße 8", "34117", "Kassel"}));
        QCOMPARE(lines("Zamt"), (QStringList{"Landratsamt Meißen", "Brauhausstraße 21", "1662", "Meißen"}));
    };
    reg().setRecNo(3);
    showsRowThree();

    // Keys 0 and empty.
    reg().setRecNo(5);
    for (const char* panel : {"Verkaufer", "Kaufer", "Amt", "Zamt"})
        QCOMPARE(lines(panel), empty);

    reg().setRecNo(3);
    reg().setRecNo(6);
    QCOMPARE(lines("Verkaufer"), (QStringList{"Ohne PLZ", "Feldweg 2", "0", "Heide"}));
    QCOMPARE(lines("Kaufer"), (QStringList{"Ohne PLZ", "Feldweg 2", "0", "Heide"}));
    QCOMPARE(lines("Amt"), (QStringList{"Amt ohne PLZ", "Hauptstr. 1", "", "Nulldorf"}));
    QCOMPARE(lines("Zamt"), (QStringList{"Schweiz", "", "", ""}));

    // Keys without a row show nothing of the row shown before.
    reg().setRecNo(3);
    reg().setRecNo(7);
    for (const char* panel : {"Verkaufer", "Kaufer", "Amt", "Zamt"})
        QCOMPARE(lines(panel), empty);

    // A country stored with empty texts and postcode 0.
    reg().setRecNo(8);
    QCOMPARE(lines("Amt"), (QStringList{"Österreich", "", "", ""}));

    // A new row has the placeholder keys: four empty panels; discarding shows the row again.
    reg().setRecNo(3);
    click(7);
    for (const char* panel : {"Verkaufer", "Kaufer", "Amt", "Zamt"})
        QCOMPARE(lines(panel), empty);
    click(11);
    showsRowThree();
    QVERIFY(run->prompts.errors().isEmpty());
}
