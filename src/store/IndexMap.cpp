#include "store/IndexMap.h"

void IndexMap::clear() {
    m_base = 0;
    std::vector<int>().swap(m_slots);
    m_far.clear();
}

void IndexMap::insert(qint32 key, int row) {
    if (inRange(key)) {
        m_slots[std::size_t(key - m_base)] = row + 1;
        return;
    }
    // New rows get the next Index: the range grows at its end.
    if (!m_slots.empty() && key == m_base + qint64(m_slots.size())) {
        m_slots.push_back(row + 1);
        m_far.remove(key);
        return;
    }
    m_far.insert(key, row);
}

void IndexMap::remove(qint32 key) {
    if (inRange(key))
        m_slots[std::size_t(key - m_base)] = 0;
    else
        m_far.remove(key);
}

int IndexMap::value(qint32 key) const {
    if (inRange(key))
        return m_slots[std::size_t(key - m_base)] - 1;
    return m_far.value(key, -1);
}
