#pragma once

#include <QString>
#include <QStringView>

// German, case-insensitive text order and matching, as the register has always compared text:
// apfel, Äpfel, Bär, Ofen, Österreich, zebra, Zürich.
namespace german {

int compare(QStringView a, QStringView b);
int compareUtf8(const char* a, int aLen, const char* b, int bLen);

// Case-insensitive equality (umlauts included), used by locate and duplicate checks.
bool equalsIgnoreCase(QStringView a, QStringView b);

// LIKE with % (any run) and _ (one character), case-insensitive for all letters.
bool like(QStringView pattern, QStringView text);

} // namespace german
