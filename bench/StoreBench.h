#pragma once

// The parts of the store benchmark: the generated register, the raw SQLite baseline, timing and the
// printed lines, and the command line.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <optional>
#include <sqlite3.h>

namespace storebench {

struct GeneratedCounts {
    int vorgang = 0;
    int kaufer = 0;
    int waffentyp = 0;
    int kaliber = 0;
    int hersteller = 0;
    int amt = 0;
    int countries = 0;
    int unsold = 0;
    int danglingKeys = 0;
};

// Creates the database at `dbPath` and fills it with `rows` register entries and their lists;
// the same rows on every run.
GeneratedCounts generate(const QString& dbPath, int rows);

struct Prepared {
    QByteArray sql;
    QVariantList params;
};

// The statement the store runs for `jetText`, with its parameters.
Prepared translated(const QString& jetText);
// Steps the statement and reads every column of every row; returns the row count.
qint64 rawRead(sqlite3* db, const Prepared& p);

struct Timing {
    double store = 0;
    double raw = 0;
};

// Store and raw runs alternate, so that load from other processes on the shared machine falls on
// both alike; `prepare` runs untimed before each store run.
Timing measure(int reps, const std::function<void()>& store, const std::function<void()>& raw,
               const std::function<void()>& prepare = {});

// `s` filled with blanks to `width` characters, as UTF-8.
QByteArray padded(const QString& s, int width);

struct Line {
    QString what;
    qint64 rows = 0;
    double store = 0;
    double raw = 0;
    double target = 0; // maximal store/raw ratio
};

// Targets missed so far: lines over their ratio, and the failures the scenarios find.
extern int g_missed;

// The title row of the table of lines.
void printHeader();
// One line of the table; counts a missed target.
void printLine(const Line& l);

struct Options {
    int rows = 100000;
    int reps = 5;
    QString keep;
};

// The options of the command line; nothing for an unknown option or a value out of range.
std::optional<Options> parseOptions(const QStringList& args);

} // namespace storebench
