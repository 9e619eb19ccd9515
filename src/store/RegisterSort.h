#pragma once

#include "store/Dataset.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

// Re-orders the register dataset in memory when it is re-opened with one of the sort queries.
//
// It keeps the rows of the whole register the dataset last read (a read of the table itself, or
// a sort on one of its own columns), also while a sort on a list table or a search leaves some of
// them out of view. When the dataset opens with a sort query, nobody else wrote the file since
// that read (data version) and this program changed few enough rows to read them again, the kept
// rows are ordered as the query would order them: list tables and the distinct texts of a text
// column are ranked by the German collation, and the rows ordered by (rank, Index) in integer
// compares. Otherwise the dataset runs the query as ever.
class RegisterSort {
public:
    explicit RegisterSort(Dataset& dataset);

    // The dataset is about to replace its rows with a read of its statement.
    void beforeRead();
    // The dataset read the rows of its statement; a read of the whole register is kept.
    void afterRead();
    // The dataset closes: the kept rows leave it, to come back with the next sort.
    void park();
    // The dataset opens: true when its rows, current query and versions were set from the kept
    // rows; false when the statement must run.
    bool tryOpen();
    // True while the dataset shows rows this class ordered; compareRows then gives their order.
    bool ordersView() const { return m_active; }
    int compareRows(int a, int b) const;
    // The connection closes: what was kept belongs to a file that may change before it opens again.
    void forget();
    // Number of opens served from memory.
    int opens() const { return m_opens; }

private:
    using Column = ColumnStore::Column;
    struct Item {
        quint64 key;
        qint32 index;
        qint32 row;
    };

    void drop();
    bool readsWholeRegister() const;
    QStringList tableColumns() const;
    bool rankList(const QString& table, const QString& column);
    bool syncOwnChanges();
    void buildOrder();
    // Items of the kept rows keyed by the rank of their text.
    void orderByText(std::vector<Item>& items) const;
    int listRank(int key) const;

    Dataset& m_ds;
    bool m_haveRows = false; // a whole register: in the dataset, or parked here
    bool m_parked = false;
    ColumnStore m_kept; // the parked rows
    int m_visibleColumns = 0;
    int m_indexField = -1;
    std::vector<int> m_universe; // storage rows of the whole register, one per Index
    qint64 m_dataVersion = 0;
    quint64 m_serial = 0;

    // The order being shown.
    bool m_active = false;
    int m_field = -1;    // register column sorted on (the key column for a list)
    bool m_list = false; // m_field holds a list key; ranks come from m_rank
    bool m_descending = false;
    std::vector<qint32> m_rank; // list Index -> rank + 1 (0: no row), for keys in 0..size-1
    QHash<int, int> m_rankFar;  // the same for keys outside that range

    int m_opens = 0;
};
