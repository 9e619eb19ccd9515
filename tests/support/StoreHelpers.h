#pragma once

// Small helpers of the store tests: passwords, connections, errors and reading datasets.
#include <QString>
#include <QStringList>
#include <functional>

class Connection;
class Dataset;

// The plain text of a scrambled password.
QString descrambled(const QString& scrambled);
// The database password the program keeps, descrambled.
QString databasePassword();

// Opens `conn` with a connection string; throws DbError as Connection::open does.
void openConnection(Connection& conn, const QString& connectionString);
// Opens `conn` on the test folder's database (Konst::ConnectionString).
void openConnection(Connection& conn);

// The message of the DbError that `action` throws ("<empty message>" for an empty one); empty when
// it throws none.
QString dbErrorOf(const std::function<void()>& action);

// The texts of one field in every row of a dataset, in dataset order.
QStringList column(const Dataset& ds, const QString& name);

// The register query of a search for serial numbers that contain an A.
QString searchStatement();
