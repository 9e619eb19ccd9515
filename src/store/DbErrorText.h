#pragma once

#include <QString>

struct sqlite3;

// German texts for the failures of the database file that a user can meet. Each names the file;
// SQLite's own text follows in parentheses.
namespace dberror {

// Text for the result code `rc` of a call on `db` (db may be null: then `file` names the file).
QString text(sqlite3* db, int rc, const QString& file = {});

// A file of 0 bytes: SQLite would take it for an empty database.
QString emptyFile(const QString& file);
// The table of the settings row holds no row.
QString noSettingsRow(const QString& file);
// A command on a dataset while there is no connection.
QString notConnected();

} // namespace dberror
