// The edit buffer of a dataset and writing it back.
#include "common/DbError.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/TextCheck.h"

#include <limits>
#include <sqlite3.h>

QVariant Dataset::toColumnValue(int field, const QVariant& v) const {
    if (v.isNull() || !v.isValid())
        return QVariant();
    switch (m_store.column(field).kind) {
    case ColumnKind::Integer: {
        if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
            return QVariant();
        bool ok = false;
        const qlonglong i = v.toLongLong(&ok);
        if (!ok || i < std::numeric_limits<qint32>::min() || i > std::numeric_limits<qint32>::max())
            throw DbError(QStringLiteral("'%1' ist kein gültiger Integer-Wert").arg(v.toString()));
        return QVariant(int(i));
    }
    case ColumnKind::Boolean:
        return QVariant(v.toBool());
    case ColumnKind::Date: {
        const QDate d = v.toDate();
        if (!d.isValid()) {
            if (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty())
                return QVariant();
            if (v.typeId() == QMetaType::QDate)
                return QVariant();
            throw DbError(QStringLiteral("'%1' ist kein gültiges Datum").arg(v.toString()));
        }
        return QVariant(d);
    }
    case ColumnKind::Text:
        break;
    }
    return QVariant(v.toString());
}

void Dataset::append() {
    requireActive();
    if (isEditing())
        post();
    m_insertFrom = m_current;
    m_buffer.assign(std::size_t(m_visibleColumns), QVariant());
    m_modified.assign(std::size_t(m_visibleColumns), false);
    m_state = State::Insert;
    emit stateChanged();
    emitRecordChanged();
    emit afterScroll();
}

void Dataset::edit() {
    requireActive();
    if (isEditing())
        return;
    if (m_order.empty()) {
        append();
        return;
    }
    const int r = currentStorageRow();
    m_buffer.resize(std::size_t(m_visibleColumns));
    for (int f = 0; f < m_visibleColumns; ++f)
        m_buffer[std::size_t(f)] = storedValue(r, f);
    m_modified.assign(std::size_t(m_visibleColumns), false);
    m_state = State::Edit;
    emit stateChanged();
    emitRecordChanged();
}

void Dataset::setValue(const QString& column, const QVariant& v) {
    requireActive();
    if (!isEditing())
        throw DbError(QStringLiteral("Die Datenmenge '%1' ist nicht im Bearbeitungsmodus.").arg(m_name));
    const int f = fieldIndex(column);
    if (f < 0)
        throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(column));
    if (isAutoKey(f))
        throw DbError(QStringLiteral("Das Feld '%1' kann nicht geändert werden.").arg(column));
    m_buffer[std::size_t(f)] = toColumnValue(f, v);
    m_modified[std::size_t(f)] = true;
    emitRecordChanged();
}

QStringList Dataset::changedFields(QVariantList& values) const {
    QStringList names;
    for (int f = 0; f < m_visibleColumns; ++f) {
        if (!m_modified[std::size_t(f)])
            continue;
        const QString& name = m_store.column(f).name;
        textcheck::requireStorable(name, m_buffer[std::size_t(f)]);
        names << name;
        values << m_buffer[std::size_t(f)];
    }
    return names;
}

void Dataset::checkUnchanged(int storageRow) {
    Statement st =
        m_connection.prepare(Query::rowSql(m_query.baseTable, fieldNames(), QStringLiteral("Index")));
    st.bind(1, storedValue(storageRow, m_indexField));
    if (!st.step())
        throw DbError(QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Benutzer gelöscht. "
                                     "Die Änderungen wurden nicht gespeichert."));
    // Compare what is stored now with what this dataset read.
    const int probe = m_store.appendRow(st.get());
    bool same = true;
    for (int f = 0; f < m_visibleColumns && same; ++f)
        same = storedValue(probe, f) == storedValue(storageRow, f);
    m_store.dropLastRow();
    if (!same)
        throw DbError(
            QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Benutzer geändert. "
                           "Die Änderungen wurden nicht gespeichert; lesen Sie die Daten neu ein."));
}

void Dataset::readBackRow(int storageRow, qint64 rowid) {
    Statement st =
        m_connection.prepare(Query::rowSql(m_query.baseTable, fieldNames(), QStringLiteral("rowid")));
    st.bind(1, rowid);
    if (st.step())
        m_store.fillRow(st.get(), storageRow);
}

void Dataset::post() {
    requireActive();
    if (!isEditing())
        return;
    if (m_query.baseTable.isEmpty())
        throw DbError(QStringLiteral("Die Datenmenge '%1' kann nicht geändert werden.").arg(m_name));
    if (!m_query.baseHasIndex) {
        postWithoutKey();
        return;
    }
    QVariantList values;
    const QStringList names = changedFields(values);
    if (m_state == State::Edit && names.isEmpty()) {
        // Nothing changed: nothing to write, and nothing to collide with another's change.
        leaveEditState();
        emit stateChanged();
        emitRecordChanged();
        emit afterPost();
        return;
    }
    qint64 rowid = 0;
    {
        Transaction transaction(m_connection);
        if (m_state == State::Insert) {
            Statement st = m_connection.prepare(Query::insertSql(m_query.baseTable, names));
            st.bindAll(values);
            st.step();
            rowid = sqlite3_last_insert_rowid(m_connection.handle());
            // The numbers are 32-bit. After a row that another program stored under the largest
            // one, the database would hand out a number that reads back as a negative one.
            if (rowid > std::numeric_limits<qint32>::max())
                throw DbError(QStringLiteral("Die Tabelle '%1' hat keine freie laufende Nummer mehr (die "
                                             "größte ist %2). Der Datensatz wurde nicht gespeichert.")
                                  .arg(m_query.baseTable)
                                  .arg(std::numeric_limits<qint32>::max()));
        } else {
            const int r = currentStorageRow();
            checkUnchanged(r);
            rowid = storedValue(r, m_indexField).toLongLong();
            if (!names.isEmpty()) {
                Statement st =
                    m_connection.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE \"Index\" = ?")
                                             .arg(jet::quoted(m_query.baseTable), Query::assignments(names)));
                values << rowid;
                st.bindAll(values);
                st.step();
            }
        }
        transaction.commit();
    }
    m_connection.noteChange(m_query.baseTable, rowid);

    // The row is stored, so the edit is over whatever happens below: a failed read-back must not
    // leave the buffer behind, or storing again would write a new row a second time.
    const bool inserted = m_state == State::Insert;
    const int editedRow = inserted ? -1 : currentStorageRow();
    leaveEditState();
    try {
        showStoredRow(inserted, editedRow, rowid);
    } catch (const DbError& e) {
        emit stateChanged();
        emitRowsReset();
        emitRecordChanged();
        throw DbError(QStringLiteral("Der Datensatz wurde gespeichert, konnte aber nicht wieder gelesen "
                                     "werden; lesen Sie die Daten neu ein.\n%1")
                          .arg(e.message()));
    }
    emit stateChanged();
    emitRowsReset();
    emitRecordChanged();
    emit afterPost();
}

void Dataset::showStoredRow(bool inserted, int editedRow, qint64 rowid) {
    // Show the row as stored (with its new Index and whatever the database completed).
    if (!inserted) {
        // Read back into the same storage row; its Index cannot change, so the map stays valid
        // (rebuilding it costs more than the whole post on a large register).
        readBackRow(editedRow, rowid);
        return;
    }
    const int r = m_store.addRow();
    try {
        readBackRow(r, rowid);
    } catch (const DbError&) {
        m_store.dropLastRow();
        m_current = m_insertFrom < int(m_order.size()) ? m_insertFrom : int(m_order.size()) - 1;
        throw;
    }
    m_order.push_back(r);
    m_current = int(m_order.size()) - 1;
    // The new row is last in order, so it is the one a rebuilt map would keep for its Index.
    if (m_indexMapValid && m_indexField >= 0) {
        if (!m_store.isNull(r, m_indexField))
            m_indexMap.insert(m_store.number(r, m_indexField), r);
    }
}

void Dataset::leaveEditState() {
    m_state = State::Browse;
    m_buffer.clear();
    m_modified.clear();
}

void Dataset::cancel() {
    if (!isEditing())
        return;
    const bool wasInsert = m_state == State::Insert;
    leaveEditState();
    if (wasInsert)
        m_current = m_insertFrom < int(m_order.size()) ? m_insertFrom : int(m_order.size()) - 1;
    emit stateChanged();
    emitRecordChanged();
    if (wasInsert)
        emit afterScroll();
}
