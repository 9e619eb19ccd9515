#include "store/GermanCollation.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <array>
#include <numeric>

namespace german {

namespace {

QCollator& collator() {
    static QCollator c = [] {
        QCollator col{QLocale(QLocale::German, QLocale::Germany)};
        col.setCaseSensitivity(Qt::CaseInsensitive);
        return col;
    }();
    return c;
}

// For texts of printable ASCII only, the collation reduces to comparing one weight per
// character. The weights are taken from the collator itself, so both paths agree.
struct AsciiWeights {
    std::array<quint8, 128> weight{};
    AsciiWeights() {
        std::array<char, 95> chars{};
        std::iota(chars.begin(), chars.end(), char(0x20));
        std::stable_sort(chars.begin(), chars.end(), [](char x, char y) {
            return collator().compare(QString(QLatin1Char(x)), QString(QLatin1Char(y))) < 0;
        });
        quint8 w = 1;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            if (i > 0 &&
                collator().compare(QString(QLatin1Char(chars[i - 1])), QString(QLatin1Char(chars[i]))) != 0)
                ++w;
            weight[static_cast<unsigned char>(chars[i])] = w;
        }
    }
};

const AsciiWeights& asciiWeights() {
    static const AsciiWeights w;
    return w;
}

template <class Ch> bool printableAscii(const Ch* s, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned>(static_cast<std::make_unsigned_t<Ch>>(s[i]));
        if (c < 0x20 || c > 0x7e)
            return false;
    }
    return true;
}

template <class Ch> int asciiCompare(const Ch* a, qsizetype an, const Ch* b, qsizetype bn) {
    const auto& w = asciiWeights().weight;
    const qsizetype n = std::min(an, bn);
    for (qsizetype i = 0; i < n; ++i) {
        const int wa = w[static_cast<unsigned char>(a[i])];
        const int wb = w[static_cast<unsigned char>(b[i])];
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    return an == bn ? 0 : (an < bn ? -1 : 1);
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

} // namespace

int compare(QStringView a, QStringView b) {
    if (printableAscii(a.utf16(), a.size()) && printableAscii(b.utf16(), b.size()))
        return asciiCompare(a.utf16(), a.size(), b.utf16(), b.size());
    return sign(collator().compare(a, b));
}

int compareUtf8(const char* a, int aLen, const char* b, int bLen) {
    if (printableAscii(a, aLen) && printableAscii(b, bLen))
        return asciiCompare(a, aLen, b, bLen);
    return sign(collator().compare(QString::fromUtf8(a, aLen), QString::fromUtf8(b, bLen)));
}

bool asciiPrefix(const char* s, int len, quint64& prefix) {
    if (!printableAscii(s, len))
        return false;
    const auto& w = asciiWeights().weight;
    quint64 p = 0;
    for (int i = 0; i < 8; ++i)
        p = (p << 8) | (i < len ? w[static_cast<unsigned char>(s[i])] : 0);
    prefix = p;
    return true;
}

bool equalsIgnoreCase(QStringView a, QStringView b) {
    return a.size() == b.size() ? a.compare(b, Qt::CaseInsensitive) == 0
                                : a.toString().toCaseFolded() == b.toString().toCaseFolded();
}

namespace {
bool likeFolded(const QString& p, qsizetype pi, const QString& t, qsizetype ti) {
    // Iterative matcher with backtracking to the last '%'.
    qsizetype starP = -1, starT = -1;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == QLatin1Char('_') || p[pi] == t[ti])) {
            ++pi;
            ++ti;
        } else if (pi < p.size() && p[pi] == QLatin1Char('%')) {
            starP = pi++;
            starT = ti;
        } else if (starP >= 0) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == QLatin1Char('%'))
        ++pi;
    return pi == p.size();
}
} // namespace

bool like(QStringView pattern, QStringView text) {
    return likeFolded(pattern.toString().toCaseFolded(), 0, text.toString().toCaseFolded(), 0);
}

} // namespace german
