#include "printing/ReportRunner.h"

#include "common/Forms.h"
#include "common/Prompts.h"
#include "printing/ReportEngine.h"
#include "printing/ReportWalkGuard.h"
#include "store/TDatMod.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTextDocument>

namespace ReportRunner {

void run(Forms& forms, const QString& projectFile, const QString& reportName, QWidget* parent) {
    const ReportProjectFile& project = ReportEngine::project(projectFile);
    const ReportDefinition* def = project.find(reportName);
    if (!def)
        return;
    const QString title = def->title.isEmpty() ? def->name : def->title;
    const auto choice = forms.prompts->chooseOutput(title);
    if (!choice)
        return;

    QProgressDialog progress(QStringLiteral("%1 wird aufbereitet …").arg(title), QStringLiteral("Abbrechen"),
                             0, 100, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAccessibleName(QStringLiteral("Fortschritt"));
    progress.setMinimumDuration(0);
    QElapsedTimer sinceUpdate;
    sinceUpdate.start();
    auto step = [&](int done, int total) {
        if (sinceUpdate.elapsed() >= 200 || done == total) {
            progress.setValue(total > 0 ? int(qint64(done) * 90 / total) : 90);
            QApplication::processEvents();
            sinceUpdate.restart();
        }
        return !progress.wasCanceled();
    };

    QString html;
    try {
        const auto conns = ReportEngine::connections(*forms.DatMod);
        QList<Dataset*> datasets;
        for (const auto& c : conns)
            datasets.append(c.dataset);
        ReportWalkGuard guard(datasets);
        html = ReportEngine::fill(*def, ReportData::build(conns, step));
    } catch (const ReportCancelled&) {
        return;
    }

    QTextDocument doc;
    doc.setHtml(html);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      def->landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      def->marginsMm, QPageLayout::Millimeter));
    printer.setDocName(title);
    printer.setCopyCount(choice->copies);
    using D = Prompts::OutputChoice::Destination;
    switch (choice->destination) {
    case D::File:
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(choice->file);
        doc.print(&printer);
        break;
    case D::Printer:
        if (!choice->printer.isEmpty())
            printer.setPrinterName(choice->printer);
        doc.print(&printer);
        break;
    case D::Preview: {
        progress.setValue(100);
        QPrintPreviewDialog preview(&printer, parent);
        preview.setWindowTitle(title);
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                         [&doc](QPrinter* p) { doc.print(p); });
        preview.exec();
        break;
    }
    }
    progress.setValue(100);
}

} // namespace ReportRunner
