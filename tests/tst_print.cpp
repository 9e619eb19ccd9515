// Printing through the real windows: the print button, the print dialog, the output dialog answered
// with "file", and the PDF read back as text.
#include "printing/ReportEngine.h"
#include "printing/ReportRunner.h"
#include "printing/TFormDruck.h"
#include "settings/TFormOptions.h"
#include "store/Schema.h"
#include "support/AppRun.h"
#include "support/SampleData.h"
#include "support/StoreHelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QStringList kSerials{u"M-102934"_s, u"S-88123"_s, u"W-551200"_s, u"B-7001"_s};

// The text of a PDF as pdftotext gives it, page breaks as form feeds.
QString pdfText(const QString& file) {
    QProcess p;
    p.start(u"pdftotext"_s, {u"-layout"_s, file, u"-"_s});
    if (!p.waitForFinished(60000))
        return {};
    // Ligatures (ﬀ in "Waffen") come back as one character.
    return QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

// The sample serial numbers in the order the text names them.
QStringList serialsIn(const QString& text) {
    QStringList found;
    static const QRegularExpression re(u"\\b[MSWB]-\\d+\\b"_s);
    for (auto it = re.globalMatch(text); it.hasNext();) {
        const QString s = it.next().captured();
        if (kSerials.contains(s))
            found << s;
    }
    return found;
}

Prompts::OutputChoice toFile(const QString& file) {
    Prompts::OutputChoice c;
    c.destination = Prompts::OutputChoice::Destination::File;
    c.file = file;
    return c;
}

} // namespace

class TestPrint : public QObject {
    Q_OBJECT
private slots:
    void init() {
        // Each test stands for a program run of its own.
        ReportEngine::clearLoaded();
        run = std::make_unique<AppRun>();
    }
    void cleanup() {
        if (run && run->app)
            dialog()->hide();
        finishRun(run);
    }

    void arrangementAndKeys();
    void eachShowingStartsWithToday();
    void registerBookAsShown();
    void registerBookByIndexThenBack();
    void letterStoresDateThenPrints_data();
    void letterStoresDateThenPrints();
    void letterDateStaysWhenOutputCancelled();
    void incompleteLetterDateIsRefused();
    void lettersWithoutRowOrConnection();
    void missingProjectFileNamesItsPath();
    void unknownReportPrintsNothing();
    void currentRowsUnchanged();
    void editedLayoutShowsInTheNextRun();
    void registerBookOverManyPages();
    void previewShowsPagesAndPrints();
    void cancelFromTheProgressWindow();
    void outputThatCannotStart();
    void htmlRowsCutIntoPages();

private:
    // Logs in on the sample register and opens the print dialog with the print button.
    bool open(const QString& moreSql = QString()) {
        addSampleData(run->folder);
        if (!moreSql.isEmpty())
            run->folder.sql(moreSql);
        run->create();
        run->app->runner.hook = [this](QDialog* d) {
            run->dialogsRun << d->objectName();
            d->show();
            return int(QDialog::Accepted);
        };
        if (!run->login() || !run->activate())
            return false;
        run->prompts.clearShown();
        printButton();
        return dialog()->isVisible();
    }
    void printButton() const {
        QTest::mouseClick(run->main().findChild<QToolButton*>(u"SpBtn16"_s), Qt::LeftButton);
    }
    TFormDruck* dialog() const { return run->app->forms.FormDruck; }
    template <class T> T* ctl(const QString& name) const {
        T* c = dialog()->findChild<T*>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    void press(const QString& button) const { QTest::mouseClick(ctl<QPushButton>(button), Qt::LeftButton); }
    QDateEdit* dateBox() const { return ctl<QDateEdit>(u"DateEd_Brief"_s); }
    QString out(const QString& name = u"druck.pdf"_s) const { return run->folder.file(name); }
    // Prints a document to a PDF and returns its text.
    QString printToFile(const QString& button, const QString& name = u"druck.pdf"_s) {
        QFile::remove(out(name));
        run->prompts.queueOutput(toFile(out(name)));
        press(button);
        return pdfText(out(name));
    }
    TFormMain& w() const { return run->main(); }
    int shownIndex() const { return w().DBText_Index->text().toInt(); }
    QVariant storedLetterDate(int index) const {
        return run->folder.value(uR"(SELECT "BriefDatum" FROM "Vorgang" WHERE "Index" = %1)"_s.arg(index));
    }
    void writeProject(const QString& file, const QByteArray& xml) const {
        QFile f(run->folder.file(u"Archiv/"_s + file));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(xml);
    }

    // `n` more entries with serial numbers P-10001 … in stock, some with a long note.
    static QString manyEntries(int n) {
        return uR"(INSERT INTO "Vorgang" ("KDatum", "Waffentyp", "Kaliber", "Hersteller", "SerienNr", "Verkaufer",
                       "Kaufer", "EWB", "Amt", "KauferAmt", "Notiz")
                   WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)
                   SELECT '2024-01-01', 1 + i %% 5, 1 + i %% 5, 1 + i %% 5, 'P-' || (10000 + i), 4, 1, 1, 1, 1,
                          CASE WHEN i %% 7 = 0 THEN 'Schaft nachgearbeitet, Lauf geprüft, Abzug eingestellt, neu beschossen' ELSE '' END
                   FROM n)"_s.arg(n)
            .replace(u"%%"_s, u"%"_s);
    }
    static QStringList pSerials(const QString& text) {
        QStringList found;
        static const QRegularExpression re(u"\\bP-\\d{5}\\b"_s);
        for (auto it = re.globalMatch(text); it.hasNext();)
            found << it.next().captured();
        return found;
    }

    std::unique_ptr<AppRun> run;
};

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
}

void TestPrint::eachShowingStartsWithToday() {
    QVERIFY(open());
    const QString today = QDate::currentDate().toString(u"dd.MM.yyyy"_s);
    QCOMPARE(ctl<QLabel>(u"Label_Datum"_s)->text(), u"aktuelles Datum: "_s + today);
    QCOMPARE(dateBox()->date(), QDate::currentDate());
    dateBox()->setDate(QDate(2024, 1, 15));
    QCOMPARE(Konst::LetterDate, QDate(2024, 1, 15));
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
                     WHEN 4 THEN 'Gravur „Жук“ Rene' || char(769) ELSE "Notiz" END)"_s));
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

void TestPrint::currentRowsUnchanged() {
    QVERIFY(open());
    QVERIFY(run->reg().locate(u"Index"_s, 3));
    run->dm().ATab_Kauf->setRecNo(2);
    run->dm().ATab_Amt->last();
    const int amtRow = run->dm().ATab_Amt->recNo();
    // The report run itself (the dialog's button also re-sorts, which moves the lookups).
    run->prompts.queueOutput(toFile(out()));
    run->dm().PrintWaffenbuch();
    QCOMPARE(serialsIn(pdfText(out())).size(), 4);
    QCOMPARE(run->reg().recNo(), 3);
    QCOMPARE(shownIndex(), 3);
    QCOMPARE(run->dm().ATab_Kauf->recNo(), 2);
    QCOMPARE(run->dm().ATab_Amt->recNo(), amtRow);
    for (Dataset* d : {run->dm().ASet_Vorgang, run->dm().ATab_Kauf, run->dm().ATab_Amt})
        QVERIFY(!d->controlsDisabled());

    // A letter posts the date first, which shows the row's buyer in the lookup boxes; the run
    // itself moves nothing.
    printToFile(u"BitBtn_Unterlagen"_s, u"brief.pdf"_s);
    const int kaufRow = run->dm().ATab_Kauf->recNo();
    const int amtRowNow = run->dm().ATab_Amt->recNo();
    QVERIFY(printToFile(u"BitBtn_Unterlagen"_s, u"brief2.pdf"_s).contains(u"Hans Jäger"_s));
    QCOMPARE(run->reg().recNo(), 3);
    QCOMPARE(shownIndex(), 3);
    QCOMPARE(run->dm().ATab_Kauf->recNo(), kaufRow);
    QCOMPARE(run->dm().ATab_Amt->recNo(), amtRowNow);
}

void TestPrint::editedLayoutShowsInTheNextRun() {
    QVERIFY(open());
    QVERIFY(printToFile(u"BitBtn_DruckOK"_s).contains(u"Waffenbuch"_s));
    // The dealer edits the layout while the program runs: the loaded project stays in use.
    const QString path = run->folder.file(u"Archiv/Waffenbuch.rav"_s);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray xml = f.readAll();
    f.close();
    QVERIFY(xml.contains("Seriennummer"));
    xml.replace("Seriennummer", "Waffennummer");
    writeProject(u"Waffenbuch.rav"_s, xml);
    QVERIFY(!printToFile(u"BitBtn_DruckOK"_s).contains(u"Waffennummer"_s));

    // The next program run reads the edited file.
    run.reset();
    ReportEngine::clearLoaded();
    run = std::make_unique<AppRun>();
    QVERIFY(open());
    writeProject(u"Waffenbuch.rav"_s, xml);
    const QString text = printToFile(u"BitBtn_DruckOK"_s);
    QVERIFY(text.contains(u"Waffennummer"_s));
    QCOMPARE(serialsIn(text).size(), 4);
}

void TestPrint::registerBookOverManyPages() {
    QVERIFY(open(manyEntries(300)));
    w().Combo_Sort->setCurrentIndex(5); // by serial number: P-… after the sample entries
    w().ApplyRegisterSort();
    const QStringList shown = column(run->reg(), u"SerienNr"_s).filter(u"P-"_s);
    QCOMPARE(shown.size(), 300);
    const QString text = printToFile(u"BitBtn_DruckOK"_s);
    const QStringList pages = text.split(u'\f', Qt::SkipEmptyParts);
    QVERIFY2(pages.size() >= 10, qPrintable(QString::number(pages.size())));
    // Every entry once, in the register's order; no row split over two pages.
    QCOMPARE(pSerials(text), shown);
    int seen = 0;
    for (int p = 0; p < pages.size(); ++p) {
        const QString& page = pages[p];
        QVERIFY2(page.contains(u"Seite %1"_s.arg(p + 1)), qPrintable(page));
        QVERIFY(page.contains(u"Waffen Test"_s));
        QVERIFY(page.contains(u"Druckdatum: "_s + QDate::currentDate().toString(u"dd.MM.yyyy"_s)));
        QVERIFY(page.contains(u"Seriennummer"_s)); // the title row
        const QStringList here = pSerials(page);
        // A page is full: the next page's first row would not have fitted.
        QVERIFY(p + 1 == pages.size() || here.size() > 5);
        for (const QString& sn : here)
            QCOMPARE(sn, shown[seen++]);
    }
    QCOMPARE(seen, 300);
}

void TestPrint::previewShowsPagesAndPrints() {
    QVERIFY(open(manyEntries(200)));
    QStringList captions;
    QString printed;
    run->app->runner.hook = [&](QDialog* d) {
        run->dialogsRun << d->objectName();
        if (d->objectName() != u"ReportPreview"_s) {
            d->show();
            return int(QDialog::Accepted);
        }
        auto* caption = d->findChild<QLabel*>(u"Label_Seite"_s);
        auto* picture = d->findChild<QLabel*>(u"Label_Bild"_s);
        auto button = [d](const char* name) { return d->findChild<QPushButton*>(QLatin1String(name)); };
        captions << caption->text();
        const QImage first = picture->pixmap().toImage();
        button("Btn_Weiter")->click();
        captions << caption->text();
        // The second page differs from the first (other rows).
        if (picture->pixmap().toImage() == first)
            captions << u"same picture"_s;
        button("Btn_Letzte")->click();
        captions << caption->text();
        captions << (button("Btn_Weiter")->isEnabled() ? u"weiter"_s : u"ende"_s);
        button("Btn_Erste")->click();
        captions << caption->text();
        // Printing from the preview asks for the output again.
        run->prompts.queueOutput(toFile(out(u"aus-vorschau.pdf"_s)));
        button("Btn_Drucken")->click();
        printed = pdfText(out(u"aus-vorschau.pdf"_s));
        return int(QDialog::Rejected);
    };
    run->prompts.queueOutput(Prompts::OutputChoice{}); // preview, as preselected
    press(u"BitBtn_DruckOK"_s);
    QVERIFY(run->dialogsRun.contains(u"ReportPreview"_s));
    const int pages = int(printed.count(u'\f'));
    QVERIFY(pages > 3);
    QCOMPARE(captions, (QStringList{u"Seite 1"_s, u"Seite 2"_s, u"Seite %1 von %1"_s.arg(pages), u"ende"_s,
                                    u"Seite 1 von %1"_s.arg(pages)}));
    QCOMPARE(pSerials(printed).size(), 200);
    QCOMPARE(run->prompts.texts(u"output"_s).size(), 2);
    QVERIFY(run->prompts.errors().isEmpty());
}

void TestPrint::cancelFromTheProgressWindow() {
    // About 300 pages: their output spans several of the run's quarter-second progress steps even
    // on a much faster machine, and the cancel ends it at the first of them.
    QVERIFY(open(manyEntries(6000)));
    QString label;
    bool begun = false;
    // Pressed once the progress window shows a page being output. The run lets events through
    // while it works, and the watch looks each time it does: how fast the machine is (or how slow
    // a sanitizer makes it) decides only when, not whether, the button is pressed. (Pressing at
    // the first events let through found the window still hidden when the rows took longer than
    // a quarter second to gather, as under AddressSanitizer.)
    QTimer watch;
    watch.setInterval(0);
    connect(&watch, &QTimer::timeout, this, [&] {
        for (QWidget* t : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QProgressDialog*>(t);
                p && p->isVisible() && p->labelText().startsWith(u"Seite "_s)) {
                label = p->labelText();
                begun = QFile::exists(out());
                watch.stop();
                p->cancel();
            }
    });
    watch.start();
    run->prompts.queueOutput(toFile(out()));
    press(u"BitBtn_DruckOK"_s);
    watch.stop();
    QVERIFY2(label.startsWith(u"Seite "_s), qPrintable(label));
    // The run stopped at the page it showed, and the file it had begun is removed.
    QCOMPARE(label, u"Seite %1 wird ausgegeben …"_s.arg(ReportRunner::lastFigures().pages));
    QVERIFY(begun);
    QVERIFY(!QFile::exists(out()));
    QVERIFY(run->prompts.errors().isEmpty());
    // The register is back as it was, and the next print runs to its end.
    QCOMPARE(run->reg().recordCount(), 6004);
    QVERIFY(!run->reg().controlsDisabled());
}

void TestPrint::outputThatCannotStart() {
    QVERIFY(open());
    // A PDF in a folder that does not exist: an error naming the file, the register as before.
    const QString bad = run->folder.file(u"fehlt/druck.pdf"_s);
    run->prompts.queueOutput(toFile(bad));
    press(u"BitBtn_DruckOK"_s);
    QCOMPARE(run->prompts.errors().size(), 1);
    QVERIFY2(run->prompts.errors().first().contains(bad), qPrintable(run->prompts.errors().first()));
    // The printer when none is installed (as on this machine).
    Prompts::OutputChoice printer;
    printer.destination = Prompts::OutputChoice::Destination::Printer;
    run->prompts.queueOutput(printer);
    press(u"BitBtn_DruckOK"_s);
    QCOMPARE(run->prompts.errors().size(), 2);
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        QCOMPARE(run->prompts.errors().last(), u"Es ist kein Drucker eingerichtet."_s);
    QCOMPARE(run->reg().recordCount(), 4);
    QVERIFY(!run->reg().controlsDisabled());
    QVERIFY(dialog()->isVisible());
}

void TestPrint::htmlRowsCutIntoPages() {
    // A dealer's own layout with the rows in the HTML template instead of a table element.
    QVERIFY(open(manyEntries(250)));
    writeProject(u"Waffenbuch.rav"_s, R"(<?xml version="1.0" encoding="UTF-8"?>
<reportproject><report name="ReportWaffenbuch" margin-top="20">
<frame left="20" top="285" width="170" height="6">Blatt {{Seite}}</frame>
<template><![CDATA[<html><body style="font-size: 9pt;"><h2>Eigene Liste</h2>
<table border="1" cellspacing="0" width="100%"><thead><tr><th>Kopfzeile</th><th>Nummer</th></tr></thead>
{{#RvDSetCon.rows}}<tr><td>{{Index}}</td><td>{{SerienNr}}</td></tr>{{/RvDSetCon.rows}}
</table><p>Ende der Liste</p></body></html>]]></template></report></reportproject>)");
    const QStringList shown = column(run->reg(), u"SerienNr"_s).filter(u"P-"_s);
    const QString text = printToFile(u"BitBtn_DruckOK"_s);
    const QStringList pages = text.split(u'\f', Qt::SkipEmptyParts);
    QVERIFY2(pages.size() >= 3, qPrintable(text));
    QCOMPARE(pSerials(text), shown);
    for (int p = 0; p < pages.size(); ++p) {
        QVERIFY(pages[p].contains(u"Kopfzeile"_s)); // the table head on every page
        QVERIFY(pages[p].contains(u"Blatt %1"_s.arg(p + 1)));
        QCOMPARE(pages[p].contains(u"Eigene Liste"_s), p == 0);
        QCOMPARE(pages[p].contains(u"Ende der Liste"_s), p + 1 == pages.size());
    }
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
