// The record form of the register window: navigation, edit modes, store and discard, the buyer
// and authority fills, the address panels, the step box, the sort choice and the re-layout.
#include "support/AppRun.h"
#include "support/SampleData.h"

#include "window/Binding.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

// Partner rows as the store compares them: the permit columns of every partner.
const QString kPartners = QStringLiteral(
    R"(SELECT group_concat(quote("Index") || ',' || quote("EWB") || ',' || quote("EWBNR") || ',' ||
       quote("EWBDatum") || ',' || quote("JDatum") || ',' || quote("EWBAmt") || ',' || quote("KAmt"), ';')
       FROM "Kaufer")");

QString permitOf(int vorgang) {
    return QStringLiteral(R"(SELECT "Kaufer", "EWB", "EWBNR", "AmtDatum", "JDatum", "Amt", "KauferAmt"
                             FROM "Vorgang" WHERE "Index" = %1)")
        .arg(vorgang);
}

QString partnerPermit(int partner) {
    return QStringLiteral(R"(SELECT "EWB", "EWBNR", "EWBDatum", "JDatum", "EWBAmt", "KAmt"
                             FROM "Kaufer" WHERE "Index" = %1)")
        .arg(partner);
}

QVariantList values(std::initializer_list<QVariant> list) {
    return QVariantList(list);
}

const QVariant null;

void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

// The user picks an entry: the box takes the focus (so a line edit left behind is written), then
// the entry is chosen.
void choose(QComboBox* box, const QString& text) {
    box->setFocus();
    const int i = box->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    box->setCurrentIndex(i);
    emit box->activated(i);
}

} // namespace

class TestRegisterWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { run = std::make_unique<AppRun>(); }
    void cleanup() { finishRun(run); }

    void fastForwardAndRewindWalk();
    void noMoveAtTheEnds();
    void commandsOnEmptyOrClosedRegister_data();
    void commandsOnEmptyOrClosedRegister();
    void appendThenDiscard();
    void appendChooseBuyerThenDiscard();
    void editChooseBuyerThenDiscard();
    void newRowStoredUntouched();
    void storeCopiesPermitToBuyer();
    void storeWithDeletedBuyer();
    void buyerFillCopiesPartnerPermit();
    void buyerBoxReadOnlyWhenBrowsing();
    void authorityFillOverwritesBuyerAuthority();
    void addressPanels();
    void editModeLocksTheWindow_data();
    void editModeLocksTheWindow();
    void sortChoice();
    void refusedSortFallsBackToWholeRegister_data();
    void refusedSortFallsBackToWholeRegister();
    void stepBox();
    void resizeAlignsAuthorityBoxes();
    void datesTypedAsText();
    void invalidDateKeptUntilStore();
    void overlongSerialNumber();

private:
    bool start();
    QToolButton* button(int n) const;
    void click(int n) const { QTest::mouseClick(button(n), Qt::LeftButton); }
    TFormMain& w() const { return run->main(); }
    Dataset& reg() const { return run->reg(); }
    int shownIndex() const { return w().DBText_Index->text().toInt(); }
    QStringList lines(const char* panel) const;
    bool inBrowseMode() const;
    bool inEditMode() const;

    std::unique_ptr<AppRun> run;
};

bool TestRegisterWindow::start() {
    return run->login() && run->activate();
}

QToolButton* TestRegisterWindow::button(int n) const {
    return w().findChild<QToolButton*>(QStringLiteral("SpBtn%1").arg(n, 2, 10, QLatin1Char('0')));
}

QStringList TestRegisterWindow::lines(const char* panel) const {
    QStringList out;
    for (const char* part : {"Name", "Strasse", "PLZ", "Ort"})
        out << w().findChild<QLabel*>(
                      QStringLiteral("Label_%1%2").arg(QLatin1String(panel), QLatin1String(part)))
                   ->text();
    return out;
}

bool TestRegisterWindow::inBrowseMode() const {
    for (int n = 1; n <= 16; ++n)
        if (button(n)->isEnabled() != (n != 10 && n != 11))
            return false;
    return w().DBEdit_SerienNr->isReadOnly() && w().DBLU_Kaufer->isReadOnly() &&
           !w().SB_Kaufer->isVisible() && w().PgCtrl->isTabVisible(1) && !Konst::RecordEditing;
}

bool TestRegisterWindow::inEditMode() const {
    for (int n = 1; n <= 16; ++n)
        if (button(n)->isEnabled() != (n == 8 || n == 10 || n == 11))
            return false;
    return !w().DBEdit_SerienNr->isReadOnly() && !w().DBLU_Kaufer->isReadOnly() &&
           w().SB_Kaufer->isVisible() && !w().PgCtrl->isTabVisible(1) && Konst::RecordEditing;
}

// ------------------------------------------------------------------ navigation

void TestRegisterWindow::fastForwardAndRewindWalk() {
    run->folder.sql(QStringLiteral(R"(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 25)
INSERT INTO "Vorgang" ("SerienNr", "Verkaufer", "Kaufer", "EWB", "Amt", "KauferAmt")
SELECT 'S-' || i, 1, 1, 1, 1, 1 FROM n)"));
    QVERIFY(start());
    QCOMPARE(w().statusPanelText(0), QStringLiteral("Anzahl: 25"));
    QCOMPARE(Konst::SpulStep, 10);
    QCOMPARE(shownIndex(), 1);

    QSignalSpy scrolls(&reg(), &Dataset::afterScroll);
    // Each jump moves once, straight to its target.
    for (int expected : {11, 21, 25}) {
        click(5);
        QCOMPARE(reg().recNo(), expected);
        QCOMPARE(shownIndex(), expected);
    }
    QCOMPARE(scrolls.count(), 3);
    click(5);
    QCOMPARE(reg().recNo(), 25);
    QCOMPARE(scrolls.count(), 3);

    for (int expected : {15, 5, 1}) {
        click(2);
        QCOMPARE(reg().recNo(), expected);
        QCOMPARE(w().DBEdit_SerienNr->text(), QStringLiteral("S-%1").arg(expected));
    }
    QCOMPARE(scrolls.count(), 6);
    click(2);
    QCOMPARE(reg().recNo(), 1);
    QCOMPARE(scrolls.count(), 6);

    for (int from : {10, 11}) {
        reg().setRecNo(from);
        click(2);
        QCOMPARE(reg().recNo(), 1);
    }

    // Step 500: the jumps stop at the ends.
    w().Spin_Spul->setValue(500);
    QCOMPARE(Konst::SpulStep, 500);
    reg().setRecNo(3);
    click(5);
    QCOMPARE(reg().recNo(), 25);
    click(2);
    QCOMPARE(reg().recNo(), 1);
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestRegisterWindow::noMoveAtTheEnds() {
    addSampleData(run->folder);
    QVERIFY(start());
    QSignalSpy scrolls(&reg(), &Dataset::afterScroll);
    // First row: first, previous and fast rewind do nothing.
    for (int n : {1, 3, 2})
        click(n);
    QCOMPARE(scrolls.count(), 0);
    click(4);
    QCOMPARE(reg().recNo(), 2);
    QCOMPARE(scrolls.count(), 1);
    click(6);
    QCOMPARE(reg().recNo(), 4);
    QCOMPARE(shownIndex(), 4);
    scrolls.clear();
    // Last row: next, last and fast forward do nothing.
    for (int n : {4, 6, 5})
        click(n);
    QCOMPARE(scrolls.count(), 0);
    QCOMPARE(reg().recNo(), 4);
    click(3);
    QCOMPARE(reg().recNo(), 3);
    click(1);
    QCOMPARE(reg().recNo(), 1);
    QCOMPARE(scrolls.count(), 2);
}

void TestRegisterWindow::commandsOnEmptyOrClosedRegister_data() {
    QTest::addColumn<bool>("withRows");
    QTest::addColumn<bool>("disconnect");
    QTest::newRow("empty register") << false << false;
    QTest::newRow("after Trennen") << true << true;
}

void TestRegisterWindow::commandsOnEmptyOrClosedRegister() {
    QFETCH(bool, withRows);
    QFETCH(bool, disconnect);
    if (withRows)
        addSampleData(run->folder);
    QVERIFY(start());
    if (disconnect)
        w().M_Trennen->trigger();
    QCOMPARE(w().statusPanelText(4),
             disconnect ? QStringLiteral("nicht verbunden") : QStringLiteral("verbunden"));
    const QString before = run->folder.value(R"(SELECT count(*) FROM "Vorgang")").toString();
    for (int n : {1, 2, 3, 4, 5, 6, 9}) {
        click(n);
        QVERIFY2(run->prompts.errors().isEmpty(), qPrintable(QStringLiteral("SpBtn%1").arg(n)));
    }
    QVERIFY(inBrowseMode());
    QCOMPARE(run->folder.value(R"(SELECT count(*) FROM "Vorgang")").toString(), before);
}

// ------------------------------------------------------------------ append, store, discard

void TestRegisterWindow::appendThenDiscard() {
    addSampleData(run->folder);
    QVERIFY(start());
    reg().setRecNo(3);
    click(7);
    QVERIFY(inEditMode());
    QCOMPARE(w().DBText_Index->text(), QString());
    QCOMPARE(w().DBEdit_SerienNr->text(), QString());
    typeInto(w().DBEdit_SerienNr, "X-1");
    click(11);
    QVERIFY(inBrowseMode());
    QCOMPARE(reg().recordCount(), 4);
    QCOMPARE(run->folder.value(R"(SELECT count(*) FROM "Vorgang")").toInt(), 4);
    QCOMPARE(reg().recNo(), 3);
    QCOMPARE(shownIndex(), 3);
    QCOMPARE(w().DBEdit_SerienNr->text(), QStringLiteral("W-551200"));
    QCOMPARE(lines("Kaufer").first(), QStringLiteral("Hans Jäger"));
    QCOMPARE(w().statusPanelText(0), QStringLiteral("Anzahl: 4"));
}

void TestRegisterWindow::appendChooseBuyerThenDiscard() {
    addSampleData(run->folder);
    QVERIFY(start());
    reg().setRecNo(2);
    click(7);
    typeInto(w().DBEdit_SerienNr, "NEU-1");
    choose(w().DBLU_Kaufer, QStringLiteral("Erika Förster"));
    QVERIFY(run->prompts.errors().isEmpty());

    // Choosing the buyer stored the row at once, and the form stays in edit mode.
    QVERIFY(inEditMode());
    QCOMPARE(run->folder.value(R"(SELECT count(*) FROM "Vorgang")").toInt(), 5);
    const int index = run->folder.value(R"(SELECT max("Index") FROM "Vorgang")").toInt();
    const QString stored = QStringLiteral(R"(SELECT "SerienNr", "Verkaufer", "Notiz" FROM "Vorgang"
                                             WHERE "Index" = %1)")
                               .arg(index);
    QCOMPARE(run->folder.row(stored), values({"NEU-1", 1, null}));
    QCOMPARE(run->folder.row(permitOf(index)), values({3, 2, "WBK 22/2018", "2018-06-15", null, 3, 3}));
    QCOMPARE(lines("Kaufer"), (QStringList{"Erika Förster", "Am Markt 12", "1067", "Dresden"}));
    QCOMPARE(w().statusPanelText(0), QStringLiteral("Anzahl: 5"));

    typeInto(w().DBLU_Notiz, "spaeter");
    typeInto(w().DBEdit_SerienNr, "NEU-2");
    const QVariant partners = run->folder.value(kPartners);
    click(11);
    // The discard takes back the whole edit: the appended entry is gone again, the partner
    // untouched, and the form is back on the row it was on.
    QVERIFY(inBrowseMode());
    QCOMPARE(run->folder.value(R"(SELECT count(*) FROM "Vorgang")").toInt(), 4);
    QVERIFY(run->folder.row(stored).isEmpty());
    QCOMPARE(run->folder.value(kPartners), partners);
    QCOMPARE(reg().recordCount(), 4);
    QCOMPARE(reg().recNo(), 2);
    QCOMPARE(w().statusPanelText(0), QStringLiteral("Anzahl: 4"));
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestRegisterWindow::editChooseBuyerThenDiscard() {
    addSampleData(run->folder);
    QVERIFY(start());
    reg().setRecNo(1);
    const int index = shownIndex();
    const QString all = QStringLiteral(R"(SELECT * FROM "Vorgang" WHERE "Index" = %1)").arg(index);
    const QVariantList before = run->folder.row(all);
    click(9);
    typeInto(w().DBEdit_SerienNr, "GEAENDERT");
    choose(w().DBLU_Kaufer, QStringLiteral("Erika Förster"));
    QVERIFY(run->folder.row(all) != before); // stored in between
    click(11);
    // Every column is back as it was when the edit began.
    QCOMPARE(run->folder.row(all), before);
    QCOMPARE(shownIndex(), index);
    QCOMPARE(
        w().DBEdit_SerienNr->text(),
        run->folder.value(QStringLiteral(R"(SELECT "SerienNr" FROM "Vorgang" WHERE "Index" = %1)").arg(index))
            .toString());
    QVERIFY(w().DBEdit_SerienNr->text() != QStringLiteral("GEAENDERT"));
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestRegisterWindow::newRowStoredUntouched() {
    addSampleData(run->folder);
    QVERIFY(start());
    const QVariant partners = run->folder.value(kPartners);
    click(7);
    click(10);
    QVERIFY(run->prompts.errors().isEmpty());
    QVERIFY(inBrowseMode());
    QCOMPARE(run->folder.row(R"(SELECT "Index", "Verkaufer", "Kaufer", "EWB", "Amt", "KauferAmt", "KDatum",
                                "Waffentyp", "SerienNr", "VDatum", "EWBNR", "Notiz" FROM "Vorgang"
                                ORDER BY "Index" DESC)"),
             values({5, 1, 1, 1, 1, 1, null, null, null, null, null, null}));
    QCOMPARE(run->folder.value(kPartners), partners);
    QCOMPARE(shownIndex(), 5);
    QCOMPARE(w().statusPanelText(0), QStringLiteral("Anzahl: 5"));
    QCOMPARE(w().statusPanelText(1), QStringLiteral("nicht verkauft: 4"));
}

void TestRegisterWindow::storeCopiesPermitToBuyer() {
    addSampleData(run->folder);
    QVERIFY(start());
    reg().setRecNo(3);
    QCOMPARE(run->folder.row(partnerPermit(2)), values({3, "JS-4711", "2019-04-01", "2027-03-31", 2, 2}));

    // An emptied number empties the partner's; an emptied date keeps the partner's date.
    click(9);
    typeInto(w().DBEdit_EWBNR, QString());
    typeInto(w().DBEdit_EWBDatum->lineEdit(), QString());
    choose(w().DBLU_KauferAmt, QStringLiteral("Kreisverwaltung München"));
    click(10);
    QVERIFY(run->prompts.errors().isEmpty());
    QVERIFY(inBrowseMode());
    QCOMPARE(run->folder.value(R"(SELECT "AmtDatum" FROM "Vorgang" WHERE "Index" = 3)"), null);
    const QVariantList afterFirst = run->folder.row(partnerPermit(2));
    QCOMPARE(afterFirst.value(1).toString(), QString());
    QCOMPARE(afterFirst, values({3, afterFirst.value(1), "2019-04-01", "2027-03-31", 2, 4}));

    // Dates the row holds are copied; other partners stay as they were.
    const QVariantList erika = run->folder.row(partnerPermit(3));
    click(9);
    typeInto(w().DBEdit_EWBDatum->lineEdit(), "5.5.2020");
    typeInto(w().DBEdit_VJgdSch->lineEdit(), "31.12.2030");
    typeInto(w().DBEdit_EWBNR, "JS-9");
    choose(w().DBLU_EWB, QStringLiteral("Waffenbesitzkarte"));
    click(10);
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.row(partnerPermit(2)), values({2, "JS-9", "2020-05-05", "2030-12-31", 2, 4}));
    QCOMPARE(run->folder.row(permitOf(3)), values({2, 2, "JS-9", "2020-05-05", "2030-12-31", 2, 4}));
    QCOMPARE(run->folder.row(partnerPermit(3)), erika);
}

void TestRegisterWindow::storeWithDeletedBuyer() {
    addSampleData(run->folder);
    run->folder.sql(QStringLiteral(R"(DELETE FROM "Kaufer" WHERE "Index" = 2)"));
    QVERIFY(start());
    const QVariant partners = run->folder.value(kPartners);
    reg().setRecNo(3);
    click(9);
    typeInto(w().DBLU_Notiz, "Partner geloescht");
    click(10);
    QVERIFY(run->prompts.errors().isEmpty());
    QVERIFY(inBrowseMode());
    QCOMPARE(run->folder.value(R"(SELECT "Notiz" FROM "Vorgang" WHERE "Index" = 3)"),
             QVariant("Partner geloescht"));
    QCOMPARE(run->folder.value(kPartners), partners);
}

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

// ------------------------------------------------------------------ modes

void TestRegisterWindow::editModeLocksTheWindow_data() {
    QTest::addColumn<int>("command");
    QTest::newRow("edit") << 9;
    QTest::newRow("append") << 7;
}

void TestRegisterWindow::editModeLocksTheWindow() {
    QFETCH(int, command);
    addSampleData(run->folder);
    QVERIFY(start());
    QVERIFY(inBrowseMode());
    run->prompts.queueOpenResult(true);
    QTest::keyClick(&w(), Qt::Key_F1);
    QCOMPARE(run->prompts.texts("open").size(), 1);

    click(command);
    QVERIFY(inEditMode());
    for (QMenu* m : {w().M_Datenbank, w().M_Optionen, w().M_Hilfe})
        QVERIFY(!m->menuAction()->isEnabled());
    QVERIFY(!w().CheckBox_Filter->isEnabled());
    for (QWidget* b :
         {w().SB_Typ, w().SB_Kaliber, w().SB_Hersteller, w().SB_Verkaufer, w().SB_Amt, w().SB_KauferAmt})
        QVERIFY(b->isVisible());
    QVERIFY(!w().DBEdit_KDatum->isReadOnly());
    QVERIFY(!w().DBLU_Notiz->isReadOnly());
    QVERIFY(!w().DBLU_KauferAmt->isReadOnly());

    // The menus' shortcuts are dead: no help, no disconnect, no options dialog.
    QTest::keyClick(&w(), Qt::Key_F1);
    QTest::keyClick(&w(), Qt::Key_F2, Qt::ControlModifier);
    QTest::keyClick(&w(), Qt::Key_F5);
    QCOMPARE(run->prompts.texts("open").size(), 1);
    QVERIFY(run->dm().isConnected());
    QVERIFY(run->dialogsRun.isEmpty());
    // The help button still works.
    run->prompts.queueOpenResult(true);
    click(8);
    QCOMPARE(run->prompts.texts("open").size(), 2);

    click(11);
    QVERIFY(inBrowseMode());
    for (QMenu* m : {w().M_Datenbank, w().M_Optionen, w().M_Hilfe})
        QVERIFY(m->menuAction()->isEnabled());
    QVERIFY(w().CheckBox_Filter->isEnabled());
    QVERIFY(w().M_Trennen->isEnabled());
    QVERIFY(!w().M_Verbinden->isEnabled());
    QVERIFY(!w().SB_Amt->isVisible());
    run->prompts.queueOpenResult(true);
    QTest::keyClick(&w(), Qt::Key_F1);
    QCOMPARE(run->prompts.texts("open").size(), 3);
}

void TestRegisterWindow::sortChoice() {
    addSampleData(run->folder);
    QVERIFY(start());
    reg().setRecNo(3);
    click(14);
    QVERIFY(w().Combo_Sort->isVisible());
    QVERIFY(!w().Panel_Formular->isEnabled());
    for (int n = 1; n <= 16; ++n)
        QCOMPARE(button(n)->isEnabled(), n == 8);
    // Help still works while the sort list waits for its choice.
    run->prompts.queueOpenResult(true);
    click(8);
    QCOMPARE(run->prompts.texts(QStringLiteral("open")).size(), 1);
    QVERIFY(w().Combo_Sort->isVisible());
    QVERIFY(!w().PgCtrl->isTabVisible(1));
    QVERIFY(!w().M_Datenbank->menuAction()->isEnabled());
    QVERIFY(!Konst::RecordEditing);
    QVERIFY(!reg().isEditing());
    QCOMPARE(w().Combo_Sort->count(), 17);

    choose(w().Combo_Sort, QStringLiteral("Käufer"));
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(w().statusPanelText(2), QStringLiteral("Sortiert nach: Käufer"));
    QVERIFY(!w().Combo_Sort->isVisible());
    QVERIFY(w().Panel_Formular->isEnabled());
    QVERIFY(inBrowseMode());
    QCOMPARE(shownIndex(), 3);
    // The sold row comes after the three unsold ones, whose partner sorts first.
    QCOMPARE(reg().recNo(), 4);
    QCOMPARE(w().statusPanelText(0), QStringLiteral("Anzahl: 4"));

    click(14);
    choose(w().Combo_Sort, QStringLiteral("EWB-Nummer"));
    QCOMPARE(w().statusPanelText(2), QStringLiteral("EWB-Nummer"));
    QCOMPARE(shownIndex(), 3);
    QVERIFY(inBrowseMode());
}

void TestRegisterWindow::refusedSortFallsBackToWholeRegister_data() {
    QTest::addColumn<int>("position"); // -1: no entry chosen
    QTest::addColumn<QString>("sql");
    QTest::newRow("no order chosen") << -1 << QString();
    QTest::newRow("list table missing") << 2 << QStringLiteral(R"(DROP TABLE "Waffentyp")");
}

void TestRegisterWindow::refusedSortFallsBackToWholeRegister() {
    QFETCH(int, position);
    QFETCH(QString, sql);
    addSampleData(run->folder);
    QVERIFY(start());
    reg().setRecNo(3);
    w().CheckBox_Filter->setChecked(true);
    if (!sql.isEmpty())
        run->folder.sql(sql);
    w().Combo_Sort->setCurrentIndex(position);

    w().ApplyRegisterSort();
    QCOMPARE(run->prompts.messages(), QStringList{QStringLiteral("Fehlerhafte Suchkriterien")});
    QVERIFY(run->prompts.errors().isEmpty());
    // The whole register in the database's order, on the row that was current.
    QCOMPARE(reg().commandText(), QStringLiteral("select * from Vorgang"));
    QCOMPARE(reg().recordCount(), 4);
    QCOMPARE(shownIndex(), 3);
    QCOMPARE(reg().recNo(), 3);
    QCOMPARE(w().statusPanelText(0), QStringLiteral("Anzahl: 4"));
    QCOMPARE(w().Combo_Sort->currentIndex(), position);
    QVERIFY(!w().CheckBox_Filter->isChecked());
}

void TestRegisterWindow::stepBox() {
    addSampleData(run->folder);
    QVERIFY(start());
    SpulSpinBox* box = w().Spin_Spul;
    box->setFocus();
    box->editor()->selectAll();
    QTest::keyClicks(box->editor(), "1000");
    QCOMPARE(Konst::SpulStep, 1000);
    // While the box holds 1000, fast forward still ends on the last row.
    click(5);
    QCOMPARE(reg().recNo(), 4);
    QVERIFY(run->prompts.errors().isEmpty());

    w().DBLU_Notiz->setFocus();
    QTRY_COMPARE(Konst::SpulStep, 500);
    QCOMPARE(box->value(), 500);
    QCOMPARE(box->editor()->text(), QStringLiteral("500"));

    box->setFocus();
    box->editor()->selectAll();
    QTest::keyClick(box->editor(), Qt::Key_Backspace);
    QCOMPARE(box->editor()->text(), QString());
    QCOMPARE(Konst::SpulStep, 2);
    w().DBLU_Notiz->setFocus();
    QTRY_COMPARE(box->editor()->text(), QStringLiteral("2"));
    QCOMPARE(Konst::SpulStep, 2);

    box->setFocus();
    QTest::keyClick(box->editor(), Qt::Key_Up);
    QCOMPARE(Konst::SpulStep, 3);
}

void TestRegisterWindow::resizeAlignsAuthorityBoxes() {
    QVERIFY(start());
    const int rowOfBoxes = w().DBLU_KauferAmt->y();
    struct Case {
        int notiz, half;
    };
    for (const Case c : {Case{385, 187}, Case{300, 145}, Case{301, 145}}) {
        w().DBLU_Notiz->resize(c.notiz, w().DBLU_Notiz->height());
        // Disturb the boxes, so that only the re-layout can put them right.
        w().DBLU_Amt->resize(40, w().DBLU_Amt->height());
        w().DBLU_KauferAmt->setGeometry(0, w().DBLU_KauferAmt->y(), 40, w().DBLU_KauferAmt->height());
        w().resize(w().width() + 10, w().height());
        QTRY_COMPARE(w().DBLU_Amt->width(), c.half);
        QCOMPARE(w().DBLU_Amt->x(), 10);
        QCOMPARE(w().Label_AmtLand->width(), c.half);
        QCOMPARE(w().DBLU_KauferAmt->width(), c.half);
        QCOMPARE(w().Label_KauferAmt->width(), c.half);
        QCOMPARE(w().DBLU_KauferAmt->geometry().right(), w().DBLU_Notiz->geometry().right());
        QCOMPARE(w().Label_KauferAmt->x(), w().DBLU_KauferAmt->x());
        // The add button sits at the right end of its box; nothing moves up or down.
        QCOMPARE(w().SB_Amt->geometry().right(), w().DBLU_Amt->geometry().right());
        QCOMPARE(w().DBLU_KauferAmt->y(), rowOfBoxes);
        QVERIFY(w().DBLU_Amt->geometry().right() < w().DBLU_KauferAmt->x());
    }
}

// ------------------------------------------------------------------ typed values

void TestRegisterWindow::datesTypedAsText() {
    addSampleData(run->folder);
    QVERIFY(start());
    click(9);
    typeInto(w().DBEdit_KDatum->lineEdit(), "3.7.2024");
    typeInto(w().DBEdit_VDatum->lineEdit(), "28.02.2025");
    click(10);
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.row(R"(SELECT "KDatum", "VDatum" FROM "Vorgang" WHERE "Index" = 1)"),
             values({"2024-07-03", "2025-02-28"}));
    QCOMPARE(w().DBEdit_KDatum->lineEdit()->text(), QStringLiteral("03.07.2024"));

    // An invalid date is refused at the store; the row stays in edit mode with the input.
    click(9);
    typeInto(w().DBEdit_VDatum->lineEdit(), "31.02.2025");
    click(10);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(run->prompts.errors().first().contains("31.02.2025"));
    QVERIFY(inEditMode());
    QCOMPARE(w().DBEdit_VDatum->lineEdit()->text(), QStringLiteral("31.02.2025"));
    QCOMPARE(run->folder.value(R"(SELECT "VDatum" FROM "Vorgang" WHERE "Index" = 1)"),
             QVariant("2025-02-28"));

    typeInto(w().DBEdit_VDatum->lineEdit(), "1.3.2025");
    click(10);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(inBrowseMode());
    QCOMPARE(run->folder.value(R"(SELECT "VDatum" FROM "Vorgang" WHERE "Index" = 1)"),
             QVariant("2025-03-01"));
}

void TestRegisterWindow::invalidDateKeptUntilStore() {
    addSampleData(run->folder);
    QVERIFY(start());
    click(9);
    typeInto(w().DBEdit_VDatum->lineEdit(), "32.13.2025");
    // Another choice changes the row; the typed text must not be lost on the way.
    choose(w().DBLU_Amt, QStringLiteral("Ordnungsamt Kassel"));
    QCOMPARE(w().DBEdit_VDatum->lineEdit()->text(), QStringLiteral("32.13.2025"));
    click(10);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(inEditMode());
    QCOMPARE(run->folder.row(R"(SELECT "VDatum", "Amt" FROM "Vorgang" WHERE "Index" = 1)"),
             values({null, 1}));
    click(11);
    QVERIFY(inBrowseMode());
    QCOMPARE(w().DBEdit_VDatum->lineEdit()->text(), QString());
}

void TestRegisterWindow::overlongSerialNumber() {
    addSampleData(run->folder);
    QVERIFY(start());
    const QString longText(51, QLatin1Char('X'));
    click(9);
    typeInto(w().DBEdit_SerienNr, longText);
    QCOMPARE(w().DBEdit_SerienNr->text().size(), 50);
    click(10);
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.value(R"(SELECT length("SerienNr") FROM "Vorgang" WHERE "Index" = 1)").toInt(), 50);

    // What the database refuses ends the store: an error box, and the form stays in edit mode.
    click(9);
    reg().setValue("SerienNr", longText);
    click(10);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(inEditMode());
    QCOMPARE(run->folder.value(R"(SELECT length("SerienNr") FROM "Vorgang" WHERE "Index" = 1)").toInt(), 50);
    click(11);
    QVERIFY(inBrowseMode());
    QCOMPARE(w().DBEdit_SerienNr->text().size(), 50);
}

QTEST_MAIN(TestRegisterWindow)
#include "tst_registerwindow.moc"
