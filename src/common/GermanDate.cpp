#include "common/GermanDate.h"

#include <QRegularExpression>

namespace GermanDate {

QDate parse(const QString& text, const QDate& today) {
    const QString trimmed = text.trimmed();
    const QDate full = QDate::fromString(trimmed, QStringLiteral("d.M.yyyy"));
    if (full.isValid())
        return full;
    // The century is settled before the day is checked: 29.2.00 is a day of 2000, not of 1900.
    static const QRegularExpression shortYear(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{2})$"));
    const QRegularExpressionMatch m = shortYear.match(trimmed);
    if (!m.hasMatch())
        return QDate();
    const int latest = today.year() + 19;
    int year = latest - latest % 100 + m.captured(3).toInt();
    if (year > latest)
        year -= 100;
    return QDate(year, m.captured(2).toInt(), m.captured(1).toInt());
}

} // namespace GermanDate
