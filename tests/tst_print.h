#pragma once

// Printing through the real windows: the print button, the print dialog, the output dialog answered
// with "file", and the PDF read back as text. The cases are split over two files: the dialog, the
// register book and the letters; what a run leaves, long registers, the preview and cancelling.
#include "printing/ReportEngine.h"
#include "printing/ReportOutputDialog.h"
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
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRectF>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace printtest {

inline const QStringList kSerials{u"M-102934"_s, u"S-88123"_s, u"W-551200"_s, u"B-7001"_s};

// The text of a PDF as pdftotext gives it, page breaks as form feeds.
inline QString pdfText(const QString& file) {
    QProcess p;
    p.start(u"pdftotext"_s, {u"-layout"_s, file, u"-"_s});
    if (!p.waitForFinished(60000))
        return {};
    // Ligatures (ﬀ in "Waffen") come back as one character.
    return QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

// The words of a PDF with where they stand, in mm from the top left corner of their page.
struct PdfWord {
    QString text;
    int page = 0; // from 1
    QRectF mm;
};
inline QList<PdfWord> pdfWords(const QString& file) {
    QProcess p;
    p.start(u"pdftotext"_s, {u"-bbox"_s, file, u"-"_s});
    if (!p.waitForFinished(60000))
        return {};
    QList<PdfWord> words;
    int page = 0;
    static const QRegularExpression re(
        uR"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"_s);
    const QString xml = QString::fromUtf8(p.readAllStandardOutput());
    for (auto it = re.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(1).isEmpty()) {
            ++page;
            continue;
        }
        const double mm = 25.4 / 72;
        words << PdfWord{m.captured(5), page,
                         QRectF(QPointF(m.captured(1).toDouble() * mm, m.captured(2).toDouble() * mm),
                                QPointF(m.captured(3).toDouble() * mm, m.captured(4).toDouble() * mm))};
    }
    return words;
}

// The sample serial numbers in the order the text names them.
inline QStringList serialsIn(const QString& text) {
    QStringList found;
    static const QRegularExpression re(u"\\b[MSWB]-\\d+\\b"_s);
    for (auto it = re.globalMatch(text); it.hasNext();) {
        const QString s = it.next().captured();
        if (kSerials.contains(s))
            found << s;
    }
    return found;
}

inline Prompts::OutputChoice toFile(const QString& file) {
    Prompts::OutputChoice c;
    c.destination = Prompts::OutputChoice::Destination::File;
    c.file = file;
    return c;
}

} // namespace printtest
using namespace printtest;

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
    void refusedLetterDateLeavesRowAsStored();
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
    void longestValuesPrintedWhole();

private:
    // Logs in on the sample register and opens the print dialog with the print button.
    bool open(const QString& moreSql = QString()) {
        if (!run->loginShowingDialogs(moreSql))
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
