#include "store/Dataset.h"

#include "common/DbError.h"
#include "store/Connection.h"
#include "store/DbErrorText.h"
#include "store/RegisterSort.h"
#include "store/Schema.h"

#include <algorithm>
#include <sqlite3.h>

namespace {

QString kindName(jet::ColumnKind k) {
    switch (k) {
    case jet::ColumnKind::Integer:
        return QStringLiteral("Integer");
    case jet::ColumnKind::Date:
        return QStringLiteral("Datum");
    case jet::ColumnKind::Boolean:
        return QStringLiteral("Ja/Nein");
    case jet::ColumnKind::Text:
        break;
    }
    return QStringLiteral("Text");
}

// The first `n` characters of a text, counted as the database counts a column's width: a
// character outside the Basic Multilingual Plane is one, and is never cut in half.
QString leftCharacters(const QString& text, int n) {
    if (text.size() <= n)
        return text;
    qsizetype end = 0;
    for (int count = 0; count < n && end < text.size(); ++count)
        end += text.at(end).isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate()
                   ? 2
                   : 1;
    return text.left(end);
}

} // namespace

Dataset::Dataset(Connection& connection, const QString& name, QObject* parent)
    : QObject(parent), m_connection(connection), m_name(name) {
    setObjectName(name);
    connect(&m_connection, &Connection::aboutToClose, this, [this] {
        close();
        if (m_resort)
            m_resort->forget();
    });
}

Dataset::~Dataset() = default;

void Dataset::setTableName(const QString& table) {
    m_tableName = table;
    m_commandText.clear();
}

void Dataset::setCommandText(const QString& text) {
    m_commandText = text;
    m_tableName.clear();
}

void Dataset::setInMemoryResort(bool on) {
    if (on && !m_resort)
        m_resort = std::make_unique<RegisterSort>(*this);
    else if (!on)
        m_resort.reset();
}

int Dataset::inMemoryOpenCount() const {
    return m_resort ? m_resort->opens() : 0;
}

void Dataset::setLookupSource(const QString& table, Dataset* source) {
    m_lookupSources[table.toLower()] = source;
}

void Dataset::requireActive() const {
    if (!isActive() && !m_connection.isOpen())
        throw DbError(dberror::notConnected());
    if (!isActive())
        throw DbError(QStringLiteral("Die Datenmenge '%1' ist geschlossen.").arg(m_name));
}

void Dataset::requireBrowse() const {
    requireActive();
    if (isEditing())
        throw DbError(QStringLiteral("Die Datenmenge '%1' wird gerade bearbeitet.").arg(m_name));
}

// ------------------------------------------------------------------ open, read

Dataset::Query Dataset::buildQuery() const {
    return m_tableName.isEmpty() ? Query::ofCommand(m_commandText) : Query::ofTable(m_tableName);
}

void Dataset::setupColumns(sqlite3_stmt* stmt) {
    m_store.setup(stmt);
    const int n = m_store.columnCount();
    m_visibleColumns = m_query.orderBy ? n - 1 : n;
    m_sortKeyField = m_query.orderBy ? n - 1 : -1;
    m_indexField = m_store.find(QStringLiteral("Index"), m_visibleColumns);
    const QString declared = !m_declaredTable.isEmpty() ? m_declaredTable : m_tableName;
    if (schema::hasDeclaredFields(declared)) {
        for (const schema::Column& d : schema::columns(declared)) {
            const int f = fieldIndex(d.name);
            if (f < 0)
                throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(d.name));
            if (m_store.column(f).kind != d.kind)
                throw DbError(QStringLiteral("Das Feld '%1' hat den falschen Typ (erwartet: %2).")
                                  .arg(d.name, kindName(d.kind)));
        }
    }
}

void Dataset::readAll() {
    if (m_resort)
        m_resort->beforeRead();
    const QString select = m_query.selectSql();
    Statement st = m_connection.prepare(select);
    st.bindAll(m_query.params);
    // Only a read of the same statement reuses the memory of the last one.
    if (select != m_lastSelect)
        m_store.clear();
    m_lastSelect = select;
    // A re-read (also after a close, as every sort does) mostly finds as many rows as the last.
    const std::size_t expected = m_lastReadRows;
    setupColumns(st.get());
    m_store.reserve(expected, m_lastTextBytes);
    m_order.clear();
    m_order.reserve(expected);
    while (st.step())
        m_order.push_back(m_store.appendRow(st.get()));
    m_indexMapValid = false;
    m_dataVersion = m_connection.dataVersion();
    m_changeSerial = m_connection.changeSerial();
    m_lastReadRows = m_order.size();
    m_lastTextBytes = m_store.textBytes();
    ++m_fullReads;
    if (m_resort)
        m_resort->afterRead();
}

void Dataset::open() {
    if (isActive())
        return;
    if (!m_connection.isOpen())
        throw DbError(dberror::notConnected());
    if (m_tableName.isEmpty() && m_commandText.trimmed().isEmpty())
        throw DbError(QStringLiteral("Für die Datenmenge '%1' ist keine Abfrage angegeben.").arg(m_name));
    if (!m_resort || !m_resort->tryOpen()) {
        m_query = buildQuery();
        readAll();
    }
    m_state = State::Browse;
    m_current = m_order.empty() ? -1 : 0;
    emit stateChanged();
    emitRowsReset();
    emitRecordChanged();
    if (m_current >= 0)
        emit afterScroll();
}

void Dataset::close() {
    if (!isActive())
        return;
    m_state = State::Inactive;
    if (m_resort)
        m_resort->park();
    m_store.retire();
    m_visibleColumns = 0; // a closed dataset has no fields
    m_order.clear();
    m_current = -1;
    m_buffer.clear();
    m_modified.clear();
    m_indexMap.clear();
    m_indexMapValid = false;
    m_sortText.clear();
    m_sortField = -1;
    emit stateChanged();
    emitRowsReset();
    emitRecordChanged();
}

// ------------------------------------------------------------------ reading values

QStringList Dataset::fieldNames() const {
    QStringList names;
    for (int i = 0; i < m_visibleColumns; ++i)
        names << m_store.column(i).name;
    return names;
}

int Dataset::fieldIndex(const QString& column) const {
    return m_store.find(column, m_visibleColumns);
}

Dataset::ColumnKind Dataset::fieldKind(int field) const {
    return m_store.column(field).kind;
}

int Dataset::currentStorageRow() const {
    return m_current >= 0 && m_current < int(m_order.size()) ? m_order[std::size_t(m_current)] : -1;
}

QVariant Dataset::currentValue(int field) const {
    if (isEditing())
        return m_buffer[std::size_t(field)];
    const int r = currentStorageRow();
    return r < 0 ? QVariant() : storedValue(r, field);
}

QVariant Dataset::value(const QString& column) const {
    if (!isActive())
        return QVariant();
    const int f = fieldIndex(column);
    if (f < 0)
        throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(column));
    return currentValue(f);
}

bool Dataset::isNull(const QString& column) const {
    const QVariant v = value(column);
    return v.isNull() || !v.isValid();
}

int Dataset::asInteger(const QString& column) const {
    const QVariant v = value(column);
    if (v.isNull() || !v.isValid())
        return 0;
    bool ok = false;
    const int i = v.toInt(&ok);
    if (!ok)
        throw DbError(QStringLiteral("'%1' ist kein gültiger Integer-Wert").arg(v.toString()));
    return i;
}

QString Dataset::asString(const QString& column) const {
    const QVariant v = value(column);
    if (v.isNull() || !v.isValid())
        return QString();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

QDate Dataset::asDate(const QString& column) const {
    const QVariant v = value(column);
    return v.typeId() == QMetaType::QDate ? v.toDate() : QDate();
}

bool Dataset::asBoolean(const QString& column) const {
    const QVariant v = value(column);
    return v.isValid() && !v.isNull() && v.toBool();
}

QVariant Dataset::valueAt(int row, int field) const {
    if (!isActive() || row < 0 || row >= int(m_order.size()) || field < 0 || field >= m_visibleColumns)
        return QVariant();
    if (isEditing() && row == m_current && m_state == State::Edit)
        return m_buffer[std::size_t(field)];
    return storedValue(m_order[std::size_t(row)], field);
}

QString Dataset::textAt(int row, int field) const {
    const QVariant v = valueAt(row, field);
    if (v.isNull() || !v.isValid())
        return QString();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("Ja") : QStringLiteral("Nein");
    return v.toString();
}

void Dataset::rebuildIndexMap() const {
    m_indexMap.clear();
    if (m_indexField >= 0)
        // Later positions replace earlier rows of the same Index.
        m_indexMap.assign(m_order, [this](int r, qint32& key) {
            if (m_store.isNull(r, m_indexField))
                return false;
            key = m_store.number(r, m_indexField);
            return true;
        });
    m_indexMapValid = true;
}

int Dataset::storageRowOfIndex(int index) const {
    if (!m_indexMapValid)
        rebuildIndexMap();
    return m_indexMap.value(index);
}

int Dataset::scanForIndex(int index) const {
    if (m_indexMapValid)
        return positionOfIndex(index);
    if (m_indexField < 0)
        return -1;
    // From the end: where an Index occurs twice, the map would hold its last row too.
    for (int p = int(m_order.size()) - 1; p >= 0; --p) {
        const int r = m_order[std::size_t(p)];
        if (!m_store.isNull(r, m_indexField) && m_store.number(r, m_indexField) == index)
            return p;
    }
    return -1;
}

int Dataset::positionOfIndex(int index) const {
    if (!isActive())
        return -1;
    const int r = storageRowOfIndex(index);
    if (r < 0)
        return -1;
    const auto it = std::find(m_order.begin(), m_order.end(), r);
    return it == m_order.end() ? -1 : int(it - m_order.begin());
}

QStringList Dataset::lookupFieldNames() const {
    QStringList names;
    const QString table = !m_declaredTable.isEmpty() ? m_declaredTable : m_tableName;
    for (const schema::LookupField& l : schema::lookups(table))
        names << l.name;
    return names;
}

namespace {
const schema::LookupField* findLookup(const QString& table, const QString& name) {
    for (const schema::LookupField& l : schema::lookups(table))
        if (l.name.compare(name, Qt::CaseInsensitive) == 0)
            return &l;
    return nullptr;
}
} // namespace

QString Dataset::lookupTextAt(int row, const QString& lookupField) const {
    const QString table = !m_declaredTable.isEmpty() ? m_declaredTable : m_tableName;
    const schema::LookupField* l = findLookup(table, lookupField);
    if (!l)
        throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(lookupField));
    const int keyField = fieldIndex(l->keyColumn);
    if (keyField < 0)
        return QString();
    // A row being appended is not at any position: the current row keeps its own key.
    const QVariant key = (row == m_current && m_state == State::Edit) ? m_buffer[std::size_t(keyField)]
                                                                      : valueAt(row, keyField);
    if (key.isNull() || !key.isValid())
        return QString();
    const Dataset* source = m_lookupSources.value(l->table.toLower());
    if (!source || !source->isActive())
        return QString();
    const int r = source->storageRowOfIndex(key.toInt());
    const int f = source->fieldIndex(l->resultColumn);
    if (r < 0 || f < 0)
        return QString();
    return leftCharacters(source->storedText(r, f), l->displaySize);
}

QString Dataset::lookupText(const QString& lookupField) const {
    if (!isActive() || (m_current < 0 && m_state != State::Insert))
        return QString();
    if (m_state != State::Insert)
        return lookupTextAt(m_current, lookupField);
    // The row being appended: its key is in the edit buffer.
    const QString table = !m_declaredTable.isEmpty() ? m_declaredTable : m_tableName;
    const schema::LookupField* l = findLookup(table, lookupField);
    if (!l)
        throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(lookupField));
    const int keyField = fieldIndex(l->keyColumn);
    const QVariant key = keyField < 0 ? QVariant() : m_buffer[std::size_t(keyField)];
    const Dataset* source = m_lookupSources.value(l->table.toLower());
    if (key.isNull() || !key.isValid() || !source || !source->isActive())
        return QString();
    const int r = source->storageRowOfIndex(key.toInt());
    const int f = source->fieldIndex(l->resultColumn);
    return r < 0 || f < 0 ? QString() : leftCharacters(source->storedText(r, f), l->displaySize);
}

int Dataset::countEqual(const QString& column, int value) const {
    if (!isActive())
        return 0;
    const int f = fieldIndex(column);
    if (f < 0)
        throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(column));
    const ColumnKind kind = m_store.column(f).kind;
    if (kind == ColumnKind::Text || kind == ColumnKind::Date)
        return 0;
    int n = 0;
    for (int r : m_order)
        if (!m_store.isNull(r, f) && m_store.number(r, f) == value)
            ++n;
    return n;
}

// ------------------------------------------------------------------ notifications

void Dataset::disableControls() {
    ++m_disableCount;
}

void Dataset::enableControls() {
    if (m_disableCount == 0 || --m_disableCount > 0)
        return;
    if (m_pendingReset) {
        m_pendingReset = false;
        emit rowsReset();
    }
    if (m_pendingRecord) {
        m_pendingRecord = false;
        emit recordChanged();
    }
}

void Dataset::emitRecordChanged() {
    if (m_disableCount > 0)
        m_pendingRecord = true;
    else
        emit recordChanged();
}

void Dataset::emitRowsReset() {
    if (m_disableCount > 0)
        m_pendingReset = true;
    else
        emit rowsReset();
}
