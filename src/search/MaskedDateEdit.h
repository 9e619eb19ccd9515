#pragma once

#include <QLineEdit>
#include <functional>

// A date field typed through the mask dd.mm.yyyy: day and month digits may be left out (they
// read as leading blanks), the year needs all four. The empty field reads "  .  .    ".
// Leaving a changed field with an incomplete year is refused: the field keeps the focus and
// `onRefused` reports it; Escape undoes the changes made since the field was entered.
class MaskedDateEdit : public QLineEdit {
    Q_OBJECT
public:
    static inline const QString kRefusal =
        QStringLiteral("Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig");
    static inline const QString kEmpty = QStringLiteral("  .  .    ");

    explicit MaskedDateEdit(QWidget* parent = nullptr);

    // The field's text as the search reads it: blanks for unfilled positions, a day or month
    // with one digit right-aligned (" 1.12.1999").
    QString maskText() const;
    void setMaskText(const QString& text);
    // Back to the empty mask.
    void clearDate();
    // Whether leaving the field now would be refused.
    bool incomplete() const;

    std::function<void()> onRefused;

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QString m_entryText;
    bool m_refusing = false;
};
