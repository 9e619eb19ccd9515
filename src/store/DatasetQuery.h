#pragma once

#include "store/JetTranslator.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

// The statements a dataset reads and writes its rows with. Every identifier goes through
// jet::quoted, the quoting the translator uses, so a name is written the same way everywhere.
struct DatasetQuery {
    QString selectList, from, where;
    QVariantList params;
    std::optional<jet::OrderColumn> orderBy; // read as an extra, hidden last column
    QString baseTable;                       // empty: not updatable, no partial re-read
    QStringList tables;
    bool baseHasIndex = false;

    // Every row of a table.
    static DatasetQuery ofTable(const QString& table);
    // The rows of a Jet statement (translated; throws DbError for one it cannot translate).
    static DatasetQuery ofCommand(const QString& jetText);

    // The SELECT, narrowed by `extraCondition` when given. Rows with equal sort keys come in the
    // order of their Index, so that a partial re-read can put a changed row exactly where a full
    // read would.
    QString selectSql(const QString& extraCondition = QString()) const;

    // SELECT of `columns` of the one row of `table` whose `key` ("Index" or rowid) is bound.
    static QString rowSql(const QString& table, const QStringList& columns, const QString& key);
    // INSERT of `columns` (DEFAULT VALUES when there are none), one parameter per column.
    static QString insertSql(const QString& table, const QStringList& columns);
    // "a" = ?, "b" = ? for an UPDATE.
    static QString assignments(const QStringList& columns);
    // "a" IS ? AND "b" IS ?: the row holding exactly the bound values.
    static QString sameRowCondition(const QStringList& columns);
};
