// New and edited entries stored or discarded through the record form, and the values typed into it:
// dates as text, an invalid date, an overlong serial number.
#include "tst_registerwindow.h"

#include <QCalendarWidget>
#include <QTimer>
#include <memory>
#include <sqlite3.h>

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

    // Stored, but reading it back after the commit is refused: the window leaves the edit as well,
    // so nothing can store the entry a second time.
    sqlite3* db = reg().connection().handle();
    sqlite3_set_authorizer(
        db,
        [](void* h, int action, const char*, const char*, const char*, const char*) {
            const bool afterCommit = sqlite3_get_autocommit(static_cast<sqlite3*>(h)) != 0;
            return afterCommit && action == SQLITE_SELECT ? SQLITE_DENY : SQLITE_OK;
        },
        db);
    click(7);
    click(10);
    sqlite3_set_authorizer(db, nullptr, nullptr);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(inBrowseMode());
    QCOMPARE(run->folder.value(R"(SELECT count(*) FROM "Vorgang")"), QVariant(6));
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

    // The calendar by keyboard: Alt+Down opens it on the box's date, arrows move, Enter picks.
    click(9);
    QTimer::singleShot(0, [] {
        QWidget* popup = QApplication::activePopupWidget();
        auto* calendar = popup ? popup->findChild<QCalendarWidget*>() : nullptr;
        if (!calendar)
            return;
        QTest::keyClick(calendar->focusWidget(), Qt::Key_Right);
        QTest::keyClick(calendar->focusWidget(), Qt::Key_Return);
    });
    QTest::keyClick(w().DBEdit_VDatum->lineEdit(), Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(w().DBEdit_VDatum->lineEdit()->text(), QStringLiteral("02.03.2025"));
    // F4 opens it too; Esc closes it without a change.
    // (Offscreen, the window is not made active again when a popup closes.)
    w().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w()));
    const auto opened = std::make_shared<bool>(false);
    QTimer::singleShot(0, [opened] {
        QWidget* popup = QApplication::activePopupWidget();
        *opened = popup && popup->findChild<QCalendarWidget*>();
        if (popup)
            QTest::keyClick(popup, Qt::Key_Escape);
    });
    QTest::keyClick(w().DBEdit_VDatum->lineEdit(), Qt::Key_F4);
    QVERIFY(*opened);
    QVERIFY(!QApplication::activePopupWidget());
    QCOMPARE(w().DBEdit_VDatum->lineEdit()->text(), QStringLiteral("02.03.2025"));
    click(10);
    QCOMPARE(run->folder.value(R"(SELECT "VDatum" FROM "Vorgang" WHERE "Index" = 1)"),
             QVariant("2025-03-02"));

    // Two-digit years, the leap day of 2000 included.
    click(9);
    typeInto(w().DBEdit_KDatum->lineEdit(), "29.2.00");
    typeInto(w().DBEdit_VDatum->lineEdit(), "1.12.99");
    typeInto(w().DBEdit_VJgdSch->lineEdit(), "31.3.45");
    click(10);
    QCOMPARE(run->prompts.errors().size(), 1); // the refused 31.02. above
    QCOMPARE(run->folder.row(R"(SELECT "KDatum", "VDatum", "JDatum" FROM "Vorgang" WHERE "Index" = 1)"),
             values({"2000-02-29", "1999-12-01", "2045-03-31"}));
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
    // Written by another program: 31 characters, one outside the Basic Multilingual Plane each
    // but the first, which fit the column but not a box that counts their 61 UTF-16 units.
    const QString foreign = QStringLiteral("A") + QStringLiteral("🔫").repeated(30);
    run->folder.sql(
        QStringLiteral(R"(UPDATE "Vorgang" SET "SerienNr" = '%1' WHERE "Index" = 2)").arg(foreign));
    QVERIFY(start());
    // Shown whole; typing is held to the box's length again on the next entry.
    QVERIFY(reg().locate("Index", 2));
    QCOMPARE(w().DBEdit_SerienNr->text(), foreign);
    QVERIFY(reg().locate("Index", 1));
    QCOMPARE(w().DBEdit_SerienNr->maxLength(), 50);
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

    // A value longer than its box is shown from its beginning, also in a box that has the focus.
    run->folder.sql(R"(UPDATE "Vorgang" SET "SerienNr" = 'AB-' || substr("SerienNr", 4) WHERE "Index" = 1)");
    w().DBEdit_SerienNr->setFocus();
    click(12);
    QCOMPARE(w().DBEdit_SerienNr->text().left(3), QStringLiteral("AB-"));
    QCOMPARE(w().DBEdit_SerienNr->cursorPosition(), 0);
}
