#pragma once

#include <QString>
#include <QStringView>

// German, case-insensitive text order and matching, as the register has always compared text:
// apfel, Äpfel, Bär, Ofen, Österreich, zebra, Zürich.
namespace german {

int compare(QStringView a, QStringView b);
int compareUtf8(const char* a, int aLen, const char* b, int bLen);

// For a text of printable ASCII only: true, and in `prefix` the weights of its first eight
// characters, most significant first and zero-padded. Two such prefixes that differ order the
// texts as compareUtf8 does; equal prefixes decide nothing. False for any other text.
bool asciiPrefix(const char* s, int len, quint64& prefix);

// Case-insensitive equality (umlauts included), used by locate and duplicate checks.
bool equalsIgnoreCase(QStringView a, QStringView b);

// LIKE with % (any run) and _ (one character), case-insensitive for all letters.
bool like(QStringView pattern, QStringView text);

} // namespace german
