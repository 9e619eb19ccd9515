#include "store/ColumnStore.h"

#include "store/GermanCollation.h"

#include <QByteArray>
#include <QDate>
#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace {

constexpr qint32 kNullDate = 0;

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

} // namespace

qint32 ColumnStore::parseIsoDate(const char* s, int n) {
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

void ColumnStore::setup(sqlite3_stmt* stmt) {
    const int n = sqlite3_column_count(stmt);
    std::vector<Column> columns(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        Column& c = columns[std::size_t(i)];
        c.name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        c.kind = kindFromDecltype(sqlite3_column_decltype(stmt, i));
    }
    auto sameAs = [&columns](const std::vector<Column>& present) {
        return std::equal(
            columns.begin(), columns.end(), present.begin(), present.end(),
            [](const Column& a, const Column& b) { return a.name == b.name && a.kind == b.kind; });
    };
    if (m_columns.empty() && sameAs(m_spare))
        m_columns.swap(m_spare);
    std::vector<Column>().swap(m_spare);
    if (!sameAs(m_columns)) {
        m_columns = std::move(columns);
        return;
    }
    // The same columns read again: their memory is used once more instead of being given back
    // and asked for anew, which on a large register costs more than a tenth of the read.
    for (Column& c : m_columns) {
        c.ints.clear();
        c.texts.clear();
        c.null.clear();
        c.arena.clear();
        c.unreadable = false;
    }
}

void ColumnStore::clear() {
    m_columns.clear();
    std::vector<Column>().swap(m_spare);
}

void ColumnStore::retire() {
    if (m_columns.empty())
        return;
    m_spare.swap(m_columns);
    std::vector<Column>().swap(m_columns);
}

void ColumnStore::reserve(std::size_t rows, const QHash<QString, std::size_t>& textBytes) {
    // Room for the rows entered after the read too: the first one would double every column.
    rows += rows / 32 + 64;
    for (Column& c : m_columns) {
        c.null.reserve(rows);
        if (c.kind == Kind::Text) {
            c.texts.reserve(rows);
            // A little more than last time: a grown arena would double.
            const std::size_t bytes = textBytes.value(c.name, 0);
            const std::size_t wanted = bytes + bytes / 32;
            if (c.arena.empty() && c.arena.capacity() < wanted) {
                // Reserving more in a reused arena would also double it; a new one gets the room asked.
                std::string().swap(c.arena);
            }
            c.arena.reserve(wanted);
        } else {
            c.ints.reserve(rows);
        }
    }
}

QHash<QString, std::size_t> ColumnStore::textBytes() const {
    QHash<QString, std::size_t> bytes;
    for (const Column& c : m_columns)
        if (c.kind == Kind::Text)
            bytes.insert(c.name, c.arena.size());
    return bytes;
}

int ColumnStore::find(const QString& name, int limit) const {
    const int n = std::min(limit, columnCount());
    for (int i = 0; i < n; ++i)
        if (m_columns[std::size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int ColumnStore::addRow() {
    const int row = rowCount();
    for (Column& c : m_columns) {
        c.null.push_back(true);
        if (c.kind == Kind::Text)
            c.texts.push_back({0, 0});
        else
            c.ints.push_back(0);
    }
    return row;
}

int ColumnStore::appendRow(sqlite3_stmt* stmt) {
    const int row = addRow();
    fillRow(stmt, row);
    return row;
}

void ColumnStore::dropLastRow() {
    for (Column& c : m_columns) {
        c.null.pop_back();
        if (c.kind == Kind::Text)
            c.texts.pop_back();
        else
            c.ints.pop_back();
    }
}

void ColumnStore::fillRow(sqlite3_stmt* stmt, int row) {
    const int n = std::min(columnCount(), sqlite3_column_count(stmt));
    const std::size_t r = std::size_t(row);
    for (int i = 0; i < n; ++i) {
        Column& c = m_columns[std::size_t(i)];
        // Every cell is written, an empty one too: nothing of an earlier read of the row stays.
        const bool empty = sqlite3_column_type(stmt, i) == SQLITE_NULL;
        switch (c.kind) {
        case Kind::Integer:
        case Kind::Boolean:
            c.ints[r] = empty ? 0 : qint32(sqlite3_column_int64(stmt, i));
            c.null[r] = empty;
            break;
        case Kind::Date: {
            qint32 jd = kNullDate;
            if (!empty) {
                jd = parseIsoDate(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                  sqlite3_column_bytes(stmt, i));
                c.unreadable = c.unreadable || jd == kNullDate;
            }
            c.ints[r] = jd;
            c.null[r] = jd == kNullDate;
            break;
        }
        case Kind::Text:
            if (empty) {
                c.texts[r] = {0, 0};
            } else {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                const int len = sqlite3_column_bytes(stmt, i);
                c.texts[r] = {quint32(c.arena.size()), quint32(len)};
                c.arena.append(t, std::size_t(len));
            }
            c.null[r] = empty;
            break;
        }
    }
}

QString ColumnStore::text(int row, int field) const {
    const Column& c = column(field);
    const TextRef t = c.texts[std::size_t(row)];
    return QString::fromUtf8(c.arena.data() + t.offset, qsizetype(t.length));
}

bool ColumnStore::textEquals(int row, int field, const QByteArray& utf8) const {
    const Column& c = column(field);
    const TextRef t = c.texts[std::size_t(row)];
    return t.length == quint32(utf8.size()) &&
           std::memcmp(c.arena.data() + t.offset, utf8.constData(), t.length) == 0;
}

QVariant ColumnStore::value(int row, int field) const {
    const Column& c = column(field);
    const std::size_t r = std::size_t(row);
    if (c.null[r])
        return QVariant();
    switch (c.kind) {
    case Kind::Integer:
        return QVariant(int(c.ints[r]));
    case Kind::Boolean:
        return QVariant(c.ints[r] != 0);
    case Kind::Date:
        return QVariant(QDate::fromJulianDay(c.ints[r]));
    case Kind::Text:
        break;
    }
    return QVariant(text(row, field));
}

void ColumnStore::eraseRowsWithKeys(std::vector<int>& rows, int field,
                                    const std::vector<qint64>& sortedKeys) const {
    if (sortedKeys.empty())
        return;
    // A range check first: nearly every row is rejected by two comparisons.
    std::erase_if(rows, [&](int r) {
        if (isNull(r, field))
            return false;
        const qint64 v = number(r, field);
        return v >= sortedKeys.front() && v <= sortedKeys.back() &&
               std::binary_search(sortedKeys.begin(), sortedKeys.end(), v);
    });
}

int ColumnStore::compare(int field, int a, int b) const {
    const Column& c = column(field);
    const bool na = c.null[std::size_t(a)], nb = c.null[std::size_t(b)];
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    if (c.kind == Kind::Text) {
        const TextRef ta = c.texts[std::size_t(a)], tb = c.texts[std::size_t(b)];
        return german::compareUtf8(c.arena.data() + ta.offset, int(ta.length), c.arena.data() + tb.offset,
                                   int(tb.length));
    }
    const qint32 va = c.ints[std::size_t(a)], vb = c.ints[std::size_t(b)];
    return va == vb ? 0 : (va < vb ? -1 : 1);
}
