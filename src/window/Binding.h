#pragma once

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class Dataset;
class DatasetModel;
class QToolButton;
class QCalendarWidget;

// A date box that can be empty: typed as dd.mm.yyyy or picked from a calendar. An empty box
// is no date (never a made-up day).
class DateEdit : public QWidget {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);
    QLineEdit* lineEdit() const { return m_edit; }
    QToolButton* calendarButton() const { return m_button; }
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_edit->isReadOnly(); }
    // The date shown; invalid when empty. `ok` is false when the text is no date.
    QDate date(bool* ok = nullptr) const;
    void setDate(const QDate& date);
    void showCalendar();

signals:
    void dateEdited(); // the user typed or picked

private:
    QLineEdit* m_edit;
    QToolButton* m_button;
};

// A combo box that can be made read-only: it then shows its value but opens no list.
class LookupComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }
    void showPopup() override;

signals:
    void cleared(); // the user emptied the box with Delete or Backspace

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    bool m_readOnly = false;
};

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
