#pragma once

#include <QDate>
#include <QLineEdit>
#include <QWidget>

class QToolButton;

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
