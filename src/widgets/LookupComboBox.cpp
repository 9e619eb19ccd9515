#include "widgets/LookupComboBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>

LookupComboBox::LookupComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentTextChanged, this, [this](const QString& text) { setToolTip(text); });
    view()->installEventFilter(this);
}

bool LookupComboBox::eventFilter(QObject* watched, QEvent* e) {
    // Esc in the open list only closes the list: claimed here, it does not reach the window's
    // keys, where it would discard the whole entry being edited.
    if (watched == view() && e->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        e->accept();
        return true;
    }
    return QComboBox::eventFilter(watched, e);
}

void LookupComboBox::showPopup() {
    if (m_readOnly)
        return;
    QAbstractItemView* list = view();
    int widest = list->sizeHintForColumn(modelColumn()) + 2 * list->frameWidth() + 8;
    if (count() > maxVisibleItems())
        widest += list->verticalScrollBar()->sizeHint().width();
    list->setMinimumWidth(std::max(widest, width()));
    QComboBox::showPopup();
}

void LookupComboBox::keyPressEvent(QKeyEvent* e) {
    if (m_readOnly) {
        if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)
            QComboBox::keyPressEvent(e);
        else
            e->ignore();
        return;
    }
    if (e->key() == Qt::Key_Delete || e->key() == Qt::Key_Backspace) {
        setCurrentIndex(-1);
        emit cleared();
        return;
    }
    QComboBox::keyPressEvent(e);
}

void LookupComboBox::wheelEvent(QWheelEvent* e) {
    if (m_readOnly)
        e->ignore();
    else
        QComboBox::wheelEvent(e);
}
