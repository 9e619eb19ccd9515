// The grids of the table page and the current row they share with the datasets, title-click sorting
// of the register and partner grids, and the register grid's editing switch.
#include "tst_tables.h"

void TestTables::pagesAndColumns() {
    QVERIFY(start());
    QTabWidget* tabs = w().PgCtrl_Tab;
    QCOMPARE(tabs->tabPosition(), QTabWidget::South);
    QCOMPARE(tabs->currentIndex(), 0);
    const QStringList captions = {u"Handelsliste"_s, u"Handelspartner"_s, u"Waffen-Typen"_s, u"Kaliber"_s,
                                  u"Hersteller"_s,   u"Ämter"_s,          u"EWB"_s,          u"Länder"_s};
    QCOMPARE(tabs->count(), 8);
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(tabs->tabText(i), captions.at(i));
        QCOMPARE(tabs->widget(i)->findChild<DBGrid*>(), w().grids().at(i));
    }
    QCOMPARE(tabs->widget(0)->objectName(), u"TS_Vorgänge"_s);

    auto titles = [](DBGrid* g) {
        QStringList t;
        for (int c = 0; c < g->model()->columnCount(); ++c)
            t << g->model()->headerData(c, Qt::Horizontal).toString();
        return t;
    };
    QCOMPARE(
        titles(w().DBGrid_Vorgang),
        (QStringList{u"Nr."_s, u"Kaufdatum"_s, u"Waffentyp"_s, u"Kaliber"_s, u"Hersteller"_s, u"SerienNr"_s,
                     u"Verkäufer"_s, u"Käufer"_s, u"Verk.-Datum"_s, u"EWB"_s, u"EWB-Nr."_s, u"Amt-Datum"_s,
                     u"Amt/Land"_s, u"Käufer-Amt"_s, u"Jgd.-Dat."_s, u"Brief-Dat."_s, u"Notiz"_s}));
    QCOMPARE(titles(w().DBGrid_Partner),
             (QStringList{u"Name"_s, u"Strasse"_s, u"PLZ"_s, u"Ort"_s, u"Geschlecht"_s, u"Anrede"_s, u"EWB"_s,
                          u"EWB-Nr."_s, u"EWB-Datum"_s, u"Jagdsch.-Datum"_s, u"EWB Amt"_s, u"Käufer-Amt"_s}));
    QCOMPARE(titles(w().DBGrid_Amt), (QStringList{u"Name"_s, u"Straße"_s, u"PLZ"_s, u"Stadt"_s}));
    QCOMPARE(titles(w().DBGrid_Typen), QStringList{u"Waffentyp"_s});
    QCOMPARE(titles(w().DBGrid_EWB), QStringList{u"Erwerbsberechtigung"_s});
    QCOMPARE(titles(w().DBGrid_Land), QStringList{u"Land"_s});
    QVERIFY(w().DBGrid_Vorgang->horizontalHeader()->font().bold());

    // Lookup columns show the names behind the keys; row 3 is sold with everything filled.
    QVERIFY(reg().locate(u"Index"_s, 3));
    QAbstractItemModel* m = w().DBGrid_Vorgang->model();
    const int r = reg().recNo() - 1;
    QCOMPARE(m->data(m->index(r, 2)).toString(), u"Pistole"_s);
    QCOMPARE(m->data(m->index(r, 7)).toString(), u"Hans Jäger"_s);
    QCOMPARE(m->data(m->index(r, 8)).toString(), u"03.06.2024"_s);
    QCOMPARE(m->data(m->index(r, 13)).toString(), u"Landratsamt Meißen"_s);
    QCOMPARE(m->data(m->index(r, 0), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, int(Qt::AlignRight));
    QAbstractItemModel* pm = w().DBGrid_Partner->model();
    QVERIFY(run->dm().ATab_Kauf->locate(u"Name"_s, u"Erika Förster"_s));
    const int pr = run->dm().ATab_Kauf->recNo() - 1;
    QCOMPARE(pm->data(pm->index(pr, 4)).toString(), u"weiblich"_s);
    QCOMPARE(pm->data(pm->index(pr, 5)).toString(), u"Sehr geehrte Frau"_s);
    QCOMPARE(pm->data(pm->index(pr, 6)).toString(), u"Waffenbesitzkarte"_s);

    // The register grid starts read-only, the other seven always take input.
    QVERIFY(!w().DBGrid_Vorgang->canEdit());
    QCOMPARE(w().DBGrid_Vorgang->options(), DBGrid::kReadOnlyOptions);
    for (DBGrid* g : w().grids().mid(1)) {
        QCOMPARE(g->options(), DBGrid::kEditableOptions);
        QVERIFY(g->canEdit());
        QVERIFY(!g->accessibleName().isEmpty());
    }
}

void TestTables::gridAndDatasetShareTheCurrentRow() {
    QVERIFY(start());
    DBGrid* g = w().DBGrid_Vorgang;
    showGrid(w(), g);
    // Moving in the grid moves the register (and the record form with it) ...
    g->setCurrentIndex(g->model()->index(2, 5));
    QCOMPARE(reg().recNo(), 3);
    QCOMPARE(w().DBEdit_SerienNr->text(), u"W-551200"_s);
    QCOMPARE(w().StatusPanels[0]->text(), u"Anzahl: 4"_s);
    // ... and a move of the register moves the grid.
    w().SpBtn01Click();
    QCOMPARE(g->currentIndex().row(), 0);
    QCOMPARE(g->model()->headerData(0, Qt::Vertical).toString(), u"▶"_s);
    // A list grid and the lookup boxes over the same dataset follow one current row.
    DBGrid* typen = w().DBGrid_Typen;
    typen->setCurrentIndex(typen->model()->index(3, 0));
    QCOMPARE(run->dm().ATab_Typ->recNo(), 4);
    QCOMPARE(run->dm().ATab_Typ->asString(u"WTyp"_s), typen->model()->index(3, 0).data().toString());
    QCOMPARE(w().DScr_Typ->dataset(), run->dm().ATab_Typ);
    QCOMPARE(w().DBLU_Typ->model(), qobject_cast<QAbstractItemModel*>(w().DBLU_Typ->model()));
}

void TestTables::registerTitleClick_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("sortEntry");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("orderBy");
    QTest::newRow("Verk.-Datum") << 8 << u"Verkaufsdatum"_s << u"Sortiert nach: Verkaufsdatum"_s
                                 << uR"("VDatum", "Index")"_s;
    QTest::newRow("Nr.") << 0 << u"Index"_s << u"Sortiert nach: Index"_s << uR"("Index")"_s;
    QTest::newRow("Serien-Nummer") << 5 << u"Serien-Nummer"_s << u"Sortiert nach: Serien-Nr."_s
                                   << uR"("SerienNr", "Index")"_s;
    QTest::newRow("Notiz, last column") << 16 << u"Notiz"_s << QString() << uR"("Notiz", "Index")"_s;
}

void TestTables::registerTitleClick() {
    QFETCH(int, position);
    QFETCH(QString, sortEntry);
    QFETCH(QString, status);
    QFETCH(QString, orderBy);
    QVERIFY(start());
    QVERIFY(reg().locate(u"Index"_s, 2));
    clickTitle(w().DBGrid_Vorgang, position);
    QCOMPARE(w().Combo_Sort->currentIndex(), position);
    QCOMPARE(w().Combo_Sort->currentText(), sortEntry);
    if (!status.isEmpty())
        QCOMPARE(w().statusPanelText(2), status);
    QList<int> expected;
    for (const QVariantList& row :
         run->folder.rows(u"SELECT \"Index\" FROM \"Vorgang\" ORDER BY "_s + orderBy))
        expected << row.at(0).toInt();
    QCOMPARE(registerOrder(), expected);
    QCOMPARE(reg().asInteger(u"Index"_s), 2);  // the same row stays current
    QVERIFY(run->prompts.shown().size() == 1); // only the login
}

void TestTables::titleClickWhileResultsShown() {
    QVERIFY(start());
    Konst::SavedFilter =
        schema::registerColumnList() + uR"(FROM Vorgang WHERE (((Vorgang.Notiz) Like "%n%"));)"_s;
    w().CheckBox_Filter->click();
    QVERIFY(w().CheckBox_Filter->isChecked());
    QCOMPARE(reg().recordCount(), 2);
    QVERIFY(reg().locate(u"Index"_s, 3));
    clickTitle(w().DBGrid_Vorgang, 1);
    QVERIFY(!w().CheckBox_Filter->isChecked());
    QCOMPARE(reg().recordCount(), 4);
    QCOMPARE(reg().asInteger(u"Index"_s), 3);
    QCOMPARE(w().Combo_Sort->currentText(), u"Kaufdatum"_s);
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 4"_s);
    QCOMPARE(w().statusPanelText(1), u"nicht verkauft: 3"_s);
}

void TestTables::titleClickAfterColumnMove() {
    QVERIFY(start());
    DBGrid* g = w().DBGrid_Vorgang;
    // The user drags "Käufer" (column 7) to the third place.
    g->horizontalHeader()->moveSection(7, 2);
    QCOMPARE(g->fieldAt(2), u"ViewKaufer"_s);
    clickTitle(g, 2);
    QCOMPARE(w().Combo_Sort->currentIndex(), 2);
    QCOMPARE(w().Combo_Sort->currentText(), u"Waffentyp"_s);
    // "Waffentyp" now stands at place 3: a click on it sorts by "Kaliber".
    clickTitle(g, 3);
    QCOMPARE(w().Combo_Sort->currentText(), u"Kaliber"_s);
}

void TestTables::partnerTitleClick_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("sortText");
    QTest::addColumn<QString>("orderBy");
    QTest::newRow("Name") << 0 << u"Name"_s << u"\"Name\""_s;
    QTest::newRow("PLZ") << 2 << u"PLZ"_s << u"\"PLZ\""_s;
    QTest::newRow("Geschlecht") << 4 << u"Geschlecht"_s << u"\"Geschlecht\""_s;
    QTest::newRow("Anrede sorts like Geschlecht") << 5 << u"Geschlecht"_s << u"\"Geschlecht\""_s;
    QTest::newRow("EWB by its key") << 6 << u"EWB"_s << u"\"EWB\""_s;
    QTest::newRow("EWB Amt by its key") << 10 << u"EWBAmt"_s << u"\"EWBAmt\""_s;
    QTest::newRow("Käufer-Amt by its key") << 11 << u"KAmt"_s << u"\"KAmt\""_s;
}

void TestTables::partnerTitleClick() {
    QFETCH(int, position);
    QFETCH(QString, sortText);
    QFETCH(QString, orderBy);
    QVERIFY(start());
    Dataset& kauf = *run->dm().ATab_Kauf;
    showGrid(w(), w().DBGrid_Partner);
    QVERIFY(kauf.locate(u"Name"_s, u"Erika Förster"_s));
    clickTitle(w().DBGrid_Partner, position);
    QCOMPARE(kauf.sort(), sortText);
    QCOMPARE(kauf.asString(u"Name"_s), u"Erika Förster"_s); // the current partner stays current
    QStringList expected;
    for (const QVariantList& row :
         run->folder.rows(u"SELECT \"Name\" FROM \"Kaufer\" ORDER BY "_s + orderBy + u", \"Index\""_s))
        expected << row.at(0).toString();
    QStringList shown;
    for (int r = 0; r < kauf.recordCount(); ++r)
        shown << w().DBGrid_Partner->model()->index(r, 0).data().toString();
    QCOMPARE(shown, expected);
    QCOMPARE(w().DBGrid_Partner->currentIndex().row(), kauf.recNo() - 1);
}

void TestTables::partnerSortReordersPickLists() {
    QVERIFY(start());
    clickTitle(w().DBGrid_Partner, 2);
    QStringList byPostcode;
    for (const QVariantList& row :
         run->folder.rows(uR"(SELECT "Name" FROM "Kaufer" ORDER BY "PLZ", "Index")"_s))
        byPostcode << row.at(0).toString();
    for (QComboBox* box :
         {static_cast<QComboBox*>(w().DBLU_Verkaufer), static_cast<QComboBox*>(w().DBLU_Kaufer)}) {
        QStringList listed;
        for (int i = 0; i < box->count(); ++i)
            listed << box->itemText(i);
        QCOMPARE(listed, byPostcode);
    }
    // The register row still shows its own seller after the re-sort.
    QVERIFY(reg().locate(u"Index"_s, 3));
    QCOMPARE(w().DBLU_Verkaufer->currentText(), u"Waffen Schmidt GmbH"_s);
}

void TestTables::registerGridFollowsOption_data() {
    QTest::addColumn<bool>("allowed");
    QTest::newRow("option off") << false;
    QTest::newRow("option on") << true;
}

void TestTables::registerGridFollowsOption() {
    QFETCH(bool, allowed);
    QVERIFY(start());
    allowRegisterEditing(allowed);
    DBGrid* g = w().DBGrid_Vorgang;
    QCOMPARE(g->isReadOnly(), !allowed);
    QCOMPARE(g->options(), allowed ? DBGrid::kEditableOptions : DBGrid::kReadOnlyOptions);
    showGrid(w(), g);
    g->setCurrentIndex(g->model()->index(1, 5));
    typeIntoCell(g, u"X-1"_s);
    QCOMPARE(reg().isEditing(), allowed);
    if (allowed)
        QTest::keyClick(g, Qt::Key_Escape);
    QVERIFY(!reg().isEditing());
    // Ctrl+Delete asks only when the grid may delete; off it deletes nothing and asks nothing.
    if (allowed)
        run->prompts.queueNo();
    QTest::keyClick(g, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(run->prompts.texts(u"yesNo"_s).size(), allowed ? 1 : 0);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toInt(), 4);
    QCOMPARE(run->folder.value(uR"(SELECT "SerienNr" FROM "Vorgang" WHERE "Index" = 2)"_s).toString(),
             u"S-88123"_s);
}

QTEST_MAIN(TestTables)
