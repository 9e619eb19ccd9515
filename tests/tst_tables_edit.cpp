// Cells changed in the grids, the deletion question and the deletion record of register rows, and a
// new row left untouched.
#include "tst_tables.h"

namespace {

const QString kRegisterRow = uR"(SELECT "Index", "KDatum", "Waffentyp", "Kaliber", "Hersteller", "SerienNr",
    "Verkaufer", "VDatum", "Kaufer", "EWB", "EWBNR", "JDatum", "Amt", "KauferAmt", "AmtDatum", "BriefDatum",
    "Notiz" FROM %1 WHERE "Index" = %2)"_s;

} // namespace

void TestTables::cellChangeIsPosted() {
    QVERIFY(start());
    allowRegisterEditing(true);
    DBGrid* g = w().DBGrid_Vorgang;
    showGrid(w(), g);
    Konst::UnsoldCount = -1; // the after-post hook counts again
    w().setStatusPanelText(1, QString());
    g->setCurrentIndex(g->model()->index(1, 5));
    typeIntoCell(g, u"NEU-7"_s);
    QVERIFY(reg().isEditing());
    QCOMPARE(run->folder.value(uR"(SELECT "SerienNr" FROM "Vorgang" WHERE "Index" = 2)"_s).toString(),
             u"S-88123"_s);
    // A date typed the German way; leaving the row stores both.
    g->setCurrentIndex(g->model()->index(1, 8));
    typeIntoCell(g, u"5.7.2024"_s);
    QTest::keyClick(g, Qt::Key_Up);
    QVERIFY(!reg().isEditing());
    QCOMPARE(reg().recNo(), 1);
    QCOMPARE(run->folder.row(uR"(SELECT "SerienNr", "VDatum" FROM "Vorgang" WHERE "Index" = 2)"_s),
             (QVariantList{u"NEU-7"_s, u"2024-07-05"_s}));
    QCOMPARE(Konst::UnsoldCount, 3);
    QCOMPARE(w().statusPanelText(1), u"nicht verkauft: 3"_s);

    // A text that is no date reaches the error box and stores nothing.
    g->setCurrentIndex(g->model()->index(0, 1));
    typeIntoCell(g, u"31.02.2024"_s);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(run->prompts.errors().first().contains(u"31.02.2024"_s));
    QCOMPARE(run->folder.value(uR"(SELECT "KDatum" FROM "Vorgang" WHERE "Index" = 1)"_s).toString(),
             u"2024-02-01"_s);
    // The grid takes the next value after the error: a valid date in the same cell is stored,
    // with a two-digit year read as in the form.
    typeIntoCell(g, u"3.2.24"_s);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(g->postPending());
    QCOMPARE(run->folder.value(uR"(SELECT "KDatum" FROM "Vorgang" WHERE "Index" = 1)"_s).toString(),
             u"2024-02-03"_s);

    // The number is assigned by the database: its cell takes no typing, and nothing is refused.
    g->setCurrentIndex(g->model()->index(2, 0));
    typeIntoCell(g, u"77"_s);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(!reg().isEditing());
    QCOMPARE(g->model()->index(2, 0).data().toInt(), 3);

    // Sorted by the column being changed, the stored row moves: the row clicked stays the one taken.
    clickTitle(g, 5);
    QCOMPARE(registerOrder(), (QList<int>{4, 1, 2, 3}));
    g->setCurrentIndex(g->model()->index(0, 5));
    typeIntoCell(g, u"Z-1"_s);
    g->setCurrentIndex(g->model()->index(2, 5));
    QCOMPARE(registerOrder(), (QList<int>{1, 2, 3, 4}));
    QCOMPARE(reg().asInteger(u"Index"_s), 2);
    QCOMPARE(g->currentIndex().row(), reg().recNo() - 1);

    // Cells opened and left unchanged while their row is being edited keep what another program
    // stored: a date that cannot be read (shown empty) and a key that is no whole number.
    run->folder.sql(uR"(UPDATE "Vorgang" SET "KDatum" = '2021-02-30', "Kaliber" = 2.5 WHERE "Index" = 4)"_s);
    reg().refresh();
    QVERIFY(reg().locate(u"Index"_s, 4));
    const int row = reg().recNo() - 1;
    g->setCurrentIndex(g->model()->index(row, 16));
    typeIntoCell(g, u"gesehen"_s);
    QVERIFY(reg().isEditing());
    for (int column : {1, 3}) {
        g->setCurrentIndex(g->model()->index(row, column));
        QTest::keyClick(g, Qt::Key_F2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    QTest::keyClick(g, Qt::Key_Up);
    QVERIFY(!reg().isEditing());
    QCOMPARE(run->folder.row(uR"(SELECT "Notiz", "KDatum", "Kaliber" FROM "Vorgang" WHERE "Index" = 4)"_s),
             (QVariantList{u"gesehen"_s, u"2021-02-30"_s, 2.5}));
    QCOMPARE(run->prompts.errors().size(), 1);
}

void TestTables::lookupCellChosenFromList() {
    QVERIFY(start());
    DBGrid* g = w().DBGrid_Partner;
    showGrid(w(), g);
    Dataset& kauf = *run->dm().ATab_Kauf;
    QVERIFY(kauf.locate(u"Name"_s, u"Erika Förster"_s));
    const int index = kauf.asInteger(u"Index"_s);
    // "Anrede" shows the salutation of the gender key: choosing one stores the key.
    g->setCurrentIndex(g->model()->index(kauf.recNo() - 1, 5));
    QTest::keyClick(g, Qt::Key_F2);
    auto* box = qobject_cast<QComboBox*>(QApplication::focusWidget());
    QVERIFY(box);
    QCOMPARE(box->currentText(), u"Sehr geehrte Frau"_s);
    box->setCurrentIndex(box->findText(u"Sehr geehrter Herr"_s));
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(kauf.isEditing());
    QCOMPARE(g->model()->index(kauf.recNo() - 1, 4).data().toString(), u"männlich"_s);
    QVERIFY(g->postPending());
    QCOMPARE(
        run->folder.value(uR"(SELECT "Geschlecht" FROM "Kaufer" WHERE "Index" = %1)"_s.arg(index)).toInt(),
        2);
}

void TestTables::countryGridStoresWithoutIndex() {
    // The country table has no Index column: a changed and a new row are still stored.
    QVERIFY(start());
    DBGrid* g = w().DBGrid_Land;
    showGrid(w(), g);
    Dataset& land = *run->dm().ATab_Land;
    QVERIFY(land.locate(u"Land"_s, u"Malta"_s));
    g->setCurrentIndex(g->model()->index(land.recNo() - 1, 0));
    typeIntoCell(g, u"Republik Malta"_s);
    QVERIFY(g->postPending());
    QCOMPARE(land.asString(u"Land"_s), u"Republik Malta"_s); // the stored row stays current
    QTest::keyClick(g, Qt::Key_Insert);
    typeIntoCell(g, u"Andorra"_s);
    QVERIFY(g->postPending());
    QCOMPARE(land.asString(u"Land"_s), u"Andorra"_s);
    QCOMPARE(g->currentIndex().row(), land.recNo() - 1);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Land" WHERE "Land" IN ('Malta'))"_s).toInt(), 0);
    QCOMPARE(
        run->folder.value(uR"(SELECT count(*) FROM "Land" WHERE "Land" IN ('Republik Malta', 'Andorra'))"_s)
            .toInt(),
        2);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Land")"_s).toInt(), 33);
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestTables::deletionAsksFirst_data() {
    QTest::addColumn<QString>("gridName");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("usedBy"); // columns that hold an Index of the table
    QTest::addColumn<bool>("inUse");         // the second row is used in the sample data
    const QStringList amt{u"Vorgang.Amt"_s, u"Vorgang.KauferAmt"_s, u"Kaufer.EWBAmt"_s, u"Kaufer.KAmt"_s};
    QTest::newRow("DBGrid_Vorgang") << u"DBGrid_Vorgang"_s << u"Vorgang"_s << QStringList() << false;
    QTest::newRow("DBGrid_Partner") << u"DBGrid_Partner"_s << u"Kaufer"_s
                                    << QStringList{u"Vorgang.Verkaufer"_s, u"Vorgang.Kaufer"_s} << true;
    QTest::newRow("DBGrid_Typen") << u"DBGrid_Typen"_s << u"Waffentyp"_s
                                  << QStringList{u"Vorgang.Waffentyp"_s} << true;
    QTest::newRow("DBGrid_Kaliber") << u"DBGrid_Kaliber"_s << u"Kaliber"_s
                                    << QStringList{u"Vorgang.Kaliber"_s} << false;
    QTest::newRow("DBGrid_Hersteller")
        << u"DBGrid_Hersteller"_s << u"Hersteller"_s << QStringList{u"Vorgang.Hersteller"_s} << false;
    QTest::newRow("DBGrid_Amt") << u"DBGrid_Amt"_s << u"Amt"_s << amt << true;
    QTest::newRow("DBGrid_EWB") << u"DBGrid_EWB"_s << u"EWB"_s
                                << QStringList{u"Vorgang.EWB"_s, u"Kaufer.EWB"_s} << false;
    QTest::newRow("DBGrid_Land") << u"DBGrid_Land"_s << u"Land"_s << QStringList() << false;
}

void TestTables::deletionAsksFirst() {
    QFETCH(QString, gridName);
    QFETCH(QString, table);
    QFETCH(QStringList, usedBy);
    QFETCH(bool, inUse);
    QVERIFY(start());
    allowRegisterEditing(true);
    DBGrid* g = grid(gridName);
    QVERIFY(g);
    showGrid(w(), g);
    const QString count = u"SELECT count(*) FROM \"%1\""_s.arg(table);
    const int before = run->folder.value(count).toInt();
    g->setCurrentIndex(g->model()->index(1, 0));
    const QString second = g->model()->index(1, 0).data().toString();

    run->prompts.queueNo();
    QTest::keyClick(g, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(run->prompts.texts(u"yesNo"_s), QStringList{u"Datensatz löschen?"_s});
    QCOMPARE(run->folder.value(count).toInt(), before);

    // A list row that entries or partners still use is refused; once unused, it can go.
    int uses = 0;
    const QVariant key = usedBy.isEmpty() ? QVariant() : g->dataset()->value(u"Index"_s);
    for (const QString& column : usedBy)
        uses += run->folder
                    .value(u"SELECT count(*) FROM \"%1\" WHERE \"%2\" = %3"_s.arg(
                        column.section(u'.', 0, 0), column.section(u'.', 1), key.toString()))
                    .toInt();
    QCOMPARE(uses > 0, inUse);
    if (inUse) {
        run->prompts.queueYes();
        QTest::keyClick(g, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(run->folder.value(count).toInt(), before);
        QCOMPARE(run->prompts.errors().size(), 1);
        QVERIFY2(run->prompts.errors().first().startsWith(u"Der Datensatz kann nicht gelöscht werden"_s),
                 qPrintable(run->prompts.errors().first()));
        for (const QString& column : usedBy)
            run->folder.sql(u"UPDATE \"%1\" SET \"%2\" = NULL WHERE \"%2\" = %3"_s.arg(
                column.section(u'.', 0, 0), column.section(u'.', 1), key.toString()));
    }

    run->prompts.queueYes();
    QTest::keyClick(g, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(run->prompts.texts(u"yesNo"_s).size(), inUse ? 3 : 2);
    QCOMPARE(run->folder.value(count).toInt(), before - 1);
    QCOMPARE(g->dataset()->recordCount(), before - 1);
    // The grid stays on the dataset's current row, which is the row after the deleted one.
    QCOMPARE(g->currentIndex().row(), g->dataset()->recNo() - 1);
    QVERIFY(g->model()->index(1, 0).data().toString() != second || table == u"Land"_s);
    QCOMPARE(run->prompts.errors().size(), inUse ? 1 : 0);
}

void TestTables::deletionRecordHoldsEveryColumn() {
    QVERIFY(start());
    allowRegisterEditing(true);
    const auto logExists = [this] {
        return run->folder.value(uR"(SELECT count(*) FROM sqlite_master WHERE name = 'VorgangGeloescht')"_s)
            .toInt();
    };
    QCOMPARE(logExists(), 0); // created when first needed
    const QVariantList row3 = run->folder.row(kRegisterRow.arg(u"\"Vorgang\""_s).arg(3));
    QVERIFY(reg().locate(u"Index"_s, 3));
    showGrid(w(), w().DBGrid_Vorgang);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    run->prompts.queueYes();
    QTest::keyClick(w().DBGrid_Vorgang, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(logExists(), 1);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang" WHERE "Index" = 3)"_s).toInt(), 0);
    QCOMPARE(run->folder.row(kRegisterRow.arg(u"\"VorgangGeloescht\""_s).arg(3)), row3);
    const QDateTime at = QDateTime::fromString(
        run->folder.value(uR"(SELECT "Geloescht" FROM "VorgangGeloescht")"_s).toString(),
        u"yyyy-MM-dd HH:mm:ss"_s);
    QVERIFY(at >= before && at <= QDateTime::currentDateTime().addSecs(1));
    // The counters follow: row 3 was the sold one.
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 3"_s);
    QCOMPARE(w().statusPanelText(1), u"nicht verkauft: 3"_s);

    // A second deletion adds to the record.
    run->prompts.queueYes();
    QTest::keyClick(w().DBGrid_Vorgang, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "VorgangGeloescht")"_s).toInt(), 2);
}

void TestTables::refusedDeletionLeavesNoRecord() {
    QVERIFY(start());
    allowRegisterEditing(true);
    DeletionLog::ensureTable(run->dm().ADOCon);
    run->folder.sql(
        uR"(CREATE TRIGGER "gesperrt" BEFORE DELETE ON "Vorgang" BEGIN SELECT RAISE(ABORT, 'gesperrt'); END)"_s);
    showGrid(w(), w().DBGrid_Vorgang);
    run->prompts.queueYes();
    QTest::keyClick(w().DBGrid_Vorgang, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(run->prompts.errors().size(), 1);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "VorgangGeloescht")"_s).toInt(), 0);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toInt(), 4);
    QCOMPARE(reg().recordCount(), 4);
}

void TestTables::untouchedNewRowDroppedOnLeaving() {
    QVERIFY(start());
    DBGrid* g = w().DBGrid_Typen;
    showGrid(w(), g);
    const int rows = g->model()->rowCount();
    QTest::keyClick(g, Qt::Key_Insert);
    QCOMPARE(run->dm().ATab_Typ->state(), Dataset::State::Insert);
    QCOMPARE(g->model()->rowCount(), rows + 1);
    QCOMPARE(g->currentIndex().row(), rows);
    QCOMPARE(g->model()->headerData(rows, Qt::Vertical).toString(), u"*"_s);
    w().Combo_Sort->show();
    w().Combo_Sort->setFocus();
    QCOMPARE(run->dm().ATab_Typ->state(), Dataset::State::Browse);
    QCOMPARE(g->model()->rowCount(), rows);

    // A begun row the user typed into stays, and is stored when the page is left.
    showGrid(w(), g);
    g->setCurrentIndex(g->model()->index(rows - 1, 0));
    QTest::keyClick(g, Qt::Key_Down); // on the last row: begins a new one
    QCOMPARE(run->dm().ATab_Typ->state(), Dataset::State::Insert);
    typeIntoCell(g, u"Kipplaufbuechse"_s);
    w().Combo_Sort->setFocus();
    QCOMPARE(run->dm().ATab_Typ->state(), Dataset::State::Insert);
    w().PgCtrl->setCurrentWidget(w().TS_Formular);
    QCOMPARE(run->dm().ATab_Typ->state(), Dataset::State::Browse);
    QCOMPARE(
        run->folder.value(uR"(SELECT count(*) FROM "Waffentyp" WHERE "WTyp" = 'Kipplaufbuechse')"_s).toInt(),
        1);

    // Moving back to another row drops an untouched new row as well: in a list grid, and in the
    // register grid, whose new row holds only its placeholder keys. No empty entry is stored.
    const int types = run->folder.value(uR"(SELECT count(*) FROM "Waffentyp")"_s).toInt();
    showGrid(w(), g);
    g->setCurrentIndex(g->model()->index(g->model()->rowCount() - 1, 0));
    QTest::keyClick(g, Qt::Key_Down);
    QCOMPARE(run->dm().ATab_Typ->state(), Dataset::State::Insert);
    QTest::keyClick(g, Qt::Key_Up);
    QCOMPARE(run->dm().ATab_Typ->state(), Dataset::State::Browse);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Waffentyp")"_s).toInt(), types);
    QCOMPARE(g->model()->rowCount(), types);
    // Beginning another new row drops the untouched one too.
    QTest::keyClick(g, Qt::Key_Insert);
    QTest::keyClick(g, Qt::Key_Insert);
    QCOMPARE(run->dm().ATab_Typ->state(), Dataset::State::Insert);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Waffentyp")"_s).toInt(), types);
    QTest::keyClick(g, Qt::Key_Escape);

    allowRegisterEditing(true);
    DBGrid* r = w().DBGrid_Vorgang;
    showGrid(w(), r);
    r->setCurrentIndex(r->model()->index(r->model()->rowCount() - 1, 5));
    QTest::keyClick(r, Qt::Key_Down);
    QCOMPARE(reg().state(), Dataset::State::Insert);
    r->setCurrentIndex(r->model()->index(0, 5)); // a click on the first row
    QCOMPARE(reg().state(), Dataset::State::Browse);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toInt(), 4);
    QCOMPARE(reg().recordCount(), 4);
    QCOMPARE(reg().recNo(), 1);
    QCOMPARE(r->currentIndex().row(), 0);
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestTables::pendingCellStoredBeforeDisconnect() {
    // A cell stored into its row but the row not yet written (the user has not left it) is
    // written before the connection closes for a restore point or the end of the program.
    QVERIFY(start());
    DBGrid* g = w().DBGrid_Partner;
    showGrid(w(), g);
    Dataset& kauf = *run->dm().ATab_Kauf;
    QVERIFY(kauf.locate(u"Name"_s, u"Erika Förster"_s));
    const QString street =
        uR"(SELECT "Strasse" FROM "Kaufer" WHERE "Index" = %1)"_s.arg(kauf.asInteger(u"Index"_s));
    g->setCurrentIndex(g->model()->index(kauf.recNo() - 1, 1));
    typeIntoCell(g, u"Neuer Weg 1"_s);
    QVERIFY(kauf.isEditing());
    w().M_SichernClick();
    QCOMPARE(run->prompts.messages(), QStringList{u"Datenbanksicherung erfolgreich"_s});
    QCOMPARE(run->folder.value(street).toString(), u"Neuer Weg 1"_s);

    QVERIFY(kauf.locate(u"Name"_s, u"Erika Förster"_s));
    g->setCurrentIndex(g->model()->index(kauf.recNo() - 1, 1));
    typeIntoCell(g, u"Neuer Weg 2"_s);
    QVERIFY(kauf.isEditing());
    run->prompts.queueYes(); // "Programm wirklich beenden?"
    QVERIFY(w().close());
    QCOMPARE(run->folder.value(street).toString(), u"Neuer Weg 2"_s);
    QVERIFY(run->prompts.errors().isEmpty());
}
