#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <optional>
#include <vector>

class Dataset;

// Table model over a dataset, for grids and lookup lists. Row r is position r + 1 of the
// dataset; the columns are the given fields (plain columns or lookup fields). Cells are read
// from the dataset's typed storage only when a view asks for them. While the dataset appends
// a row, that row is shown after the last one.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetModel(Dataset* dataset, const QStringList& fields = {}, QObject* parent = nullptr);

    Dataset* dataset() const { return m_dataset; }
    void setFields(const QStringList& fields);
    void setTitles(const QStringList& titles) { m_titles = titles; }
    const QStringList& fields() const { return m_fields; }
    // Cells take input; what is entered goes into the dataset's current row, which is put into
    // the edit state first. A lookup column takes the key of the chosen list row.
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }
    // A lookup column: the key column it shows a name for, and the list the names come from.
    struct Lookup {
        QString keyColumn;
        Dataset* list = nullptr;
        QString listField;
    };
    // Nothing for a plain column (or one whose list is not there).
    std::optional<Lookup> lookupOf(int column) const;
    // The row a grid shows for the dataset's current record (the appended one while appending);
    // -1 when there is none.
    int currentRow() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Throws DbError for a value the column cannot hold. Qt's own frames must not be between
    // the throw and the catch (Qt is built without exceptions): the grid's delegate catches it.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    QStringList effectiveFields() const;
    void resolveFields();
    int fieldOf(int column) const;
    std::optional<Lookup> findLookup(int column) const;
    bool isAppendRow(int row) const;
    QPointer<Dataset> m_dataset;
    QStringList m_fields;
    QStringList m_titles;
    // Dataset field of each column (-1: lookup field), resolved when the rows are reset.
    std::vector<int> m_fieldIndex;
    std::vector<std::optional<Lookup>> m_lookups;
    QStringList m_resolved;
    bool m_editable = false;
    bool m_appending = false;
    int m_indicatorRow = -1;
};
