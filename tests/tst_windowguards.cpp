// What the register window does when an entry, the settings or the login are at risk: a close
// during an edit, a settings row that cannot be written, a partner changed by another program,
// the register hidden until the login, the stock count after a sort that leaves rows out, and a
// day's repeated commands leaving no windows, statements or files behind.
#include "printing/TFormDruck.h"
#include "search/TFormSuchen.h"
#include "support/AppRun.h"
#include "support/SampleData.h"
#include "widgets/DBGrid.h"
#include "widgets/DateEdit.h"
#include "widgets/LookupComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {
const QString kEditing = u"Der Eintrag wird gerade bearbeitet. Soll er vor dem Beenden gespeichert werden?"_s;
const QString kCount = uR"(SELECT count(*) FROM "Vorgang")"_s;
} // namespace

class TestWindowGuards : public QObject {
    Q_OBJECT
private slots:
    void init() {
        run = std::make_unique<AppRun>();
        // No "Programm wirklich beenden?" in between.
        run->folder.sql(uR"(UPDATE "Benutzer" SET "CheckProgEnde" = 0)"_s);
        addSampleData(run->folder);
    }
    void cleanup() { run.reset(); }

    void closeDuringAnEdit_data();
    void closeDuringAnEdit();
    void refusedStoreKeepsTheProgramOpen();
    void settingsThatCannotBeSaved();
    void settingsChangedElsewhereAreOverwritten();
    void partnerChangedElsewhere();
    void registerHiddenUntilTheLogin();
    void connectAfterAFailedStartAsksTheLogin();
    void countsAgreeAfterASortThatLeavesRowsOut();
    void entryWithoutTheMouse();
    void escapeInAnOpenListKeepsTheEdit();
    void tablePageLeftByKeys();
    void repeatedCommandsLeaveNothingBehind();

private:
    TFormMain& w() const { return run->main(); }
    void click(int n) const {
        QTest::mouseClick(w().findChild<QToolButton*>(u"SpBtn%1"_s.arg(n, 2, 10, QLatin1Char('0'))),
                          Qt::LeftButton);
    }
    void type(QLineEdit* edit, const QString& text) const {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    std::unique_ptr<AppRun> run;
};

void TestWindowGuards::closeDuringAnEdit_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("entries");
    QTest::addRow("Ja stores") << u"yes"_s << true << 5;
    QTest::addRow("Nein discards") << u"no"_s << true << 4;
    QTest::addRow("Abbrechen keeps editing") << u"cancel"_s << false << 4;
}

void TestWindowGuards::closeDuringAnEdit() {
    QFETCH(QString, answer);
    QFETCH(bool, closed);
    QFETCH(int, entries);
    QVERIFY(run->login());
    click(7);
    type(w().DBEdit_SerienNr, u"NEU-77"_s);
    if (answer == u"yes")
        run->prompts.queueYes();
    else if (answer == u"no")
        run->prompts.queueNo();
    else
        run->prompts.queueCancel();
    QCOMPARE(w().close(), closed);
    QCOMPARE(run->prompts.texts(u"yesNoCancel"_s), QStringList{kEditing});
    QCOMPARE(run->folder.value(kCount).toInt(), entries);
    QCOMPARE(run->reg().isEditing(), !closed);
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestWindowGuards::refusedStoreKeepsTheProgramOpen() {
    QVERIFY(run->login());
    click(9);
    type(w().DBEdit_SerienNr, u"GEAENDERT"_s);
    // The database refuses the store (as a lock or a full disk would).
    run->folder.sql(
        uR"(CREATE TRIGGER "gesperrt" BEFORE UPDATE ON "Vorgang" BEGIN SELECT RAISE(ABORT, 'gesperrt'); END)"_s);
    run->prompts.queueYes();
    QVERIFY(!w().close());
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(run->reg().isEditing());
    QVERIFY(run->dm().isConnected());
    QVERIFY(w().isVisible());
}

void TestWindowGuards::settingsThatCannotBeSaved() {
    QVERIFY(run->login());
    run->folder.sql(
        uR"(CREATE TRIGGER "gesperrt" BEFORE UPDATE ON "Benutzer" BEGIN SELECT RAISE(ABORT, 'gesperrt'); END)"_s);
    run->prompts.queueNo();
    QVERIFY(!w().close());
    const QStringList asked = run->prompts.texts(u"yesNo"_s);
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.first().startsWith(u"Die Einstellungen konnten nicht gespeichert werden: "_s),
             qPrintable(asked.first()));
    QVERIFY(asked.first().endsWith(u". Trotzdem beenden?"_s));
    QVERIFY(!asked.first().contains(u".. "_s));
    QVERIFY(run->prompts.lastDefaultNo);
    QVERIFY(w().isVisible());
    QVERIFY(run->dm().isConnected());

    run->prompts.queueYes();
    QVERIFY(w().close());
    QVERIFY(!run->dm().isConnected());
}

void TestWindowGuards::settingsChangedElsewhereAreOverwritten() {
    QVERIFY(run->login());
    // Another program changes the settings row after it was read.
    run->folder.sql(uR"(UPDATE "Benutzer" SET "SpulSpeed" = 99, "Firma" = 'Andere Firma')"_s);
    w().Spin_Spul->setValue(33);
    QVERIFY(w().close());
    QVERIFY(run->prompts.texts(u"yesNo"_s).isEmpty());
    QVERIFY(run->prompts.errors().isEmpty());
    QCOMPARE(run->folder.value(uR"(SELECT "SpulSpeed" FROM "Benutzer")"_s).toInt(), 33);
    // Columns the window does not keep stay as the other program wrote them.
    QCOMPARE(run->folder.value(uR"(SELECT "Firma" FROM "Benutzer")"_s).toString(), u"Andere Firma"_s);
}

void TestWindowGuards::partnerChangedElsewhere() {
    QVERIFY(run->login());
    run->reg().setRecNo(3); // sold to partner 2
    click(9);
    type(w().DBEdit_EWBNR, u"NEU-123"_s);
    run->folder.sql(uR"(UPDATE "Kaufer" SET "Strasse" = 'Neue Straße 1' WHERE "Index" = 2)"_s);
    click(10);
    QVERIFY2(run->prompts.errors().isEmpty(), qPrintable(run->prompts.errors().join(u'\n')));
    QCOMPARE(run->folder.row(uR"(SELECT "EWBNR", "Strasse" FROM "Kaufer" WHERE "Index" = 2)"_s),
             (QVariantList{u"NEU-123"_s, u"Neue Straße 1"_s}));
    QCOMPARE(run->folder.value(uR"(SELECT "EWBNR" FROM "Vorgang" WHERE "Index" = 3)"_s).toString(),
             u"NEU-123"_s);
}

void TestWindowGuards::registerHiddenUntilTheLogin() {
    bool visibleAtLogin = true;
    run->prompts.onShow = [&](const ScriptedPrompts::Shown& s) {
        if (s.kind == u"input")
            visibleAtLogin = w().centralWidget()->isVisible();
    };
    QVERIFY(run->login());
    QVERIFY(!visibleAtLogin);
    QVERIFY(run->prompts.passwordMasked);
    QVERIFY(w().centralWidget()->isVisible());

    // A wrong password ends the program without anything shown.
    run.reset();
    run = std::make_unique<AppRun>();
    addSampleData(run->folder);
    run->prompts.queueInput(u"falsch"_s);
    QVERIFY(run->show());
    QTRY_VERIFY(!w().isVisible());
    QVERIFY(!w().centralWidget()->isVisibleTo(&w()));
    QCOMPARE(run->prompts.messages(), QStringList{u"Falsches Passwort - Programm wird beendet"_s});
}

void TestWindowGuards::connectAfterAFailedStartAsksTheLogin() {
    run->folder.sql(uR"(DROP TABLE "Geschlecht")"_s);
    QVERIFY(run->show());
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY(!w().centralWidget()->isVisibleTo(&w()));
    // Put the table back, as the dealer's repair would, and connect from the menu.
    run->folder.sql(
        uR"(CREATE TABLE "Geschlecht" ("Index" INTEGER PRIMARY KEY, "Geschlecht" TEXT, "Anrede" TEXT);
                        INSERT INTO "Geschlecht" VALUES (1, 'weiblich', 'Frau'), (2, 'männlich', 'Herr'))"_s);
    run->prompts.queueInput(AppRun::kPassword);
    w().M_Verbinden->setEnabled(true);
    w().M_Verbinden->trigger();
    QCOMPARE(run->prompts.texts(u"input"_s).size(), 1);
    QVERIFY(w().centralWidget()->isVisible());
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 4"_s);
}

void TestWindowGuards::countsAgreeAfterASortThatLeavesRowsOut() {
    // Two unsold entries with a calibre that has no row: the sort by calibre leaves them out.
    run->folder.sql(uR"(UPDATE "Vorgang" SET "Kaliber" = 999 WHERE "Index" IN (1, 2))"_s);
    QVERIFY(run->login());
    QCOMPARE(w().statusPanelText(1), u"nicht verkauft: 3"_s);
    w().Combo_Sort->setCurrentIndex(3);
    emit w().Combo_Sort->activated(3);
    QCOMPARE(w().statusPanelText(0), u"Anzahl: 2"_s);
    QCOMPARE(w().statusPanelText(1), u"nicht verkauft: 1"_s);
}

void TestWindowGuards::entryWithoutTheMouse() {
    QVERIFY(run->login());
    QVERIFY(run->activate());
    Dataset& reg = run->reg();
    auto key = [&](QKeyCombination k) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &w();
        QTest::keyClick(target, k.key(), k.keyboardModifiers());
    };
    key(Qt::CTRL | Qt::Key_End);
    QCOMPARE(reg.recNo(), 4);
    key(Qt::CTRL | Qt::Key_Home);
    QCOMPARE(reg.recNo(), 1);
    key(Qt::CTRL | Qt::Key_PageDown);
    QCOMPARE(reg.recNo(), 2);
    key(Qt::CTRL | Qt::Key_PageUp);
    QCOMPARE(reg.recNo(), 1);
    // Store and discard are disabled while browsing: their keys do nothing.
    key(Qt::CTRL | Qt::Key_S);
    key(QKeyCombination(Qt::Key_Escape));
    QVERIFY(!reg.isEditing());

    key(Qt::CTRL | Qt::Key_N);
    QVERIFY(reg.isEditing());
    QCOMPARE(QApplication::focusWidget(), w().DBEdit_KDatum->lineEdit());
    // The table page stays out of reach, also by the page control's own keys.
    key(Qt::CTRL | Qt::Key_Tab);
    key(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab);
    QCOMPARE(w().PgCtrl->currentWidget(), w().TS_Formular);
    // Moving is disabled while editing.
    key(Qt::CTRL | Qt::Key_Home);
    QVERIFY(reg.isEditing());
    for (int i = 0; i < 20 && QApplication::focusWidget() != w().DBEdit_SerienNr; ++i)
        key(QKeyCombination(Qt::Key_Tab));
    QCOMPARE(QApplication::focusWidget(), w().DBEdit_SerienNr);
    QTest::keyClicks(w().DBEdit_SerienNr, u"TASTE-1"_s);
    key(Qt::CTRL | Qt::Key_S);
    QVERIFY(!reg.isEditing());
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang" WHERE "SerienNr" = 'TASTE-1')"_s).toInt(),
             1);

    // Edit and discard by key leave the entry as stored.
    key(QKeyCombination(Qt::Key_F2));
    QVERIFY(reg.isEditing());
    QTest::keyClicks(QApplication::focusWidget(), u"x"_s);
    key(QKeyCombination(Qt::Key_Escape));
    QVERIFY(!reg.isEditing());
    QCOMPARE(run->folder.value(kCount).toInt(), 5);

    // From a box of the form, where the focus stays after storing, first and last still work.
    for (QLineEdit* box : {w().DBEdit_SerienNr, w().DBEdit_KDatum->lineEdit()}) {
        box->setFocus();
        key(Qt::CTRL | Qt::Key_Home);
        QCOMPARE(reg.recNo(), 1);
        key(Qt::CTRL | Qt::Key_End);
        QCOMPARE(reg.recNo(), 5);
    }

    // So it does while the sort list waits for its choice.
    key(Qt::CTRL | Qt::Key_R);
    QCOMPARE(QApplication::focusWidget(), w().Combo_Sort);
    key(Qt::CTRL | Qt::Key_Tab);
    QCOMPARE(w().PgCtrl->currentWidget(), w().TS_Formular);
    emit w().Combo_Sort->activated(0);
    QVERIFY(w().PgCtrl->isTabEnabled(1));
    // Esc leaves the sort list without choosing: the order and the row stay as they were.
    w().Combo_Sort->setCurrentIndex(3);
    const QString order = reg.commandText();
    const int row = reg.recNo();
    key(Qt::CTRL | Qt::Key_R);
    key(QKeyCombination(Qt::Key_Escape));
    QVERIFY(!w().Combo_Sort->isVisible());
    QVERIFY(w().Panel_Formular->isEnabled());
    QVERIFY(w().PgCtrl->isTabEnabled(1));
    QVERIFY(w().SpBtn[9]->isEnabled());
    QCOMPARE(reg.commandText(), order);
    QCOMPARE(reg.recNo(), row);
    QCOMPARE(w().Combo_Sort->currentIndex(), 3);

    key(Qt::CTRL | Qt::Key_F);
    QCOMPARE(run->dialogsRun, QStringList{u"FormSuchen"_s});
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestWindowGuards::escapeInAnOpenListKeepsTheEdit() {
    QVERIFY(run->login());
    QVERIFY(run->activate());
    Dataset& reg = run->reg();
    QTest::keyClick(&w(), Qt::Key_F2);
    QVERIFY(reg.isEditing());
    type(w().DBEdit_SerienNr, u"LISTE-1"_s);

    // Esc closes the open list of a box; the entry stays in editing with what was typed.
    LookupComboBox* box = w().DBLU_Verkaufer;
    box->setFocus();
    box->showPopup();
    QVERIFY(QTest::qWaitFor([&] { return box->view()->isVisible(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(QTest::qWaitFor([&] { return !box->view()->isVisible(); }));
    QVERIFY(reg.isEditing());
    QCOMPARE(w().DBEdit_SerienNr->text(), u"LISTE-1"_s);

    // A second Esc, with no list open, discards as before.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!reg.isEditing());
    QCOMPARE(run->folder.value(uR"(SELECT count(*) FROM "Vorgang" WHERE "SerienNr" = 'LISTE-1')"_s).toInt(),
             0);
}

void TestWindowGuards::tablePageLeftByKeys() {
    QVERIFY(run->login());
    QVERIFY(run->activate());
    // In a grid Tab moves between cells and Ctrl+Tab between the grids, so the two pages have
    // keys of their own.
    QTest::keyClick(&w(), Qt::Key_T, Qt::AltModifier);
    QCOMPARE(w().PgCtrl->currentWidget(), w().TS_Tabellen);
    QVERIFY(w().DBGrid_Vorgang->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
    QCOMPARE(w().PgCtrl->currentWidget(), w().TS_Formular);

    // While an entry is edited the table page stays out of reach.
    QTest::keyClick(&w(), Qt::Key_F2);
    QVERIFY(run->reg().isEditing());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
    QCOMPARE(w().PgCtrl->currentWidget(), w().TS_Formular);
    QVERIFY(run->reg().isEditing());
}

void TestWindowGuards::repeatedCommandsLeaveNothingBehind() {
    // The program runs all day: what a command creates (a dialog, a preview, a document, a
    // statement, a file) must be gone when it is done, or every repetition adds to it.
    run->create();
    run->app->runner.hook = [this](QDialog* d) {
        d->show();
        return int(QDialog::Accepted);
    };
    QVERIFY(run->login());
    TFormSuchen* search = run->app->forms.FormSuchen;
    TFormDruck* print = run->app->forms.FormDruck;
    Prompts::OutputChoice toFile;
    toFile.destination = Prompts::OutputChoice::Destination::File;
    toFile.file = run->folder.file(u"brief.pdf"_s);
    const auto day = [&](int round) {
        click(7);
        w().DBEdit_SerienNr->setText(u"N-%1"_s.arg(round));
        click(10);
        click(9);
        w().DBEdit_SerienNr->setText(u"E-%1"_s.arg(round));
        click(10);
        click(13);
        search->findChild<QListWidget*>(u"CheckList_Suchen"_s)->item(14)->setCheckState(Qt::Checked);
        search->findChild<QLineEdit*>(u"Edit_SerienNr"_s)->setText(u"-"_s);
        search->findChild<QToolButton*>(u"BitBtn_Suchen"_s)->click();
        search->hide();
        w().CheckBox_Filter->click();
        click(14);
        w().Combo_Sort->setCurrentIndex(round % 17);
        emit w().Combo_Sort->activated(round % 17);
        click(16);
        run->prompts.queueOutput(toFile);
        print->findChild<QPushButton*>(u"BitBtn_AmtDruck"_s)->click();
        run->prompts.queueOutput(Prompts::OutputChoice{}); // preview
        print->findChild<QPushButton*>(u"BitBtn_DruckOK"_s)->click();
        print->hide();
        w().M_Trennen->trigger();
        w().M_Verbinden->trigger();
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    struct Left {
        qsizetype windows = 0, objects = 0, handles = 0;
        int statements = 0;
        QStringList files;
        bool operator==(const Left&) const = default;
    };
    const auto left = [&] {
        Left l;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            ++l.windows;
            l.objects += top->findChildren<QObject*>().size();
        }
        l.handles =
            QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
        sqlite3* h = run->dm().ADOCon.handle();
        for (sqlite3_stmt* st = sqlite3_next_stmt(h, nullptr); st; st = sqlite3_next_stmt(h, st))
            ++l.statements;
        l.files = QDir(run->folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) +
                  QDir(run->folder.file(u"Archiv"_s))
                      .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        return l;
    };
    // The first round sets up what is made once (fonts, lists, the letter's file).
    day(0);
    const Left first = left();
    QCOMPARE(first.statements, 0);
    for (int round = 1; round <= 3; ++round) {
        day(round);
        const Left now = left();
        QCOMPARE(now.windows, first.windows);
        QCOMPARE(now.objects, first.objects);
        QCOMPARE(now.statements, 0);
        QCOMPARE(now.files, first.files);
        if (QDir(u"/proc/self/fd"_s).exists())
            QCOMPARE(now.handles, first.handles);
    }
    QCOMPARE(run->folder.value(kCount).toInt(), 8);
    QVERIFY2(run->prompts.errors().isEmpty(), qPrintable(run->prompts.errors().join(u'\n')));
}

QTEST_MAIN(TestWindowGuards)
#include "tst_windowguards.moc"
