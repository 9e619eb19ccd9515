#include "window/Binding.h"

#include "common/DbError.h"
#include "store/Dataset.h"
#include "store/DatasetModel.h"
#include "widgets/DBGrid.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QWidgetAction>
#include <algorithm>

// ------------------------------------------------------------------ DataSource

struct DataSource::Link {
    enum Kind { Edit, Date, Label, Lookup } kind;
    QPointer<QWidget> widget;
    QString column;
    Dataset* list = nullptr;
    QString listField;
    std::function<void()> onUserChange;
    bool dirty = false;
    QVariant emptyKey;
    int maxLength = 0; // what an edit takes when typed into
};

DataSource::DataSource(Dataset* dataset, QObject* parent) : QObject(parent), m_dataset(dataset) {
    connect(dataset, &Dataset::recordChanged, this, [this] {
        if (!m_writing)
            refresh();
    });
}

DataSource::~DataSource() = default;

void DataSource::bindEdit(QLineEdit* edit, const QString& column) {
    auto link = std::make_unique<Link>(Link{Link::Edit, edit, column, nullptr, {}, {}, false, {}});
    Link* l = link.get();
    l->maxLength = edit->maxLength();
    m_links.push_back(std::move(link));
    connect(edit, &QLineEdit::textEdited, this, [this, l] {
        if (m_dataset->isEditing())
            l->dirty = true;
    });
    connect(edit, &QLineEdit::editingFinished, this, [this, l] {
        if (l->dirty && m_dataset->isEditing()) {
            {
                const QScopedValueRollback<bool> writing(m_writing, true);
                l->dirty = false;
                m_dataset->setValue(l->column, static_cast<QLineEdit*>(l->widget.data())->text());
            }
        }
    });
    refreshLink(*l);
}

void DataSource::bindDate(DateEdit* edit, const QString& column) {
    auto link = std::make_unique<Link>(Link{Link::Date, edit, column, nullptr, {}, {}, false, {}});
    Link* l = link.get();
    m_links.push_back(std::move(link));
    connect(edit, &DateEdit::dateEdited, this, [this, l] {
        if (!m_dataset->isEditing())
            return;
        bool ok = false;
        const QDate d = static_cast<DateEdit*>(l->widget.data())->date(&ok);
        l->dirty = !ok;
        if (ok) {
            {
                const QScopedValueRollback<bool> writing(m_writing, true);
                m_dataset->setValue(l->column, d.isValid() ? QVariant(d) : QVariant());
            }
        }
    });
    refreshLink(*l);
}

void DataSource::bindLabel(QLabel* label, const QString& column) {
    m_links.push_back(std::make_unique<Link>(Link{Link::Label, label, column, nullptr, {}, {}, false, {}}));
    refreshLink(*m_links.back());
}

void DataSource::bindLookup(LookupComboBox* box, const QString& column, Dataset* list,
                            const QString& listField, std::function<void()> onUserChange) {
    auto link = std::make_unique<Link>(
        Link{Link::Lookup, box, column, list, listField, std::move(onUserChange), false, {}});
    Link* l = link.get();
    m_links.push_back(std::move(link));
    auto* model = new DatasetModel(list, {listField}, box);
    box->setModel(model);
    box->setModelColumn(0);
    // The list was re-read or sorted: show the row's key again.
    connect(list, &Dataset::rowsReset, this, [this, l] { refreshLink(*l); });
    connect(box, &QComboBox::activated, this, [this, l](int row) {
        if (!m_dataset->isEditing())
            return;
        const int key = l->list->valueAt(row, l->list->fieldIndex(QStringLiteral("Index"))).toInt();
        {
            const QScopedValueRollback<bool> writing(m_writing, true);
            m_dataset->setValue(l->column, key);
        }
        if (l->onUserChange)
            l->onUserChange();
    });
    connect(box, &LookupComboBox::cleared, this, [this, l] {
        if (!m_dataset->isEditing())
            return;
        {
            const QScopedValueRollback<bool> writing(m_writing, true);
            m_dataset->setValue(l->column, l->emptyKey);
        }
        // The box shows what the column now holds (the "nothing entered" row, if any).
        refreshLink(*l);
        if (l->onUserChange)
            l->onUserChange();
    });
    refreshLink(*l);
}

void DataSource::setEmptyKey(const QString& column, const QVariant& key) {
    for (auto& l : m_links)
        if (l->kind == Link::Lookup && l->column == column)
            l->emptyKey = key;
}

void DataSource::bindGrid(DBGrid* grid, const QStringList& fields, const QStringList& titles) {
    grid->setDataset(m_dataset, fields, titles);
}

void DataSource::refreshLink(Link& l) {
    if (!l.widget)
        return;
    const bool active = m_dataset->isActive() && (m_dataset->recNo() > 0 || m_dataset->isEditing());
    switch (l.kind) {
    case Link::Edit: {
        auto* edit = static_cast<QLineEdit*>(l.widget.data());
        const QString text = active ? m_dataset->asString(l.column) : QString();
        // The limit holds what is typed. A stored value may be longer in UTF-16 units (another
        // program's characters outside the Basic Multilingual Plane, or a longer text): it is
        // shown whole, never cut, so that an edit of it does not store it cut.
        edit->setMaxLength(std::max(l.maxLength, int(text.size())));
        if (edit->text() != text) {
            edit->setText(text);
            // A value longer than the box shows its beginning, where a serial number is read.
            edit->setCursorPosition(0);
        }
        l.dirty = false;
        break;
    }
    case Link::Date:
        static_cast<DateEdit*>(l.widget.data())->setDate(active ? m_dataset->asDate(l.column) : QDate());
        l.dirty = false;
        break;
    case Link::Label:
        static_cast<QLabel*>(l.widget.data())->setText(active ? m_dataset->asString(l.column) : QString());
        break;
    case Link::Lookup: {
        auto* box = static_cast<QComboBox*>(l.widget.data());
        int pos = -1;
        if (active && l.list->isActive() && !m_dataset->isNull(l.column))
            pos = l.list->positionOfIndex(m_dataset->asInteger(l.column));
        box->setCurrentIndex(pos);
        break;
    }
    }
}

void DataSource::refresh() {
    for (auto& l : m_links) {
        // Typed text not yet in the row (an unfinished date) stays until the store writes or
        // refuses it, whatever else changes the row meanwhile.
        if (l->dirty && m_dataset->isEditing())
            continue;
        refreshLink(*l);
    }
}

void DataSource::commit() {
    if (!m_dataset->isEditing())
        return;
    for (auto& l : m_links) {
        if (!l->widget || !l->dirty)
            continue;
        if (l->kind == Link::Edit) {
            {
                const QScopedValueRollback<bool> writing(m_writing, true);
                l->dirty = false;
                m_dataset->setValue(l->column, static_cast<QLineEdit*>(l->widget.data())->text());
            }
        } else if (l->kind == Link::Date) {
            bool ok = false;
            auto* edit = static_cast<DateEdit*>(l->widget.data());
            const QDate d = edit->date(&ok);
            if (!ok)
                throw DbError(QStringLiteral("'%1' ist kein gültiges Datum").arg(edit->lineEdit()->text()));
            {
                const QScopedValueRollback<bool> writing(m_writing, true);
                l->dirty = false;
                m_dataset->setValue(l->column, d.isValid() ? QVariant(d) : QVariant());
            }
        }
    }
}
