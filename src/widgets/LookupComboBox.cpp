#include "widgets/LookupComboBox.h"

#include <QKeyEvent>

void LookupComboBox::showPopup() {
    if (!m_readOnly)
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
