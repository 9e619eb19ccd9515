// The print dialog and its keys, the register book as shown and by Index, the letters and their
// date, and what is printed without a row, a connection or a project file.
#include "tst_print.h"

void TestPrint::arrangementAndKeys() {
    QVERIFY(open());
    QCOMPARE(run->dialogsRun, QStringList{u"FormDruck"_s});
    QCOMPARE(dialog()->size(), QSize(454, 218));
    QVERIFY(dialog()->windowFlags() & Qt::FramelessWindowHint);
    // Tab order: register book, close, notification, documents, date box.
    const QStringList order{u"BitBtn_DruckOK"_s, u"BitBtn_DruckESC"_s, u"BitBtn_AmtDruck"_s,
                            u"BitBtn_Unterlagen"_s, u"DateEd_Brief"_s};
    for (int i = 0; i + 1 < order.size(); ++i) {
        QWidget* from = dialog()->findChild<QWidget*>(order[i]);
        QWidget* next = from->nextInFocusChain();
        while (next && next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        QVERIFY(next);
        QVERIFY2(next->objectName() == order[i + 1] || next->parentWidget()->objectName() == order[i + 1],
                 qPrintable(order[i]));
    }
    for (QWidget* c : dialog()->findChildren<QWidget*>())
        if (c->focusPolicy() != Qt::NoFocus && !c->objectName().startsWith(u"qt_"_s) &&
            c->parentWidget() == dialog())
            QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName()));
    // Several prints in one showing; only the close button closes.
    printToFile(u"BitBtn_DruckOK"_s);
    printToFile(u"BitBtn_DruckOK"_s, u"zwei.pdf"_s);
    QVERIFY(dialog()->isVisible());
    QVERIFY(QFile::exists(out()) && QFile::exists(out(u"zwei.pdf"_s)));
    press(u"BitBtn_DruckESC"_s);
    QVERIFY(!dialog()->isVisible());

    // The output dialog answers in German like the rest of the program.
    ReportOutputDialog output(u"Waffenbuch"_s);
    QCOMPARE(output.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text(),
             u"&Abbrechen"_s);
}

void TestPrint::eachShowingStartsWithToday() {
    QVERIFY(open());
    const QString today = QDate::currentDate().toString(u"dd.MM.yyyy"_s);
    QCOMPARE(ctl<QLabel>(u"Label_Datum"_s)->text(), u"aktuelles Datum: "_s + today);
    QCOMPARE(dateBox()->date(), QDate::currentDate());
    dateBox()->setDate(QDate(2024, 1, 15));
    QCOMPARE(Konst::LetterDate, QDate(2024, 1, 15));
    // Restored after the program was minimized, the dialog is not shown anew: the date stays.
    QWindowStateChangeEvent restored(Qt::WindowMinimized);
    QApplication::sendEvent(dialog(), &restored);
    QCOMPARE(dateBox()->date(), QDate(2024, 1, 15));
    QCOMPARE(Konst::LetterDate, QDate(2024, 1, 15));
    // Enter in the date box ends the typing; it presses no button (nothing printed or stored).
    run->prompts.clearShown();
    dateBox()->setFocus();
    QTest::keyClick(dateBox(), Qt::Key_Return);
    QVERIFY(run->prompts.shown().isEmpty());
    QVERIFY(dialog()->isVisible());
    QCOMPARE(
        run->folder.value(uR"(SELECT count(*) FROM "Vorgang" WHERE "BriefDatum" = '2024-01-15')"_s).toInt(),
        0);
    press(u"BitBtn_DruckESC"_s);
    printButton();
    QVERIFY(dialog()->isVisible());
    QCOMPARE(dateBox()->date(), QDate::currentDate());
    QCOMPARE(Konst::LetterDate, QDate::currentDate());
    QCOMPARE(ctl<QLabel>(u"Label_Datum"_s)->text(), u"aktuelles Datum: "_s + today);
}

void TestPrint::registerBookAsShown() {
    // Notes with umlauts and punctuation (drawn from the font directly) and with another script
    // and a combining accent (laid out in full): both must come out as text.
    QVERIFY(
        open(uR"(UPDATE "Vorgang" SET "Notiz" = CASE "Index" WHEN 1 THEN 'Schaft für Linkshänder – Ölfinish'
                     WHEN 4 THEN 'Gravur „Жук“ Rene' || char(769) ELSE "Notiz" END;
                 UPDATE "Vorgang" SET "Kaufer" = NULL, "VDatum" = '2024-07-01', "EWBNR" = 'WBK 9/24'
                     WHERE "Index" = 4)"_s));
    run->app->forms.FormOptions->Check_DruckIndex->setChecked(false);
    // A search without entry 2, sorted by serial number.
    w().Combo_Sort->setCurrentIndex(5);
    w().ApplyRegisterSort();
    Konst::SavedFilter =
        schema::registerColumnList() + uR"(FROM Vorgang WHERE ((Vorgang.SerienNr) Like "%0%");)"_s;
    w().CheckBox_Filter->setChecked(true);
    const QStringList shown = column(run->reg(), u"SerienNr"_s);
    QCOMPARE(shown.size(), 3);
    const QString command = run->reg().commandText();

    const QString text = printToFile(u"BitBtn_DruckOK"_s);
    QCOMPARE(serialsIn(text), shown);
    // (A wrapped note shares its lines with the other columns: look for its words.)
    for (const QString& word : {u"Linkshänder –"_s, u"Ölfinish"_s, u"„Жук“"_s, u"René"_s})
        QVERIFY2(text.contains(word), qPrintable(word + u" missing in:\n"_s + text));
    // In stock is only what the stock count counts (buyer 1): a sale that another program
    // stored without a buyer prints its date and permit, not "im Bestand".
    for (const QString& word : {u"01.07.2024"_s, u"WBK 9/24"_s})
        QVERIFY2(text.contains(word), qPrintable(word + u" missing in:\n"_s + text));
    QCOMPARE(text.count(u"im Bestand"_s), 1);
    QCOMPARE(run->prompts.texts(u"output"_s).size(), 1);
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(w().Combo_Sort->currentIndex(), 5);
    QVERIFY(w().CheckBox_Filter->isChecked());
    QCOMPARE(run->reg().commandText(), command);
    QCOMPARE(column(run->reg(), u"SerienNr"_s), shown);
}

void TestPrint::registerBookByIndexThenBack() {
    QVERIFY(open());
    run->app->forms.FormOptions->Check_DruckIndex->setChecked(true);
    w().Combo_Sort->setCurrentIndex(7); // by buyer
    w().ApplyRegisterSort();
    const QStringList byBuyer = column(run->reg(), u"SerienNr"_s);
    QVERIFY(byBuyer != kSerials);
    Konst::SavedFilter =
        schema::registerColumnList() + uR"(FROM Vorgang WHERE ((Vorgang.SerienNr) Like "%0%");)"_s;
    w().CheckBox_Filter->setChecked(true);
    QCOMPARE(run->reg().recordCount(), 3);

    const QString text = printToFile(u"BitBtn_DruckOK"_s);
    // The whole register by Index, not the search and not by buyer.
    QCOMPARE(serialsIn(text), kSerials);
    QVERIFY(text.contains(QDate::currentDate().toString(u"dd.MM.yyyy"_s)));
    QVERIFY(text.contains(u"Waffen Test"_s));
    QVERIFY(text.contains(u"01.02.2024"_s)); // dates as dd.mm.yyyy
    // Afterwards the sort and the search results are back.
    QCOMPARE(w().Combo_Sort->currentIndex(), 7);
    QVERIFY(w().CheckBox_Filter->isChecked());
    QCOMPARE(run->reg().commandText(), Konst::SavedFilter);
    QCOMPARE(run->reg().recordCount(), 3);

    // Without the search the register comes back sorted by buyer.
    w().CheckBox_Filter->setChecked(false);
    QCOMPARE(column(run->reg(), u"SerienNr"_s), byBuyer);
    printToFile(u"BitBtn_DruckOK"_s);
    QCOMPARE(column(run->reg(), u"SerienNr"_s), byBuyer);
    QVERIFY(!w().CheckBox_Filter->isChecked());
}

void TestPrint::letterStoresDateThenPrints_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("wording");
    QTest::newRow("Anzeige") << u"BitBtn_AmtDruck"_s << u"Anzeige eines Waffenverkaufs"_s << u"Überlassung"_s;
    QTest::newRow("Unterlagen") << u"BitBtn_Unterlagen"_s << u"Rückgabe der Unterlagen"_s << u"Unterlagen"_s;
}

void TestPrint::letterStoresDateThenPrints() {
    QFETCH(QString, button);
    QFETCH(QString, title);
    QFETCH(QString, wording);
    QVERIFY(open());
    QVERIFY(run->reg().locate(u"Index"_s, 3));
    dateBox()->setDate(QDate(2024, 1, 15));
    // Words of one phrase may stand on two lines.
    const QString text = printToFile(button).simplified();
    QCOMPARE(run->prompts.texts(u"output"_s), QStringList{title});
    QCOMPARE(storedLetterDate(3).toString(), u"2024-01-15"_s);
    QCOMPARE(w().DBText_BDatum->text(), u"15.01.2024"_s);
    QCOMPARE(shownIndex(), 3);
    // The letter names the date, the firm, the buyer, the weapon and the authority.
    for (const QString& s :
         {u"15.01.2024"_s, u"Waffen Test"_s, u"Hans Jäger"_s, u"Pistole"_s, u"9 mm Luger"_s, u"Walther"_s,
          u"W-551200"_s, u"Landratsamt Meißen"_s, wording, u"JS-4711"_s})
        QVERIFY2(text.contains(s), qPrintable(s + u" missing in:\n"_s + text));
    // No other entry is touched.
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang" WHERE "BriefDatum" IS NOT NULL)"_s).toInt(),
             1);
}

void TestPrint::letterDateStaysWhenOutputCancelled() {
    QVERIFY(open());
    QVERIFY(run->reg().locate(u"Index"_s, 2));
    dateBox()->setDate(QDate(2024, 1, 15));
    run->prompts.queueOutputCancel();
    press(u"BitBtn_AmtDruck"_s);
    QCOMPARE(run->prompts.texts(u"output"_s).size(), 1);
    QCOMPARE(storedLetterDate(2).toString(), u"2024-01-15"_s);
    QCOMPARE(w().DBText_BDatum->text(), u"15.01.2024"_s);
    QCOMPARE(shownIndex(), 2);
    QVERIFY(run->prompts.errors().isEmpty());
    QVERIFY(!QFile::exists(out()));
}

void TestPrint::incompleteLetterDateIsRefused() {
    QVERIFY(open());
    QVERIFY(run->reg().locate(u"Index"_s, 1));
    // The year deleted from the box's text with the keyboard.
    dialog()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog()));
    dateBox()->setFocus();
    QTest::keyClick(dateBox(), Qt::Key_End);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(dateBox(), Qt::Key_Backspace);
    QCOMPARE(dateBox()->text(), QDate::currentDate().toString(u"dd.MM."_s));
    QVERIFY(!dateBox()->hasAcceptableInput());
    for (const QString& b : {u"BitBtn_AmtDruck"_s, u"BitBtn_Unterlagen"_s}) {
        run->prompts.clearShown();
        press(b);
        QCOMPARE(run->prompts.messages().size(), 1);
        QVERIFY(run->prompts.messages().first().contains(u"Briefdatum"_s));
        QVERIFY(run->prompts.texts(u"output"_s).isEmpty());
    }
    // Nothing stored, neither the zero date nor an earlier date.
    QVERIFY(storedLetterDate(1).isNull());
    QVERIFY(w().DBText_BDatum->text().isEmpty());
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toInt(), 4);
}

void TestPrint::refusedLetterDateLeavesRowAsStored() {
    QVERIFY(open());
    QVERIFY(run->reg().locate(u"Index"_s, 2));
    // The database refuses the store (as a lock or a full disk would).
    run->folder.sql(
        uR"(CREATE TRIGGER "gesperrt" BEFORE UPDATE ON "Vorgang" BEGIN SELECT RAISE(ABORT, 'gesperrt'); END)"_s);
    dateBox()->setDate(QDate(2024, 1, 15));
    press(u"BitBtn_AmtDruck"_s);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(run->prompts.texts(u"output"_s).isEmpty());
    // The register is not left half edited with the date nobody stored.
    QVERIFY(!run->reg().isEditing());
    QVERIFY(w().DBText_BDatum->text().isEmpty());
    QVERIFY(storedLetterDate(2).isNull());
}

void TestPrint::lettersWithoutRowOrConnection() {
    QVERIFY(open());
    // A search without results: no current row.
    Konst::SavedFilter = schema::registerColumnList() +
                         uR"(FROM Vorgang WHERE ((Vorgang.SerienNr) Like "%gibt es nicht%");)"_s;
    w().CheckBox_Filter->setChecked(true);
    QCOMPARE(run->reg().recordCount(), 0);
    for (const QString& b : {u"BitBtn_AmtDruck"_s, u"BitBtn_Unterlagen"_s}) {
        run->prompts.clearShown();
        press(b);
        QCOMPARE(run->prompts.messages().size(), 1);
        QVERIFY(run->prompts.messages().first().contains(u"kein Datensatz"_s));
        QVERIFY(run->prompts.texts(u"output"_s).isEmpty());
    }
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toInt(), 4);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang" WHERE "BriefDatum" IS NOT NULL)"_s).toInt(),
             1);

    // Disconnected: a message, no error box.
    w().CheckBox_Filter->setChecked(false);
    run->dm().Disconnect();
    for (const QString& b : {u"BitBtn_AmtDruck"_s, u"BitBtn_Unterlagen"_s}) {
        run->prompts.clearShown();
        press(b);
        QCOMPARE(run->prompts.messages().size(), 1);
        QVERIFY(run->prompts.messages().first().contains(u"nicht verbunden"_s));
        QVERIFY(run->prompts.errors().isEmpty());
        QVERIFY(run->prompts.texts(u"output"_s).isEmpty());
    }
    // The register book as well, with and without the switch to the whole register by Index.
    for (const bool byIndex : {false, true}) {
        run->app->forms.FormOptions->Check_DruckIndex->setChecked(byIndex);
        run->prompts.clearShown();
        press(u"BitBtn_DruckOK"_s);
        QCOMPARE(run->prompts.messages().size(), 1);
        QVERIFY(run->prompts.messages().first().contains(u"nicht verbunden"_s));
        QVERIFY(run->prompts.errors().isEmpty());
        QVERIFY(run->prompts.texts(u"output"_s).isEmpty());
        QVERIFY(dialog()->isVisible());
    }
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toInt(), 4);
}

void TestPrint::missingProjectFileNamesItsPath() {
    QVERIFY(open());
    QVERIFY(run->reg().locate(u"Index"_s, 1));
    for (const QString& f : {u"Waffenbuch.rav"_s, u"Amt.rav"_s})
        QVERIFY(QFile::remove(run->folder.file(u"Archiv/"_s + f)));
    press(u"BitBtn_DruckOK"_s);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY2(run->prompts.errors().first().contains(run->folder.file(u"Archiv/Waffenbuch.rav"_s)),
             qPrintable(run->prompts.errors().first()));
    // The letter date is stored before the run fails.
    dateBox()->setDate(QDate(2024, 1, 15));
    press(u"BitBtn_AmtDruck"_s);
    QCOMPARE(run->prompts.errors().size(), 2);
    QVERIFY(run->prompts.errors().last().contains(run->folder.file(u"Archiv/Amt.rav"_s)));
    QVERIFY(run->prompts.texts(u"output"_s).isEmpty());
    QCOMPARE(storedLetterDate(1).toString(), u"2024-01-15"_s);
    // The sort and the results view are back after the failed run.
    QVERIFY(!w().CheckBox_Filter->isChecked());
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 4"_s);
}

void TestPrint::unknownReportPrintsNothing() {
    QVERIFY(open());
    writeProject(u"Waffenbuch.rav"_s, R"(<?xml version="1.0"?>
<reportproject><report name="ReportAnderes"><template>x</template></report></reportproject>)");
    press(u"BitBtn_DruckOK"_s);
    QVERIFY(run->prompts.shown().isEmpty());
    QVERIFY(!QFile::exists(out()));
}

QTEST_MAIN(TestPrint)
