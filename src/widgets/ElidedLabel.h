#pragma once

#include <QLabel>

// A one-line label of fixed width that ends a text too long for it with "…" instead of cutting
// it off unseen; its tooltip then shows the whole text. text() always holds the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    // The text as it is drawn.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};
