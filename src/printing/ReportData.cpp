#include "printing/ReportData.h"

#include "store/Dataset.h"
#include "store/TDatMod.h"

using kainjow::mustache::data;

namespace {
std::string s(const QString& q) {
    return q.toStdString();
}
} // namespace

namespace ReportData {

data row(const Dataset& d, int position) {
    data r{data::type::object};
    const QStringList fields = d.fieldNames();
    for (int f = 0; f < fields.size(); ++f)
        r.set(s(fields[f]), s(d.textAt(position, f)));
    for (const QString& l : d.lookupFieldNames())
        r.set(s(l), s(d.lookupTextAt(position, l)));
    r.set("_nr", std::to_string(position + 1));
    return r;
}

data build(const QList<ReportDataConnection>& connections, const std::function<bool(int, int)>& progress) {
    int total = 0;
    for (const ReportDataConnection& c : connections)
        total += c.dataset ? c.dataset->recordCount() : 0;
    int done = 0;
    data all{data::type::object};
    for (const ReportDataConnection& c : connections) {
        data conn{data::type::object};
        data rows{data::type::list};
        const Dataset* d = c.dataset;
        const int n = d ? d->recordCount() : 0;
        for (int i = 0; i < n; ++i) {
            rows.push_back(row(*d, i));
            if (progress && (++done % 250 == 0) && !progress(done, total))
                throw ReportCancelled{};
        }
        conn.set("rows", rows);
        conn.set("count", std::to_string(n));
        if (d && d->recNo() > 0)
            conn.set("current", row(*d, d->recNo() - 1));
        all.set(s(c.name), conn);
    }
    if (progress && !progress(total, total))
        throw ReportCancelled{};
    return all;
}

} // namespace ReportData
