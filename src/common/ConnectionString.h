#pragma once

#include <QString>

// Connection strings: "key=value;" pairs. A value holding ';' or '"' is written in double quotes
// with each '"' doubled; a quoted value (in "..." or '...') is read back the same way.
namespace connstr {

// The value as it is written after "key=": quoted only when it has to be.
QString quoteValue(const QString& value);

// The value of `key` (compared case-insensitively), unquoted; empty when the key is missing.
// An unclosed quote makes the rest of the text the value.
QString value(const QString& connectionString, const QString& key);

} // namespace connstr
