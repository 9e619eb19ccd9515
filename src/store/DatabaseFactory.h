#pragma once

#include <QString>

// Builds the delivered database from the schema and initial content in data/. Used by the
// build (only where no database exists yet) and by the tests; the program itself never
// alters or drops a table, and creates only its own record of deleted entries (DeletionLog).
namespace DatabaseFactory {

// Creates `path` with every table and the initial content, stamped for the program's database
// password. Throws DbError when `path` exists already or cannot be written.
void create(const QString& path);
// Runs further SQL on a database file (tests use it to shape their data).
void execute(const QString& path, const QString& sql);

} // namespace DatabaseFactory
