#include "printing/ReportRunner.h"

#include "common/DbError.h"
#include "common/Forms.h"
#include "common/Prompts.h"
#include "printing/ReportEngine.h"
#include "printing/ReportPager.h"
#include "printing/ReportPreview.h"
#include "printing/ReportStream.h"
#include "printing/ReportWalkGuard.h"
#include "store/TDatMod.h"
#include "widgets/DialogRunner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>

namespace ReportRunner {

namespace {
Figures g_figures;

// Shows progress at most every quarter second, so the window stays responsive (the cancel
// button works) without the updates costing time of their own.
class ProgressPacer {
public:
    explicit ProgressPacer(QProgressDialog& p) : m_progress(p) { m_since.start(); }
    bool step(int value, const QString& label, bool force = false) {
        if (force || m_since.elapsed() >= 250) {
            g_figures.longestProgressGapMs = std::max(g_figures.longestProgressGapMs, m_since.elapsed());
            if (!label.isEmpty())
                m_progress.setLabelText(label);
            m_progress.setValue(value);
            QApplication::processEvents();
            m_since.restart();
        }
        return !m_progress.wasCanceled();
    }

private:
    QProgressDialog& m_progress;
    QElapsedTimer m_since;
};
} // namespace

Figures lastFigures() {
    return g_figures;
}

void setUpPrinter(QPrinter& printer, const ReportStream& stream) {
    const ReportDefinition& def = stream.report();
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      def.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    printer.setDocName(def.title.isEmpty() ? def.name : def.title);
}

bool renderAll(const ReportStream& stream, QPrinter& printer, QProgressDialog& progress) {
    g_figures = {};
    ProgressPacer pacer(progress);
    ReportPager pager(stream, printer);
    QPainter painter;
    if (!painter.begin(&printer))
        throw DbError(
            !printer.outputFileName().isEmpty()
                ? QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.")
                      .arg(printer.outputFileName())
            : printer.printerName().isEmpty()
                ? QStringLiteral("Es ist kein Drucker eingerichtet.")
                : QStringLiteral("Der Drucker \"%1\" kann nicht drucken.").arg(printer.printerName()));
    const int rows = std::max(1, stream.rowCount());
    bool cancelled = false;
    for (int page = 0;; ++page) {
        if (!pager.ensure(page, [&] { return pacer.step(progress.value(), QString()); })) {
            cancelled = progress.wasCanceled();
            break;
        }
        if (page > 0)
            printer.newPage();
        pager.paint(page, painter);
        g_figures.pages = page + 1;
        if (!pacer.step(int(qint64(pager.firstRow(page)) * 100 / rows),
                        QStringLiteral("Seite %1 wird ausgegeben …").arg(page + 1))) {
            cancelled = true;
            break;
        }
    }
    painter.end();
    if (cancelled && printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        QFile::remove(printer.outputFileName());
    progress.setValue(progress.maximum());
    return !cancelled;
}

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
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAccessibleName(QStringLiteral("Fortschritt"));
    progress.setMinimumDuration(0);
    ProgressPacer pacer(progress);

    const auto conns = ReportEngine::connections(*forms.DatMod);
    QList<Dataset*> datasets;
    for (const auto& c : conns)
        datasets.append(c.dataset);
    // Rows, current rows and bound controls stay as they are until the output is done, the
    // preview included.
    ReportWalkGuard guard(datasets);
    std::unique_ptr<ReportStream> stream;
    try {
        stream = std::make_unique<ReportStream>(*def, conns, [&](int done, int total) {
            return pacer.step(total > 0 ? int(qint64(done) * 10 / total) : 0, QString());
        });
    } catch (const ReportCancelled&) {
        return;
    }

    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, *stream);
    printer.setCopyCount(choice->copies);
    using D = Prompts::OutputChoice::Destination;
    switch (choice->destination) {
    case D::File:
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(choice->file);
        renderAll(*stream, printer, progress);
        break;
    case D::Printer:
        if (!choice->printer.isEmpty())
            printer.setPrinterName(choice->printer);
        renderAll(*stream, printer, progress);
        break;
    case D::Preview: {
        progress.reset();
        ReportPreview preview(*stream, title, parent);
        preview.print = [&] {
            const auto again = forms.prompts->chooseOutput(title);
            if (!again || again->destination == D::Preview)
                return;
            QPrinter out(QPrinter::HighResolution);
            setUpPrinter(out, *stream);
            out.setCopyCount(again->copies);
            if (again->destination == D::File) {
                out.setOutputFormat(QPrinter::PdfFormat);
                out.setOutputFileName(again->file);
            } else if (!again->printer.isEmpty()) {
                out.setPrinterName(again->printer);
            }
            QProgressDialog p(QStringLiteral("%1 wird ausgegeben …").arg(title), QStringLiteral("Abbrechen"),
                              0, 100, &preview);
            p.setWindowModality(Qt::WindowModal);
            p.setMinimumDuration(0);
            try {
                renderAll(*stream, out, p);
            } catch (const DbError& e) {
                forms.prompts->errorBox(e.message());
            }
        };
        forms.runner->exec(&preview);
        break;
    }
    }
}

} // namespace ReportRunner
