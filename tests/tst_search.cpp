// The search through the real windows: the search button of the dialog, the results view of the
// register window, the fallback after a refused statement and stored searches edited by hand.
#include "search/ResultsView.h"
#include "search/TFormSuchen.h"
#include "store/RegisterQuery.h"
#include "store/Schema.h"
#include "support/AppRun.h"
#include "support/SampleData.h"
#include "widgets/LookupComboBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// Five entries whose note holds "treffer" in some case: two in stock, three sold.
void addHits(const TestFolder& folder) {
    folder.sql(uR"(
INSERT INTO "Vorgang" ("KDatum", "Waffentyp", "Kaliber", "Hersteller", "SerienNr", "Verkaufer", "Kaufer", "EWB",
    "Amt", "KauferAmt", "Notiz") VALUES
  ('2024-06-01', 1, 1, 1, 'T-1', 4, 1, 1, 1, 1, 'Treffer eins'),
  ('2024-06-02', 2, 2, 2, 'T-2', 4, 2, 1, 1, 1, 'treffer zwei'),
  ('2024-06-03', 3, 3, 3, 'T-3', 4, 3, 1, 1, 1, 'TREFFER drei'),
  ('2024-06-04', 4, 4, 4, 'T-4', 4, 1, 1, 1, 1, 'Treffer vier'),
  ('2024-06-05', 5, 5, 5, 'T-5', 4, 2, 1, 1, 1, 'Treffer fünf');
)"_s);
}

const QString kRegisterRows =
    uR"(SELECT count(*) || ':' || group_concat("Index" || '|' || ifnull("Notiz", ''), ';')
                                    FROM "Vorgang")"_s;

} // namespace

class TestSearch : public QObject {
    Q_OBJECT

private slots:
    void init() { run = std::make_unique<AppRun>(); }
    void cleanup() { finishRun(run); }

    void searchShowsResultAndCounts();
    void searchFindingNothingThenUntick();
    void refusedStatementReturnsToRow();
    void dateThatCannotBeConverted();
    void nothingTickedOnlyUnticks();
    void sortChoiceUnticksResults();
    void storedSearchEditedByHand_data();
    void storedSearchEditedByHand();
    void searchWhileDisconnected();
    void entryStoredInBetweenLeavesResult();

private:
    bool start(bool hits = true) {
        addSampleData(run->folder);
        if (hits)
            addHits(run->folder);
        if (!run->login() || !run->activate())
            return false;
        // The register sorted by Index, as a start-up with the delivered settings shows it.
        w().Combo_Sort->setCurrentIndex(0);
        w().ApplyRegisterSort();
        run->prompts.clearShown();
        return true;
    }
    TFormMain& w() const { return run->main(); }
    Dataset& reg() const { return run->reg(); }
    template <class T> T* ctl(const char* name) const {
        T* c = run->app->forms.FormSuchen->findChild<T*>(QLatin1String(name));
        Q_ASSERT(c);
        return c;
    }
    QLineEdit* edit(const char* name) const { return ctl<QLineEdit>(name); }
    int shownIndex() const { return w().DBText_Index->text().toInt(); }
    void tick(int criterion, bool on = true) const {
        ctl<QListWidget>("CheckList_Suchen")
            ->item(criterion)
            ->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    void search() const { ctl<QToolButton>("BitBtn_Suchen")->click(); }
    void goToIndex(int index) const { QVERIFY(reg().locate(u"Index"_s, index)); }
    void click(int button) const {
        QTest::mouseClick(w().findChild<QToolButton*>(u"SpBtn%1"_s.arg(button, 2, 10, QLatin1Char('0'))),
                          Qt::LeftButton);
    }
    void chooseBuyer(const QString& name) const {
        QComboBox* box = w().DBLU_Kaufer;
        box->setFocus();
        const int i = box->findText(name);
        QVERIFY(i >= 0);
        box->setCurrentIndex(i);
        emit box->activated(i);
    }

    std::unique_ptr<AppRun> run;
};

void TestSearch::searchShowsResultAndCounts() {
    QVERIFY(start());
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 9"_s);
    goToIndex(2);
    tick(15);
    edit("Edit_Notiz")->setText(u"treffer"_s);
    search();
    QVERIFY(w().CheckBox_Filter->isChecked());
    QCOMPARE(reg().commandText(), Konst::SavedFilter);
    QVERIFY(Konst::SavedFilter.endsWith(uR"(FROM Vorgang WHERE (((Vorgang.Notiz) Like "%treffer%"));)"_s));
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 5"_s);
    QCOMPARE(w().statusPanelText(1), u"nicht verkauft: 2"_s);
    QCOMPARE(shownIndex(), 5);
    QCOMPARE(Konst::CurrentIndex, 2);

    // A new search while the results show: the whole register first, then the new result.
    goToIndex(6);
    tick(15, false);
    tick(5);
    edit("Edit_Kaufer")->setText(u"förster"_s);
    search();
    QCOMPARE(Konst::CurrentIndex, 6);
    QVERIFY(w().CheckBox_Filter->isChecked());
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 1"_s);
    QCOMPARE(w().statusPanelText(1), u"nicht verkauft: 0"_s);
    QCOMPARE(shownIndex(), 7);

    // Unticking shows the whole register, sorted, on the row current in the result.
    w().CheckBox_Filter->click();
    QVERIFY(!w().CheckBox_Filter->isChecked());
    QCOMPARE(reg().commandText(), RegisterQuery::sortQuery(w().Combo_Sort->currentIndex()));
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 9"_s);
    QCOMPARE(w().statusPanelText(1), u"nicht verkauft: 5"_s);
    QCOMPARE(shownIndex(), 7);
    QVERIFY(run->prompts.shown().isEmpty());
}

void TestSearch::searchFindingNothingThenUntick() {
    QVERIFY(start());
    goToIndex(4);
    tick(14);
    edit("Edit_SerienNr")->setText(u"gibt es nicht"_s);
    ctl<QCheckBox>("Check_ExakteBegriffe")->setChecked(true);
    search();
    QVERIFY(w().CheckBox_Filter->isChecked());
    QCOMPARE(reg().recordCount(), 0);
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 0"_s);
    QCOMPARE(w().statusPanelText(1), u"nicht verkauft: 0"_s);
    QVERIFY(w().DBText_Index->text().isEmpty());

    // No row to return to: the whole register on the row the database gives first.
    w().CheckBox_Filter->click();
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 9"_s);
    QCOMPARE(shownIndex(), 1);
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestSearch::refusedStatementReturnsToRow() {
    QVERIFY(start());
    goToIndex(3);
    // The calendar has no 31 February; the database side refuses the literal.
    tick(0);
    edit("MEd_KDatum")->setText(u"31.02.2003"_s);
    tick(14);
    edit("Edit_SerienNr")->setText(u"T"_s);
    search();
    QCOMPARE(run->prompts.messages(), QStringList{u"Fehlerhafte Suchkriterien"_s});
    QVERIFY(run->prompts.errors().isEmpty());
    QVERIFY(!w().CheckBox_Filter->isChecked());
    QCOMPARE(Konst::SavedFilter, u"select * from Vorgang"_s);
    QCOMPARE(reg().commandText(), RegisterQuery::sortQuery(w().Combo_Sort->currentIndex()));
    QCOMPARE(shownIndex(), 3);
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 9"_s);

    // Ticking by hand now shows the whole register in the database's order.
    goToIndex(6);
    w().CheckBox_Filter->click();
    QVERIFY(w().CheckBox_Filter->isChecked());
    QCOMPARE(reg().commandText(), u"select * from Vorgang"_s);
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 9"_s);
    QCOMPARE(run->prompts.messages().size(), 1);
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestSearch::dateThatCannotBeConverted() {
    QVERIFY(start());
    tick(15);
    search(); // a first search, so that the box is ticked and SavedFilter holds it
    QVERIFY(w().CheckBox_Filter->isChecked());
    goToIndex(8);
    tick(1); // empty sale date
    search();
    QCOMPARE(run->prompts.errors(), QStringList{u"''  '' ist kein gültiger Integer-Wert"_s});
    QVERIFY(run->prompts.messages().isEmpty());
    QVERIFY(!w().CheckBox_Filter->isChecked());
    QVERIFY(Konst::SavedFilter.isEmpty());
    QCOMPARE(Konst::CurrentIndex, 8);
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 9"_s);

    // A serial number pasted with its line break can match nothing, and the statement holding it
    // could not be kept in the settings row: it is refused, and disconnecting still saves.
    run->prompts.clearShown();
    tick(1, false);
    tick(14);
    edit("Edit_SerienNr")->setText(u"T-1\n"_s);
    search();
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(run->prompts.errors().front().contains(u"Serien-Nr."_s));
    QVERIFY(!w().CheckBox_Filter->isChecked());
    QVERIFY(Konst::SavedFilter.isEmpty());
    run->prompts.clearShown();
    w().M_Trennen->trigger();
    QVERIFY(run->prompts.errors().isEmpty());
    QVERIFY(!run->dm().isConnected());
}

void TestSearch::nothingTickedOnlyUnticks() {
    QVERIFY(start());
    tick(15);
    edit("Edit_Notiz")->setText(u"treffer"_s);
    search();
    const QString saved = Konst::SavedFilter;
    goToIndex(6);
    tick(15, false);
    search();
    QVERIFY(!w().CheckBox_Filter->isChecked());
    QCOMPARE(Konst::SavedFilter, saved);
    QCOMPARE(Konst::CurrentIndex, 6);
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 9"_s);
}

void TestSearch::sortChoiceUnticksResults() {
    QVERIFY(start());
    tick(15);
    edit("Edit_Notiz")->setText(u"treffer"_s);
    search();
    QCOMPARE(w().statusPanelText(1), u"nicht verkauft: 2"_s);
    w().Combo_Sort->setCurrentIndex(1);
    emit w().Combo_Sort->activated(1);
    QVERIFY(!w().CheckBox_Filter->isChecked());
    QCOMPARE(reg().commandText(), RegisterQuery::sortQuery(1));
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 9"_s);
    QCOMPARE(w().statusPanelText(1), u"nicht verkauft: 5"_s);
    QVERIFY(run->prompts.messages().isEmpty());
}

void TestSearch::storedSearchEditedByHand_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("refused");
    QTest::newRow("delete") << u"DELETE FROM Vorgang"_s << true;
    QTest::newRow("two statements") << u"select * from Vorgang; DELETE FROM Vorgang"_s << true;
    QTest::newRow("another table") << u"select * from Kaufer"_s << true;
    QTest::newRow("100 KB") << schema::registerColumnList() +
                                   u"FROM Vorgang WHERE ((Vorgang.Notiz) Like \"%"_s +
                                   QString(100 * 1024, u'x') + u"%\");"_s
                            << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("a search") << schema::registerColumnList() +
                                     u"FROM Vorgang WHERE (((Vorgang.Notiz) Like \"%treffer%\"));"_s
                              << false;
}

void TestSearch::storedSearchEditedByHand() {
    QFETCH(QString, stored);
    QFETCH(bool, refused);
    run->folder.sql(
        u"UPDATE \"Benutzer\" SET \"SFilter\" = '%1'"_s.arg(QString(stored).replace(u'\'', u"''"_s)));
    QVERIFY(start());
    const QString before = run->folder.value(kRegisterRows).toString();
    goToIndex(4);
    w().CheckBox_Filter->click();
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.value(kRegisterRows).toString(), before);
    if (refused) {
        QCOMPARE(run->prompts.messages(), QStringList{u"Fehlerhafte Suchkriterien"_s});
        QVERIFY(!w().CheckBox_Filter->isChecked());
        QCOMPARE(Konst::SavedFilter, u"select * from Vorgang"_s);
        QCOMPARE(shownIndex(), 4);
        QCOMPARE(w().statusPanelText(0), u"Anzahl: 9"_s);
    } else {
        QVERIFY(run->prompts.messages().isEmpty());
        QVERIFY(w().CheckBox_Filter->isChecked());
        QCOMPARE(w().statusPanelText(0), stored.isEmpty() ? u"Anzahl: 9"_s : u"Anzahl: 5"_s);
    }
}

void TestSearch::searchWhileDisconnected() {
    QVERIFY(start(false));
    w().M_TrennenClick();
    run->prompts.clearShown();
    QTest::mouseClick(w().findChild<QToolButton*>(u"SpBtn13"_s), Qt::LeftButton);
    QCOMPARE(run->prompts.messages(), QStringList{ResultsView::kNotConnected});
    QVERIFY(run->dialogsRun.isEmpty());
    // The box does not stay ticked without a connection either.
    w().CheckBox_Filter->click();
    QVERIFY(!w().CheckBox_Filter->isChecked());
    QCOMPARE(run->prompts.messages().size(), 2);
    QVERIFY(run->prompts.errors().isEmpty());

    // Connected again, the button opens the dialog.
    w().M_VerbindenClick();
    QTest::mouseClick(w().findChild<QToolButton*>(u"SpBtn13"_s), Qt::LeftButton);
    QCOMPARE(run->dialogsRun, QStringList{u"FormSuchen"_s});
}

// Choosing a buyer stores the entry in between; when it then no longer matches the search shown,
// the form must stay on it (not go on editing a neighbour), and a discard must undo that store.
void TestSearch::entryStoredInBetweenLeavesResult() {
    QVERIFY(start());
    const QString before = run->folder.value(kRegisterRows).toString();
    const QString buyerOf6 = uR"(SELECT "Kaufer" FROM "Vorgang" WHERE "Index" = 6)"_s;
    tick(5);
    edit("Edit_Kaufer")->setText(u"jäger"_s);
    search(); // entries 3, 6 and 9
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 3"_s);

    goToIndex(6);
    click(9);
    chooseBuyer(u"Erika Förster"_s);
    QCOMPARE(run->folder.value(buyerOf6).toInt(), 3);
    QCOMPARE(shownIndex(), 6);
    QCOMPARE(w().DBEdit_SerienNr->text(), u"T-2"_s);
    click(11);
    QCOMPARE(run->folder.value(buyerOf6).toInt(), 2);

    // A new entry: discarding it takes out the new entry, never the one it was appended after.
    goToIndex(9);
    click(7);
    chooseBuyer(u"Erika Förster"_s);
    QCOMPARE(shownIndex(), 10);
    click(11);
    QCOMPARE(run->folder.value(kRegisterRows).toString(), before);
    QCOMPARE(shownIndex(), 9);
    QVERIFY(run->prompts.errors().isEmpty());
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
