// The cursor of a dataset: moving between rows and finding one by a column's value.
#include "store/Dataset.h"

#include "common/DbError.h"
#include "store/GermanCollation.h"

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
    const ColumnKind kind = m_store.column(f).kind;
    int found = -1;
    if (kind == ColumnKind::Text) {
        const QString wanted = value.toString();
        const QByteArray utf8 = wanted.toUtf8();
        for (int p = 0; p < int(m_order.size()) && found < 0; ++p) {
            const int r = m_order[std::size_t(p)];
            if (!caseInsensitive) {
                if (m_store.textEquals(r, f, utf8))
                    found = p;
            } else if (german::equalsIgnoreCase(storedText(r, f), wanted)) {
                found = p;
            }
        }
    } else if (value.isNull() || !value.isValid()) {
        for (int p = 0; p < int(m_order.size()) && found < 0; ++p)
            if (m_store.isNull(m_order[std::size_t(p)], f))
                found = p;
    } else if (f == m_indexField) {
        bool ok = false;
        const int key = value.toInt(&ok);
        found = ok ? scanForIndex(key) : -1;
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
