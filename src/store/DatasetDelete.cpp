// Deleting rows, and storing rows of a table without an Index column: the parts of Dataset
// that find a row by what was read of it.
#include "common/DbError.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/TextCheck.h"

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

void Dataset::postWithoutKey() {
    // Only the columns the user changed are written; the row is the first one holding what was
    // read (rows equal in every column cannot be told apart).
    QStringList names;
    QVariantList values;
    for (int f = 0; f < m_visibleColumns; ++f) {
        if (!m_modified[std::size_t(f)])
            continue;
        textcheck::requireStorable(m_columns[std::size_t(f)].name, m_buffer[std::size_t(f)]);
        names << quotedName(m_columns[std::size_t(f)].name);
        values << m_buffer[std::size_t(f)];
    }
    const bool inserting = m_state == State::Insert;
    const QString table = quotedName(m_query.baseTable);
    if (!names.isEmpty() || inserting) {
        m_connection.begin();
        try {
            QString sql;
            if (inserting && names.isEmpty()) {
                sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
            } else if (inserting) {
                const QStringList marks(names.size(), QStringLiteral("?"));
                sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
            } else {
                QStringList sets, conditions;
                for (const QString& n : names)
                    sets << n + QStringLiteral(" = ?");
                const int r = currentStorageRow();
                for (int f = 0; f < m_visibleColumns; ++f) {
                    conditions << quotedName(m_columns[std::size_t(f)].name) + QStringLiteral(" IS ?");
                    values << storedValue(r, f);
                }
                sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = (SELECT rowid FROM %1 WHERE %3 LIMIT 1)")
                          .arg(table, sets.join(QStringLiteral(", ")),
                               conditions.join(QStringLiteral(" AND ")));
            }
            Statement st = m_connection.prepare(sql);
            st.bindAll(values);
            st.step();
            if (sqlite3_changes(m_connection.handle()) == 0)
                throw DbError(
                    QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Benutzer gelöscht. "
                                   "Die Änderungen wurden nicht gespeichert."));
            m_connection.commit();
        } catch (...) {
            m_connection.rollback();
            throw;
        }
        m_connection.noteChange(m_query.baseTable, 0);
    }
    // Read everything again and stand on the stored row.
    const std::vector<QVariant> stored = m_buffer;
    leaveEditState();
    if (inserting && !m_order.empty())
        m_current = int(m_order.size()) - 1;
    reread(false);
    for (int p = int(m_order.size()) - 1; p >= 0; --p) {
        bool same = true;
        for (int f = 0; f < m_visibleColumns && same; ++f)
            same = storedValue(m_order[std::size_t(p)], f) == stored[std::size_t(f)];
        if (same) {
            m_current = p;
            break;
        }
    }
    emit stateChanged();
    emitRowsReset();
    emitRecordChanged();
    emit afterPost();
}
