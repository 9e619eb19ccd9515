#pragma once

#include "common/DbError.h"

#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>

// Turns the Jet statement texts that the program builds and stores (sort orders, searches,
// "select * from <table>") into their SQLite equivalent. Only that grammar is accepted:
//
//   SELECT ( '*' | table.column {, table.column} )
//   FROM   source                     source := table | '(' join ')' | join
//                                     join   := source INNER JOIN table [AS alias] ON cond
//                                               (or a parenthesised join on the right)
//   [WHERE cond]                      cond   := operand ( '=' | LIKE ) operand | cond AND cond
//                                               | '(' cond ')'
//   [ORDER BY table.column [ASC|DESC]] [';']
//
// Operands are table.column references (also in parentheses), "..." or '...' text literals
// (a doubled quote stands for one) and #m/d/yyyy# date literals. Keywords are case-insensitive.
// Anything else is refused with a SyntaxError before it reaches SQLite, so a stored text can
// never run anything else.
namespace jet {

class SyntaxError : public DbError {
public:
    using DbError::DbError;
};

enum class ColumnKind { Integer, Text, Date, Boolean };

// Tells the translator the kind of a column, so that text comparisons and orderings get the
// German case-insensitive collation and the others stay plain. Unknown columns: nullopt.
using SchemaLookup = std::function<std::optional<ColumnKind>(const QString& table, const QString& column)>;

// Name of the German case-insensitive collation registered on every connection.
inline constexpr const char* kCollation = "DE";

struct OrderColumn {
    QString table;
    QString column;
    bool descending = false;
    std::optional<ColumnKind> kind;
    QString sql; // e.g. "Waffentyp"."WTyp" COLLATE DE
};

struct Translation {
    // The complete SQLite statement with ? placeholders, and the values bound to them in order.
    QString sql;
    QVariantList params;

    // The same statement in pieces, for callers that extend it.
    QString selectList; // after SELECT: "Vorgang"."Index", ... or *
    QString from;       // FROM ..., without the keyword
    QString where;      // condition without the keyword, empty when there is none
    std::optional<OrderColumn> orderBy;

    QStringList tables; // every table named in FROM, in order of appearance
    QString
        baseTable; // the table all selected columns belong to; with '*' the only table of FROM; else empty
    QStringList columns; // selected column names (without table), empty for '*'
};

// Throws SyntaxError (a DbError with a German text) when the text is outside the grammar or a
// date literal names no valid date.
Translation translate(const QString& jetText, const SchemaLookup& schema = {});

// An identifier as SQLite reads it: in double quotes, with any double quote in it doubled. The
// one quoting of table and column names, for the translator and every statement the store builds.
QString quoted(const QString& identifier);

} // namespace jet
