#pragma once

#include <QString>

// A large register for the benchmarks (the same data as bench_search generates): the lists, `partners` trading partners (some names
// twice) and `rows` register entries; a fifth of the notes hold an umlaut, a third of the
// entries are in stock. The same data on every run.
void generateRegister(const QString& path, int rows, int partners = 10000);
