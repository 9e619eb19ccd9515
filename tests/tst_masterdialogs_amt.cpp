// The authority dialog: authority or country mode, the keys per opener, the country pick list;
// and the colours of all the master-data dialogs.
#include "dialogs/ListEntryDialog.h"
#include "tst_masterdialogs.h"

#include <QAbstractItemView>

void TestMasterDialogs::authorityOrCountryMode_data() {
    QTest::addColumn<int>("entry"); // entry 1 has permit kind 1, entry 3 kind 3
    QTest::addColumn<QString>("opener");
    QTest::addColumn<bool>("country");
    QTest::addColumn<QString>("heading");
    QTest::newRow("kind 1, issuing") << 1 << u"SB_Amt"_s << true << u"Geben Sie ein neues Land ein."_s;
    QTest::newRow("kind 1, responsible")
        << 1 << u"SB_KauferAmt"_s << true << u"Geben Sie ein neues Land ein."_s;
    QTest::newRow("kind 3, issuing") << 3 << u"SB_Amt"_s << false << u"Geben Sie das ausstellende Amt ein."_s;
    QTest::newRow("kind 3, responsible")
        << 3 << u"SB_KauferAmt"_s << false << u"Geben Sie das zuständige Amt ein."_s;
}

void TestMasterDialogs::authorityOrCountryMode() {
    QFETCH(int, entry);
    QFETCH(QString, opener);
    QFETCH(bool, country);
    QFETCH(QString, heading);
    QVERIFY(start());
    // The mode is decided at each showing: a country dialog before does not carry over.
    open(u"SB_Amt"_s, entry == 1 ? 3 : 1);
    press(u"BitBtn_AmtESC"_s);
    QTest::mouseClick(run->main().SpBtn[11], Qt::LeftButton);
    open(opener, entry);
    QCOMPARE(ctl<QLabel>(u"Label_Amt"_s)->text(), heading);
    QCOMPARE(ctl<QLabel>(u"Label_AmtName"_s)->text(), country ? u"Land eingeben"_s : u"Amt eingeben"_s);
    QCOMPARE(shown->height(), country ? TFormAmt::kCountryHeight : TFormAmt::kAuthorityHeight);
    const int top = country ? ctl(u"Edit_AmtStrasse"_s)->y() : TFormAmt::kAuthorityButtonTop;
    QCOMPARE(ctl<QPushButton>(u"BitBtn_AmtOK"_s)->y(), top);
    QCOMPARE(ctl<QPushButton>(u"BitBtn_AmtESC"_s)->y(), top);
    QCOMPARE(ctl<QToolButton>(u"SB_Landwahl"_s)->isVisible(), country);
    for (const QString& n : {u"Edit_AmtStrasse"_s, u"Edit_AmtPLZ"_s, u"Edit_AmtOrt"_s, u"Label_AmtStrasse"_s,
                             u"Label_AmtPLZ"_s, u"Label_AmtOrt"_s})
        QCOMPARE(ctl<QWidget>(n)->isVisible(), !country);
    QCOMPARE(QApplication::focusWidget(), ctl(u"Edit_AmtName"_s));
}

void TestMasterDialogs::authorityKeysPerOpener_data() {
    QTest::addColumn<QString>("opener");
    QTest::addColumn<bool>("issuing");
    QTest::newRow("issuing authority") << u"SB_Amt"_s << true;
    QTest::newRow("responsible authority") << u"SB_KauferAmt"_s << false;
}

void TestMasterDialogs::authorityKeysPerOpener() {
    QFETCH(QString, opener);
    QFETCH(bool, issuing);
    QVERIFY(start());
    open(opener, 3); // issuing authority 2, responsible 3
    set(u"Edit_AmtName"_s, u"Ordnungsamt Bonn"_s);
    set(u"Edit_AmtStrasse"_s, u"Am Hof 1"_s);
    set(u"Edit_AmtPLZ"_s, u"053111"_s);
    set(u"Edit_AmtOrt"_s, u"Bonn"_s);
    press(u"BitBtn_AmtOK"_s);
    QVERIFY(!shown->isVisible());
    QVERIFY(run->prompts.shown().size() == 1); // the login only
    const QVariantList row = lastRow(u"Amt"_s, uR"("Index", "Name", "Strasse", "PLZ", "Stadt")"_s);
    QCOMPARE(row.mid(1), (QVariantList{u"Ordnungsamt Bonn"_s, u"Am Hof 1"_s, qlonglong(53111), u"Bonn"_s}));
    QCOMPARE(stored(u"KauferAmt"_s, 3), row[0]);
    QCOMPARE(stored(u"Amt"_s, 3), issuing ? row[0] : QVariant(qlonglong(2)));
    QVERIFY(run->reg().isEditing());
    QCOMPARE(run->main().findChild<QLabel*>(u"Label_ZamtName"_s)->text(), u"Ordnungsamt Bonn"_s);
    // Names are shown as stored, never read as markup.
    QCOMPARE(run->main().findChild<QLabel*>(u"Label_ZamtName"_s)->textFormat(), Qt::PlainText);
    QVERIFY(germanSorted(column(*run->dm().ATab_Amt, u"Name"_s)));
}

void TestMasterDialogs::countryPickList() {
    // A name in two rows is listed twice.
    QVERIFY(start(uR"(INSERT INTO "Land" ("Land") VALUES ('Frankreich'))"_s));
    open(u"SB_Amt"_s, 1);
    auto* pick = ctl<QComboBox>(u"Combo_Land"_s);
    QVERIFY(!pick->isVisible());
    QTest::mouseClick(ctl<QToolButton>(u"SB_Landwahl"_s), Qt::LeftButton);
    QVERIFY(pick->isVisible());
    QVERIFY(!ctl(u"Edit_AmtName"_s)->isVisible());
    QCOMPARE(pick->geometry(), ctl(u"Edit_AmtName"_s)->geometry());
    QCOMPARE(ctl<QLabel>(u"Label_AmtName"_s)->text(), u"Land aus der Liste auswählen"_s);
    QVERIFY(!ctl<QPushButton>(u"BitBtn_AmtOK"_s)->isEnabled());
    QVERIFY(!ctl<QPushButton>(u"BitBtn_AmtESC"_s)->isEnabled());
    QStringList items;
    for (int i = 0; i < pick->count(); ++i)
        items << pick->itemText(i);
    QCOMPARE(items, column(*run->dm().ATab_Land, u"Land"_s));
    QCOMPARE(items.size(), 33);
    QCOMPARE(items.count(u"Frankreich"_s), 2);
    QVERIFY(pick->currentText().isEmpty());
    // Only taking a country leaves the pick: Escape does not close the dialog.
    QTest::keyClick(shown, Qt::Key_Escape);
    QVERIFY(shown->isVisible());

    pick->setCurrentIndex(pick->findText(u"Frankreich"_s));
    QVERIFY(!pick->isVisible());
    QCOMPARE(ctl(u"Edit_AmtName"_s)->text(), u"Frankreich"_s);
    QCOMPARE(ctl<QLabel>(u"Label_AmtName"_s)->text(), u"Land eingeben"_s);
    QVERIFY(ctl<QPushButton>(u"BitBtn_AmtOK"_s)->isEnabled() &&
            ctl<QPushButton>(u"BitBtn_AmtESC"_s)->isEnabled());
    // A country needs no postcode and gets no address.
    press(u"BitBtn_AmtOK"_s);
    QVERIFY(run->prompts.shown().size() == 1);
    const QVariantList row = lastRow(u"Amt"_s, uR"("Index", "Name", "Strasse", "PLZ", "Stadt")"_s);
    QCOMPARE(row.mid(1), (QVariantList{u"Frankreich"_s, QVariant(), QVariant(), QVariant()}));
    QCOMPARE(stored(u"Amt"_s, 1), row[0]);
    QCOMPARE(stored(u"KauferAmt"_s, 1), row[0]);
}

void TestMasterDialogs::typingEndsCountryPick() {
    QVERIFY(start());
    open(u"SB_KauferAmt"_s, 1);
    QTest::mouseClick(ctl<QToolButton>(u"SB_Landwahl"_s), Qt::LeftButton);
    auto* pick = ctl<QComboBox>(u"Combo_Land"_s);
    QTest::keyClicks(pick, "F");
    QVERIFY(!pick->isVisible());
    QCOMPARE(ctl(u"Edit_AmtName"_s)->text(), u"F"_s);
    QVERIFY(ctl<QPushButton>(u"BitBtn_AmtOK"_s)->isEnabled());
    // An empty country row chosen from the open list is taken too, though no text changes.
    run->folder.sql(uR"(INSERT INTO "Land" ("Land") VALUES (''))"_s);
    run->dm().ATab_Land->refresh();
    QTest::mouseClick(ctl<QToolButton>(u"SB_Landwahl"_s), Qt::LeftButton);
    QCOMPARE(pick->itemText(0), QString());
    pick->view()->setCurrentIndex(pick->model()->index(0, 0));
    QTest::keyClick(pick->view(), Qt::Key_Return);
    QVERIFY(!pick->isVisible());
    QVERIFY(ctl(u"Edit_AmtName"_s)->text().isEmpty());
    QVERIFY(ctl<QPushButton>(u"BitBtn_AmtESC"_s)->isEnabled());
    // The next showing starts without the pick list.
    press(u"BitBtn_AmtESC"_s);
    open(u"SB_KauferAmt"_s, 1);
    QVERIFY(!pick->isVisible() && ctl(u"Edit_AmtName"_s)->isVisible());
    QVERIFY(ctl(u"Edit_AmtName"_s)->text().isEmpty());
}

void TestMasterDialogs::authorityDuplicateRefused() {
    QVERIFY(start());
    const QVariantList before = snapshot();
    open(u"SB_Amt"_s, 3);
    set(u"Edit_AmtName"_s, u"ORDNUNGSAMT KASSEL"_s);
    press(u"BitBtn_AmtOK"_s);
    QCOMPARE(run->prompts.messages(), QStringList{u"Der Eintrag ORDNUNGSAMT KASSEL existiert bereits"_s});
    QVERIFY(!shown->isVisible());
    QVERIFY(run->reg().isEditing());
    QCOMPARE(run->reg().asInteger(u"Amt"_s), 2);
    QCOMPARE(snapshot(), before);
}

void TestMasterDialogs::coloursFromScheme() {
    // Blue-green-red integers: entry fields red on yellow, dialogs white on dark green.
    QVERIFY(start(uR"(UPDATE "Benutzer" SET "Farbe05" = 65535, "Farbe06" = 255, "Farbe07" = 25600,
                      "Farbe08" = 16777215)"_s));
    const Forms& f = run->app->forms;
    const QList<QDialog*> dialogs = {f.FormWaffentyp, f.FormKaliber, f.FormHersteller, f.FormHaendler,
                                     f.FormAmt};
    const QStringList entries = {u"Edit_Waffentyp"_s,       u"Edit_Kaliber"_s,     u"Edit_Hersteller"_s,
                                 u"Edit_HaendlerName"_s,    u"Edit_HaendlerOrt"_s, u"Edit_HaendlerPLZ"_s,
                                 u"Edit_HaendlerStrasse"_s, u"Combo_Geschlecht"_s, u"Edit_AmtName"_s,
                                 u"Edit_AmtOrt"_s,          u"Edit_AmtPLZ"_s,      u"Edit_AmtStrasse"_s};
    int found = 0;
    for (QDialog* d : dialogs) {
        QCOMPARE(d->palette().color(QPalette::Window), QColor(0, 100, 0));
        QCOMPARE(d->palette().color(QPalette::WindowText), QColor(Qt::white));
        // The heading band and the labels take the dialog's colours.
        for (QLabel* l : d->findChildren<QLabel*>())
            QVERIFY2(l->palette().color(QPalette::WindowText) == QColor(Qt::white),
                     qPrintable(d->objectName() + u' ' + l->objectName()));
        for (const QString& n : entries) {
            if (QWidget* w = d->findChild<QWidget*>(n)) {
                ++found;
                QCOMPARE(w->palette().color(QPalette::Base), QColor(Qt::yellow));
                QCOMPARE(w->palette().color(QPalette::Text), QColor(Qt::red));
            }
        }
    }
    QCOMPARE(found, entries.size());
    // The pick list is not an entry field: it keeps the window's colours.
    QVERIFY(f.FormAmt->findChild<QComboBox*>(u"Combo_Land"_s)->palette().color(QPalette::Base) !=
            QColor(Qt::yellow));
}
