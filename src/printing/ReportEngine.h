#pragma once

#include "printing/ReportData.h"
#include "printing/ReportProjectFile.h"

#include <QList>
#include <QString>

class TDatMod;
struct ReportDataConnection;

// The widget-free half of a report run: loading projects (once per program run), the named data
// connections and filling a report's template.
namespace ReportEngine {
// The loaded project of that file; loads it at its first use. Throws DbError naming the full path.
const ReportProjectFile& project(const QString& path);
// Forgets every loaded project (tests).
void clearLoaded();
// The named connections of the data module, in their fixed order.
QList<ReportDataConnection> connections(TDatMod& datMod);
// The values plus `Druckdatum` (today) and `Briefdatum` (the letter date, else today).
kainjow::mustache::data withDates(kainjow::mustache::data values);
// Fills the template with the connections' values plus `Druckdatum` and `Briefdatum`.
QString fill(const ReportDefinition& report, kainjow::mustache::data values);
} // namespace ReportEngine
