#pragma once

#include <QTableView>
#include <functional>

class Dataset;
class DatasetModel;
class Prompts;

// A grid over a shared dataset: its current row is the dataset's current row, both ways. It
// shows a title row and a row indicator, lets the user resize and move columns, asks before it
// deletes a row, and drops a begun row left unchanged when it loses focus. With the editing
// option the user changes cells, begins rows (Insert, or Down on the last row) and deletes rows
// (Ctrl+Delete); every change goes through the dataset.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    enum Option : unsigned {
        dgTitles = 1u << 0,
        dgIndicator = 1u << 1,
        dgColumnResize = 1u << 2,
        dgColLines = 1u << 3,
        dgRowLines = 1u << 4,
        dgTabs = 1u << 5,
        dgConfirmDelete = 1u << 6,
        dgCancelOnExit = 1u << 7,
        dgEditing = 1u << 8,
    };
    static constexpr unsigned kReadOnlyOptions = dgTitles | dgIndicator | dgColumnResize | dgColLines |
                                                 dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit;
    static constexpr unsigned kEditableOptions = kReadOnlyOptions | dgEditing;

    explicit DBGrid(QWidget* parent = nullptr);

    // Questions and errors go through `prompts`.
    void setPrompts(Prompts* prompts) { m_prompts = prompts; }
    // Shows `fields` of `dataset`; a column without a title of its own shows its field name.
    void setDataset(Dataset* dataset, const QStringList& fields, const QStringList& titles);
    Dataset* dataset() const { return m_dataset; }
    DatasetModel* datasetModel() const { return m_model; }

    void setOptions(unsigned options);
    unsigned options() const { return m_options; }
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    bool canEdit() const { return (m_options & dgEditing) && !m_readOnly; }

    // Widths by the column's place in the grid, not by its field.
    int columnWidthAt(int position) const;
    void setColumnWidthAt(int position, int width);
    // Field shown at a place in the grid.
    QString fieldAt(int position) const;

    // How a confirmed deletion removes the row (the dataset's deleteRecord when not set).
    std::function<void()> onDelete;
    // Runs after the grid began a new row (fills what a new row starts with).
    std::function<void()> onAppend;

    // Asks "Datensatz löschen?" (with dgConfirmDelete) and deletes the current row.
    void deleteCurrentRow();
    // Begins a new row after the last.
    void appendRow();
    // Writes a changed row; true when nothing is left pending.
    bool postPending();

signals:
    // A click on a column title, with the column's current place (counting from 0).
    void titleClicked(int position);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;

private:
    bool guarded(const std::function<void()>& action);
    void syncFromDataset();
    void applyEditability();
    // A new row begun in the grid that the user has not typed into: dropped, never stored.
    bool untouchedNewRow() const;
    Prompts* m_prompts = nullptr;
    Dataset* m_dataset = nullptr;
    DatasetModel* m_model = nullptr;
    unsigned m_options = kReadOnlyOptions;
    bool m_readOnly = false;
    bool m_syncing = false;
    // A row the grid began, and whether the user has typed into it since.
    bool m_begunRow = false;
    bool m_userChanged = false;
};
