#include "store/DatasetModel.h"

#include "store/Dataset.h"

DatasetModel::DatasetModel(Dataset* dataset, const QStringList& fields, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_fields(fields) {
    connect(dataset, &Dataset::rowsReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(dataset, &Dataset::recordChanged, this, [this] {
        if (m_dataset && m_dataset->recNo() > 0) {
            const int r = m_dataset->recNo() - 1;
            emit dataChanged(index(r, 0), index(r, columnCount() - 1));
        }
    });
}

void DatasetModel::setFields(const QStringList& fields) {
    beginResetModel();
    m_fields = fields;
    endResetModel();
}

QStringList DatasetModel::effectiveFields() const {
    return m_fields.isEmpty() && m_dataset ? m_dataset->fieldNames() : m_fields;
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_dataset ? 0 : m_dataset->recordCount();
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(effectiveFields().size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!m_dataset || !index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const QStringList fields = effectiveFields();
    if (index.column() >= fields.size())
        return QVariant();
    const QString& f = fields.at(index.column());
    const int field = m_dataset->fieldIndex(f);
    if (field < 0)
        return m_dataset->lookupTextAt(index.row(), f);
    return m_dataset->textAt(index.row(), field);
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QVariant();
    if (section < m_titles.size())
        return m_titles.at(section);
    const QStringList fields = effectiveFields();
    return section < fields.size() ? QVariant(fields.at(section)) : QVariant();
}
