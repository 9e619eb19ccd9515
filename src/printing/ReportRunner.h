#pragma once

#include <QString>

struct Forms;
class QWidget;

// Runs a named report of a project file: output dialog, progress window with cancel, rendering
// to preview, printer or PDF file. Throws DbError (naming the path) for a missing project file;
// an unknown report name does nothing.
namespace ReportRunner {
void run(Forms& forms, const QString& projectFile, const QString& reportName, QWidget* parent);
}
