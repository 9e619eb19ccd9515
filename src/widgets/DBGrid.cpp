#include "widgets/DBGrid.h"

#include "common/DbError.h"
#include "common/HandlerGuard.h"
#include "common/Prompts.h"
#include "store/Dataset.h"
#include "store/DatasetModel.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QItemEditorFactory>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QStyledItemDelegate>
#include <exception>
#include <utility>

namespace {

// Cells of lookup columns are chosen from their list: a drop-down of the list's names, storing
// the key of the chosen row. Other cells are typed.
class LookupDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const auto* model = qobject_cast<const DatasetModel*>(index.model());
        const std::optional<DatasetModel::Lookup> l = model ? model->lookupOf(index.column()) : std::nullopt;
        if (!l)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = new QComboBox(parent);
        box->setAccessibleName(model->headerData(index.column(), Qt::Horizontal).toString());
        const int name = l->list->fieldIndex(l->listField);
        const int key = l->list->fieldIndex(QStringLiteral("Index"));
        for (int r = 0; r < l->list->recordCount(); ++r)
            box->addItem(l->list->textAt(r, name), l->list->valueAt(r, key));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = qobject_cast<QComboBox*>(editor);
        const auto* model = qobject_cast<const DatasetModel*>(index.model());
        const std::optional<DatasetModel::Lookup> l = model ? model->lookupOf(index.column()) : std::nullopt;
        if (!box || !l) {
            QStyledItemDelegate::setEditorData(editor, index);
            return;
        }
        const Dataset* rows = model->dataset();
        box->setCurrentIndex(box->findData(rows->value(l->keyColumn)));
    }
    // The model throws DbError for a value its column cannot hold. Qt calls this from its own
    // QAbstractItemView::commitData, and Qt is built without exceptions: an exception passing
    // through Qt's frames skips their cleanup, which leaks their locals and leaves the view in
    // the middle of a commit (it takes no further value). So the exception is kept here and
    // DBGrid::commitData rethrows it once Qt's frames are left.
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        m_error = nullptr;
        try {
            store(editor, model, index);
        } catch (...) {
            m_error = std::current_exception();
        }
    }
    void rethrowError() {
        if (std::exception_ptr e = std::exchange(m_error, nullptr))
            std::rethrow_exception(e);
    }

private:
    void store(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
        auto* box = qobject_cast<QComboBox*>(editor);
        const auto* m = qobject_cast<const DatasetModel*>(model);
        if (!box || !m || !m->lookupOf(index.column())) {
            // What QStyledItemDelegate::setModelData does, without a Qt frame around the model.
            QByteArray property = editor->metaObject()->userProperty().name();
            if (property.isEmpty()) {
                const QItemEditorFactory* f =
                    itemEditorFactory() ? itemEditorFactory() : QItemEditorFactory::defaultFactory();
                property = f->valuePropertyName(model->data(index, Qt::EditRole).userType());
            }
            if (!property.isEmpty())
                model->setData(index, editor->property(property.constData()), Qt::EditRole);
            return;
        }
        if (box->currentIndex() >= 0)
            model->setData(index, box->currentData(), Qt::EditRole);
    }

    mutable std::exception_ptr m_error;
};

} // namespace

DBGrid::DBGrid(QWidget* parent) : QTableView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setAlternatingRowColors(false);
    setWordWrap(false);
    QHeaderView* h = horizontalHeader();
    h->setSectionsClickable(true);
    h->setHighlightSections(false);
    h->setSortIndicatorShown(false);
    h->setMinimumSectionSize(0);
    h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The indicator column: narrow, one line per row, no per-row sizing.
    QHeaderView* v = verticalHeader();
    v->setSectionResizeMode(QHeaderView::Fixed);
    v->setDefaultSectionSize(fontMetrics().height() + 6);
    v->setFixedWidth(18);
    v->setDefaultAlignment(Qt::AlignCenter);
    setItemDelegate(new LookupDelegate(this));
    connect(h, &QHeaderView::sectionClicked, this,
            [this](int logical) { emit titleClicked(horizontalHeader()->visualIndex(logical)); });
    setOptions(kReadOnlyOptions);
}

bool DBGrid::guarded(const std::function<void()>& action) {
    if (m_prompts)
        return runGuarded(*m_prompts, action);
    action();
    return true;
}

void DBGrid::setDataset(Dataset* dataset, const QStringList& fields, const QStringList& titles) {
    m_dataset = dataset;
    m_model = new DatasetModel(dataset, fields, this);
    m_model->setTitles(titles);
    setModel(m_model);
    // After the model has taken the change (it connected first).
    connect(dataset, &Dataset::rowsReset, this, &DBGrid::syncFromDataset);
    connect(dataset, &Dataset::recordChanged, this, &DBGrid::syncFromDataset);
    connect(dataset, &Dataset::stateChanged, this, [this] {
        if (!m_dataset->isEditing())
            m_begunRow = m_userChanged = false;
        syncFromDataset();
    });
    applyEditability();
    syncFromDataset();
}

void DBGrid::setOptions(unsigned options) {
    m_options = options;
    horizontalHeader()->setVisible(options & dgTitles);
    verticalHeader()->setVisible(options & dgIndicator);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionResizeMode((options & dgColumnResize) ? QHeaderView::Interactive
                                                                        : QHeaderView::Fixed);
    setShowGrid(options & (dgColLines | dgRowLines));
    setTabKeyNavigation(options & dgTabs);
    applyEditability();
}

void DBGrid::setReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    applyEditability();
}

void DBGrid::applyEditability() {
    const bool on = canEdit();
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                       : QAbstractItemView::NoEditTriggers);
    if (m_model)
        m_model->setEditable(on);
}

int DBGrid::columnWidthAt(int position) const {
    const int logical = horizontalHeader()->logicalIndex(position);
    return logical < 0 ? 0 : horizontalHeader()->sectionSize(logical);
}

void DBGrid::setColumnWidthAt(int position, int width) {
    const int logical = horizontalHeader()->logicalIndex(position);
    if (logical >= 0)
        horizontalHeader()->resizeSection(logical, std::max(0, width));
}

QString DBGrid::fieldAt(int position) const {
    const int logical = horizontalHeader()->logicalIndex(position);
    return m_model && logical >= 0 && logical < m_model->fields().size() ? m_model->fields().at(logical)
                                                                         : QString();
}

void DBGrid::syncFromDataset() {
    if (!m_model || m_syncing)
        return;
    m_syncing = true;
    const int row = m_model->currentRow();
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clearCurrentIndex();
    } else {
        const int column = currentIndex().isValid() ? currentIndex().column()
                                                    : std::max(0, horizontalHeader()->logicalIndex(0));
        const QModelIndex target = m_model->index(row, column);
        if (currentIndex() != target)
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        if (isVisible())
            scrollTo(target);
    }
    m_syncing = false;
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (m_syncing || !m_dataset || !current.isValid() || current.row() == m_model->currentRow())
        return;
    int target = current.row();
    // Leaving a changed row writes it, as moving in the record form does. Writing may sort the
    // rows anew, so the row clicked is found again by its Index.
    const bool moved = guarded([&] {
        if (untouchedNewRow()) {
            // Dropped: it stood after every other row, so the row clicked keeps its position.
            m_dataset->cancel();
        } else if (m_dataset->isEditing()) {
            const int indexField = m_dataset->fieldIndex(QStringLiteral("Index"));
            const QVariant key = indexField >= 0 && target < m_dataset->recordCount()
                                     ? m_dataset->valueAt(target, indexField)
                                     : QVariant();
            m_dataset->post();
            const int position = key.isValid() ? m_dataset->positionOfIndex(key.toInt()) : -1;
            if (position >= 0)
                target = position;
        }
        if (target < m_dataset->recordCount())
            m_dataset->setRecNo(target + 1);
    });
    if (!moved || m_model->currentRow() != current.row())
        syncFromDataset();
}

void DBGrid::commitData(QWidget* editor) {
    // A value the column cannot hold reaches the error box; the row stays being edited.
    const bool stored = guarded([&] {
        QTableView::commitData(editor);
        if (auto* d = dynamic_cast<LookupDelegate*>(itemDelegate()))
            d->rethrowError();
    });
    if (stored && m_dataset && m_dataset->isEditing())
        m_userChanged = true;
}

bool DBGrid::untouchedNewRow() const {
    return m_begunRow && !m_userChanged && m_dataset && m_dataset->state() == Dataset::State::Insert;
}

bool DBGrid::postPending() {
    if (!m_dataset || !m_dataset->isEditing())
        return true;
    if (untouchedNewRow()) {
        m_dataset->cancel();
        return true;
    }
    return guarded([this] { m_dataset->post(); });
}

void DBGrid::appendRow() {
    if (!canEdit() || !m_dataset || !m_dataset->isActive())
        return;
    guarded([this] {
        if (untouchedNewRow())
            m_dataset->cancel();
        else if (m_dataset->isEditing())
            m_dataset->post();
        m_dataset->append();
        m_begunRow = true;
        m_userChanged = false;
        if (onAppend)
            onAppend();
    });
    setFocus();
}

void DBGrid::deleteCurrentRow() {
    if (!canEdit() || !m_dataset || !m_dataset->isActive())
        return;
    if (m_dataset->state() != Dataset::State::Insert && m_dataset->recordCount() == 0)
        return;
    if ((m_options & dgConfirmDelete) && m_prompts &&
        m_prompts->yesNo(QStringLiteral("Datensatz löschen?")) != Prompts::Answer::Yes)
        return;
    guarded([this] {
        if (onDelete && m_dataset->state() != Dataset::State::Insert)
            onDelete();
        else
            m_dataset->deleteRecord();
    });
}

void DBGrid::keyPressEvent(QKeyEvent* e) {
    // Ctrl+Tab belongs to the page control around the grid.
    if ((e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) && (e->modifiers() & Qt::ControlModifier)) {
        e->ignore();
        return;
    }
    if (state() != QAbstractItemView::EditingState && m_dataset) {
        const bool ctrl = e->modifiers() & Qt::ControlModifier;
        if (e->key() == Qt::Key_Delete && ctrl) {
            deleteCurrentRow();
            return;
        }
        if (e->key() == Qt::Key_Insert && e->modifiers() == Qt::NoModifier && canEdit()) {
            appendRow();
            return;
        }
        if (e->key() == Qt::Key_Down && e->modifiers() == Qt::NoModifier && canEdit() &&
            m_dataset->state() == Dataset::State::Browse && m_dataset->recNo() == m_dataset->recordCount()) {
            appendRow();
            return;
        }
        if (e->key() == Qt::Key_Escape && m_dataset->isEditing()) {
            m_dataset->cancel();
            return;
        }
    }
    QTableView::keyPressEvent(e);
}

void DBGrid::focusOutEvent(QFocusEvent* e) {
    QTableView::focusOutEvent(e);
    // Focus that went to the grid's own cell editor has not left the grid.
    const QWidget* now = QApplication::focusWidget();
    if (now && (now == this || isAncestorOf(now)))
        return;
    if ((m_options & dgCancelOnExit) && untouchedNewRow())
        m_dataset->cancel();
}
