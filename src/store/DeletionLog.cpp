#include "store/DeletionLog.h"

#include "common/DbError.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <sqlite3.h>

namespace DeletionLog {

namespace {

QString quoted(const QString& identifier) {
    return QLatin1Char('"') + identifier + QLatin1Char('"');
}

QString declType(schema::ColumnKind kind) {
    switch (kind) {
    case schema::ColumnKind::Integer:
    case schema::ColumnKind::Boolean:
        return QStringLiteral("INTEGER");
    case schema::ColumnKind::Date:
        return QStringLiteral("DATE");
    case schema::ColumnKind::Text:
        break;
    }
    return QStringLiteral("TEXT");
}

} // namespace

void ensureTable(const Connection& connection) {
    // Its own number, the time, then the register's columns as they were (Index included, so
    // that the entry can be found in printed books).
    QStringList columns = {QStringLiteral("\"Nr\" INTEGER PRIMARY KEY AUTOINCREMENT"),
                           QStringLiteral("\"Geloescht\" TEXT NOT NULL")};
    for (const schema::Column& c : schema::columns(QStringLiteral("Vorgang")))
        columns << quoted(c.name) + QLatin1Char(' ') + declType(c.kind);
    connection.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
                        .arg(quoted(kTable), columns.join(QStringLiteral(", "))));
}

void record(const Connection& connection, qint64 index, const QDateTime& when) {
    ensureTable(connection);
    QStringList names;
    for (const schema::Column& c : schema::columns(QStringLiteral("Vorgang")))
        names << quoted(c.name);
    const QString list = names.join(QStringLiteral(", "));
    Statement st = connection.prepare(
        QStringLiteral("INSERT INTO %1 (\"Geloescht\", %2) SELECT ?, %2 FROM \"Vorgang\" WHERE \"Index\" = ?")
            .arg(quoted(kTable), list));
    st.bind(1, when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    st.bind(2, index);
    st.step();
    if (sqlite3_changes(connection.handle()) != 1)
        throw DbError(QStringLiteral("Der Datensatz %1 des Waffenbuchs wurde nicht gefunden.").arg(index));
}

} // namespace DeletionLog
