// The search dialog driven like a user drives it: found by object names, keys and clicks, the
// prompts scripted.
#include "search/MaskedDateEdit.h"
#include "search/TFormSuchen.h"
#include "support/AppRun.h"
#include "support/SampleData.h"
#include "support/StoreHelpers.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

class TestSearchDialog : public QObject {
    Q_OBJECT

private slots:
    void init() { run = std::make_unique<AppRun>(); }
    void cleanup() {
        if (run && run->app)
            run->app->forms.FormSuchen->hide();
        finishRun(run);
    }

    void arrangementAndNames();
    void pickListListsEveryRowSorted();
    void typingEndsThePick();
    void clearButtonEmptiesFourteenFields();
    void permitKindsRefilledOnActivation();
    void emptyAuthorityTableHidesItsPicks();
    void maskedDateField();
    void keysDoNotClose();

private:
    // Logs in and opens the dialog as the search button does, shown and active.
    bool open(const QString& moreSql = QString()) {
        if (!run->loginShowingDialogs(moreSql))
            return false;
        QTest::mouseClick(run->main().findChild<QToolButton*>(u"SpBtn13"_s), Qt::LeftButton);
        return activateDialog();
    }
    bool activateDialog() const {
        dialog()->activateWindow();
        return QTest::qWaitFor([this] { return dialog()->isActiveWindow(); });
    }
    TFormSuchen* dialog() const { return run->app->forms.FormSuchen; }
    template <class T> T* ctl(const QString& name) const {
        T* c = dialog()->findChild<T*>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    QLineEdit* edit(const QString& name) const { return ctl<QLineEdit>(name); }
    QComboBox* pick() const { return ctl<QComboBox>(u"Combo_Such"_s); }
    QStringList pickItems() const {
        QStringList items;
        for (int i = 0; i < pick()->count(); ++i)
            items << pick()->itemText(i);
        return items;
    }
    void press(const QString& button) const { QTest::mouseClick(ctl<QToolButton>(button), Qt::LeftButton); }

    std::unique_ptr<AppRun> run;
};

void TestSearchDialog::arrangementAndNames() {
    QVERIFY(open());
    QCOMPARE(run->dialogsRun, QStringList{u"FormSuchen"_s});
    QCOMPARE(dialog()->size(), QSize(644, 604));
    QVERIFY(dialog()->windowFlags() & Qt::FramelessWindowHint);
    auto* list = ctl<QListWidget>(u"CheckList_Suchen"_s);
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items << list->item(i)->text();
        QCOMPARE(list->item(i)->checkState(), Qt::Unchecked);
    }
    QCOMPARE(items, (QStringList{u"Kauf-Datum"_s, u"Verkaufs-Datum"_s, u"EWB-Datum"_s, u"Jagd-Datum"_s,
                                 u"Brief-Datum"_s, u"Käufer"_s, u"Verkäufer"_s, u"Waffentyp"_s, u"Kaliber"_s,
                                 u"Amt oder Land"_s, u"EWB"_s, u"Käufer-Amt"_s, u"EWB-Nr."_s, u"Fabrik"_s,
                                 u"Serien-Nr."_s, u"Notiz"_s}));
    QCOMPARE(ctl<QLabel>(u"Label_Titel"_s)->palette().color(QPalette::Window), QColor(0xD7, 0x57, 0x1A));
    QCOMPARE(ctl<QLabel>(u"Label_Suchfelder"_s)->palette().color(QPalette::Window), QColor(0xCB, 0xEE, 0xA4));
    QCOMPARE(list->palette().color(QPalette::Base), QColor(0x96, 0xFC, 0xAD));
    QCOMPARE(pick()->palette().color(QPalette::Base), QColor(0x96, 0xFC, 0xAD));
    QVERIFY(pick()->isHidden());
    QVERIFY(!ctl<QCheckBox>(u"Check_ExakteBegriffe"_s)->isChecked());

    // Every edit, box and picture button is announced; edits by their label.
    QCOMPARE(edit(u"Edit_KauferAmt"_s)->accessibleName(), u"für Käufer zuständiges Amt"_s);
    QCOMPARE(edit(u"MEd_JDatum"_s)->accessibleName(), u"Jgd.-Datum"_s);
    QCOMPARE(ctl<QToolButton>(u"BitBtn_Leeren"_s)->accessibleName(), u"Alle Felder leeren"_s);
    for (QWidget* w : dialog()->findChildren<QWidget*>()) {
        if (qobject_cast<QToolButton*>(w) || qobject_cast<QComboBox*>(w) ||
            (qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parentWidget())))
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }

    // The keyboard walks the fields in the dialog's order (pick buttons after their fields).
    const QStringList order = {u"MEd_KDatum"_s,
                               u"MEd_VDatum"_s,
                               u"MEd_EWBDatum"_s,
                               u"MEd_JDatum"_s,
                               u"MEd_BriefDatum"_s,
                               u"Edit_Kaufer"_s,
                               u"SB_Kaufer"_s,
                               u"Edit_Verkaufer"_s,
                               u"SB_Verkaufer"_s,
                               u"Edit_WTyp"_s,
                               u"SB_WTyp"_s,
                               u"Edit_Kaliber"_s,
                               u"SB_Kaliber"_s,
                               u"Edit_Amt"_s,
                               u"SB_Amt"_s,
                               u"Combo_EWB"_s,
                               u"Edit_KauferAmt"_s,
                               u"SB_KauferAmt"_s,
                               u"Edit_Fabrik"_s,
                               u"SB_Fabrik"_s,
                               u"Edit_SerienNr"_s,
                               u"Edit_Notiz"_s,
                               u"Check_ExakteBegriffe"_s,
                               u"BitBtn_Leeren"_s,
                               u"Edit_EWBNR"_s,
                               u"CheckList_Suchen"_s,
                               u"BitBtn_Suchen"_s,
                               u"BitBtn_SuchEnde"_s,
                               u"MEd_KDatum"_s};
    edit(order.front())->setFocus();
    QStringList walked{order.front()};
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* f = QApplication::focusWidget();
        // A combo box's own line edit stands for the box.
        walked << (qobject_cast<QComboBox*>(f->parentWidget()) ? f->parentWidget()->objectName()
                                                               : f->objectName());
    }
    QCOMPARE(walked, order);
}

void TestSearchDialog::pickListListsEveryRowSorted() {
    QVERIFY(open(uR"(INSERT INTO "Kaufer" ("Name", "Geschlecht", "EWB", "EWBAmt", "KAmt") VALUES
                     ('Hans Jäger', 2, 1, 1, 1), ('anton Berg', 2, 1, 1, 1))"_s));
    auto* list = ctl<QListWidget>(u"CheckList_Suchen"_s);
    press(u"SB_Verkaufer"_s);
    QVERIFY(pick()->isVisible());
    QVERIFY(edit(u"Edit_Verkaufer"_s)->isHidden());
    QCOMPARE(pick()->geometry().topLeft(), edit(u"Edit_Verkaufer"_s)->geometry().topLeft());
    QCOMPARE(pick()->maxVisibleItems(), 20);
    QCOMPARE(pickItems(), (QStringList{u"(nicht verkauft)"_s, u"anton Berg"_s, u"Erika Förster"_s,
                                       u"Hans Jäger"_s, u"Hans Jäger"_s, u"Waffen Schmidt GmbH"_s}));
    // During the pick only the authority field and the permit number stay usable.
    const QList<QWidget*> disabled = dialog()->searchControls();
    QCOMPARE(disabled.size(), 26);
    for (QWidget* w : disabled)
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    QVERIFY(edit(u"Edit_KauferAmt"_s)->isEnabled());
    QVERIFY(edit(u"Edit_EWBNR"_s)->isEnabled());
    QVERIFY(pick()->isEnabled());

    // Choosing an entry fills the field and leaves the tick alone.
    pick()->setCurrentIndex(3);
    QVERIFY(pick()->isHidden());
    QVERIFY(edit(u"Edit_Verkaufer"_s)->isVisible());
    QCOMPARE(edit(u"Edit_Verkaufer"_s)->text(), u"Hans Jäger"_s);
    QCOMPARE(list->item(6)->checkState(), Qt::Unchecked);
    for (QWidget* w : disabled)
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));

    // The authority list and its placeholder row.
    press(u"SB_KauferAmt"_s);
    QCOMPARE(pickItems(), (QStringList{u"(kein Amt)"_s, u"Kreisverwaltung München"_s, u"Landratsamt Meißen"_s,
                                       u"Ordnungsamt Kassel"_s, u"Österreich"_s}));
    QVERIFY(edit(u"Edit_KauferAmt"_s)->isHidden());
    pick()->setCurrentIndex(4);
    QCOMPARE(edit(u"Edit_KauferAmt"_s)->text(), u"Österreich"_s);
    QVERIFY(run->prompts.shown().size() == 1); // the login
}

void TestSearchDialog::typingEndsThePick() {
    QVERIFY(open());
    edit(u"Edit_WTyp"_s)->setText(u"alt"_s);
    press(u"SB_WTyp"_s);
    QCOMPARE(pickItems(), (QStringList{u"Bockbüchsflinte"_s, u"Flinte"_s, u"Pistole"_s, u"Repetierbüchse"_s,
                                       u"Revolver"_s}));
    pick()->setFocus();
    QTest::keyClicks(pick(), "R");
    QVERIFY(pick()->isHidden());
    QCOMPARE(edit(u"Edit_WTyp"_s)->text(), u"R"_s);
    QVERIFY(ctl<QToolButton>(u"BitBtn_Suchen"_s)->isEnabled());

    // An empty list entry (one may be stored) chosen from the open list ends the pick as well,
    // though the text does not change.
    run->folder.sql(uR"(INSERT INTO "Waffentyp" ("WTyp") VALUES (''))"_s);
    run->dm().ATab_Typ->refresh();
    press(u"SB_WTyp"_s);
    QCOMPARE(pick()->itemText(0), QString());
    pick()->showPopup();
    pick()->view()->setCurrentIndex(pick()->model()->index(0, 0));
    QTest::keyClick(pick()->view(), Qt::Key_Return);
    QVERIFY(pick()->isHidden());
    QVERIFY(edit(u"Edit_WTyp"_s)->isVisible());
    QCOMPARE(edit(u"Edit_WTyp"_s)->text(), QString());
    QVERIFY(ctl<QToolButton>(u"BitBtn_Suchen"_s)->isEnabled());
}

void TestSearchDialog::clearButtonEmptiesFourteenFields() {
    QVERIFY(open());
    const QStringList cleared = {u"Edit_Kaufer"_s,   u"Edit_Verkaufer"_s, u"Edit_WTyp"_s,
                                 u"Edit_Kaliber"_s,  u"Edit_Amt"_s,       u"Edit_KauferAmt"_s,
                                 u"Edit_SerienNr"_s, u"Edit_Fabrik"_s,    u"Edit_Notiz"_s};
    const QStringList dates = {u"MEd_KDatum"_s, u"MEd_VDatum"_s, u"MEd_EWBDatum"_s, u"MEd_JDatum"_s,
                               u"MEd_BriefDatum"_s};
    for (const QString& n : cleared)
        edit(n)->setText(n);
    for (const QString& n : dates)
        edit(n)->setText(u"01.02.2003"_s);
    edit(u"Edit_EWBNR"_s)->setText(u"WBK 1"_s);
    ctl<QComboBox>(u"Combo_EWB"_s)->setEditText(u"Jagdschein"_s);
    ctl<QCheckBox>(u"Check_ExakteBegriffe"_s)->setChecked(true);
    ctl<QListWidget>(u"CheckList_Suchen"_s)->item(12)->setCheckState(Qt::Checked);

    press(u"BitBtn_Leeren"_s);
    for (const QString& n : cleared)
        QVERIFY2(edit(n)->text().isEmpty(), qPrintable(n));
    for (const QString& n : dates)
        QCOMPARE(ctl<MaskedDateEdit>(n)->maskText(), MaskedDateEdit::kEmpty);
    QCOMPARE(edit(u"Edit_EWBNR"_s)->text(), u"WBK 1"_s);
    QCOMPARE(ctl<QComboBox>(u"Combo_EWB"_s)->currentText(), u"Jagdschein"_s);
    QVERIFY(ctl<QCheckBox>(u"Check_ExakteBegriffe"_s)->isChecked());
    QCOMPARE(ctl<QListWidget>(u"CheckList_Suchen"_s)->item(12)->checkState(), Qt::Checked);
}

void TestSearchDialog::permitKindsRefilledOnActivation() {
    QVERIFY(open());
    auto* kinds = ctl<QComboBox>(u"Combo_EWB"_s);
    QStringList items;
    for (int i = 0; i < kinds->count(); ++i)
        items << kinds->itemText(i);
    QCOMPARE(items, column(*run->dm().ATab_EWB, u"EWB"_s));
    QCOMPARE(items.size(), 6);
    QVERIFY(kinds->currentText().isEmpty());
    kinds->setEditText(u"Sonderfall"_s);
    edit(u"Edit_Notiz"_s)->setText(u"bleibt"_s);

    // Closed and opened again: the permit kind is gone, the other fields keep their text.
    press(u"BitBtn_SuchEnde"_s);
    QVERIFY(dialog()->isHidden());
    QVERIFY(run->activate());
    QTest::mouseClick(run->main().findChild<QToolButton*>(u"SpBtn13"_s), Qt::LeftButton);
    QVERIFY(activateDialog());
    QVERIFY(kinds->currentText().isEmpty());
    QCOMPARE(kinds->count(), 6);
    QCOMPARE(edit(u"Edit_Notiz"_s)->text(), u"bleibt"_s);

    // Switching to another program and back is no activation of the dialog: the permit kind stays.
    kinds->setEditText(u"Sonderfall"_s);
    QApplication::setActiveWindow(nullptr);
    QVERIFY(!dialog()->isActiveWindow());
    QWindowStateChangeEvent restored(Qt::WindowMinimized); // back from a minimize, too
    QApplication::sendEvent(dialog(), &restored);
    QApplication::setActiveWindow(dialog());
    QVERIFY(dialog()->isActiveWindow());
    QCOMPARE(kinds->currentText(), u"Sonderfall"_s);
    // A window of the program shown over it and closed again is one.
    {
        QWidget over;
        over.show();
        over.activateWindow();
        QVERIFY(QTest::qWaitFor([&over] { return over.isActiveWindow(); }));
    }
    QVERIFY(activateDialog());
    QVERIFY(kinds->currentText().isEmpty());
}

void TestSearchDialog::emptyAuthorityTableHidesItsPicks() {
    QVERIFY(open(uR"(UPDATE "Kaufer" SET "EWBAmt" = NULL, "KAmt" = NULL;
                     UPDATE "Vorgang" SET "Amt" = NULL, "KauferAmt" = NULL; DELETE FROM "Amt")"_s));
    QVERIFY(ctl<QToolButton>(u"SB_Amt"_s)->isHidden());
    QVERIFY(ctl<QToolButton>(u"SB_KauferAmt"_s)->isHidden());
    QVERIFY(!ctl<QToolButton>(u"SB_Kaufer"_s)->isHidden());
    // A pick and its end do not bring them back.
    press(u"SB_Kaufer"_s);
    pick()->setCurrentIndex(0);
    QVERIFY(ctl<QToolButton>(u"SB_Amt"_s)->isHidden());
    QVERIFY(ctl<QToolButton>(u"SB_KauferAmt"_s)->isHidden());
}

void TestSearchDialog::maskedDateField() {
    QVERIFY(open());
    auto* date = ctl<MaskedDateEdit>(u"MEd_VDatum"_s);
    QCOMPARE(date->maskText(), MaskedDateEdit::kEmpty);
    date->setFocus();
    date->setCursorPosition(0);
    QTest::keyClicks(date, "5");
    QCOMPARE(date->maskText(), u" 5.  .    "_s);
    QTest::keyClicks(date, "0320");
    QTest::keyClick(date, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), date);
    QCOMPARE(run->prompts.errors(), QStringList{MaskedDateEdit::kRefusal});
    // Escape takes the change back; the field can then be left.
    QTest::keyClick(date, Qt::Key_Escape);
    QCOMPARE(date->maskText(), MaskedDateEdit::kEmpty);
    QVERIFY(dialog()->isVisible());
    QTest::keyClick(date, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), edit(u"MEd_EWBDatum"_s));
    QCOMPARE(run->prompts.errors().size(), 1);

    // A complete year passes with day and month read right-aligned.
    date->setFocus();
    date->setCursorPosition(0);
    QTest::keyClicks(date, "1");
    date->setCursorPosition(3);
    QTest::keyClicks(date, "121999");
    QTest::keyClick(date, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), edit(u"MEd_EWBDatum"_s));
    QCOMPARE(date->maskText(), u" 1.12.1999"_s);
    QCOMPARE(dialog()->criteria().texts[1], u" 1.12.1999"_s);
    QCOMPARE(run->prompts.errors().size(), 1);
}

void TestSearchDialog::keysDoNotClose() {
    QVERIFY(open());
    auto* list = ctl<QListWidget>(u"CheckList_Suchen"_s);
    list->setFocus();
    list->setCurrentRow(14);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(list->item(14)->checkState(), Qt::Checked);
    QTest::keyClick(list, Qt::Key_Escape);
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(dialog()->isVisible());
    QVERIFY(!run->main().CheckBox_Filter->isChecked());
    // The search button by keyboard: a partial search over serial numbers.
    edit(u"Edit_SerienNr"_s)->setText(u"-"_s);
    ctl<QToolButton>(u"BitBtn_Suchen"_s)->setFocus();
    QTest::keyClick(ctl<QToolButton>(u"BitBtn_Suchen"_s), Qt::Key_Space);
    QVERIFY(run->main().CheckBox_Filter->isChecked());
    QCOMPARE(run->main().statusPanelText(0), u"Anzahl: 4"_s);
    QVERIFY(dialog()->isVisible());

    // The large buttons have keys, named in their hints: Alt+F empties the fields, Alt+S
    // searches, Alt+C closes.
    QCOMPARE(ctl<QToolButton>(u"BitBtn_SuchEnde"_s)->toolTip(), u"Schließen (Alt+C)"_s);
    run->main().CheckBox_Filter->setChecked(false);
    dialog()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog()));
    QWidget* from = edit(u"Edit_SerienNr"_s);
    from->setFocus();
    QTest::keyClick(from, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(edit(u"Edit_SerienNr"_s)->text().isEmpty());
    edit(u"Edit_SerienNr"_s)->setText(u"-"_s);
    QTest::keyClick(from, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(run->main().CheckBox_Filter->isChecked());
    QTest::keyClick(from, Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!dialog()->isVisible());
}

QTEST_MAIN(TestSearchDialog)
#include "tst_searchdialog.moc"
