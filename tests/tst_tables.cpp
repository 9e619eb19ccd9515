// The table page: the eight grids on the shared datasets, title-click sorting, the register
// grid's editing switch, the deletion question and the deletion record of register rows.
#include "support/AppRun.h"
#include "support/SampleData.h"

#include "settings/TFormOptions.h"
#include "store/DeletionLog.h"
#include "store/Schema.h"
#include "widgets/DBGrid.h"
#include "window/Binding.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kRegisterRow = uR"(SELECT "Index", "KDatum", "Waffentyp", "Kaliber", "Hersteller", "SerienNr",
    "Verkaufer", "VDatum", "Kaufer", "EWB", "EWBNR", "JDatum", "Amt", "KauferAmt", "AmtDatum", "BriefDatum",
    "Notiz" FROM %1 WHERE "Index" = %2)"_s;

} // namespace

class TestTables : public QObject {
    Q_OBJECT

private slots:
    void init() {
        run = std::make_unique<AppRun>();
        addSampleData(run->folder);
    }
    void cleanup() { finishRun(run); }

    void pagesAndColumns();
    void gridAndDatasetShareTheCurrentRow();
    void registerTitleClick_data();
    void registerTitleClick();
    void titleClickWhileResultsShown();
    void titleClickAfterColumnMove();
    void partnerTitleClick_data();
    void partnerTitleClick();
    void partnerSortReordersPickLists();
    void registerGridFollowsOption_data();
    void registerGridFollowsOption();
    void cellChangeIsPosted();
    void lookupCellChosenFromList();
    void countryGridStoresWithoutIndex();
    void deletionAsksFirst_data();
    void deletionAsksFirst();
    void deletionRecordHoldsEveryColumn();
    void refusedDeletionLeavesNoRecord();
    void untouchedNewRowDroppedOnLeaving();

private:
    bool start() {
        if (!run->login() || !run->activate())
            return false;
        w().PgCtrl->setCurrentWidget(w().TS_Tabellen);
        return true;
    }
    TFormMain& w() const { return run->main(); }
    Dataset& reg() const { return run->reg(); }
    DBGrid* grid(const QString& name) const { return w().findChild<DBGrid*>(name); }
    void allowRegisterEditing(bool on) const {
        run->app->forms.FormOptions->Check_TabEdit->setChecked(on);
        w().ApplyRegisterGridEditing();
    }
    // A click on the title of the column standing at `position`.
    static void clickTitle(DBGrid* g, int position) {
        QHeaderView* h = g->horizontalHeader();
        g->scrollTo(g->model()->index(0, h->logicalIndex(position)));
        const int logical = h->logicalIndex(position);
        const QPoint at(h->sectionViewportPosition(logical) + h->sectionSize(logical) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    }
    static void showGrid(TFormMain& w, DBGrid* g) {
        w.PgCtrl_Tab->setCurrentWidget(g->parentWidget());
        g->setFocus();
    }
    // Types into the grid's current cell as the user does: F2 opens the cell (when the grid
    // takes input), the text, Return stores it into the row.
    static void typeIntoCell(DBGrid* g, const QString& text) {
        QTest::keyClick(g, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (!editor) {
            QTest::keyClicks(g, text);
            return;
        }
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The cell is stored once the key has been handled.
        QCoreApplication::processEvents();
    }
    QList<int> registerOrder() const {
        QList<int> order;
        for (int r = 0; r < reg().recordCount(); ++r)
            order << reg().valueAt(r, reg().fieldIndex(u"Index"_s)).toInt();
        return order;
    }

    std::unique_ptr<AppRun> run;
};

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
    // The grid takes the next value after the error: a valid date in the same cell is stored.
    typeIntoCell(g, u"3.2.2024"_s);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(g->postPending());
    QCOMPARE(run->folder.value(uR"(SELECT "KDatum" FROM "Vorgang" WHERE "Index" = 1)"_s).toString(),
             u"2024-02-03"_s);
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
    for (const auto& [g, t] : {std::pair{"DBGrid_Vorgang", "Vorgang"},
                               {"DBGrid_Partner", "Kaufer"},
                               {"DBGrid_Typen", "Waffentyp"},
                               {"DBGrid_Kaliber", "Kaliber"},
                               {"DBGrid_Hersteller", "Hersteller"},
                               {"DBGrid_Amt", "Amt"},
                               {"DBGrid_EWB", "EWB"},
                               {"DBGrid_Land", "Land"}})
        QTest::newRow(g) << QString::fromLatin1(g) << QString::fromLatin1(t);
}

void TestTables::deletionAsksFirst() {
    QFETCH(QString, gridName);
    QFETCH(QString, table);
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

    run->prompts.queueYes();
    QTest::keyClick(g, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(run->prompts.texts(u"yesNo"_s).size(), 2);
    QCOMPARE(run->folder.value(count).toInt(), before - 1);
    QCOMPARE(g->dataset()->recordCount(), before - 1);
    // The grid stays on the dataset's current row, which is the row after the deleted one.
    QCOMPARE(g->currentIndex().row(), g->dataset()->recNo() - 1);
    QVERIFY(g->model()->index(1, 0).data().toString() != second || table == u"Land"_s);
    QVERIFY(run->prompts.errors().isEmpty());
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
}

QTEST_MAIN(TestTables)
#include "tst_tables.moc"
