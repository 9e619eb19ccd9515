#include "store/Dataset.h"

#include "common/DbError.h"
#include "store/Connection.h"
#include "store/DbErrorText.h"
#include "store/GermanCollation.h"
#include "store/RegisterSort.h"
#include "store/Schema.h"
#include "store/TextCheck.h"

#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace {

constexpr qint32 kNullDate = 0;
constexpr int kMaxPartialRows = 200;

using jet::quoted;

jet::ColumnKind kindFromDecltype(const char* decl) {
    const QByteArray d = QByteArray(decl ? decl : "").toUpper();
    if (d.contains("DATE"))
        return jet::ColumnKind::Date;
    if (d.contains("BOOL"))
        return jet::ColumnKind::Boolean;
    if (d.contains("INT"))
        return jet::ColumnKind::Integer;
    return jet::ColumnKind::Text;
}

// "yyyy-MM-dd" (a time part after it is ignored) to a Julian day; 0 when it is no date.
qint32 parseIsoDate(const char* s, int n) {
    if (!s || n < 10 || s[4] != '-' || s[7] != '-')
        return kNullDate;
    auto num = [&](int from, int len) {
        int v = 0;
        for (int i = from; i < from + len; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return -1;
            v = v * 10 + (s[i] - '0');
        }
        return v;
    };
    const int y = num(0, 4), m = num(5, 2), d = num(8, 2);
    if (!QDate::isValid(y, m, d))
        return kNullDate;
    // Julian day of a Gregorian date, as QDate counts it, without building one per cell.
    const int a = (14 - m) / 12;
    const qint64 yy = qint64(y) + 4800 - a;
    const int mm = m + 12 * a - 3;
    return qint32(d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045);
}

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
    Query q;
    if (!m_tableName.isEmpty()) {
        q.selectList = QStringLiteral("*");
        q.from = quoted(m_tableName);
        q.baseTable = m_tableName;
        q.tables = {m_tableName};
    } else {
        const jet::Translation t = jet::translate(m_commandText, schema::lookup());
        q.selectList = t.selectList;
        q.from = t.from;
        q.where = t.where;
        q.params = t.params;
        q.orderBy = t.orderBy;
        q.baseTable = t.baseTable;
        q.tables = t.tables;
    }
    q.baseHasIndex =
        !q.baseTable.isEmpty() && schema::kindOf(q.baseTable, QStringLiteral("Index")).has_value();
    return q;
}

QString Dataset::selectSql(const Query& q, const QString& extraCondition) const {
    QString sql = QStringLiteral("SELECT ") + q.selectList;
    if (q.orderBy)
        sql += QStringLiteral(", ") + quoted(q.orderBy->table) + QLatin1Char('.') + quoted(q.orderBy->column);
    sql += QStringLiteral(" FROM ") + q.from;
    QStringList conditions;
    if (!q.where.isEmpty())
        conditions << QLatin1Char('(') + q.where + QLatin1Char(')');
    if (!extraCondition.isEmpty())
        conditions << extraCondition;
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    // Rows with equal keys come in the order of their Index, so that a partial re-read can put
    // a changed row exactly where a full read would.
    QStringList order;
    if (q.orderBy)
        order << q.orderBy->sql;
    if (q.baseHasIndex)
        order << quoted(q.baseTable) + QStringLiteral(".\"Index\"");
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    return sql;
}

void Dataset::setupColumns(sqlite3_stmt* stmt) {
    const int n = sqlite3_column_count(stmt);
    m_columns.clear();
    m_columns.resize(std::size_t(n));
    m_visibleColumns = m_query.orderBy ? n - 1 : n;
    m_sortKeyField = m_query.orderBy ? n - 1 : -1;
    m_indexField = -1;
    for (int i = 0; i < n; ++i) {
        Column& c = m_columns[std::size_t(i)];
        c.name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        c.kind = kindFromDecltype(sqlite3_column_decltype(stmt, i));
        if (i < m_visibleColumns && m_indexField < 0 &&
            c.name.compare(QLatin1String("Index"), Qt::CaseInsensitive) == 0)
            m_indexField = i;
    }
    const QString declared = !m_declaredTable.isEmpty() ? m_declaredTable : m_tableName;
    if (schema::hasDeclaredFields(declared)) {
        for (const schema::Column& d : schema::columns(declared)) {
            const int f = fieldIndex(d.name);
            if (f < 0)
                throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(d.name));
            if (m_columns[std::size_t(f)].kind != d.kind)
                throw DbError(QStringLiteral("Das Feld '%1' hat den falschen Typ (erwartet: %2).")
                                  .arg(d.name, kindName(d.kind)));
        }
    }
}

int Dataset::addStorageRow() {
    const int row = m_columns.empty() ? 0 : int(m_columns.front().null.size());
    for (Column& c : m_columns) {
        c.null.push_back(1);
        if (c.kind == ColumnKind::Text)
            c.texts.push_back({0, 0});
        else
            c.ints.push_back(0);
    }
    return row;
}

int Dataset::appendRow(sqlite3_stmt* stmt) {
    const int row = addStorageRow();
    fillRow(stmt, row);
    return row;
}

void Dataset::dropLastStorageRow() {
    for (Column& c : m_columns) {
        c.null.pop_back();
        if (c.kind == ColumnKind::Text)
            c.texts.pop_back();
        else
            c.ints.pop_back();
    }
}

void Dataset::fillRow(sqlite3_stmt* stmt, int row) {
    // A statement may deliver fewer columns than the dataset holds (the hidden sort key is not
    // read back after a post); those keep their values.
    const int n = std::min(int(m_columns.size()), sqlite3_column_count(stmt));
    for (int i = 0; i < n; ++i) {
        Column& c = m_columns[std::size_t(i)];
        const std::size_t r = std::size_t(row);
        c.null[r] = 1;
        if (sqlite3_column_type(stmt, i) == SQLITE_NULL)
            continue;
        switch (c.kind) {
        case ColumnKind::Integer:
        case ColumnKind::Boolean:
            c.ints[r] = qint32(sqlite3_column_int64(stmt, i));
            c.null[r] = 0;
            break;
        case ColumnKind::Date: {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            const qint32 jd = parseIsoDate(t, sqlite3_column_bytes(stmt, i));
            if (jd != kNullDate) {
                c.ints[r] = jd;
                c.null[r] = 0;
            } else {
                c.unreadable = true;
            }
            break;
        }
        case ColumnKind::Text: {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            const int len = sqlite3_column_bytes(stmt, i);
            c.texts[r] = {quint32(c.arena.size()), quint32(len)};
            c.arena.append(t, std::size_t(len));
            c.null[r] = 0;
            break;
        }
        }
    }
}

void Dataset::readAll() {
    if (m_resort)
        m_resort->beforeRead();
    Statement st = m_connection.prepare(selectSql(m_query, QString()));
    st.bindAll(m_query.params);
    // A re-read (also after a close, as every sort does) mostly finds as many rows as the last.
    const std::size_t expected = m_lastReadRows;
    setupColumns(st.get());
    for (Column& c : m_columns) {
        c.null.reserve(expected);
        if (c.kind == ColumnKind::Text)
            c.texts.reserve(expected);
        else
            c.ints.reserve(expected);
    }
    m_order.clear();
    m_order.reserve(expected);
    while (st.step())
        m_order.push_back(appendRow(st.get()));
    m_indexMapValid = false;
    m_dataVersion = m_connection.dataVersion();
    m_changeSerial = m_connection.changeSerial();
    m_lastReadRows = m_order.size();
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
    m_columns.clear();
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

// ------------------------------------------------------------------ navigation

int Dataset::recNo() const {
    return isActive() && m_current >= 0 ? m_current + 1 : -1;
}

void Dataset::moveTo(int position, bool notify) {
    const bool changed = position != m_current;
    m_current = position;
    if (changed) {
        emitRecordChanged();
        if (notify)
            emit afterScroll();
    }
}

void Dataset::setRecNo(int position) {
    requireBrowse();
    if (position < 1 || position > recordCount())
        throw DbError(QStringLiteral("Datensatz %1 existiert nicht.").arg(position));
    moveTo(position - 1, true);
}

void Dataset::first() {
    requireBrowse();
    if (!m_order.empty())
        moveTo(0, true);
}

void Dataset::last() {
    requireBrowse();
    if (!m_order.empty())
        moveTo(int(m_order.size()) - 1, true);
}

void Dataset::next() {
    requireBrowse();
    if (m_current + 1 < int(m_order.size()))
        moveTo(m_current + 1, true);
}

void Dataset::prior() {
    requireBrowse();
    if (m_current > 0)
        moveTo(m_current - 1, true);
}

bool Dataset::locate(const QString& column, const QVariant& value, bool caseInsensitive) {
    requireBrowse();
    const int f = fieldIndex(column);
    if (f < 0)
        throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(column));
    const Column& c = m_columns[std::size_t(f)];
    int found = -1;
    if (c.kind == ColumnKind::Text) {
        const QString wanted = value.toString();
        const QByteArray utf8 = wanted.toUtf8();
        for (int p = 0; p < int(m_order.size()) && found < 0; ++p) {
            const int r = m_order[std::size_t(p)];
            const TextRef t = c.texts[std::size_t(r)];
            if (!caseInsensitive) {
                if (t.length == quint32(utf8.size()) &&
                    std::memcmp(c.arena.data() + t.offset, utf8.constData(), t.length) == 0)
                    found = p;
            } else if (german::equalsIgnoreCase(storedText(r, f), wanted)) {
                found = p;
            }
        }
    } else if (value.isNull() || !value.isValid()) {
        for (int p = 0; p < int(m_order.size()) && found < 0; ++p)
            if (c.null[std::size_t(m_order[std::size_t(p)])])
                found = p;
    } else if (f == m_indexField) {
        bool ok = false;
        const int key = value.toInt(&ok);
        const int r = ok ? storageRowOfIndex(key) : -1;
        if (r >= 0) {
            const auto it = std::find(m_order.begin(), m_order.end(), r);
            if (it != m_order.end())
                found = int(it - m_order.begin());
        }
    } else {
        const QVariant wanted = toColumnValue(f, value);
        for (int p = 0; p < int(m_order.size()) && found < 0; ++p)
            if (storedValue(m_order[std::size_t(p)], f) == wanted)
                found = p;
    }
    if (found < 0)
        return false;
    moveTo(found, true);
    return true;
}

// ------------------------------------------------------------------ reading values

QStringList Dataset::fieldNames() const {
    QStringList names;
    for (int i = 0; i < m_visibleColumns; ++i)
        names << m_columns[std::size_t(i)].name;
    return names;
}

int Dataset::fieldIndex(const QString& column) const {
    for (int i = 0; i < m_visibleColumns; ++i)
        if (m_columns[std::size_t(i)].name.compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Dataset::ColumnKind Dataset::fieldKind(int field) const {
    return m_columns[std::size_t(field)].kind;
}

QString Dataset::storedText(int storageRow, int field) const {
    const Column& c = m_columns[std::size_t(field)];
    const TextRef t = c.texts[std::size_t(storageRow)];
    return QString::fromUtf8(c.arena.data() + t.offset, qsizetype(t.length));
}

QVariant Dataset::storedValue(int storageRow, int field) const {
    const Column& c = m_columns[std::size_t(field)];
    if (c.null[std::size_t(storageRow)])
        return QVariant();
    switch (c.kind) {
    case ColumnKind::Integer:
        return QVariant(int(c.ints[std::size_t(storageRow)]));
    case ColumnKind::Boolean:
        return QVariant(c.ints[std::size_t(storageRow)] != 0);
    case ColumnKind::Date:
        return QVariant(QDate::fromJulianDay(c.ints[std::size_t(storageRow)]));
    case ColumnKind::Text:
        break;
    }
    return QVariant(storedText(storageRow, field));
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
    if (m_indexField >= 0) {
        const Column& c = m_columns[std::size_t(m_indexField)];
        m_indexMap.reserve(qsizetype(m_order.size()));
        // Later storage rows replace earlier copies of the same Index.
        for (int r : m_order)
            if (!c.null[std::size_t(r)])
                m_indexMap.insert(c.ints[std::size_t(r)], r);
    }
    m_indexMapValid = true;
}

int Dataset::storageRowOfIndex(int index) const {
    if (!m_indexMapValid)
        rebuildIndexMap();
    return m_indexMap.value(index, -1);
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
    return source->storedText(r, f).left(l->displaySize);
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
    return r < 0 || f < 0 ? QString() : source->storedText(r, f).left(l->displaySize);
}

int Dataset::countEqual(const QString& column, int value) const {
    if (!isActive())
        return 0;
    const int f = fieldIndex(column);
    if (f < 0)
        throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(column));
    const Column& c = m_columns[std::size_t(f)];
    if (c.kind == ColumnKind::Text || c.kind == ColumnKind::Date)
        return 0;
    int n = 0;
    for (int r : m_order)
        if (!c.null[std::size_t(r)] && c.ints[std::size_t(r)] == value)
            ++n;
    return n;
}

// ------------------------------------------------------------------ editing

QVariant Dataset::toColumnValue(int field, const QVariant& v) const {
    if (v.isNull() || !v.isValid())
        return QVariant();
    const Column& c = m_columns[std::size_t(field)];
    switch (c.kind) {
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
    if (f == m_indexField && m_query.baseHasIndex)
        throw DbError(QStringLiteral("Das Feld '%1' kann nicht geändert werden.").arg(column));
    m_buffer[std::size_t(f)] = toColumnValue(f, v);
    m_modified[std::size_t(f)] = true;
    emitRecordChanged();
}

void Dataset::checkUnchanged(int storageRow) const {
    QStringList cols;
    for (int f = 0; f < m_visibleColumns; ++f)
        cols << quoted(m_columns[std::size_t(f)].name);
    Statement st = m_connection.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE \"Index\" = ?")
                                            .arg(cols.join(QStringLiteral(", ")), quoted(m_query.baseTable)));
    st.bind(1, storedValue(storageRow, m_indexField));
    if (!st.step())
        throw DbError(QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Benutzer gelöscht. "
                                     "Die Änderungen wurden nicht gespeichert."));
    // Compare what is stored now with what this dataset read.
    Dataset* self = const_cast<Dataset*>(this);
    const int probe = self->appendRow(st.get());
    bool same = true;
    for (int f = 0; f < m_visibleColumns && same; ++f)
        same = storedValue(probe, f) == storedValue(storageRow, f);
    self->dropLastStorageRow();
    if (!same)
        throw DbError(
            QStringLiteral("Der Datensatz wurde inzwischen von einem anderen Benutzer geändert. "
                           "Die Änderungen wurden nicht gespeichert; lesen Sie die Daten neu ein."));
}

void Dataset::readBackRow(int storageRow, qint64 rowid) {
    QStringList cols;
    for (int f = 0; f < m_visibleColumns; ++f)
        cols << quoted(m_columns[std::size_t(f)].name);
    Statement st = m_connection.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                            .arg(cols.join(QStringLiteral(", ")), quoted(m_query.baseTable)));
    st.bind(1, rowid);
    if (st.step())
        fillRow(st.get(), storageRow);
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
    QStringList names;
    QVariantList values;
    for (int f = 0; f < m_visibleColumns; ++f) {
        if (!m_modified[std::size_t(f)])
            continue;
        textcheck::requireStorable(m_columns[std::size_t(f)].name, m_buffer[std::size_t(f)]);
        names << quoted(m_columns[std::size_t(f)].name);
        values << m_buffer[std::size_t(f)];
    }
    if (m_state == State::Edit && names.isEmpty()) {
        // Nothing changed: nothing to write, and nothing to collide with another's change.
        leaveEditState();
        emit stateChanged();
        emitRecordChanged();
        emit afterPost();
        return;
    }
    const QString table = quoted(m_query.baseTable);
    qint64 rowid = 0;
    {
        Transaction transaction(m_connection);
        if (m_state == State::Insert) {
            QString sql;
            if (names.isEmpty()) {
                sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
            } else {
                QStringList marks(names.size(), QStringLiteral("?"));
                sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
            }
            Statement st = m_connection.prepare(sql);
            st.bindAll(values);
            st.step();
            rowid = sqlite3_last_insert_rowid(m_connection.handle());
        } else {
            const int r = currentStorageRow();
            checkUnchanged(r);
            rowid = storedValue(r, m_indexField).toLongLong();
            if (!names.isEmpty()) {
                QStringList sets;
                for (const QString& n : names)
                    sets << n + QStringLiteral(" = ?");
                Statement st = m_connection.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE \"Index\" = ?")
                                                        .arg(table, sets.join(QStringLiteral(", "))));
                values << rowid;
                st.bindAll(values);
                st.step();
            }
        }
        transaction.commit();
    }
    m_connection.noteChange(m_query.baseTable, rowid);

    // Show the row as stored (with its new Index and whatever the database completed).
    if (m_state == State::Insert) {
        const int r = addStorageRow();
        readBackRow(r, rowid);
        m_order.push_back(r);
        m_current = int(m_order.size()) - 1;
        // The new row is last in order, so it is the one a rebuilt map would keep for its Index.
        if (m_indexMapValid && m_indexField >= 0) {
            const Column& ic = m_columns[std::size_t(m_indexField)];
            if (!ic.null[std::size_t(r)])
                m_indexMap.insert(ic.ints[std::size_t(r)], r);
        }
    } else {
        // Read back into the same storage row; its Index cannot change, so the map stays valid
        // (rebuilding it costs more than the whole post on a large register).
        readBackRow(currentStorageRow(), rowid);
    }
    leaveEditState();
    emit stateChanged();
    emitRowsReset();
    emitRecordChanged();
    emit afterPost();
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

// ------------------------------------------------------------------ sort and refresh

// Two storage rows by one column: empty first, text in German order, numbers and dates by value.
int Dataset::compareCells(const Column& c, int a, int b) {
    const bool na = c.null[std::size_t(a)], nb = c.null[std::size_t(b)];
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    if (c.kind == ColumnKind::Text) {
        const TextRef ta = c.texts[std::size_t(a)], tb = c.texts[std::size_t(b)];
        return german::compareUtf8(c.arena.data() + ta.offset, int(ta.length), c.arena.data() + tb.offset,
                                   int(tb.length));
    }
    const qint32 va = c.ints[std::size_t(a)], vb = c.ints[std::size_t(b)];
    return va == vb ? 0 : (va < vb ? -1 : 1);
}

int Dataset::compareRows(int a, int b) const {
    if (m_resort && m_resort->ordersView())
        return m_resort->compareRows(a, b);
    // Order of the query: its sort key, then Index.
    if (m_sortKeyField >= 0) {
        int cmp = compareCells(m_columns[std::size_t(m_sortKeyField)], a, b);
        if (m_query.orderBy && m_query.orderBy->descending)
            cmp = -cmp;
        if (cmp != 0)
            return cmp;
    }
    return compareCells(m_columns[std::size_t(m_indexField)], a, b);
}

bool Dataset::refreshChangedRows() {
    // Only when nobody else wrote, the query has a base table with Index, and no joined table
    // changed: then the rows this program wrote are the only difference to a full read.
    if (!m_query.baseHasIndex || m_indexField < 0 || !m_sortText.isEmpty())
        return false;
    if (m_connection.dataVersion() != m_dataVersion)
        return false;
    for (const QString& t : m_query.tables)
        if (t.compare(m_query.baseTable, Qt::CaseInsensitive) != 0 &&
            m_connection.tableChangedSince(m_changeSerial, t))
            return false;
    const auto changed = m_connection.changedSince(m_changeSerial, m_query.baseTable);
    if (!changed || changed->size() > kMaxPartialRows)
        return false;
    m_changeSerial = m_connection.changeSerial();
    if (changed->isEmpty())
        return true;

    // A sorted list with a range check: nearly every row is rejected by two comparisons instead
    // of a hash lookup.
    std::vector<qint64> ids(changed->cbegin(), changed->cend());
    std::sort(ids.begin(), ids.end());
    const Column& ic = m_columns[std::size_t(m_indexField)];
    std::erase_if(m_order, [&](int r) {
        if (ic.null[std::size_t(r)])
            return false;
        const qint64 v = ic.ints[std::size_t(r)];
        return v >= ids.front() && v <= ids.back() && std::binary_search(ids.begin(), ids.end(), v);
    });
    // Every row holding a changed Index has left the order; the map forgets those keys and learns
    // the re-read rows below. Two re-read rows with one Index: rebuild, so the later one wins.
    if (m_indexMapValid)
        for (qint64 id : ids)
            m_indexMap.remove(int(id));

    QStringList marks;
    QVariantList params = m_query.params;
    for (qint64 id : *changed) {
        marks << QStringLiteral("?");
        params << id;
    }
    const QString cond = quoted(m_query.baseTable) + QStringLiteral(".\"Index\" IN (") +
                         marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    Statement st = m_connection.prepare(selectSql(m_query, cond));
    st.bindAll(params);
    while (st.step()) {
        const int r = appendRow(st.get());
        const auto pos = std::upper_bound(m_order.begin(), m_order.end(), r,
                                          [this](int x, int y) { return compareRows(x, y) < 0; });
        m_order.insert(pos, r);
        if (m_indexMapValid && !ic.null[std::size_t(r)]) {
            const int key = ic.ints[std::size_t(r)];
            if (m_indexMap.contains(key))
                m_indexMapValid = false;
            else
                m_indexMap.insert(key, r);
        }
    }
    return true;
}

void Dataset::refresh() {
    reread(true);
}

void Dataset::fullRefresh() {
    reread(false);
}

void Dataset::reread(bool partialAllowed) {
    requireBrowse();
    const int r = currentStorageRow();
    const QVariant key = (r >= 0 && m_indexField >= 0) ? storedValue(r, m_indexField) : QVariant();
    const int oldPos = m_current;
    if (!partialAllowed || !refreshChangedRows()) {
        readAll();
        applySort();
    }
    int pos = key.isValid() ? positionOfIndex(key.toInt()) : -1;
    if (pos < 0)
        pos = m_order.empty() ? -1 : std::clamp(oldPos, 0, int(m_order.size()) - 1);
    m_current = pos;
    emitRowsReset();
    emitRecordChanged();
}

void Dataset::applySort() {
    if (m_sortField < 0)
        return;
    const Column& c = m_columns[std::size_t(m_sortField)];
    const bool desc = m_sortDescending;
    std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const int cmp = compareCells(c, a, b);
        return desc ? cmp > 0 : cmp < 0;
    });
}

void Dataset::setSort(const QString& sortText) {
    requireBrowse();
    const QStringList parts = sortText.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int field = -1;
    bool desc = false;
    if (!parts.isEmpty()) {
        field = fieldIndex(parts.at(0));
        if (field < 0)
            throw DbError(QStringLiteral("Feld '%1' nicht gefunden.").arg(parts.at(0)));
        if (parts.size() > 2 ||
            (parts.size() == 2 && parts.at(1).compare(QLatin1String("ASC"), Qt::CaseInsensitive) != 0 &&
             parts.at(1).compare(QLatin1String("DESC"), Qt::CaseInsensitive) != 0))
            throw DbError(QStringLiteral("Ungültige Sortierung '%1'.").arg(sortText));
        desc = parts.size() == 2 && parts.at(1).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
    }
    const int r = currentStorageRow();
    m_sortText = sortText;
    m_sortField = field;
    m_sortDescending = desc;
    if (field < 0) {
        // Back to the order in which the rows were read (or the kept rows were ordered).
        if (m_resort && m_resort->ordersView())
            std::sort(m_order.begin(), m_order.end(), [this](int a, int b) { return compareRows(a, b) < 0; });
        else
            std::sort(m_order.begin(), m_order.end());
    } else {
        applySort();
    }
    if (r >= 0)
        m_current = int(std::find(m_order.begin(), m_order.end(), r) - m_order.begin());
    emitRowsReset();
    emitRecordChanged();
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
