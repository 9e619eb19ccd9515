#pragma once

#include <QDateTime>
#include <QString>

class Connection;

// Register entries belong to a book the dealer must keep: a deleted entry is copied, with every
// column and the time of deletion, into a table of the program's own beside the register.
namespace DeletionLog {

inline const QString kTable = QStringLiteral("VorgangGeloescht");

// Creates the table when it is missing; an existing one is left as it is.
void ensureTable(const Connection& connection);

// Copies register row `index` (every column of Vorgang) with `when` into the table, creating it
// first when needed. Throws DbError when the row does not exist.
void record(const Connection& connection, qint64 index, const QDateTime& when = QDateTime::currentDateTime());

} // namespace DeletionLog
