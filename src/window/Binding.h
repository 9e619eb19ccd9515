#pragma once

#include "widgets/DateEdit.h"
#include "widgets/LookupComboBox.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class Dataset;
class DBGrid;
class DatasetModel;
class QToolButton;
class QCalendarWidget;

// Links controls to the current row of a dataset: a move or a change of the row refreshes the
// controls, and what the user enters while the dataset is being edited goes into the row.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(Dataset* dataset, QObject* parent = nullptr);
    ~DataSource() override;
    Dataset* dataset() const { return m_dataset; }

    void bindEdit(QLineEdit* edit, const QString& column);
    void bindDate(DateEdit* edit, const QString& column);
    void bindLabel(QLabel* label, const QString& column);
    // Key column of this dataset shown by the list dataset's `listField` (key `Index`).
    // `onUserChange` runs when the user chooses an entry or empties the box.
    void bindLookup(LookupComboBox* box, const QString& column, Dataset* list, const QString& listField,
                    std::function<void()> onUserChange = {});
    // The same with the list given by its data source.
    void bindLookup(LookupComboBox* box, const QString& column, DataSource* list, const QString& listField,
                    std::function<void()> onUserChange = {}) {
        bindLookup(box, column, list->dataset(), listField, std::move(onUserChange));
    }
    // What the lookup boxes bound to `column` write into it when the user empties them: by
    // default no value, for a key column with a "nothing entered" row that row's key.
    void setEmptyKey(const QString& column, const QVariant& key);
    // A grid showing `fields` of this data source's dataset; its current row is the dataset's.
    void bindGrid(DBGrid* grid, const QStringList& fields, const QStringList& titles);

    // Writes pending typed text into the row; throws DbError for a text that is no date.
    void commit();
    // Re-reads every control from the dataset, but for typed text not yet written to the row
    // while it is being edited.
    void refresh();

private:
    struct Link;
    void refreshLink(Link& l);
    Dataset* m_dataset;
    std::vector<std::unique_ptr<Link>> m_links;
    bool m_writing = false;
};
