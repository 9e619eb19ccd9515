#include "common/QtPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

namespace {
QString title() {
    return QApplication::applicationName();
}
} // namespace

void QtPrompts::message(const QString& text) {
    QMessageBox::information(m_parent, title(), text);
}

Prompts::Answer QtPrompts::yesNo(const QString& text, bool defaultNo) {
    const auto r = QMessageBox::question(m_parent, title(), text, QMessageBox::Yes | QMessageBox::No,
                                         defaultNo ? QMessageBox::No : QMessageBox::Yes);
    return r == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::optional<QString> QtPrompts::input(const QString& caption, const QString& prompt,
                                        const QString& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<int> QtPrompts::chooseColour(int initial) {
    const QColor start(initial & 0xff, (initial >> 8) & 0xff, (initial >> 16) & 0xff);
    const QColor c = QColorDialog::getColor(start, m_parent);
    if (!c.isValid())
        return std::nullopt;
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

void QtPrompts::errorBox(const QString& text) {
    QMessageBox::critical(m_parent, title(), text);
}

bool QtPrompts::openFile(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
