// The partner dialog: new sellers and buyers, and the firm data.
#include "store/MasterData.h"
#include "tst_masterdialogs.h"

void TestMasterDialogs::partnerDuplicate_data() {
    QTest::addColumn<QString>("existing");
    QTest::addColumn<int>("answer"); // -1: no question expected, 0: No, 1: Yes
    QTest::newRow("Meier beside MEIER, No") << u"MEIER"_s << 0;
    QTest::newRow("Meier beside MEIER, Yes") << u"MEIER"_s << 1;
    QTest::newRow("Meier beside Meierhofer") << u"Meierhofer"_s << -1;
}

void TestMasterDialogs::partnerDuplicate() {
    QFETCH(QString, existing);
    QFETCH(int, answer);
    QVERIFY(start(uR"(INSERT INTO "Kaufer" ("Name", "PLZ", "Geschlecht", "EWB", "EWBAmt", "KAmt")
                      VALUES ('%1', 1, 2, 1, 1, 1))"_s.arg(existing)));
    open(u"SB_Kaufer"_s, 1);
    set(u"Edit_HaendlerName"_s, u"Meier"_s);
    set(u"Edit_HaendlerPLZ"_s, u"12345"_s);
    if (answer == 0)
        run->prompts.queueNo();
    else if (answer == 1)
        run->prompts.queueYes();
    press(u"BitBtn_HaendlerOK"_s);
    const QStringList asked = run->prompts.texts(u"yesNo"_s);
    if (answer < 0) {
        QVERIFY(asked.isEmpty());
    } else {
        QCOMPARE(asked, QStringList{u"Der Eintrag Meier existiert bereits. Dennoch eintragen?"_s});
        QVERIFY(run->prompts.lastDefaultNo);
    }
    QVERIFY(!shown->isVisible());
    const bool stored = answer != 0;
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Kaufer" WHERE "Name" = 'Meier')"_s).toInt(),
             stored ? 1 : 0);
    const QVariant key = run->folder.value(uR"(SELECT max("Index") FROM "Kaufer")"_s);
    QCOMPARE(this->stored(u"Kaufer"_s, 1), stored ? key : QVariant(qlonglong(1)));
}

void TestMasterDialogs::partnerColumns_data() {
    QTest::addColumn<int>("choice"); // item chosen in the gender box; -1 leaves it, -2 types over it
    QTest::addColumn<QString>("postcode");
    QTest::addColumn<int>("gender");
    QTest::addColumn<int>("storedPostcode");
    QTest::newRow("preselected, leading zero") << -1 << u"01067"_s << 2 << 1067;
    QTest::newRow("weiblich") << 0 << u"34117"_s << 1 << 34117;
    QTest::newRow("typed over") << -2 << u"0"_s << 0 << 0;
}

void TestMasterDialogs::partnerColumns() {
    QFETCH(QString, postcode);
    QFETCH(int, choice);
    QVERIFY(start());
    open(u"SB_Verkaufer"_s, 1);
    auto* genderBox = ctl<QComboBox>(u"Combo_Geschlecht"_s);
    QCOMPARE(genderBox->currentText(), u"männlich"_s);
    if (choice >= 0)
        genderBox->setCurrentIndex(choice);
    else if (choice == -2)
        genderBox->setEditText(u"divers"_s);
    set(u"Edit_HaendlerName"_s, u"Lena Berg"_s);
    set(u"Edit_HaendlerStrasse"_s, u"Ufer 2"_s);
    set(u"Edit_HaendlerPLZ"_s, postcode);
    set(u"Edit_HaendlerOrt"_s, u"Bonn"_s);
    press(u"BitBtn_HaendlerOK"_s);
    QFETCH(int, gender);
    QFETCH(int, storedPostcode);
    const QVariant none;
    QCOMPARE(
        lastRow(u"Kaufer"_s, uR"("Name", "Strasse", "PLZ", "Ort", "Geschlecht", "EWB", "EWBNR", "EWBDatum",
                                     "JDatum", "EWBAmt", "KAmt")"_s),
        (QVariantList{u"Lena Berg"_s, u"Ufer 2"_s, qlonglong(storedPostcode), u"Bonn"_s, qlonglong(gender),
                      qlonglong(1), none, none, none, qlonglong(1), qlonglong(1)}));
}

void TestMasterDialogs::partnerPostedFocusMoved_data() {
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("focus");
    QTest::newRow("buyer") << u"SB_Kaufer"_s << u"Geben Sie einen neuen Käufer ein."_s << u"Kaufer"_s
                           << u"DBLU_EWB"_s;
    QTest::newRow("seller") << u"SB_Verkaufer"_s << u"Geben Sie einen neuen Verkäufer ein."_s
                            << u"Verkaufer"_s << u"DBLU_Kaufer"_s;
}

void TestMasterDialogs::partnerPostedFocusMoved() {
    QFETCH(QString, opener);
    QFETCH(QString, focus);
    QFETCH(QString, column);
    QFETCH(QString, heading);
    QVERIFY(start());
    run->reg().locate(u"Index"_s, 2);
    QTest::mouseClick(run->main().SpBtn[9], Qt::LeftButton);
    // Typed into the form and not yet written to the row: stored with the row.
    run->main().DBEdit_SerienNr->setFocus();
    run->main().DBEdit_SerienNr->selectAll();
    QTest::keyClicks(run->main().DBEdit_SerienNr, "NEU-1");
    open(opener, 2);
    QCOMPARE(ctl<QLabel>(u"Label_Haendler"_s)->text(), heading);
    set(u"Edit_HaendlerName"_s, u"Karl Neu"_s);
    set(u"Edit_HaendlerPLZ"_s, u"99"_s);
    press(u"BitBtn_HaendlerOK"_s);
    QVERIFY(!shown->isVisible());
    const QVariant key = run->folder.value(uR"(SELECT max("Index") FROM "Kaufer")"_s);
    QCOMPARE(stored(column, 2), key);
    QCOMPARE(stored(u"SerienNr"_s, 2).toString(), u"NEU-1"_s);
    // Editing goes on, the panel shows the new partner, the focus is on the next box.
    QVERIFY(run->reg().isEditing() && Konst::RecordEditing);
    QCOMPARE(run->main().findChild<QLabel*>(u"Label_"_s + column + u"Name"_s)->text(), u"Karl Neu"_s);
    QCOMPARE(run->main().focusWidget(), run->main().findChild<QWidget*>(focus));
    QVERIFY(germanSorted(::column(*run->dm().ATab_Kauf, u"Name"_s)));
}

void TestMasterDialogs::partnerOnAppendedRowPostedAtOnce() {
    QVERIFY(start());
    const int before = run->folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toInt();
    open(u"SB_Kaufer"_s, 0);
    set(u"Edit_HaendlerName"_s, u"Neu Kunde"_s);
    set(u"Edit_HaendlerPLZ"_s, u"1"_s);
    press(u"BitBtn_HaendlerOK"_s);
    // The appended row is in the database with its new buyer, and editing goes on.
    const QVariant partner = run->folder.value(uR"(SELECT max("Index") FROM "Kaufer")"_s);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toInt(), before + 1);
    QCOMPARE(lastRow(u"Vorgang"_s, uR"("Kaufer", "Verkaufer")"_s), (QVariantList{partner, qlonglong(1)}));
    QVERIFY(run->reg().isEditing());
    // A discard takes back the whole edit, also what the dialog stored of the row: the appended
    // entry is gone again. The new partner stays listed.
    QTest::mouseClick(run->main().SpBtn[11], Qt::LeftButton);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang")"_s).toInt(), before);
    QCOMPARE(run->folder.value(uR"(SELECT "Name" FROM "Kaufer" WHERE "Index" = %1)"_s.arg(partner.toInt()))
                 .toString(),
             u"Neu Kunde"_s);
}

void TestMasterDialogs::unconvertiblePostcodeRefused_data() {
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("prefix"); // Edit_Haendler or Edit_Amt
    QTest::addColumn<QString>("postcode");
    for (const auto& [opener, prefix] :
         {std::pair{u"SB_Kaufer"_s, u"Edit_Haendler"_s}, {u"SB_Amt"_s, u"Edit_Amt"_s}}) {
        QTest::addRow("%s empty", qPrintable(opener)) << opener << prefix << QString();
        QTest::addRow("%s pasted letters", qPrintable(opener)) << opener << prefix << u"12a45"_s;
        QTest::addRow("%s too large", qPrintable(opener)) << opener << prefix << u"2147483648"_s;
    }
}

void TestMasterDialogs::unconvertiblePostcodeRefused() {
    QFETCH(QString, opener);
    QFETCH(QString, postcode);
    QFETCH(QString, prefix);
    QVERIFY(start());
    const QVariantList before = snapshot();
    open(opener, 3);
    set(prefix + u"Name"_s, u"Neuer Name"_s);
    set(prefix + u"PLZ"_s, postcode);
    press(shown->findChildren<QPushButton*>().first()->objectName());
    QCOMPARE(run->prompts.messages(), QStringList{MasterData::postcodeMessage(u"PLZ"_s)});
    QVERIFY(run->prompts.errors().isEmpty());
    QVERIFY(shown->isVisible());
    QCOMPARE(ctl(prefix + u"Name"_s)->text(), u"Neuer Name"_s);
    QCOMPARE(snapshot(), before);
}

void TestMasterDialogs::refusedRowKeepsTheNewEntry_data() {
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::newRow("partner") << u"SB_Kaufer"_s << u"Kaufer"_s << u"Kaufer"_s;
    QTest::newRow("authority") << u"SB_KauferAmt"_s << u"Amt"_s << u"KauferAmt"_s;
}

void TestMasterDialogs::refusedRowKeepsTheNewEntry() {
    QFETCH(QString, opener);
    QFETCH(QString, table);
    QFETCH(QString, column);
    QVERIFY(start());
    open(opener, 3);
    // A note the database refuses: the register row cannot be stored.
    run->reg().setValue(u"Notiz"_s, QString(101, u'x'));
    const QString prefix = table == u"Amt"_s ? u"Edit_Amt"_s : u"Edit_Haendler"_s;
    set(prefix + u"Name"_s, u"Neu Eintrag"_s);
    set(prefix + u"PLZ"_s, u"1"_s);
    press(shown->findChildren<QPushButton*>().first()->objectName());
    QCOMPARE(run->prompts.errors().size(), 1);
    // Stored once, held by the row being edited; the dialog is closed so it cannot be stored twice.
    QVERIFY(!shown->isVisible());
    const QVariant key = run->folder.value(uR"(SELECT max("Index") FROM "%1")"_s.arg(table));
    QCOMPARE(
        run->folder.value(uR"(SELECT count(*) FROM "%1" WHERE "Name" = 'Neu Eintrag')"_s.arg(table)).toInt(),
        1);
    QVERIFY(run->reg().isEditing());
    QCOMPARE(QVariant(qlonglong(run->reg().asInteger(column))), key);
    QVERIFY(stored(column, 3) != key);
}

void TestMasterDialogs::enterKeys() {
    QVERIFY(start());
    open(u"SB_Verkaufer"_s, 1);
    set(u"Edit_HaendlerName"_s, u"Enter Test"_s);
    set(u"Edit_HaendlerPLZ"_s, u"5"_s);
    QTest::keyClick(ctl<QComboBox>(u"Combo_Geschlecht"_s), Qt::Key_Return);
    QVERIFY(shown->isVisible());
    QCOMPARE(ctl<QComboBox>(u"Combo_Geschlecht"_s)->count(), 2); // nothing inserted either
    QTest::keyClick(ctl(u"Edit_HaendlerOrt"_s), Qt::Key_Enter);
    QVERIFY(!shown->isVisible());
    QCOMPARE(lastRow(u"Kaufer"_s, u"\"Name\""_s).value(0).toString(), u"Enter Test"_s);

    open(u"SB_KauferAmt"_s, 3);
    set(u"Edit_AmtName"_s, u"Amt Enter"_s);
    set(u"Edit_AmtPLZ"_s, u"7"_s);
    QTest::keyClick(ctl(u"Edit_AmtPLZ"_s), Qt::Key_Return);
    QVERIFY(!shown->isVisible());
    QCOMPARE(lastRow(u"Amt"_s, u"\"Name\""_s).value(0).toString(), u"Amt Enter"_s);
}

void TestMasterDialogs::partnerByKeyboardOnly() {
    QVERIFY(start());
    run->reg().locate(u"Index"_s, 1);
    QTest::mouseClick(run->main().SpBtn[9], Qt::LeftButton);
    run->main().DBLU_Kaufer->setFocus();
    QTest::keyClick(run->main().DBLU_Kaufer, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), run->main().SB_Kaufer);
    QTest::keyClick(run->main().SB_Kaufer, Qt::Key_Space);
    QVERIFY(activated());
    auto type = [](const char* text) {
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    };
    type("Max Muster");
    type("Hauptstr. 1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // gender left as it is
    type("12345");
    QTest::keyClicks(QApplication::focusWidget(), "Kassel");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!shown->isVisible());
    QCOMPARE(lastRow(u"Kaufer"_s, uR"("Name", "Strasse", "PLZ", "Ort", "Geschlecht")"_s),
             (QVariantList{u"Max Muster"_s, u"Hauptstr. 1"_s, qlonglong(12345), u"Kassel"_s, qlonglong(2)}));
    QCOMPARE(stored(u"Kaufer"_s, 1), run->folder.value(uR"(SELECT max("Index") FROM "Kaufer")"_s));
}

void TestMasterDialogs::firmAddressPacking_data() {
    QTest::addColumn<QString>("storedOrt");
    QTest::addColumn<QString>("shownPostcode");
    QTest::addColumn<QString>("shownTown");
    QTest::addColumn<QString>("postcode");
    QTest::addColumn<QString>("town");
    QTest::addColumn<QString>("packed");
    QTest::newRow("postcode and town") << u"34117 Kassel"_s << u"34117"_s << u"Kassel"_s << u"12345"_s
                                       << u"Musterstadt"_s << u"12345 Musterstadt"_s;
    QTest::newRow("empty postcode") << u"34117 Kassel"_s << u"34117"_s << u"Kassel"_s << QString()
                                    << u"Musterstadt"_s << u" Musterstadt"_s;
    QTest::newRow("no blank at all") << u"Musterstadt"_s << QString() << u"Musterstadt"_s << QString()
                                     << u"Musterstadt"_s << u" Musterstadt"_s;
    // Written by another program: a first word longer than a postcode is shown and stored whole.
    QTest::newRow("long first word") << u"Mönchengladbach Rheydt"_s << u"Mönchengladbach"_s << u"Rheydt"_s
                                     << u"Mönchengladbach"_s << u"Rheydt"_s << u"Mönchengladbach Rheydt"_s;
}

void TestMasterDialogs::firmAddressPacking() {
    QFETCH(QString, storedOrt);
    QFETCH(QString, shownPostcode);
    QFETCH(QString, shownTown);
    QFETCH(QString, postcode);
    QFETCH(QString, town);
    QFETCH(QString, packed);
    QVERIFY(start(uR"(UPDATE "Benutzer" SET "Ort" = '%1')"_s.arg(storedOrt)));
    QTest::keyClick(&run->main(), Qt::Key_F6);
    QVERIFY(shown && shown->isVisible());
    QVERIFY(Konst::FirmDataMode);
    QCOMPARE(ctl<QLabel>(u"Label_Haendler"_s)->text(), u"Geben Sie Ihre Firmendaten ein."_s);
    QCOMPARE(ctl<QLabel>(u"Label_HaendlerName"_s)->text(), u"Firmen-Bezeichnung"_s);
    QCOMPARE(ctl(u"Edit_HaendlerName"_s)->accessibleName(), u"Firmen-Bezeichnung"_s);
    QVERIFY(!ctl<QComboBox>(u"Combo_Geschlecht"_s)->isVisible());
    QCOMPARE(ctl(u"Edit_HaendlerName"_s)->text(), u"Waffen Test"_s);
    QCOMPARE(ctl(u"Edit_HaendlerStrasse"_s)->text(), u"Markt 1"_s);
    QCOMPARE(ctl(u"Edit_HaendlerPLZ"_s)->text(), shownPostcode);
    QCOMPARE(ctl(u"Edit_HaendlerOrt"_s)->text(), shownTown);
    set(u"Edit_HaendlerPLZ"_s, postcode);
    set(u"Edit_HaendlerOrt"_s, town);
    press(u"BitBtn_HaendlerOK"_s);
    QVERIFY(!shown->isVisible());
    QVERIFY(!Konst::FirmDataMode);
    QCOMPARE(run->folder.value(uR"(SELECT "Ort" FROM "Benutzer")"_s).toString(), packed);
    // Shown back split into its two boxes.
    run->main().M_Firma->trigger();
    QCOMPARE(ctl(u"Edit_HaendlerPLZ"_s)->text(), postcode);
    QCOMPARE(ctl(u"Edit_HaendlerOrt"_s)->text(), town);
    press(u"BitBtn_HaendlerESC"_s);
}

void TestMasterDialogs::firmDiscardThenPartnerMode() {
    QVERIFY(start());
    const QVariantList before = snapshot();
    run->main().M_Firma->trigger();
    set(u"Edit_HaendlerName"_s, u"Anders GmbH"_s);
    press(u"BitBtn_HaendlerESC"_s);
    QVERIFY(!shown->isVisible());
    QVERIFY(!Konst::FirmDataMode);
    QCOMPARE(snapshot(), before);

    open(u"SB_Kaufer"_s, 1);
    QCOMPARE(ctl<QLabel>(u"Label_Haendler"_s)->text(), u"Geben Sie einen neuen Käufer ein."_s);
    QCOMPARE(ctl<QLabel>(u"Label_HaendlerName"_s)->text(), u"Vor- und Nachname"_s);
    auto* gender = ctl<QComboBox>(u"Combo_Geschlecht"_s);
    QVERIFY(gender->isVisible());
    QCOMPARE(gender->count(), 2);
    QCOMPARE(gender->itemText(0), u"weiblich"_s);
    QCOMPARE(gender->currentIndex(), 1);
    for (const QString& box : {u"Name"_s, u"Strasse"_s, u"PLZ"_s, u"Ort"_s})
        QVERIFY(ctl(u"Edit_Haendler"_s + box)->text().isEmpty());
}

void TestMasterDialogs::firmDataWhileDisconnected() {
    QVERIFY(start());
    run->main().M_Trennen->trigger();
    QVERIFY(!run->dm().isConnected());
    run->main().M_Firma->trigger();
    QCOMPARE(run->prompts.messages(), QStringList{MasterData::firmDataNotConnectedMessage()});
    QVERIFY(!shown);
    QVERIFY(!Konst::FirmDataMode);

    // The dialog itself refuses as well, with empty boxes and nothing stored.
    Konst::FirmDataMode = true;
    run->app->runner.exec(run->app->forms.FormHaendler);
    QVERIFY(ctl(u"Edit_HaendlerName"_s)->text().isEmpty());
    set(u"Edit_HaendlerName"_s, u"Offline GmbH"_s);
    press(u"BitBtn_HaendlerOK"_s);
    QCOMPARE(run->prompts.messages().size(), 2);
    QCOMPARE(run->prompts.messages().last(), MasterData::firmDataNotConnectedMessage());
    QVERIFY(run->prompts.errors().isEmpty());
    QVERIFY(shown->isVisible());
    press(u"BitBtn_HaendlerESC"_s);
    QVERIFY(!Konst::FirmDataMode);
    QCOMPARE(run->folder.value(uR"(SELECT "Firma" FROM "Benutzer")"_s).toString(), u"Waffen Test"_s);
}
