#include "store/DatasetModel.h"

#include "common/GermanDate.h"
#include "store/Dataset.h"
#include "store/Schema.h"

#include <QDate>

DatasetModel::DatasetModel(Dataset* dataset, const QStringList& fields, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_fields(fields) {
    resolveFields();
    connect(dataset, &Dataset::rowsReset, this, [this] {
        beginResetModel();
        resolveFields();
        m_appending = m_dataset && m_dataset->state() == Dataset::State::Insert;
        endResetModel();
    });
    // Beginning or ending an append adds or drops the row after the last.
    connect(dataset, &Dataset::stateChanged, this, [this] {
        const bool appending = m_dataset && m_dataset->state() == Dataset::State::Insert;
        if (appending == m_appending)
            return;
        beginResetModel();
        m_appending = appending;
        resolveFields();
        endResetModel();
    });
    connect(dataset, &Dataset::recordChanged, this, [this] {
        const int r = currentRow();
        if (r >= 0 && r < rowCount())
            emit dataChanged(index(r, 0), index(r, columnCount() - 1));
        // The row indicator follows the current row: only the rows it leaves and enters.
        const int rows = rowCount();
        for (int row : {m_indicatorRow, r})
            if (row >= 0 && row < rows)
                emit headerDataChanged(Qt::Vertical, row, row);
        m_indicatorRow = r;
    });
}

void DatasetModel::setFields(const QStringList& fields) {
    beginResetModel();
    m_fields = fields;
    resolveFields();
    endResetModel();
}

void DatasetModel::setEditable(bool editable) {
    m_editable = editable;
}

QStringList DatasetModel::effectiveFields() const {
    return m_fields.isEmpty() && m_dataset ? m_dataset->fieldNames() : m_fields;
}

void DatasetModel::resolveFields() {
    m_resolved = effectiveFields();
    m_fieldIndex.assign(std::size_t(m_resolved.size()), -1);
    m_lookups.assign(std::size_t(m_resolved.size()), std::nullopt);
    if (!m_dataset || !m_dataset->isActive())
        return;
    for (int c = 0; c < m_resolved.size(); ++c)
        m_fieldIndex[std::size_t(c)] = m_dataset->fieldIndex(m_resolved.at(c));
    // Once per reset, not per painted cell.
    for (int c = 0; c < m_resolved.size(); ++c)
        m_lookups[std::size_t(c)] = findLookup(c);
}

int DatasetModel::fieldOf(int column) const {
    return column >= 0 && column < int(m_fieldIndex.size()) ? m_fieldIndex[std::size_t(column)] : -1;
}

bool DatasetModel::isAppendRow(int row) const {
    return m_appending && m_dataset && row == m_dataset->recordCount();
}

int DatasetModel::currentRow() const {
    if (!m_dataset || !m_dataset->isActive())
        return -1;
    if (m_dataset->state() == Dataset::State::Insert)
        return m_dataset->recordCount();
    return m_dataset->recNo() - 1;
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_dataset)
        return 0;
    return m_dataset->recordCount() + (m_appending ? 1 : 0);
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_resolved.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!m_dataset || !index.isValid() || index.column() >= m_resolved.size())
        return QVariant();
    const int field = fieldOf(index.column());
    if (role == Qt::TextAlignmentRole) {
        // Numbers stand right-aligned, as in the register's "Nr." column.
        if (field >= 0 && m_dataset->isActive() &&
            m_dataset->fieldKind(field) == Dataset::ColumnKind::Integer)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    const QString& name = m_resolved.at(index.column());
    if (isAppendRow(index.row())) {
        if (field < 0)
            return m_dataset->lookupText(name);
        const QVariant v = m_dataset->value(name);
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().isValid() ? v.toDate().toString(QStringLiteral("dd.MM.yyyy")) : QString();
        return v.isValid() ? v.toString() : QString();
    }
    if (field < 0)
        return m_dataset->lookupTextAt(index.row(), name);
    return m_dataset->textAt(index.row(), field);
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical) {
        // The row indicator: the current row, the row being edited, the row being appended.
        if (section != currentRow())
            return QString();
        if (!m_dataset->isEditing())
            return QStringLiteral("▶");
        return m_dataset->state() == Dataset::State::Insert ? QStringLiteral("*") : QStringLiteral("I");
    }
    if (section < m_titles.size() && !m_titles.at(section).isEmpty())
        return m_titles.at(section);
    return section < m_resolved.size() ? QVariant(m_resolved.at(section)) : QVariant();
}

std::optional<DatasetModel::Lookup> DatasetModel::lookupOf(int column) const {
    return column >= 0 && column < int(m_lookups.size()) ? m_lookups[std::size_t(column)] : std::nullopt;
}

std::optional<DatasetModel::Lookup> DatasetModel::findLookup(int column) const {
    if (!m_dataset || column < 0 || column >= m_resolved.size() || fieldOf(column) >= 0)
        return std::nullopt;
    for (const schema::LookupField& l : schema::lookups(m_dataset->schemaTable())) {
        if (l.name.compare(m_resolved.at(column), Qt::CaseInsensitive) != 0)
            continue;
        Dataset* list = m_dataset->lookupSource(l.table);
        if (!list || m_dataset->fieldIndex(l.keyColumn) < 0)
            return std::nullopt;
        return Lookup{l.keyColumn, list, l.resultColumn};
    }
    return std::nullopt;
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    const int field = index.isValid() ? fieldOf(index.column()) : -1;
    // The key ("Nr.") is shown, never typed.
    if (m_editable && index.isValid() &&
        ((field >= 0 && !m_dataset->isAutoKey(field)) || lookupOf(index.column())))
        f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!m_editable || role != Qt::EditRole || !m_dataset || !index.isValid())
        return false;
    const int field = fieldOf(index.column());
    if (index.row() != currentRow())
        return false;
    if (field < 0) {
        // A lookup column: the key of the chosen list row goes into the key column.
        const std::optional<Lookup> l = lookupOf(index.column());
        if (!l)
            return false;
        // The key shown again leaves the column as it is, also in a row being edited: a key
        // that another program stored as no whole number shows as the nearest one.
        if (m_dataset->value(l->keyColumn) == value)
            return false;
        if (!m_dataset->isEditing())
            m_dataset->edit();
        m_dataset->setValue(l->keyColumn, value);
        return true;
    }
    QVariant v = value;
    // Dates are typed in the German form; an empty text empties the cell.
    if (m_dataset->fieldKind(field) == Dataset::ColumnKind::Date && v.typeId() == QMetaType::QString) {
        const QString text = v.toString().trimmed();
        const QDate d = GermanDate::parse(text);
        v = text.isEmpty() ? QVariant() : d.isValid() ? QVariant(d) : QVariant(text);
    }
    const QString& name = m_resolved.at(index.column());
    // Unchanged text leaves the cell as it is: no edit state for a cell merely visited, and in a
    // row being edited no rewrite of a value that shows otherwise than it is stored (a date that
    // another program wrote in a form that cannot be read shows empty).
    if (data(index, Qt::EditRole) == value)
        return false;
    if (!m_dataset->isEditing())
        m_dataset->edit();
    m_dataset->setValue(name, v);
    return true;
}
