// Deleting rows: the part of Dataset that removes the current row from its table.
#include "common/DbError.h"
#include "store/Connection.h"
#include "store/Dataset.h"

#include <sqlite3.h>

namespace {
QString quotedName(const QString& identifier) {
    QString s = identifier;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}
} // namespace

void Dataset::deleteRecord(const std::function<void(qint64 index)>& inTransaction) {
    requireActive();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state == State::Edit)
        cancel();
    const int r = currentStorageRow();
    if (r < 0)
        throw DbError(QStringLiteral("Die Datenmenge '%1' enthält keinen Datensatz.").arg(m_name));
    if (m_query.baseTable.isEmpty())
        throw DbError(QStringLiteral("Die Datenmenge '%1' kann nicht geändert werden.").arg(m_name));
    const QString table = quotedName(m_query.baseTable);
    qint64 key = 0;
    m_connection.begin();
    try {
        if (m_query.baseHasIndex && m_indexField >= 0) {
            // Refuses a row that another program changed or deleted since it was read.
            checkUnchanged(r);
            key = storedValue(r, m_indexField).toLongLong();
            if (inTransaction)
                inTransaction(key);
            Statement st =
                m_connection.prepare(QStringLiteral("DELETE FROM %1 WHERE \"Index\" = ?").arg(table));
            st.bind(1, key);
            st.step();
        } else {
            // Without a key: one row holding exactly what this dataset read. Rows equal in every
            // column cannot be told apart, so any one of them is the right one.
            QStringList conditions;
            QVariantList values;
            for (int f = 0; f < m_visibleColumns; ++f) {
                conditions << quotedName(m_columns[std::size_t(f)].name) + QStringLiteral(" IS ?");
                values << storedValue(r, f);
            }
            if (inTransaction)
                inTransaction(0);
            Statement st = m_connection.prepare(
                QStringLiteral("DELETE FROM %1 WHERE rowid = (SELECT rowid FROM %1 WHERE %2 LIMIT 1)")
                    .arg(table, conditions.join(QStringLiteral(" AND "))));
            st.bindAll(values);
            st.step();
            if (sqlite3_changes(m_connection.handle()) == 0)
                throw DbError(
                    QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Benutzer gelöscht."));
        }
        m_connection.commit();
    } catch (...) {
        m_connection.rollback();
        throw;
    }
    m_connection.noteChange(m_query.baseTable, key);
    reread(true);
    if (m_current >= 0)
        emit afterScroll();
}
