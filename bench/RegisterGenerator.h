#pragma once

#include <QString>

// Partners in a generated register (row 1 is the placeholder).
constexpr int kPartners = 10000;

// A new database at `path` with lists, 10,000 partners (some names twice) and `rows` register
// entries; a fifth of the notes hold an umlaut, a third of the entries are in stock. The same
// sequence every time.
void generate(const QString& path, int rows);
