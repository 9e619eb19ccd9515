// Deleting rows, and storing rows of a table without an Index column: the parts of Dataset
// that find a row by what was read of it.
#include "common/DbError.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/Schema.h"

#include <QStringList>
#include <sqlite3.h>

using jet::quoted;

namespace {

// A list row that register entries or partners still point to stays: deleting it would leave
// them without their weapon type, partner or authority, and drop them from every sort that
// joins that list. Refused inside the deleting transaction, so nobody adds a use in between.
void refuseWhileInUse(const Connection& connection, const QString& table, qint64 key) {
    struct User {
        const char* table;
        const char* one;
        const char* many;
    };
    QStringList uses;
    for (const User& user : {User{"Vorgang", "Eintrag im Waffenbuch", "Einträgen im Waffenbuch"},
                             User{"Kaufer", "Handelspartner", "Handelspartnern"}}) {
        const QString from = QString::fromLatin1(user.table);
        QStringList pointing; // a row pointing with two columns counts once
        for (const schema::LookupField& l : schema::lookups(from)) {
            const QString condition = QStringLiteral("%1 = ?1").arg(quoted(l.keyColumn));
            if (l.table.compare(table, Qt::CaseInsensitive) == 0 && !pointing.contains(condition))
                pointing << condition;
        }
        if (pointing.isEmpty())
            continue;
        Statement st = connection.prepare(QStringLiteral("SELECT count(*) FROM %1 WHERE %2")
                                              .arg(quoted(from), pointing.join(QStringLiteral(" OR "))));
        st.bind(1, key);
        const qint64 count = st.step() ? sqlite3_column_int64(st.get(), 0) : 0;
        if (count > 0)
            uses << QStringLiteral("%1 %2").arg(count).arg(
                QString::fromUtf8(count == 1 ? user.one : user.many));
    }
    if (!uses.isEmpty())
        throw DbError(
            QStringLiteral("Der Datensatz kann nicht gelöscht werden, er wird noch von %1 verwendet.")
                .arg(uses.join(QStringLiteral(" und "))));
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
    const QString table = quoted(m_query.baseTable);
    qint64 key = 0;
    {
        Transaction transaction(m_connection);
        if (m_query.baseHasIndex && m_indexField >= 0) {
            // Refuses a row that another program changed or deleted since it was read.
            checkUnchanged(r);
            key = storedValue(r, m_indexField).toLongLong();
            refuseWhileInUse(m_connection, m_query.baseTable, key);
            if (inTransaction)
                inTransaction(key);
            Statement st =
                m_connection.prepare(QStringLiteral("DELETE FROM %1 WHERE \"Index\" = ?").arg(table));
            st.bind(1, key);
            st.step();
        } else {
            // Without a key: one row holding exactly what this dataset read. Rows equal in every
            // column cannot be told apart, so any one of them is the right one.
            QVariantList values;
            for (int f = 0; f < m_visibleColumns; ++f)
                values << storedValue(r, f);
            if (inTransaction)
                inTransaction(0);
            Statement st = m_connection.prepare(
                QStringLiteral("DELETE FROM %1 WHERE rowid = (SELECT rowid FROM %1 WHERE %2 LIMIT 1)")
                    .arg(table, Query::sameRowCondition(fieldNames())));
            st.bindAll(values);
            st.step();
            if (sqlite3_changes(m_connection.handle()) == 0)
                throw DbError(
                    QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Benutzer gelöscht."));
        }
        transaction.commit();
    }
    m_connection.noteChange(m_query.baseTable, key);
    reread(true);
    if (m_current >= 0)
        emit afterScroll();
}

void Dataset::postWithoutKey() {
    // Only the columns the user changed are written; the row is the first one holding what was
    // read (rows equal in every column cannot be told apart).
    QVariantList values;
    const QStringList names = changedFields(values);
    const bool inserting = m_state == State::Insert;
    if (!names.isEmpty() || inserting) {
        {
            Transaction transaction(m_connection);
            QString sql;
            if (inserting) {
                sql = Query::insertSql(m_query.baseTable, names);
            } else {
                const int r = currentStorageRow();
                for (int f = 0; f < m_visibleColumns; ++f)
                    values << storedValue(r, f);
                sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = (SELECT rowid FROM %1 WHERE %3 LIMIT 1)")
                          .arg(quoted(m_query.baseTable), Query::assignments(names),
                               Query::sameRowCondition(fieldNames()));
            }
            Statement st = m_connection.prepare(sql);
            st.bindAll(values);
            st.step();
            if (sqlite3_changes(m_connection.handle()) == 0)
                throw DbError(
                    QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Benutzer gelöscht. "
                                   "Die Änderungen wurden nicht gespeichert."));
            transaction.commit();
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
