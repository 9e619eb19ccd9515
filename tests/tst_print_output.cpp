// What a print run leaves and takes: the current rows, an edited layout, a register over many pages,
// the preview, cancelling from the progress window, an output that cannot start, HTML rows cut
// into pages, and values at the longest the boxes take.
#include "tst_print.h"

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

void TestPrint::longestValuesPrintedWhole() {
    // Entry 3 with the longest values the boxes take: a serial number of 50 characters without a
    // blank, names, kinds and an address at full length with umlauts and markup characters.
    const auto fill = [](const QString& phrase, int n) {
        QString s;
        while (s.size() < n)
            s += phrase;
        return s.left(n);
    };
    const QString words = u"Groß & Söhne <Jagd> \"Hubertus\" "_s;
    QVERIFY(open(uR"(UPDATE "Vorgang" SET "SerienNr" = '%1', "EWBNR" = '%2' WHERE "Index" = 3;
                     UPDATE "Kaufer" SET "Name" = '%3', "Strasse" = '%2', "Ort" = '%2' WHERE "Index" = 2;
                     UPDATE "Hersteller" SET "Hersteller" = '%2' WHERE "Index" = 3;
                     UPDATE "Waffentyp" SET "WTyp" = '%2' WHERE "Index" = 3;
                     UPDATE "Kaliber" SET "Kaliber" = '%3' WHERE "Index" = 3;
                     UPDATE "EWB" SET "EWB" = '%2' WHERE "Index" = 3;
                     UPDATE "Amt" SET "Name" = '%2', "Strasse" = '%2', "Stadt" = '%2' WHERE "Index" IN (2, 3);
                     UPDATE "Benutzer" SET "Firma" = 'Büchsenmacherei und Waffenhandel Müller GmbH & Co. KG',
                                           "Strasse" = 'Hauptstraße 123', "Ort" = '34117 Kassel-Wilhelmshöhe')"_s
                     .arg(QString(50, u'Q'), fill(words, 50), fill(words, 100))));
    const auto qs = [](const QList<PdfWord>& ws) {
        int n = 0;
        for (const PdfWord& w : ws)
            n += int(w.text.count(u'Q'));
        return n;
    };

    // The register book: a word wider than its column is broken inside the cell, not cut off at
    // its edge (the widest column is about 32 mm).
    QVERIFY(printToFile(u"BitBtn_DruckOK"_s).contains(u"Hubertus"_s));
    QList<PdfWord> ws = pdfWords(out());
    QCOMPARE(qs(ws), 50);
    for (const PdfWord& w : ws)
        if (w.mm.top() > 20 && w.mm.bottom() < 197)
            QVERIFY2(w.mm.width() < 33, qPrintable(w.text));

    // The letters: the text begins below the address field as the layout says (98.5 mm) and
    // runs whole to the firm's name under the greeting.
    QVERIFY(run->reg().locate(u"Index"_s, 3));
    for (const auto& [button, subject] : {std::pair{u"BitBtn_AmtDruck"_s, u"Anzeige"_s},
                                          std::pair{u"BitBtn_Unterlagen"_s, u"Rücksendung"_s}}) {
        const QString text = printToFile(button);
        const qsizetype greeting = text.indexOf(u"Mit freundlichen Grüßen"_s);
        QVERIFY2(greeting > 0 && text.indexOf(u"Müller GmbH"_s, greeting) > 0, qPrintable(text));
        ws = pdfWords(out());
        QCOMPARE(qs(ws), 50);
        const auto first =
            std::find_if(ws.begin(), ws.end(), [&](const PdfWord& w) { return w.text == subject; });
        QVERIFY(first != ws.end());
        QVERIFY2(std::abs(first->mm.top() - 98.5) < 0.5, qPrintable(QString::number(first->mm.top())));
        // The sender line above the address field (57 to 62 mm) has room for one line; the firm's
        // name, street and town are drawn smaller to stay whole inside it.
        qreal senderBottom = 0;
        QStringList sender;
        for (const PdfWord& w : ws)
            if (w.page == 1 && w.mm.left() < 110 && w.mm.top() > 56.5 && w.mm.top() < 63) {
                senderBottom = std::max(senderBottom, w.mm.bottom());
                sender << w.text;
            }
        QVERIFY2(senderBottom <= 62.2, qPrintable(QString::number(senderBottom)));
        QVERIFY2(sender.startsWith(u"Büchsenmacherei"_s) && sender.endsWith(u"Kassel-Wilhelmshöhe"_s),
                 qPrintable(sender.join(u' ')));
    }
}
