#include "widgets/DateEdit.h"

#include "common/GermanDate.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QMenu>
#include <QShortcut>
#include <QToolButton>
#include <QWidgetAction>

DateEdit::DateEdit(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    m_edit = new QLineEdit(this);
    m_edit->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
    m_edit->setMaxLength(10);
    m_button = new QToolButton(this);
    m_button->setText(QStringLiteral("▾"));
    m_button->setToolTip(QStringLiteral("Kalender (Alt+Pfeil nach unten oder F4)"));
    m_button->setAccessibleName(QStringLiteral("Kalender"));
    m_button->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::textEdited, this, &DateEdit::dateEdited);
    connect(m_button, &QToolButton::clicked, this, &DateEdit::showCalendar);
    // The button takes no focus; the keys of a drop-down list open the calendar from the box.
    for (const QKeySequence& keys : {QKeySequence(Qt::ALT | Qt::Key_Down), QKeySequence(Qt::Key_F4)})
        new QShortcut(keys, m_edit, this, &DateEdit::showCalendar, Qt::WidgetShortcut);
}

void DateEdit::setReadOnly(bool readOnly) {
    m_edit->setReadOnly(readOnly);
    m_button->setEnabled(!readOnly);
}

QDate DateEdit::date(bool* ok) const {
    const QString text = m_edit->text().trimmed();
    if (text.isEmpty()) {
        if (ok)
            *ok = true;
        return QDate();
    }
    const QDate d = GermanDate::parse(text);
    if (ok)
        *ok = d.isValid();
    return d;
}

void DateEdit::setDate(const QDate& date) {
    m_edit->setText(date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString());
}

void DateEdit::showCalendar() {
    if (isReadOnly())
        return;
    QMenu menu(this);
    auto* calendar = new QCalendarWidget(&menu);
    calendar->setLocale(QLocale(QLocale::German, QLocale::Germany));
    calendar->setGridVisible(true);
    if (date().isValid())
        calendar->setSelectedDate(date());
    auto* action = new QWidgetAction(&menu);
    action->setDefaultWidget(calendar);
    menu.addAction(action);
    const auto pick = [&](const QDate& d) {
        setDate(d);
        emit dateEdited();
        menu.close();
    };
    connect(calendar, &QCalendarWidget::clicked, &menu, pick);
    connect(calendar, &QCalendarWidget::activated, &menu, pick); // Enter
    calendar->setFocus();
    menu.exec(mapToGlobal(QPoint(0, height())));
    // Back to the box, so the keyboard goes on from where the calendar was opened.
    m_edit->setFocus(Qt::PopupFocusReason);
}
