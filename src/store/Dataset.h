#pragma once

#include "store/ColumnStore.h"
#include "store/DatasetQuery.h"
#include "store/IndexMap.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class Connection;
class RegisterSort;
struct sqlite3_stmt;

// A table or query dataset with a static cursor: the rows are read into memory (a ColumnStore)
// when it opens and stay so until it is re-opened or refreshed. Positions are 1-based; the
// current row is what bound controls show. Besides the cursor it keeps the edit buffer of the
// current row, writes it back with a check that nobody changed the row since it was read, and
// re-reads only the rows this program changed when nobody else wrote the file.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    using ColumnKind = jet::ColumnKind;

    Dataset(Connection& connection, const QString& name, QObject* parent = nullptr);
    ~Dataset() override;

    // A table dataset reads the whole table; a query dataset runs its (Jet) command text.
    void setTableName(const QString& table);
    QString tableName() const { return m_tableName; }
    void setCommandText(const QString& text);
    QString commandText() const { return m_commandText; }
    // The table whose declared fields must be present when the dataset opens (for a query dataset).
    void setDeclaredTable(const QString& table) { m_declaredTable = table; }
    // The table whose fields and lookups the dataset has (its table, or the declared one).
    QString schemaTable() const { return m_declaredTable.isEmpty() ? m_tableName : m_declaredTable; }
    // A dataset on `table` that lookup fields resolve their keys in.
    void setLookupSource(const QString& table, Dataset* source);
    Dataset* lookupSource(const QString& table) const { return m_lookupSources.value(table.toLower()); }

    void open();
    void close();
    bool isActive() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }

    // ---- navigation
    int recordCount() const { return isActive() ? int(m_order.size()) : 0; }
    bool isEmpty() const { return recordCount() == 0; }
    int recNo() const; // -1 when there is no current row
    void setRecNo(int position);
    void first();
    void last();
    void next();
    void prior();
    // Moves to the first row whose column equals value; false (and no move) when none does.
    bool locate(const QString& column, const QVariant& value, bool caseInsensitive = false);

    // ---- fields of the current row
    QStringList fieldNames() const;
    int fieldIndex(const QString& column) const;
    ColumnKind fieldKind(int field) const;
    // The auto-number key of the table: the database assigns it, setValue refuses it.
    bool isAutoKey(int field) const { return field >= 0 && field == m_indexField && m_query.baseHasIndex; }
    QVariant value(const QString& column) const; // invalid QVariant when empty
    int asInteger(const QString& column) const;  // empty reads as 0
    QString asString(const QString& column) const;
    QDate asDate(const QString& column) const; // empty reads as an invalid date
    bool asBoolean(const QString& column) const;
    bool isNull(const QString& column) const;
    QString lookupText(const QString& lookupField) const;
    QStringList lookupFieldNames() const;

    // ---- any row, by 0-based position (grids, pick lists)
    QVariant valueAt(int row, int field) const;
    QString textAt(int row, int field) const;
    QString lookupTextAt(int row, const QString& lookupField) const;
    // Storage-independent text of the key column's lookup: position of the row with Index = key.
    int positionOfIndex(int index) const;

    // ---- editing
    void append();
    void edit();
    void setValue(const QString& column, const QVariant& value);
    void post();
    void cancel();
    // Deletes the current row from the table and the dataset; a begun new row is only dropped.
    // `inTransaction` runs inside the deleting transaction, before the delete, with the row's
    // Index (0 for a table without one); what it throws undoes both.
    void deleteRecord(const std::function<void(qint64 index)>& inTransaction = {});

    // ---- sort and refresh
    // "Name ASC", "Name DESC" or a bare column name; empty removes the sort.
    void setSort(const QString& sortText);
    QString sort() const { return m_sortText; }
    // Re-reads the rows from the database keeping the current row. When only this program
    // wrote since the last read, just the rows it changed are read again.
    void refresh();
    // The same, but the current row stays in view (at its position) even where the statement no
    // longer selects it, as long as the table holds it: after a post of a row that then leaves a
    // search, the row being edited stays the current one instead of its neighbour.
    void refreshKeepingCurrent();
    // Always reads everything again.
    void fullRefresh();
    int fullReadCount() const { return m_fullReads; }
    // For the register: keep the rows of the whole register across a close, so that opening with
    // one of its sort queries orders them in memory when nothing else changed (see RegisterSort).
    void setInMemoryResort(bool on);
    bool inMemoryResort() const { return m_resort != nullptr; }
    int inMemoryOpenCount() const;

    // Suspends the notifications to bound controls and grids (hooks still run).
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // Number of rows whose column holds exactly `value` (no move, no hook).
    int countEqual(const QString& column, int value) const;

    const QString& name() const { return m_name; }
    Connection& connection() const { return m_connection; }

signals:
    void afterScroll();
    void afterPost();
    void stateChanged();
    // The current record changed (position, content or edit buffer): bound controls re-read.
    void recordChanged();
    // The rows as a whole changed (opened, closed, re-read, sorted): grids reset.
    void rowsReset();
    // One row changed in place.
    void rowUpdated(int row);

private:
    friend class RegisterSort;
    using Query = DatasetQuery;

    void requireActive() const;
    void requireBrowse() const;
    Query buildQuery() const;
    void readAll();
    bool refreshChangedRows();
    void setupColumns(sqlite3_stmt* stmt);
    QVariant storedValue(int storageRow, int field) const { return m_store.value(storageRow, field); }
    QString storedText(int storageRow, int field) const { return m_store.text(storageRow, field); }
    int currentStorageRow() const;
    int compareRows(int a, int b) const;
    void reread(bool partialAllowed, bool keepCurrent = false);
    // Puts the row with this Index back at `position` after a re-read left it out; -1 when the
    // table no longer holds it.
    int keepRow(qint64 index, int position);
    // Posting to a table without Index (Land): the row is found by what was read.
    void postWithoutKey();
    void leaveEditState();
    int indexField() const { return m_indexField; }
    void rebuildIndexMap() const;
    int storageRowOfIndex(int index) const;
    // positionOfIndex for a single look-up: a scan of the rows when the map is not built (on a
    // large register building it costs far more than one scan).
    int scanForIndex(int index) const;
    void applySort();
    void moveTo(int position, bool notify);
    void emitRecordChanged();
    void emitRowsReset();
    QVariant toColumnValue(int field, const QVariant& v) const;
    QVariant currentValue(int field) const;
    // Names and values of the fields changed in the edit buffer; throws for a text that cannot be stored.
    QStringList changedFields(QVariantList& values) const;
    void checkUnchanged(int storageRow);
    void readBackRow(int storageRow, qint64 rowid);
    void showStoredRow(bool inserted, int editedRow, qint64 rowid);

    Connection& m_connection;
    QString m_name;
    QString m_tableName;
    QString m_commandText;
    QString m_declaredTable;
    QHash<QString, QPointer<Dataset>> m_lookupSources; // key: lower-case table

    State m_state = State::Inactive;
    ColumnStore m_store; // visible fields, then the hidden sort key when present
    int m_visibleColumns = 0;
    int m_sortKeyField = -1;
    int m_indexField = -1;
    std::vector<int> m_order; // position -> storage row
    int m_current = -1;       // 0-based position
    Query m_query;
    qint64 m_dataVersion = 0;
    quint64 m_changeSerial = 0;
    int m_fullReads = 0;
    std::size_t m_lastReadRows = 0;
    QString m_lastSelect; // the statement of the last read, whose memory a closed dataset keeps
    QHash<QString, std::size_t> m_lastTextBytes; // per text column, to reserve for the next read

    QString m_sortText;
    int m_sortField = -1;
    bool m_sortDescending = false;

    // Edit buffer of the current (or appended) row.
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_modified;
    int m_insertFrom = -1; // position current before an append

    mutable IndexMap m_indexMap; // Index -> storage row
    mutable bool m_indexMapValid = false;

    std::unique_ptr<RegisterSort> m_resort;

    int m_disableCount = 0;
    bool m_pendingRecord = false;
    bool m_pendingReset = false;
};
