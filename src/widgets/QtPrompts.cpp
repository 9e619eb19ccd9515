#include "widgets/QtPrompts.h"

#include "printing/ReportOutputDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {
QString title() {
    return QApplication::applicationName();
}

// The buttons carry German texts of their own, whatever translations the desktop has.
void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, title(), text, QMessageBox::NoButton, parent);
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.exec();
}
} // namespace

void QtPrompts::message(const QString& text) {
    showBox(m_parent, QMessageBox::Information, text);
}

Prompts::Answer QtPrompts::yesNo(const QString& text, bool defaultNo) {
    QMessageBox box(QMessageBox::Question, title(), text, QMessageBox::NoButton, m_parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    box.setDefaultButton(defaultNo ? no : yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? Answer::Yes : Answer::No;
}

Prompts::Answer QtPrompts::yesNoCancel(const QString& text) {
    QMessageBox box(QMessageBox::Question, title(), text, QMessageBox::NoButton, m_parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return Answer::Yes;
    return box.clickedButton() == no ? Answer::No : Answer::Cancel;
}

namespace {
std::optional<QString> askText(QWidget* parent, const QString& caption, const QString& prompt,
                               const QString& initial, QLineEdit::EchoMode echo) {
    QInputDialog dialog(parent);
    dialog.setTextEchoMode(echo);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}
} // namespace

std::optional<QString> QtPrompts::input(const QString& caption, const QString& prompt,
                                        const QString& initial) {
    return askText(m_parent, caption, prompt, initial, QLineEdit::Normal);
}

std::optional<QString> QtPrompts::password(const QString& caption, const QString& prompt) {
    return askText(m_parent, caption, prompt, QString(), QLineEdit::Password);
}

std::optional<int> QtPrompts::chooseColour(int initial) {
    const QColor start(initial & 0xff, (initial >> 8) & 0xff, (initial >> 16) & 0xff);
    const QColor c = QColorDialog::getColor(start, m_parent);
    if (!c.isValid())
        return std::nullopt;
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

void QtPrompts::errorBox(const QString& text) {
    showBox(m_parent, QMessageBox::Critical, text);
}

bool QtPrompts::openFile(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

std::optional<Prompts::OutputChoice> QtPrompts::chooseOutput(const QString& reportTitle) {
    return ReportOutputDialog::ask(m_parent, reportTitle);
}
