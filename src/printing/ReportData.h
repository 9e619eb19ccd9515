#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <kainjow/mustache.hpp>

class Dataset;
struct ReportDataConnection;

// Turns the named data connections into the values a report template reads:
// `<Connection>.rows` (every row in order from the first), `<Connection>.current` (the current
// row, absent when there is none) and `<Connection>.count`. Each row holds every column and lookup
// field by name, dates as dd.mm.yyyy, plus `_nr` (1-based position).
namespace ReportData {
kainjow::mustache::data row(const Dataset& d, int position);
// `rowLimit` < 0 takes every row; `progress` is called every few hundred rows and may return
// false to cancel (which throws ReportCancelled).
kainjow::mustache::data build(const QList<ReportDataConnection>& connections,
                              const std::function<bool(int done, int total)>& progress = {});
} // namespace ReportData

struct ReportCancelled {};
