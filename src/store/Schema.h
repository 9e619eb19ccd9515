#pragma once

#include "store/JetTranslator.h"

#include <QList>
#include <QString>
#include <QStringList>

// What the program knows of the database's tables: the columns it reads and writes, their
// kinds, and the lookup fields computed from keys.
namespace schema {

using jet::ColumnKind;

struct Column {
    QString name;
    ColumnKind kind;
};

struct LookupField {
    QString name;         // e.g. ViewWaffentyp
    QString keyColumn;    // column of the dataset holding the key
    QString table;        // table looked up
    QString resultColumn; // column shown
    int displaySize;      // longer texts are cut to this many characters
};

// Columns of a known table, in table order; empty for an unknown table.
const QList<Column>& columns(const QString& table);
// Tables whose fields are declared: opening them fails when a declared column is missing.
bool hasDeclaredFields(const QString& table);
// Lookup fields of a dataset on `table` (Vorgang and Kaufer have some).
const QList<LookupField>& lookups(const QString& table);
// Kind of a column, for the statement translator.
std::optional<ColumnKind> kindOf(const QString& table, const QString& column);
jet::SchemaLookup lookup();

// The register column list, the common head of the sorted register queries and searches.
QString registerColumnList();

} // namespace schema
