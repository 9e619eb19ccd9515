#include "store/RegisterQuery.h"

#include "store/Schema.h"

#include <array>

namespace RegisterQuery {

namespace {
struct SortOrder {
    const char16_t* name;
    const char* from;
    const char16_t* status;
    const char* listKey = nullptr; // the register column joined with the list table
};

// The three lists differ in wording on purpose: "Fabrik" sorts by manufacturer and reports
// "Hersteller"; position 10 reports its bare name.
constexpr std::array<SortOrder, kSortCount> kOrders = {{
    {u"Index", "FROM Vorgang ORDER BY Vorgang.Index", u"Sortiert nach: Index"},
    {u"Kaufdatum", "FROM Vorgang ORDER BY Vorgang.KDatum", u"Sortiert nach: Kaufdatum"},
    {u"Waffentyp",
     "FROM Waffentyp INNER JOIN Vorgang ON Waffentyp.Index=Vorgang.Waffentyp ORDER BY Waffentyp.WTyp",
     u"Sortiert nach: Waffentyp", "Waffentyp"},
    {u"Kaliber", "FROM Kaliber INNER JOIN Vorgang ON Kaliber.Index=Vorgang.Kaliber ORDER BY Kaliber.Kaliber",
     u"Sortiert nach: Kaliber", "Kaliber"},
    {u"Fabrik",
     "FROM Hersteller INNER JOIN Vorgang ON Hersteller.Index=Vorgang.Hersteller ORDER BY "
     "Hersteller.Hersteller",
     u"Sortiert nach: Hersteller", "Hersteller"},
    {u"Serien-Nummer", "FROM Vorgang ORDER BY Vorgang.SerienNr", u"Sortiert nach: Serien-Nr."},
    {u"Verkäufer", "FROM Kaufer INNER JOIN Vorgang ON Kaufer.Index=Vorgang.Verkaufer ORDER BY Kaufer.Name",
     u"Sortiert nach: Verkäufer", "Verkaufer"},
    {u"Käufer", "FROM Kaufer INNER JOIN Vorgang ON Vorgang.Kaufer=Kaufer.Index ORDER BY Kaufer.Name",
     u"Sortiert nach: Käufer", "Kaufer"},
    {u"Verkaufsdatum", "FROM Vorgang ORDER BY Vorgang.VDatum", u"Sortiert nach: Verkaufsdatum"},
    {u"EWB", "FROM EWB INNER JOIN Vorgang ON Vorgang.EWB=EWB.Index ORDER BY EWB.EWB", u"Sortiert nach: EWB",
     "EWB"},
    {u"EWB-Nummer", "FROM Vorgang ORDER BY Vorgang.EWBNR", u"EWB-Nummer"},
    {u"EWB-Datum", "FROM Vorgang ORDER BY Vorgang.AmtDatum", u"Sortiert nach: EWB-Ausstellungsdatum"},
    {u"Amt bzw. Land", "FROM Amt INNER JOIN Vorgang ON Vorgang.Amt=Amt.Index ORDER BY Amt.Name",
     u"Sortiert nach: Amt bzw. Land", "Amt"},
    {u"Käufer-Amt", "FROM Amt INNER JOIN Vorgang ON Vorgang.KauferAmt=Amt.Index ORDER BY Amt.Name",
     u"Sortiert nach: Käufer-Amt", "KauferAmt"},
    {u"Jagdsch.-Datum", "FROM Vorgang ORDER BY Vorgang.JDatum",
     u"Sortiert nach: Jagdschein-Ausstellungsdatum"},
    {u"Brief-Datum", "FROM Vorgang ORDER BY Vorgang.BriefDatum", u"Sortiert nach: Briefdatum"},
    {u"Notiz", "FROM Vorgang ORDER BY Vorgang.Notiz", u"Sortiert nach: Notiz"},
}};

bool inRange(int position) {
    return position >= 0 && position < kSortCount;
}
} // namespace

const QStringList& sortNames() {
    static const QStringList names = [] {
        QStringList n;
        for (const SortOrder& o : kOrders)
            n << QString::fromUtf16(o.name);
        return n;
    }();
    return names;
}

QString fromPart(int position) {
    return inRange(position) ? QString::fromLatin1(kOrders[std::size_t(position)].from) : QString();
}

QString sortQuery(int position) {
    return schema::registerColumnList() + fromPart(position);
}

QString statusText(int position) {
    return inRange(position) ? QString::fromUtf16(kOrders[std::size_t(position)].status) : QString();
}

std::optional<SortStatement> recognise(const QString& statement) {
    static const QString desc = QStringLiteral(" DESC");
    for (int p = 0; p < kSortCount; ++p) {
        const QString query = sortQuery(p);
        if (statement == query)
            return SortStatement{p, false};
        if (statement.size() == query.size() + desc.size() && statement.startsWith(query) &&
            statement.endsWith(desc))
            return SortStatement{p, true};
    }
    return std::nullopt;
}

QString listKeyColumn(int position) {
    return inRange(position) && kOrders[std::size_t(position)].listKey
               ? QString::fromLatin1(kOrders[std::size_t(position)].listKey)
               : QString();
}

} // namespace RegisterQuery
