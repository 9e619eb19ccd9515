#pragma once

#include <QLineEdit>
#include <QSpinBox>

// The step box of fast forward: 2 to 500, but a typed number counts as typed until the box is
// left, and an empty box counts as 2.
class SpulSpinBox : public QSpinBox {
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;
    QLineEdit* editor() const { return lineEdit(); }

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};
