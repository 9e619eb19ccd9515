#include "search/SearchBuilder.h"

#include "common/DbError.h"
#include "store/JetTranslator.h"
#include "store/Schema.h"
#include "store/TextCheck.h"

#include <QStringList>

namespace search {

namespace {

// List criteria: the list table, its text column and the key column of Vorgang it is joined on.
struct ListJoin {
    const char* table;
    const char* textColumn;
    const char* keyColumn;
};

const char* registerColumn(int criterion) {
    switch (criterion) {
    case KDatum:
        return "KDatum";
    case VDatum:
        return "VDatum";
    case EWBDatum:
        return "AmtDatum";
    case JDatum:
        return "JDatum";
    case BriefDatum:
        return "BriefDatum";
    case EWBNR:
        return "EWBNR";
    case SerienNr:
        return "SerienNr";
    case Notiz:
        return "Notiz";
    default:
        return nullptr;
    }
}

ListJoin listJoin(int criterion) {
    switch (criterion) {
    case Kaufer:
        return {"Kaufer", "Name", "Kaufer"};
    case Verkaufer:
        return {"Kaufer", "Name", "Verkaufer"};
    case WTyp:
        return {"Waffentyp", "WTyp", "Waffentyp"};
    case Kaliber:
        return {"Kaliber", "Kaliber", "Kaliber"};
    case Amt:
        return {"Amt", "Name", "Amt"};
    case EWB:
        return {"EWB", "EWB", "EWB"};
    case KauferAmt:
        return {"Amt", "Name", "KauferAmt"};
    case Fabrik:
        return {"Hersteller", "Hersteller", "Hersteller"};
    default:
        return {nullptr, nullptr, nullptr};
    }
}

// The list table's own name when it is joined alone; an alias per key column when several lists
// are joined, since buyer and seller (and both authorities) share one table.
QString listAlias(int criterion) {
    return QStringLiteral("L_") + QLatin1String(listJoin(criterion).keyColumn);
}

QString singleJoin(int criterion) {
    const ListJoin j = listJoin(criterion);
    const QString table = QLatin1String(j.table);
    return QStringLiteral("FROM %1 INNER JOIN Vorgang ON %1.Index=Vorgang.%2 WHERE ")
        .arg(table, QLatin1String(j.keyColumn));
}

// The criteria as the dialog's check list names them.
const char16_t* const kCriterionNames[kCriteriaCount] = {
    u"Kauf-Datum", u"Verkaufs-Datum", u"EWB-Datum",  u"Jagd-Datum",    u"Brief-Datum", u"Käufer",
    u"Verkäufer",  u"Waffentyp",      u"Kaliber",    u"Amt oder Land", u"EWB",         u"Käufer-Amt",
    u"EWB-Nr.",    u"Fabrik",         u"Serien-Nr.", u"Notiz"};

// No stored text holds a control character (a post refuses it), so a search text with one, such
// as a line break pasted with a serial number, can never match; and the statement holding it
// could not be kept in the settings row, so that every later disconnect would fail on saving it.
void requireSearchableText(int criterion, const QString& text) {
    const qsizetype at = textcheck::firstControlChar(text);
    if (at < 0)
        return;
    throw DbError(QStringLiteral("Das Suchfeld \"%1\" enthält ein unzulässiges Steuerzeichen (Code %2 an "
                                 "Stelle %3), etwa einen mitkopierten Zeilenumbruch. Bitte entfernen Sie es.")
                      .arg(QString::fromUtf16(kCriterionNames[criterion]))
                      .arg(int(text.at(at).unicode()))
                      .arg(at + 1));
}

// Inside "..." a double quote is written twice; Jet reads it back as one.
QString doubleQuoted(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return t;
}

// The comparison of one criterion with two opening parentheses: ((column)=value) or
// ((column) Like "%value%"). `column` is already table-prefixed.
QString comparison(int criterion, const QString& column, const QString& text, bool exact) {
    const QString head = QStringLiteral("((") + column + QLatin1Char(')');
    if (isDateCriterion(criterion))
        return head + QStringLiteral("=#") + GermanDateToSqlDate(text) + QStringLiteral("#)");
    if (!exact)
        return head + QStringLiteral(" Like \"%") + doubleQuoted(text) + QStringLiteral("%\")");
    if (criterion == Notiz) {
        QString t = text;
        t.replace(QLatin1Char('\''), QStringLiteral("''"));
        return head + QStringLiteral("='") + t + QStringLiteral("')");
    }
    return head + QStringLiteral("=\"") + doubleQuoted(text) + QStringLiteral("\")");
}

} // namespace

bool SearchCriteria::anyTicked() const {
    for (bool t : ticked)
        if (t)
            return true;
    return false;
}

bool isDateCriterion(int criterion) {
    return criterion >= KDatum && criterion <= BriefDatum;
}

bool isListCriterion(int criterion) {
    return listJoin(criterion).table != nullptr;
}

QString buildSearchStatement(const SearchCriteria& criteria) {
    QList<int> ticked;
    int lists = 0;
    for (int i = 0; i < kCriteriaCount; ++i) {
        if (!criteria.ticked[std::size_t(i)])
            continue;
        ticked << i;
        if (isListCriterion(i))
            ++lists;
    }
    if (ticked.isEmpty())
        return {};
    const bool combined = lists > 0 && ticked.size() > 1;

    QString from = QStringLiteral("FROM Vorgang WHERE ");
    if (combined) {
        // Vorgang joined with every list in list order, each under its own alias.
        QString joins = QStringLiteral("Vorgang");
        int joined = 0;
        for (int i : ticked) {
            if (!isListCriterion(i))
                continue;
            const ListJoin j = listJoin(i);
            const QString alias = listAlias(i);
            if (joined > 0)
                joins = QLatin1Char('(') + joins + QLatin1Char(')');
            joins += QStringLiteral(" INNER JOIN %1 AS %2 ON %2.Index=Vorgang.%3")
                         .arg(QLatin1String(j.table), alias, QLatin1String(j.keyColumn));
            ++joined;
        }
        from = QStringLiteral("FROM ") + joins + QStringLiteral(" WHERE ");
    } else if (lists == 1) {
        from = singleJoin(ticked.front());
    }

    // Dates are converted here, so a date that cannot be converted stops the build.
    QStringList parts;
    for (int i : ticked) {
        const QString& text = criteria.texts[std::size_t(i)];
        if (!isDateCriterion(i))
            requireSearchableText(i, text);
        QString column;
        if (isListCriterion(i)) {
            const ListJoin j = listJoin(i);
            column = (combined ? listAlias(i) : QLatin1String(j.table)) + QLatin1Char('.') +
                     QLatin1String(j.textColumn);
        } else {
            column = QStringLiteral("Vorgang.") + QLatin1String(registerColumn(i));
        }
        parts << comparison(i, column, text, criteria.exact);
    }
    return schema::registerColumnList() + from + QLatin1Char('(') + parts.join(QStringLiteral(" AND ")) +
           QStringLiteral(");");
}

void requireSearchStatement(const QString& statement) {
    if (statement.size() > kMaxStatementLength)
        throw jet::SyntaxError(QStringLiteral("Die gespeicherte Suche ist zu lang."));
    const jet::Translation t = jet::translate(statement, schema::lookup());
    const bool wholeRegister =
        t.selectList == QStringLiteral("*") && t.tables == QStringList{QStringLiteral("Vorgang")};
    QStringList registerColumns;
    for (const schema::Column& c : schema::columns(QStringLiteral("Vorgang")))
        registerColumns << c.name;
    const bool searchColumns = t.baseTable == QStringLiteral("Vorgang") && t.columns == registerColumns;
    if (!wholeRegister && !searchColumns)
        throw jet::SyntaxError(
            QStringLiteral("Die gespeicherte Suche wählt nicht die Spalten des Waffenbuchs."));
}

} // namespace search

namespace {

// Decimal digits after optional leading blanks, as an unsigned 16-bit number.
quint16 datePart(const QString& part) {
    qsizetype i = 0;
    while (i < part.size() && part.at(i) == QLatin1Char(' '))
        ++i;
    bool ok = i < part.size();
    quint32 value = 0;
    for (; ok && i < part.size(); ++i) {
        const QChar c = part.at(i);
        ok = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        value = value * 10 + quint32(c.unicode() - '0');
        ok = ok && value <= 0xFFFF;
    }
    if (!ok)
        throw DbError(QStringLiteral("''%1'' ist kein gültiger Integer-Wert").arg(part));
    return quint16(value);
}

} // namespace

QString GermanDateToSqlDate(const QString& german) {
    QString rest = german;
    const qsizetype first = rest.indexOf(QLatin1Char('.'));
    const QString day = first < 0 ? QString() : rest.left(first);
    rest.remove(0, first + 1);
    const qsizetype second = first < 0 ? -1 : rest.indexOf(QLatin1Char('.'));
    const QString month = second < 0 ? QString() : rest.left(second);
    if (second >= 0)
        rest.remove(0, second + 1);
    const QString year = second < 0 ? QString() : rest;
    const quint16 d = datePart(day);
    const quint16 m = datePart(month);
    const quint16 y = datePart(year);
    return QStringLiteral("%1/%2/%3").arg(m).arg(d).arg(y);
}
