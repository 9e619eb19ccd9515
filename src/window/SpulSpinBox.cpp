#include "window/SpulSpinBox.h"

#include <algorithm>

QValidator::State SpulSpinBox::validate(QString& input, int&) const {
    if (input.isEmpty())
        return QValidator::Intermediate;
    for (const QChar c : input)
        if (!c.isDigit())
            return QValidator::Invalid;
    if (input.size() > 9)
        return QValidator::Invalid;
    // A number outside the range may stand while typing; fixup brings it into range on leaving.
    const int typed = input.toInt();
    return typed >= minimum() && typed <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void SpulSpinBox::fixup(QString& input) const {
    if (input.isEmpty()) {
        input = QString::number(minimum());
        return;
    }
    bool ok = false;
    const int typed = input.toInt(&ok);
    if (ok)
        input = QString::number(std::clamp(typed, minimum(), maximum()));
}
