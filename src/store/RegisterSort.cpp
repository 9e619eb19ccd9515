#include "store/RegisterSort.h"

#include "store/Connection.h"
#include "store/GermanCollation.h"
#include "store/RegisterQuery.h"
#include "store/Schema.h"

#include <algorithm>
#include <limits>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

const QString kRegister = QStringLiteral("Vorgang");

// As many rows as the after-post refresh reads again; more changes: the statement runs.
constexpr qsizetype kMaxChangedRows = 200;

bool isRegister(const QString& table) {
    return table.compare(kRegister, Qt::CaseInsensitive) == 0;
}

// A column value as an unsigned key that orders like SQLite: NULL first, then by value.
quint64 valueKey(bool null, qint32 v) {
    return null ? 0 : quint64(qint64(v) - qint64(std::numeric_limits<qint32>::min()) + 1);
}

constexpr quint64 kValueKeyEnd = quint64(1) << 33;

} // namespace

RegisterSort::RegisterSort(Dataset& dataset) : m_ds(dataset) {}

void RegisterSort::drop() {
    m_haveRows = false;
    m_parked = false;
    m_active = false;
    m_kept = ColumnStore();
    std::vector<int>().swap(m_universe);
}

bool RegisterSort::readsWholeRegister() const {
    const DatasetQuery& q = m_ds.m_query;
    return isRegister(q.baseTable) && q.tables.size() == 1 && q.where.isEmpty() && q.params.isEmpty() &&
           q.baseHasIndex;
}

void RegisterSort::beforeRead() {
    m_active = false;
    // The rows in the dataset are about to be replaced; parked ones stay unless the read brings
    // the whole register again (then they would only double the memory while it runs).
    if ((m_haveRows && !m_parked) || readsWholeRegister())
        drop();
}

void RegisterSort::afterRead() {
    if (!readsWholeRegister() || m_ds.m_indexField < 0)
        return;
    drop();
    m_haveRows = true;
    m_universe = m_ds.m_order;
    m_visibleColumns = m_ds.m_visibleColumns;
    m_indexField = m_ds.m_indexField;
    m_dataVersion = m_ds.m_dataVersion;
    m_serial = m_ds.m_changeSerial;
}

void RegisterSort::park() {
    m_active = false;
    if (!m_haveRows || m_parked)
        return;
    m_kept = std::move(m_ds.m_store);
    m_ds.m_store = ColumnStore();
    m_parked = true;
}

bool RegisterSort::tryOpen() {
    m_active = false;
    if (!m_haveRows || !m_parked)
        return false;
    // The whole register as the table holds it comes in the order of its Index.
    const bool wholeTable =
        m_ds.m_commandText.trimmed().compare(RegisterQuery::kWholeRegister, Qt::CaseInsensitive) == 0;
    const std::optional<RegisterQuery::SortStatement> st =
        wholeTable ? RegisterQuery::SortStatement{0, false} : RegisterQuery::recognise(m_ds.m_commandText);
    if (!st)
        return false;
    QStringList columns;
    QString orderTable, orderColumn;
    bool descending = false;
    if (wholeTable) {
        columns = tableColumns();
        orderColumn = QStringLiteral("Index");
    } else {
        const jet::Translation t = jet::translate(m_ds.m_commandText, schema::lookup());
        if (!t.orderBy)
            return false;
        columns = t.columns;
        orderTable = t.orderBy->table;
        orderColumn = t.orderBy->column;
        descending = t.orderBy->descending;
    }
    if (columns.size() != m_visibleColumns)
        return false;
    for (int i = 0; i < m_visibleColumns; ++i)
        if (columns.at(i).compare(m_kept.column(i).name, Qt::CaseInsensitive) != 0)
            return false;
    Connection& con = m_ds.m_connection;
    if (con.dataVersion() != m_dataVersion) {
        drop();
        return false;
    }
    const QString listKey = RegisterQuery::listKeyColumn(st->position);
    const QString column = listKey.isEmpty() ? orderColumn : listKey;
    int field = -1;
    for (int i = 0; i < m_visibleColumns && field < 0; ++i)
        if (m_kept.column(i).name.compare(column, Qt::CaseInsensitive) == 0)
            field = i;
    // A date the dataset could not read orders as its text in the query: not in memory.
    if (field < 0 || m_kept.column(field).unreadable)
        return false;
    const bool list = !listKey.isEmpty();
    if (list && (m_kept.column(field).kind != jet::ColumnKind::Integer || !rankList(orderTable, orderColumn)))
        return false;

    // The rows go back to the dataset; from here on a failure leaves them to the next read.
    m_ds.m_store = std::move(m_kept);
    m_kept = ColumnStore();
    m_parked = false;
    m_ds.m_visibleColumns = m_visibleColumns;
    m_ds.m_indexField = m_indexField;
    m_ds.m_sortKeyField = -1;
    if (!syncOwnChanges() || m_ds.m_store.column(field).unreadable) {
        drop();
        return false;
    }
    m_ds.m_query = m_ds.buildQuery();
    m_field = field;
    m_list = list;
    m_descending = descending;
    buildOrder();
    m_ds.m_indexMap.clear();
    m_ds.m_indexMapValid = false;
    m_ds.m_dataVersion = m_dataVersion;
    m_ds.m_changeSerial = m_serial;
    m_active = true;
    ++m_opens;
    return true;
}

QStringList RegisterSort::tableColumns() const {
    QStringList names;
    Statement st =
        m_ds.m_connection.prepare(QStringLiteral("PRAGMA table_info(%1)").arg(jet::quoted(kRegister)));
    while (st.step())
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)));
    return names;
}

void RegisterSort::forget() {
    // The rows go, but their memory goes back to the dataset for its next read of the register:
    // asking the system for every page of it again would cost a sixth of that read.
    if (m_parked) {
        m_kept.retire();
        m_ds.m_store = std::move(m_kept);
    }
    drop();
}

bool RegisterSort::syncOwnChanges() {
    Connection& con = m_ds.m_connection;
    const auto changed = con.changedSince(m_serial, kRegister);
    if (!changed || changed->size() > kMaxChangedRows)
        return false;
    m_serial = con.changeSerial();
    if (changed->isEmpty())
        return true;
    std::vector<qint64> ids(changed->cbegin(), changed->cend());
    std::sort(ids.begin(), ids.end());
    m_ds.m_store.eraseRowsWithKeys(m_universe, m_indexField, ids);
    QStringList cols, marks;
    QVariantList params;
    for (int f = 0; f < m_visibleColumns; ++f)
        cols << jet::quoted(m_ds.m_store.column(f).name);
    for (qint64 id : ids) {
        marks << QStringLiteral("?");
        params << id;
    }
    Statement st = con.prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE \"Index\" IN (%3)")
            .arg(cols.join(QStringLiteral(", ")), jet::quoted(kRegister), marks.join(QStringLiteral(", "))));
    st.bindAll(params);
    while (st.step())
        m_universe.push_back(m_ds.m_store.appendRow(st.get()));
    // Another writer between the version check and this read: what was read may be mixed.
    return con.dataVersion() == m_dataVersion;
}

bool RegisterSort::rankList(const QString& table, const QString& column) {
    struct Entry {
        qint64 index;
        bool null;
        quint32 offset, length;
    };
    std::vector<Entry> entries;
    std::string arena;
    Statement st = m_ds.m_connection.prepare(
        QStringLiteral("SELECT \"Index\", %1 FROM %2").arg(jet::quoted(column), jet::quoted(table)));
    while (st.step()) {
        sqlite3_stmt* s = st.get();
        if (sqlite3_column_type(s, 0) == SQLITE_NULL)
            continue; // joins nothing
        if (sqlite3_column_type(s, 0) != SQLITE_INTEGER)
            return false;
        Entry e{sqlite3_column_int64(s, 0), sqlite3_column_type(s, 1) == SQLITE_NULL, 0, 0};
        if (e.index < std::numeric_limits<qint32>::min() || e.index > std::numeric_limits<qint32>::max())
            return false;
        if (!e.null) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
            e.offset = quint32(arena.size());
            e.length = quint32(sqlite3_column_bytes(s, 1));
            arena.append(text, e.length);
        }
        entries.push_back(e);
    }
    auto compare = [&](const Entry& a, const Entry& b) {
        if (a.null || b.null)
            return a.null == b.null ? 0 : (a.null ? -1 : 1);
        return german::compareUtf8(arena.data() + a.offset, int(a.length), arena.data() + b.offset,
                                   int(b.length));
    };
    std::sort(entries.begin(), entries.end(),
              [&](const Entry& a, const Entry& b) { return compare(a, b) < 0; });

    // Equal texts share a rank: the register's Index decides between their rows, as in the query.
    const qint64 flatSize = qint64(entries.size()) * 4 + 1024;
    m_rank.assign(std::size_t(flatSize), 0);
    m_rankFar.clear();
    qint32 rank = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i == 0 || compare(entries[i - 1], entries[i]) != 0)
            ++rank;
        const qint64 index = entries[i].index;
        qint32* slot = index >= 0 && index < flatSize ? &m_rank[std::size_t(index)] : nullptr;
        const bool taken = slot ? *slot != 0 : m_rankFar.contains(int(index));
        if (taken)
            return false; // a key with two list rows: the join would repeat register rows
        if (slot)
            *slot = rank;
        else
            m_rankFar.insert(int(index), rank);
    }
    return true;
}

int RegisterSort::listRank(int key) const {
    if (key >= 0 && std::size_t(key) < m_rank.size())
        return m_rank[std::size_t(key)];
    return m_rankFar.value(key, 0);
}

void RegisterSort::orderByText(std::vector<Item>& items) const {
    const Column& c = m_ds.m_store.column(m_field);
    const Column& ic = m_ds.m_store.column(m_indexField);
    // Mostly plain ASCII (serial and permit numbers): the rows are sorted by the collation
    // weights of their first sixteen characters, the collation deciding only the rest.
    const std::size_t n = m_universe.size();
    std::vector<quint64> rowPrefix(n, 0), rowPrefix2(n, 0);
    std::vector<quint8> rowKind(n, 0); // 0 NULL, 1 ASCII up to 16 characters, 2 other, 3 longer ASCII
    std::size_t other = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int r = m_universe[i];
        if (c.null[std::size_t(r)])
            continue;
        const ColumnStore::TextRef t = c.texts[std::size_t(r)];
        const char* text = c.arena.data() + t.offset;
        if (!german::asciiPrefix(text, int(t.length), rowPrefix[i])) {
            rowKind[i] = 2;
            ++other;
            continue;
        }
        rowKind[i] = t.length > 16 ? 3 : 1;
        if (t.length > 8)
            german::asciiPrefix(text + 8, int(t.length) - 8, rowPrefix2[i]);
    }
    if (other * 20 < n) {
        std::vector<std::size_t> pos(n);
        for (std::size_t i = 0; i < n; ++i)
            pos[i] = i;
        const bool desc = m_descending;
        std::sort(pos.begin(), pos.end(), [&](std::size_t a, std::size_t b) {
            const quint8 ka = rowKind[a], kb = rowKind[b];
            const int ra = m_universe[a], rb = m_universe[b];
            int cmp;
            if (ka == 0 || kb == 0)
                cmp = ka == kb ? 0 : (ka == 0 ? -1 : 1);
            else if (ka == 2 || kb == 2)
                cmp = m_ds.m_store.compare(m_field, ra, rb);
            else if (rowPrefix[a] != rowPrefix[b])
                cmp = rowPrefix[a] < rowPrefix[b] ? -1 : 1;
            else if (rowPrefix2[a] != rowPrefix2[b])
                cmp = rowPrefix2[a] < rowPrefix2[b] ? -1 : 1;
            else
                cmp = ka == 1 && kb == 1 ? 0 : m_ds.m_store.compare(m_field, ra, rb);
            if (cmp != 0)
                return desc ? cmp > 0 : cmp < 0;
            return ic.ints[std::size_t(ra)] < ic.ints[std::size_t(rb)];
        });
        // Already in order: the keys only keep it.
        for (std::size_t i = 0; i < n; ++i) {
            const int r = m_universe[pos[i]];
            items.push_back({quint64(i), ic.ints[std::size_t(r)], r});
        }
        return;
    }
    // Much other text (notes): each distinct text is ranked once, as a register repeats its notes
    // many times; the rows are then ordered by (rank, Index) in integer compares.
    std::unordered_map<std::string_view, int> ids;
    ids.reserve(m_universe.size() / 4 + 16);
    std::vector<int> groupRow; // a storage row holding each distinct text
    std::vector<int> groupOf(m_universe.size(), -1);
    for (std::size_t i = 0; i < m_universe.size(); ++i) {
        const int r = m_universe[i];
        if (c.null[std::size_t(r)])
            continue;
        const ColumnStore::TextRef t = c.texts[std::size_t(r)];
        const auto [it, added] =
            ids.try_emplace(std::string_view(c.arena.data() + t.offset, t.length), int(groupRow.size()));
        if (added)
            groupRow.push_back(r);
        groupOf[i] = it->second;
    }
    // The collation weights of each distinct text's first sixteen characters, and its kind:
    // 1 ASCII of at most 16 characters (the weights decide), 2 other, 3 longer ASCII.
    const std::size_t groups = groupRow.size();
    std::vector<quint64> prefix(groups, 0), prefix2(groups, 0);
    std::vector<quint8> kind(groups, 2);
    for (std::size_t g = 0; g < groups; ++g) {
        const ColumnStore::TextRef t = c.texts[std::size_t(groupRow[g])];
        const char* text = c.arena.data() + t.offset;
        if (!german::asciiPrefix(text, int(t.length), prefix[g]))
            continue;
        kind[g] = t.length > 16 ? 3 : 1;
        if (t.length > 8)
            german::asciiPrefix(text + 8, int(t.length) - 8, prefix2[g]);
    }
    // Only texts of plain ASCII compare by their weights; every other pair as the collation does.
    auto compare = [&](int a, int b) {
        const std::size_t ga = std::size_t(a), gb = std::size_t(b);
        if (kind[ga] == 2 || kind[gb] == 2)
            return m_ds.m_store.compare(m_field, groupRow[ga], groupRow[gb]);
        if (prefix[ga] != prefix[gb])
            return prefix[ga] < prefix[gb] ? -1 : 1;
        if (prefix2[ga] != prefix2[gb])
            return prefix2[ga] < prefix2[gb] ? -1 : 1;
        return kind[ga] == 1 && kind[gb] == 1 ? 0 : m_ds.m_store.compare(m_field, groupRow[ga], groupRow[gb]);
    };
    std::vector<int> sorted(groupRow.size());
    for (std::size_t g = 0; g < sorted.size(); ++g)
        sorted[g] = int(g);
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) { return compare(a, b) < 0; });
    // Texts equal to the collation share a rank; NULL ranks 0, before every text.
    std::vector<quint64> rank(groupRow.size());
    quint64 next = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (i == 0 || compare(sorted[i - 1], sorted[i]) != 0)
            ++next;
        rank[std::size_t(sorted[i])] = next;
    }
    for (std::size_t i = 0; i < m_universe.size(); ++i) {
        const int r = m_universe[i];
        const quint64 k = groupOf[i] < 0 ? 0 : rank[std::size_t(groupOf[i])];
        items.push_back({m_descending ? kValueKeyEnd - k : k, ic.ints[std::size_t(r)], r});
    }
}

void RegisterSort::buildOrder() {
    const Column& ic = m_ds.m_store.column(m_indexField);
    const Column& c = m_ds.m_store.column(m_field);
    std::vector<Item> items;
    items.reserve(m_universe.size());
    if (m_list) {
        // The inner join: rows without a key or whose key has no list row are left out.
        for (int r : m_universe) {
            if (c.null[std::size_t(r)])
                continue;
            const int rank = listRank(c.ints[std::size_t(r)]);
            if (rank == 0)
                continue;
            items.push_back(
                {m_descending ? kValueKeyEnd - quint64(rank) : quint64(rank), ic.ints[std::size_t(r)], r});
        }
    } else if (c.kind == jet::ColumnKind::Text) {
        orderByText(items);
    } else {
        for (int r : m_universe) {
            const quint64 k = valueKey(c.null[std::size_t(r)], c.ints[std::size_t(r)]);
            items.push_back({m_descending ? kValueKeyEnd - k : k, ic.ints[std::size_t(r)], r});
        }
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.key != b.key ? a.key < b.key : a.index < b.index;
    });
    std::vector<int>& order = m_ds.m_order;
    order.clear();
    order.reserve(items.size());
    for (const Item& i : items)
        order.push_back(i.row);
}

int RegisterSort::compareRows(int a, int b) const {
    const ColumnStore& store = m_ds.m_store;
    const Column& c = store.column(m_field);
    int cmp;
    if (m_list) {
        const int ra = c.null[std::size_t(a)] ? 0 : listRank(c.ints[std::size_t(a)]);
        const int rb = c.null[std::size_t(b)] ? 0 : listRank(c.ints[std::size_t(b)]);
        cmp = ra == rb ? 0 : (ra < rb ? -1 : 1);
    } else {
        cmp = store.compare(m_field, a, b);
    }
    if (m_descending)
        cmp = -cmp;
    return cmp != 0 ? cmp : store.compare(m_indexField, a, b);
}
