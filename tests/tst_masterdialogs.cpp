// The three list dialogs (types, calibres, manufacturers), what every dialog shows, and the
// overlong texts of all of them.
#include "tst_masterdialogs.h"

void TestMasterDialogs::namesPicturesAndTabOrder_data() {
    QTest::addColumn<QString>("opener");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QStringList>("order"); // boxes and buttons as Tab walks them
    QTest::addColumn<QStringList>("labels");
    const QStringList bt = {u"Übernehmen"_s, u"Verwerfen"_s};
    QTest::newRow("type") << u"SB_Typ"_s << 1 << u"Geben Sie einen neuen Waffentyp ein."_s << QSize(474, 124)
                          << QStringList{u"Edit_Waffentyp"_s, u"BitBtn_WTypOK"_s, u"BitBtn_WTypESC"_s}
                          << QStringList{u"Waffentyp"_s} + bt;
    QTest::newRow("calibre") << u"SB_Kaliber"_s << 1 << u"Geben Sie ein neues Kaliber ein."_s
                             << QSize(474, 124)
                             << QStringList{u"Edit_Kaliber"_s, u"BitBtn_KaliberOK"_s, u"BitBtn_KaliberESC"_s}
                             << QStringList{u"Kaliber"_s} + bt;
    QTest::newRow("manufacturer") << u"SB_Hersteller"_s << 1 << u"Geben Sie einen neuen Hersteller ein."_s
                                  << QSize(474, 124)
                                  << QStringList{u"Edit_Hersteller"_s, u"BitBtn_HerstellerOK"_s,
                                                 u"BitBtn_HerstellerESC"_s}
                                  << QStringList{u"Hersteller"_s} + bt;
    QTest::newRow("seller") << u"SB_Verkaufer"_s << 1 << u"Geben Sie einen neuen Verkäufer ein."_s
                            << QSize(474, 302)
                            << QStringList{u"Edit_HaendlerName"_s, u"Edit_HaendlerStrasse"_s,
                                           u"Combo_Geschlecht"_s,  u"Edit_HaendlerPLZ"_s,
                                           u"Edit_HaendlerOrt"_s,  u"BitBtn_HaendlerOK"_s,
                                           u"BitBtn_HaendlerESC"_s}
                            << QStringList{u"Vor- und Nachname"_s, u"Straße und Hausnummer"_s,
                                           u"Geschlecht"_s, u"PLZ"_s, u"Wohnort"_s} +
                                   bt;
    QTest::newRow("authority") << u"SB_KauferAmt"_s << 3 << u"Geben Sie das zuständige Amt ein."_s
                               << QSize(474, 276)
                               << QStringList{u"Edit_AmtName"_s, u"Edit_AmtStrasse"_s, u"Edit_AmtPLZ"_s,
                                              u"Edit_AmtOrt"_s,  u"BitBtn_AmtOK"_s,    u"BitBtn_AmtESC"_s}
                               << QStringList{u"Amt eingeben"_s, u"Straße und Hausnummer"_s, u"PLZ"_s,
                                              u"Ort"_s} +
                                      bt;
    QTest::newRow("country") << u"SB_Amt"_s << 1 << u"Geben Sie ein neues Land ein."_s << QSize(474, 160)
                             << QStringList{u"Edit_AmtName"_s, u"BitBtn_AmtOK"_s, u"BitBtn_AmtESC"_s,
                                            u"SB_Landwahl"_s}
                             << QStringList{u"Land eingeben"_s} + bt +
                                    QStringList{u"Land aus einer Liste auswählen"_s};
}

void TestMasterDialogs::namesPicturesAndTabOrder() {
    QFETCH(QString, opener);
    QFETCH(int, entry);
    QFETCH(QStringList, order);
    QVERIFY(start());
    QDialog* d = open(opener, entry);
    QVERIFY(d && d->isVisible());
    QVERIFY(d->windowFlags() & Qt::FramelessWindowHint);
    QFETCH(QSize, size);
    QFETCH(QString, heading);
    QFETCH(QStringList, labels);
    QCOMPARE(d->size(), size);
    QLabel* band = d->findChildren<QLabel*>().first();
    QCOMPARE(band->text(), heading);
    QVERIFY(band->font().bold());
    // The dialog is centred over the register window.
    QVERIFY((d->geometry().center() - run->main().frameGeometry().center()).manhattanLength() <= 2);

    // The focus starts in the first box and Tab walks the rest in order, back to the start.
    QCOMPARE(QApplication::focusWidget(), ctl<QWidget>(order.first()));
    QStringList walked{order.first()}, names;
    for (int i = 1; i <= order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* f = QApplication::focusWidget();
        walked << (qobject_cast<QComboBox*>(f->parentWidget()) ? f->parentWidget()->objectName()
                                                               : f->objectName());
    }
    QCOMPARE(walked, order + QStringList{order.first()});
    // Every control is announced by its label; the picture buttons show a picture and no text.
    for (const QString& n : order) {
        names << ctl<QWidget>(n)->accessibleName();
        if (auto* b = qobject_cast<QAbstractButton*>(ctl<QWidget>(n))) {
            // The pick button's picture is its question mark.
            QVERIFY(n == u"SB_Landwahl"_s ? b->text() == u"?"_s : !b->icon().isNull() && b->text().isEmpty());
        }
    }
    QCOMPARE(names, labels);
}

void TestMasterDialogs::listDuplicateRefused_data() {
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("column");
    QTest::newRow("calibre in capitals") << u"SB_Kaliber"_s << u"9MM"_s << u"Kaliber"_s;
    QTest::newRow("type in small letters") << u"SB_Typ"_s << u"pistole"_s << u"Waffentyp"_s;
    QTest::newRow("manufacturer mixed") << u"SB_Hersteller"_s << u"wALTHER"_s << u"Hersteller"_s;
}

void TestMasterDialogs::listDuplicateRefused() {
    QFETCH(QString, opener);
    QFETCH(QString, typed);
    QFETCH(QString, column);
    QVERIFY(start(uR"(INSERT INTO "Kaliber" ("Kaliber") VALUES ('9mm'))"_s));
    const QVariantList before = snapshot();
    QDialog* d = open(opener);
    QTest::keyClicks(QApplication::focusWidget(), typed);
    press(d->findChildren<QPushButton*>().first()->objectName());
    QCOMPARE(run->prompts.messages(), QStringList{u"Der Eintrag "_s + typed + u" existiert bereits"_s});
    QVERIFY(!d->isVisible());
    QCOMPARE(run->reg().asInteger(column), 1); // the row keeps its entry
    QVERIFY(run->reg().isEditing());
    QCOMPARE(snapshot(), before);
}

void TestMasterDialogs::listEntryStored_data() {
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<bool>("byEnter");
    // A trailing blank makes a different entry.
    QTest::newRow("calibre with a trailing blank")
        << u"SB_Kaliber"_s << u"7x64 "_s << u"Kaliber"_s << u"Kaliber"_s << false;
    QTest::newRow("type by Enter") << u"SB_Typ"_s << u"Armbrust"_s << u"Waffentyp"_s << u"WTyp"_s << true;
    QTest::newRow("manufacturer") << u"SB_Hersteller"_s << u"Anschütz"_s << u"Hersteller"_s << u"Hersteller"_s
                                  << false;
}

void TestMasterDialogs::listEntryStored() {
    QFETCH(QString, opener);
    QFETCH(QString, typed);
    QFETCH(QString, table);
    QFETCH(QString, column);
    QVERIFY(start());
    const QString registerColumn = table == u"Waffentyp"_s ? table : column;
    QDialog* d = open(opener);
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(edit);
    edit->setText(typed);
    QFETCH(bool, byEnter);
    if (byEnter)
        QTest::keyClick(edit, Qt::Key_Return);
    else
        press(d->findChildren<QPushButton*>().first()->objectName());
    QVERIFY(run->prompts.messages().isEmpty());
    QVERIFY(!d->isVisible());
    const QVariantList row = lastRow(table, uR"("Index", "%1")"_s.arg(column));
    QCOMPARE(row.at(1).toString(), typed);
    const int key = row.at(0).toInt();

    // The row being edited shows the new entry but is not stored; the lists are sorted again.
    QVERIFY(run->reg().isEditing());
    QCOMPARE(run->reg().asInteger(registerColumn), key);
    QCOMPARE(run->main()
                 .findChild<QComboBox*>(u"DBLU_"_s + (table == u"Waffentyp"_s ? u"Typ"_s : table))
                 ->currentText(),
             typed);
    QCOMPARE(stored(registerColumn, 1).toInt(), 1);
    Dataset& list = *(table == u"Kaliber"_s     ? run->dm().ATab_Kaliber
                      : table == u"Waffentyp"_s ? run->dm().ATab_Typ
                                                : run->dm().ATab_Hersteller);
    QVERIFY(germanSorted(::column(list, column)));
    QVERIFY(germanSorted(::column(*run->dm().ATab_Kauf, u"Name"_s)));

    // Cancelling the edit keeps the list entry, not its use.
    QTest::mouseClick(run->main().SpBtn[11], Qt::LeftButton);
    QCOMPARE(stored(registerColumn, 1).toInt(), 1);
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "%1" WHERE "%2" = '%3')"_s.arg(table, column, typed))
                 .toInt(),
             1);
}

void TestMasterDialogs::emptyEntryStoredOnceThenRefused() {
    QVERIFY(start());
    for (int round = 0; round < 2; ++round) {
        open(u"SB_Hersteller"_s);
        press(u"BitBtn_HerstellerOK"_s);
        QVERIFY(!shown->isVisible());
    }
    QCOMPARE(run->prompts.messages(), QStringList{u"Der Eintrag  existiert bereits"_s});
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Hersteller" WHERE "Hersteller" = '')"_s).toInt(), 1);
}

void TestMasterDialogs::discardedEntryLeavesNothing() {
    QVERIFY(start());
    const QVariantList before = snapshot();
    open(u"SB_Kaliber"_s);
    set(u"Edit_Kaliber"_s, u".22 lfB"_s);
    press(u"BitBtn_KaliberESC"_s);
    QVERIFY(!shown->isVisible());
    open(u"SB_Kaliber"_s);
    QVERIFY(ctl(u"Edit_Kaliber"_s)->text().isEmpty());
    set(u"Edit_Kaliber"_s, u".22 lfB"_s);
    QTest::keyClick(ctl(u"Edit_Kaliber"_s), Qt::Key_Escape); // Escape discards too
    QVERIFY(!shown->isVisible());
    QCOMPARE(run->reg().asInteger(u"Kaliber"_s), 1);
    QCOMPARE(snapshot(), before);
}

void TestMasterDialogs::overlongTextRefused_data() {
    QTest::addColumn<QString>("opener");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QStringList>("fill"); // box, text, box, text ...
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("limit");
    const QString x51(51, u'x'), x101(101, u'x');
    const QStringList partner = {u"Edit_HaendlerName"_s, u"Otto"_s, u"Edit_HaendlerPLZ"_s, u"12345"_s};
    const QStringList authority = {u"Edit_AmtName"_s, u"Amt"_s, u"Edit_AmtPLZ"_s, u"12345"_s};
    QTest::newRow("type") << u"SB_Typ"_s << 1 << QStringList{u"Edit_Waffentyp"_s, x51} << u"Waffentyp"_s
                          << 50;
    QTest::newRow("calibre") << u"SB_Kaliber"_s << 1 << QStringList{u"Edit_Kaliber"_s, x101} << u"Kaliber"_s
                             << 100;
    QTest::newRow("manufacturer") << u"SB_Hersteller"_s << 1 << QStringList{u"Edit_Hersteller"_s, x51}
                                  << u"Hersteller"_s << 50;
    QTest::newRow("partner name") << u"SB_Kaufer"_s << 1
                                  << partner + QStringList{u"Edit_HaendlerName"_s, x101}
                                  << u"Vor- und Nachname"_s << 100;
    QTest::newRow("partner street") << u"SB_Verkaufer"_s << 1
                                    << partner + QStringList{u"Edit_HaendlerStrasse"_s, x51}
                                    << u"Straße und Hausnummer"_s << 50;
    QTest::newRow("partner town") << u"SB_Kaufer"_s << 1 << partner + QStringList{u"Edit_HaendlerOrt"_s, x51}
                                  << u"Wohnort"_s << 50;
    QTest::newRow("firm name") << u"M_Firma"_s << 0 << QStringList{u"Edit_HaendlerName"_s, x101}
                               << u"Firmen-Bezeichnung"_s << 100;
    QTest::newRow("firm street") << u"M_Firma"_s << 0 << QStringList{u"Edit_HaendlerStrasse"_s, x101}
                                 << u"Straße und Hausnummer"_s << 100;
    // Postcode, blank and town share the firm's 100 characters.
    QTest::newRow("firm town") << u"M_Firma"_s << 0
                               << QStringList{u"Edit_HaendlerPLZ"_s, u"12345"_s, u"Edit_HaendlerOrt"_s,
                                              QString(95, u'x')}
                               << u"Wohnort"_s << 94;
    QTest::newRow("authority name") << u"SB_Amt"_s << 3 << authority + QStringList{u"Edit_AmtName"_s, x51}
                                    << u"Amt"_s << 50;
    QTest::newRow("authority street")
        << u"SB_KauferAmt"_s << 3 << authority + QStringList{u"Edit_AmtStrasse"_s, x51}
        << u"Straße und Hausnummer"_s << 50;
    QTest::newRow("authority town") << u"SB_Amt"_s << 3 << authority + QStringList{u"Edit_AmtOrt"_s, x51}
                                    << u"Ort"_s << 50;
    QTest::newRow("country") << u"SB_Amt"_s << 1 << QStringList{u"Edit_AmtName"_s, x51} << u"Land"_s << 50;
}

void TestMasterDialogs::overlongTextRefused() {
    QFETCH(QString, opener);
    QFETCH(int, entry);
    QFETCH(QStringList, fill);
    QFETCH(QString, field);
    QFETCH(int, limit);
    QVERIFY(start());
    const QVariantList before = snapshot();
    QDialog* d = open(opener, entry);
    QVERIFY(d);
    for (int i = 0; i + 1 < fill.size(); i += 2)
        set(fill[i], fill[i + 1]);
    press(d->findChildren<QPushButton*>().first()->objectName());
    const QStringList shownTexts = run->prompts.messages();
    QCOMPARE(shownTexts.size(), 1);
    QVERIFY2(shownTexts[0].contains(u'"' + field + u'"'), qPrintable(shownTexts[0]));
    QVERIFY2(shownTexts[0].contains(QString::number(limit)), qPrintable(shownTexts[0]));
    QVERIFY(run->prompts.errors().isEmpty());
    // The dialog stays open with the typed texts; nothing was begun.
    QVERIFY(d->isVisible());
    QCOMPARE(ctl(fill[fill.size() - 2])->text(), fill.last());
    QCOMPARE(snapshot(), before);
    QVERIFY(!run->dm().ATab_Kauf->isEditing() && !run->dm().ATab_Amt->isEditing());
    QVERIFY(!run->dm().ATab_User->isEditing());
}

QTEST_MAIN(TestMasterDialogs)
