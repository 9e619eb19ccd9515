#include "common/ConnectionString.h"

namespace connstr {

QString quoteValue(const QString& value) {
    // A value that begins with a quote would be read as quoted, so it is quoted too.
    qsizetype first = 0;
    while (first < value.size() && value.at(first) == QLatin1Char(' '))
        ++first;
    const bool leadingQuote = first < value.size() && value.at(first) == QLatin1Char('\'');
    if (!leadingQuote && !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"')))
        return value;
    QString q = value;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString value(const QString& connectionString, const QString& key) {
    const QString& s = connectionString;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        // key up to '='; a part without '=' is skipped
        const qsizetype eq = s.indexOf(QLatin1Char('='), i);
        const qsizetype semi = s.indexOf(QLatin1Char(';'), i);
        if (eq < 0)
            return {};
        if (semi >= 0 && semi < eq) {
            i = semi + 1;
            continue;
        }
        const QString name = s.mid(i, eq - i).trimmed();
        qsizetype j = eq + 1;
        qsizetype k = j;
        while (k < n && s.at(k) == QLatin1Char(' '))
            ++k;
        QString val;
        if (k < n && (s.at(k) == QLatin1Char('"') || s.at(k) == QLatin1Char('\''))) {
            const QChar quote = s.at(k);
            j = k + 1;
            for (;;) {
                if (j >= n)
                    break;
                if (s.at(j) == quote) {
                    if (j + 1 < n && s.at(j + 1) == quote) {
                        val += quote;
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                val += s.at(j++);
            }
            // anything between the closing quote and the next ';' is ignored
            const qsizetype next = s.indexOf(QLatin1Char(';'), j);
            j = next < 0 ? n : next;
        } else {
            const qsizetype next = s.indexOf(QLatin1Char(';'), j);
            const qsizetype end = next < 0 ? n : next;
            val = s.mid(j, end - j);
            j = end;
        }
        if (name.compare(key, Qt::CaseInsensitive) == 0)
            return val;
        i = j + 1;
    }
    return {};
}

} // namespace connstr
