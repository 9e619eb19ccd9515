#pragma once

#include <QString>
#include <QVariant>

namespace textcheck {

// The first control character (U+0000..U+001F, tab excepted) in `text`, or -1. Such characters
// are invisible in every box, slip past width checks written for C strings and end a text early
// in any tool that reads the file; tab is kept because it is visible as space and harmless.
qsizetype firstControlChar(const QString& text);

// Throws DbError naming `field` when a text value holds such a character.
void requireStorable(const QString& field, const QVariant& value);

} // namespace textcheck
