// Re-reading and re-ordering the rows of a dataset.
#include "common/DbError.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/RegisterSort.h"

#include <algorithm>

namespace {
constexpr int kMaxPartialRows = 200;
} // namespace

int Dataset::compareRows(int a, int b) const {
    if (m_resort && m_resort->ordersView())
        return m_resort->compareRows(a, b);
    // Order of the query: its sort key, then Index.
    if (m_sortKeyField >= 0) {
        int cmp = m_store.compare(m_sortKeyField, a, b);
        if (m_query.orderBy && m_query.orderBy->descending)
            cmp = -cmp;
        if (cmp != 0)
            return cmp;
    }
    return m_store.compare(m_indexField, a, b);
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

    std::vector<qint64> ids(changed->cbegin(), changed->cend());
    std::sort(ids.begin(), ids.end());
    const int ix = m_indexField;
    m_store.eraseRowsWithKeys(m_order, ix, ids);
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
    const QString cond = jet::quoted(m_query.baseTable) + QStringLiteral(".\"Index\" IN (") +
                         marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    Statement st = m_connection.prepare(m_query.selectSql(cond));
    st.bindAll(params);
    while (st.step()) {
        const int r = m_store.appendRow(st.get());
        const auto pos = std::upper_bound(m_order.begin(), m_order.end(), r,
                                          [this](int x, int y) { return compareRows(x, y) < 0; });
        m_order.insert(pos, r);
        if (m_indexMapValid && !m_store.isNull(r, ix)) {
            const int key = m_store.number(r, ix);
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

void Dataset::refreshKeepingCurrent() {
    reread(true, true);
}

void Dataset::reread(bool partialAllowed, bool keepCurrent) {
    requireBrowse();
    const int r = currentStorageRow();
    const QVariant key = (r >= 0 && m_indexField >= 0) ? storedValue(r, m_indexField) : QVariant();
    const int oldPos = m_current;
    if (!partialAllowed || !refreshChangedRows()) {
        readAll();
        applySort();
    }
    int pos = key.isValid() ? scanForIndex(key.toInt()) : -1;
    if (pos < 0 && keepCurrent && key.isValid())
        pos = keepRow(key.toLongLong(), oldPos);
    if (pos < 0)
        pos = m_order.empty() ? -1 : std::clamp(oldPos, 0, int(m_order.size()) - 1);
    m_current = pos;
    emitRowsReset();
    emitRecordChanged();
}

int Dataset::keepRow(qint64 index, int position) {
    if (m_query.baseTable.isEmpty())
        return -1;
    Statement st =
        m_connection.prepare(Query::rowSql(m_query.baseTable, fieldNames(), QStringLiteral("Index")));
    st.bind(1, index);
    if (!st.step())
        return -1;
    const int r = m_store.appendRow(st.get());
    const int pos = std::clamp(position, 0, int(m_order.size()));
    m_order.insert(m_order.begin() + pos, r);
    if (m_indexMapValid)
        m_indexMap.insert(int(index), r);
    return pos;
}

void Dataset::applySort() {
    if (m_sortField < 0)
        return;
    const int field = m_sortField;
    const bool desc = m_sortDescending;
    std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const int cmp = m_store.compare(field, a, b);
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
