#include "store/DatasetQuery.h"

#include "store/Schema.h"

using jet::quoted;

namespace {

bool hasIndex(const QString& table) {
    return !table.isEmpty() && schema::kindOf(table, QStringLiteral("Index")).has_value();
}

QStringList quotedAll(const QStringList& columns, const QString& suffix = QString()) {
    QStringList out;
    out.reserve(columns.size());
    for (const QString& c : columns)
        out << quoted(c) + suffix;
    return out;
}

} // namespace

DatasetQuery DatasetQuery::ofTable(const QString& table) {
    DatasetQuery q;
    q.selectList = QStringLiteral("*");
    q.from = quoted(table);
    q.baseTable = table;
    q.tables = {table};
    q.baseHasIndex = hasIndex(table);
    return q;
}

DatasetQuery DatasetQuery::ofCommand(const QString& jetText) {
    const jet::Translation t = jet::translate(jetText, schema::lookup());
    DatasetQuery q;
    q.selectList = t.selectList;
    q.from = t.from;
    q.where = t.where;
    q.params = t.params;
    q.orderBy = t.orderBy;
    q.baseTable = t.baseTable;
    q.tables = t.tables;
    q.baseHasIndex = hasIndex(q.baseTable);
    return q;
}

QString DatasetQuery::selectSql(const QString& extraCondition) const {
    QString sql = QStringLiteral("SELECT ") + selectList;
    if (orderBy)
        sql += QStringLiteral(", ") + quoted(orderBy->table) + QLatin1Char('.') + quoted(orderBy->column);
    sql += QStringLiteral(" FROM ") + from;
    QStringList conditions;
    if (!where.isEmpty())
        conditions << QLatin1Char('(') + where + QLatin1Char(')');
    if (!extraCondition.isEmpty())
        conditions << extraCondition;
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    QStringList order;
    if (orderBy)
        order << orderBy->sql;
    if (baseHasIndex)
        order << quoted(baseTable) + QStringLiteral(".\"Index\"");
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    return sql;
}

QString DatasetQuery::rowSql(const QString& table, const QStringList& columns, const QString& key) {
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
        .arg(quotedAll(columns).join(QStringLiteral(", ")), quoted(table),
             key.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0 ? key : quoted(key));
}

QString DatasetQuery::insertSql(const QString& table, const QStringList& columns) {
    if (columns.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(table));
    const QStringList marks(columns.size(), QStringLiteral("?"));
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(quoted(table), quotedAll(columns).join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
}

QString DatasetQuery::assignments(const QStringList& columns) {
    return quotedAll(columns, QStringLiteral(" = ?")).join(QStringLiteral(", "));
}

QString DatasetQuery::sameRowCondition(const QStringList& columns) {
    return quotedAll(columns, QStringLiteral(" IS ?")).join(QStringLiteral(" AND "));
}
