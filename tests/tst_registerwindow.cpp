// Navigation through the register, the commands on an empty or closed register, what the edit mode
// locks, the sort choice, the step box and the re-layout.
#include "tst_registerwindow.h"

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
    // The address panels show the current row's partners while connected, nothing after Trennen.
    const QString seller = withRows ? reg().lookupText(QStringLiteral("ViewVerkaufer")) : QString();
    const auto panelsShowSeller = [this, &seller] {
        for (const QLabel* l :
             w().findChild<QWidget*>(QStringLiteral("Panel_Adressen"))->findChildren<QLabel*>())
            if (l->text().contains(seller))
                return true;
        return false;
    };
    if (withRows)
        QVERIFY(!seller.isEmpty() && panelsShowSeller());
    if (disconnect)
        w().M_Trennen->trigger();
    if (withRows)
        QCOMPARE(panelsShowSeller(), !disconnect);
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

    // Without a connection there is nothing to sort: that is what the user is told, not that
    // the criteria were faulty; the order chosen stays selected. A title click does the same.
    w().M_Trennen->trigger();
    click(14);
    choose(w().Combo_Sort, QStringLiteral("Kaliber"));
    QCOMPARE(run->prompts.messages(), QStringList{ResultsView::kNotConnected});
    QVERIFY(run->prompts.errors().isEmpty());
    QVERIFY(inBrowseMode());
    QCOMPARE(w().Combo_Sort->currentText(), QStringLiteral("Kaliber"));
    emit w().DBGrid_Vorgang->titleClicked(5);
    QCOMPARE(run->prompts.messages(), QStringList(2, ResultsView::kNotConnected));
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(w().statusPanelText(4), QStringLiteral("nicht verbunden"));
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

QTEST_MAIN(TestRegisterWindow)
