#pragma once

#include <QHash>
#include <QtGlobal>
#include <algorithm>
#include <vector>

// Index -> storage row of a dataset. The Index of a table counts up from 1 with few gaps, so
// the keys of a range are kept in a flat array (4 bytes per key, built in one pass) and only
// keys far from it in a hash: on a register of a million entries that is a tenth of the memory
// and time of a hash for every key.
class IndexMap {
public:
    // Replaces the contents by `rows` paired with their keys (a later pair wins for a key).
    // `keyOf(row)` gives the key, or nothing for a row without one.
    template <class Rows, class KeyOf> void assign(const Rows& rows, KeyOf keyOf) {
        clear();
        qint64 lo = 0, hi = -1;
        qint64 count = 0;
        for (int r : rows) {
            qint32 k = 0;
            if (!keyOf(r, k))
                continue;
            lo = count == 0 ? k : std::min<qint64>(lo, k);
            hi = count == 0 ? k : std::max<qint64>(hi, k);
            ++count;
        }
        if (count > 0 && hi - lo + 1 <= 2 * count + 1024) {
            m_base = lo;
            m_slots.assign(std::size_t(hi - lo + 1), 0);
        }
        for (int r : rows) {
            qint32 k = 0;
            if (keyOf(r, k))
                insert(k, r);
        }
    }
    void clear();
    void insert(qint32 key, int row);
    void remove(qint32 key);
    // The row of `key`; -1 when there is none.
    int value(qint32 key) const;
    bool contains(qint32 key) const { return value(key) >= 0; }

private:
    bool inRange(qint32 key) const { return key >= m_base && key - m_base < qint64(m_slots.size()); }

    qint64 m_base = 0;
    std::vector<int> m_slots; // row + 1 for the keys m_base, m_base + 1, ...; 0: none
    QHash<qint32, int> m_far;
};
