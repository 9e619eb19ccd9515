#include "search/MaskedDateEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

namespace {
// Day and month are written right-aligned: digits then blanks become blanks then digits.
QString rightAligned(const QString& part) {
    const QString digits = QString(part).remove(QLatin1Char(' '));
    return QString(part.size() - digits.size(), QLatin1Char(' ')) + digits;
}
} // namespace

MaskedDateEdit::MaskedDateEdit(QWidget* parent) : QLineEdit(parent) {
    setInputMask(QStringLiteral("99.99.0000;_"));
    setMaxLength(10);
}

QString MaskedDateEdit::maskText() const {
    QString t = displayText();
    t.replace(QLatin1Char('_'), QLatin1Char(' '));
    if (t.size() != 10)
        return t;
    return rightAligned(t.left(2)) + QLatin1Char('.') + rightAligned(t.mid(3, 2)) + QLatin1Char('.') +
           t.mid(6);
}

void MaskedDateEdit::setMaskText(const QString& text) {
    setText(text);
}

void MaskedDateEdit::clearDate() {
    clear();
    m_entryText = text();
}

bool MaskedDateEdit::incomplete() const {
    const QString t = maskText();
    if (t == kEmpty)
        return false;
    return t.mid(6).contains(QLatin1Char(' '));
}

void MaskedDateEdit::focusInEvent(QFocusEvent* e) {
    if (!m_refusing) {
        m_entryText = text();
        setModified(false);
    }
    m_refusing = false;
    QLineEdit::focusInEvent(e);
}

void MaskedDateEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    // Only leaving for another control of the window is checked, not the window losing focus.
    const bool leaving = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason ||
                         e->reason() == Qt::MouseFocusReason || e->reason() == Qt::OtherFocusReason ||
                         e->reason() == Qt::ShortcutFocusReason;
    if (!leaving || !isModified() || !incomplete() || !isEnabled() || !isVisible())
        return;
    m_refusing = true;
    QApplication::beep();
    // Taken back once the focus change under way has ended.
    QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
    if (onRefused)
        onRefused();
}

void MaskedDateEdit::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && isModified()) {
        setText(m_entryText);
        setModified(false);
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}
