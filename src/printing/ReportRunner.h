#pragma once

#include <QString>

struct Forms;
class QPrinter;
class QProgressDialog;
class QWidget;
class ReportStream;

// Runs a named report of a project file: output dialog, progress window with cancel, rendering
// page by page to preview, printer or PDF file. Throws DbError (naming the path) for a missing
// project file; an unknown report name does nothing.
namespace ReportRunner {
void run(Forms& forms, const QString& projectFile, const QString& reportName, QWidget* parent);

// Renders every page to `printer` (set up by setUpPrinter) with the progress window; false when
// the user cancelled, in which case a PDF file begun is removed again. Throws DbError when the
// printer can't be started.
bool renderAll(const ReportStream& stream, QPrinter& printer, QProgressDialog& progress);
void setUpPrinter(QPrinter& printer, const ReportStream& stream);

// Figures of the last renderAll, for the benchmark.
struct Figures {
    int pages = 0;
    qint64 longestProgressGapMs = 0;
};
Figures lastFigures();
} // namespace ReportRunner
