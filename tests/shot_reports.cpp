// Prints the three documents of the sample register to PDF files, as a dealer's print dialog
// does with the output "file". Not a test: scripts/report-pictures.sh turns their first pages
// into the pictures of the README.
#include "common/Konst.h"
#include "printing/ReportEngine.h"
#include "printing/ReportRunner.h"
#include "printing/ReportStream.h"
#include "store/TDatMod.h"
#include "support/SampleData.h"
#include "support/TestFolder.h"

#include <QApplication>
#include <QDir>
#include <QPrinter>
#include <QProgressDialog>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    TestFolder folder;
    addSampleData(folder);
    folder.sql(
        QStringLiteral(R"(UPDATE "Benutzer" SET "Firma" = 'Waffen Hubertus GmbH', "Strasse" = 'Marktplatz 7',
                                "Ort" = '34117 Kassel')"));
    // A register that fills more than one page.
    for (int i = 0; i < 60; ++i)
        folder.sql(QStringLiteral(
                       R"(INSERT INTO "Vorgang" ("KDatum", "Waffentyp", "Kaliber", "Hersteller", "SerienNr",
            "Verkaufer", "Kaufer", "EWB", "Amt", "KauferAmt", "Notiz") VALUES ('2024-%1-%2', %3, %3, %3, 'SN-%4', 4, 1, 1, 1, 1, ''))")
                       .arg(7 + i / 28, 2, 10, QLatin1Char('0'))
                       .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                       .arg(1 + i % 5)
                       .arg(40100 + i * 37));
    TDatMod dm;
    dm.Connect();
    dm.ASet_Vorgang->locate(QStringLiteral("Index"), 3);
    Konst::LetterDate = QDate(2024, 6, 5);
    int failures = 0;
    for (const auto& [file, report, pdf] :
         {std::tuple{"Waffenbuch.rav", "ReportWaffenbuch", "waffenbuch.pdf"},
          std::tuple{"Amt.rav", "ReportAmt", "brief-behoerde.pdf"},
          std::tuple{"Unterlagen.rav", "ReportUnterlagen", "brief-unterlagen.pdf"}}) {
        const ReportDefinition* def =
            ReportEngine::project(folder.file(QStringLiteral("Archiv/") + QLatin1String(file)))
                .find(QLatin1String(report));
        if (!def) {
            ++failures;
            continue;
        }
        ReportStream stream(*def, ReportEngine::connections(dm));
        QPrinter printer(QPrinter::HighResolution);
        ReportRunner::setUpPrinter(printer, stream);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QLatin1String(pdf)));
        QProgressDialog progress;
        if (!ReportRunner::renderAll(stream, printer, progress))
            ++failures;
    }
    return failures;
}
