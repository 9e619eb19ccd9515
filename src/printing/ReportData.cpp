#include "printing/ReportData.h"

#include "store/Dataset.h"
#include "store/RegisterRules.h"
#include "store/Schema.h"
#include "store/TDatMod.h"

#include <QRegularExpression>

using kainjow::mustache::data;
using schema::LookupField;

namespace {
std::string s(const QString& q) {
    return q.toStdString();
}

// The lookup fields a dataset offers, with their key columns and tables.
QList<LookupField> lookupsOf(const Dataset& d) {
    QList<LookupField> found;
    for (const QString& name : d.lookupFieldNames()) {
        const LookupField* def = nullptr;
        for (const char* table : {"Vorgang", "Kaufer"})
            for (const LookupField& l : schema::lookups(QLatin1String(table)))
                if (!def && l.name == name)
                    def = &l;
        if (def)
            found << *def;
    }
    return found;
}

bool namesRows(const QString& templateText, const QString& connection) {
    return templateText.contains(connection + QStringLiteral(".rows"));
}
} // namespace

namespace ReportData {

QSet<QString> namesIn(const QString& templateText) {
    static const QRegularExpression tag(QStringLiteral("\\{\\{\\s*[#^/&{]?\\s*([^}.\\s]+)"));
    QSet<QString> names;
    for (auto it = tag.globalMatch(templateText); it.hasNext();)
        names.insert(it.next().captured(1));
    return names;
}

data row(const Dataset& d, int position, const QSet<QString>* only) {
    data r{data::type::object};
    const QStringList fields = d.fieldNames();
    for (int f = 0; f < fields.size(); ++f) {
        if (only && !only->contains(fields[f]))
            continue;
        QString text = d.textAt(position, f);
        // Postcodes are stored as numbers; a letter shows 01067, not 1067, and nothing for 0.
        if (fields[f].compare(QLatin1String("PLZ"), Qt::CaseInsensitive) == 0 &&
            d.fieldKind(f) == Dataset::ColumnKind::Integer) {
            const int plz = text.toInt();
            text = plz > 0 ? QStringLiteral("%1").arg(plz, 5, 10, QLatin1Char('0')) : QString();
        }
        r.set(s(fields[f]), s(text));
    }
    for (const LookupField& l : lookupsOf(d)) {
        if (!only || only->contains(l.name))
            r.set(s(l.name), s(d.lookupTextAt(position, l.name)));
        const int f = d.fieldIndex(l.keyColumn);
        const QString flag = QStringLiteral("Hat") + l.keyColumn;
        if (f >= 0 && (!only || only->contains(flag)))
            r.set(s(flag), d.valueAt(position, f).toInt() > 1);
    }
    // In stock is what the stock count counts. A sale stored without a buyer (by another
    // program: no key, 0) is no weapon in stock.
    const int buyer = d.fieldIndex(QStringLiteral("Kaufer"));
    if (buyer >= 0 && (!only || only->contains(QStringLiteral("ImBestand"))))
        r.set("ImBestand", RegisterRules::isInStock(d.valueAt(position, buyer)));
    r.set("_nr", std::to_string(position + 1));
    return r;
}

data rowWithLinks(const Dataset& d, int position, const QList<ReportDataConnection>& connections) {
    data r = row(d, position);
    for (const LookupField& l : lookupsOf(d)) {
        const int f = d.fieldIndex(l.keyColumn);
        if (f < 0)
            continue;
        for (const ReportDataConnection& c : connections) {
            if (!c.dataset || c.dataset->tableName().compare(l.table, Qt::CaseInsensitive) != 0)
                continue;
            const int at = c.dataset->positionOfIndex(d.valueAt(position, f).toInt());
            if (at >= 0)
                r.set(s(l.keyColumn + QStringLiteral("Daten")), row(*c.dataset, at));
            break;
        }
    }
    return r;
}

data build(const QList<ReportDataConnection>& connections, const QString& templateText,
           const std::function<bool(int, int)>& progress) {
    int total = 0;
    for (const ReportDataConnection& c : connections)
        if (c.dataset && namesRows(templateText, c.name))
            total += c.dataset->recordCount();
    int done = 0;
    data all{data::type::object};
    for (const ReportDataConnection& c : connections) {
        data conn{data::type::object};
        data rows{data::type::list};
        const Dataset* d = c.dataset;
        const int n = d ? d->recordCount() : 0;
        if (d && namesRows(templateText, c.name)) {
            for (int i = 0; i < n; ++i) {
                rows.push_back(row(*d, i));
                if (progress && (++done % 250 == 0) && !progress(done, total))
                    throw ReportCancelled{};
            }
        }
        conn.set("rows", rows);
        conn.set("count", std::to_string(n));
        if (d && d->recNo() > 0)
            conn.set("current", rowWithLinks(*d, d->recNo() - 1, connections));
        all.set(s(c.name), conn);
    }
    if (progress && !progress(total, total))
        throw ReportCancelled{};
    return all;
}

} // namespace ReportData
