#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

class Dataset;

// Table model over a dataset, for grids and lookup lists. Row r is position r + 1 of the
// dataset; the columns are the given fields (plain columns or lookup fields).
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetModel(Dataset* dataset, const QStringList& fields = {}, QObject* parent = nullptr);

    Dataset* dataset() const { return m_dataset; }
    void setFields(const QStringList& fields);
    void setTitles(const QStringList& titles) { m_titles = titles; }
    const QStringList& fields() const { return m_fields; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList effectiveFields() const;
    QPointer<Dataset> m_dataset;
    QStringList m_fields;
    QStringList m_titles;
};
