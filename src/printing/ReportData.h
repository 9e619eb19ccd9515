#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <kainjow/mustache.hpp>

class Dataset;
struct ReportDataConnection;

// Turns the named data connections into the values a report template reads:
// `<Connection>.rows` (every row in order from the first), `<Connection>.current` (the current
// row, absent when there is none) and `<Connection>.count`. Each row holds every column and lookup
// field by name, dates as dd.mm.yyyy, postcodes with five digits, plus `_nr` (1-based position)
// and for every key column `Hat<Key>` (true when something is entered: the key is above 1).
// The current row also holds the looked-up rows themselves as `<Key>Daten` (the buyer's address
// as `KauferDaten.Strasse`), where a connection offers their table.
namespace ReportData {
// `only`, when given, limits the row to those names (a table report reads a few of them).
kainjow::mustache::data row(const Dataset& d, int position, const QSet<QString>* only = nullptr);
// The names a template reads (the part before the first dot of every tag).
QSet<QString> namesIn(const QString& templateText);
kainjow::mustache::data rowWithLinks(const Dataset& d, int position,
                                     const QList<ReportDataConnection>& connections);
// `.rows` are filled only for the connections that `templateText` names with `.rows`, so that a
// letter does not copy the whole register. `progress` is called every few hundred rows and may
// return false to cancel (which throws ReportCancelled).
kainjow::mustache::data build(const QList<ReportDataConnection>& connections, const QString& templateText,
                              const std::function<bool(int done, int total)>& progress = {});
} // namespace ReportData

struct ReportCancelled {};
