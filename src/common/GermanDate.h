#pragma once

#include <QDate>
#include <QString>

namespace GermanDate {

// A date as the dealer types it: "d.M.yyyy", or "d.M.yy" with a two-digit year. A two-digit year
// is taken in the century that puts it within the 80 years before and the 19 years after the
// year of `today`, so the choice moves on with the calendar (in 2026: 00-45 are 20xx, 46-99
// 19xx). Leading and trailing blanks are ignored. Invalid when the text is no date.
QDate parse(const QString& text, const QDate& today = QDate::currentDate());

} // namespace GermanDate
