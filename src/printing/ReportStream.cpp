#include "printing/ReportStream.h"

#include "common/DbError.h"
#include "printing/ReportEngine.h"
#include "store/Dataset.h"
#include "store/TDatMod.h"

#include <QRegularExpression>

using kainjow::mustache::data;
using kainjow::mustache::mustache;

namespace {
std::unique_ptr<mustache> compile(const QString& text, const QString& report) {
    auto m = std::make_unique<mustache>(text.toStdString());
    if (!m->is_valid())
        throw DbError(QStringLiteral("Die Vorlage des Reports \"%1\" ist fehlerhaft: %2")
                          .arg(report, QString::fromStdString(m->error_message())));
    return m;
}

QString render(const QString& text, const data& values, const QString& report) {
    return QString::fromStdString(compile(text, report)->render(values));
}
} // namespace

ReportStream::ReportStream(const ReportDefinition& report, const QList<ReportDataConnection>& connections,
                           const std::function<bool(int, int)>& progress)
    : m_report(report) {
    QString body = report.templateText;
    QString before = body, inner, after;
    if (report.table) {
        // A table report: the rows come from the table's connection; the template is text above it.
        for (const ReportDataConnection& c : connections)
            if (c.name.compare(report.table->connection, Qt::CaseInsensitive) == 0)
                m_dataset = c.dataset;
        if (!m_dataset)
            throw DbError(QStringLiteral("Der Report \"%1\" nennt die unbekannte Datenverbindung \"%2\".")
                              .arg(report.name, report.table->connection));
        m_rowCount = m_dataset->recordCount();
        QString frames;
        for (const ReportFrame& f : report.frames)
            frames += f.templateText;
        m_values = ReportEngine::withDates(ReportData::build(connections, body + frames, progress));
        m_printDate = m_values.get("Druckdatum")->string_value();
        m_letterDate = m_values.get("Briefdatum")->string_value();
        m_head = render(body, m_values, report.name);
        for (const ReportColumn& c : report.table->columns) {
            m_cellNames.unite(ReportData::namesIn(c.cellTemplate));
            m_cells.push_back(compile(c.cellTemplate, report.name));
            m_cells.back()->set_custom_escape([](const std::string& text) { return text; }); // plain text
        }
        return;
    }
    for (const ReportDataConnection& c : connections) {
        const QString open = QStringLiteral("{{#%1.rows}}").arg(c.name);
        const QString close = QStringLiteral("{{/%1.rows}}").arg(c.name);
        const qsizetype o = body.indexOf(open);
        const qsizetype e = o < 0 ? -1 : body.indexOf(close, o);
        if (o < 0 || e < 0 || (m_dataset && o > before.size()))
            continue;
        m_dataset = c.dataset;
        before = body.left(o);
        inner = body.mid(o + open.size(), e - o - open.size());
        after = body.mid(e + close.size());
    }
    QString frames;
    for (const ReportFrame& f : report.frames)
        frames += f.templateText;
    // Only the parts outside the streamed section decide which other rows are needed.
    m_values = ReportData::build(connections, (m_dataset ? before + after : body) + frames, progress);
    m_values = ReportEngine::withDates(m_values);
    m_printDate = m_values.get("Druckdatum")->string_value();
    m_letterDate = m_values.get("Briefdatum")->string_value();
    if (!m_dataset) {
        m_head = render(body, m_values, report.name);
        return;
    }
    m_rowCount = m_dataset->recordCount();
    const qsizetype t = before.lastIndexOf(QLatin1String("<table"), -1, Qt::CaseInsensitive);
    const qsizetype te = after.indexOf(QLatin1String("</table>"), 0, Qt::CaseInsensitive);
    const QString head = t < 0 ? before : before.left(t);
    const QString tableHead = t < 0 ? QString() : before.mid(t);
    const QString tableTail = te < 0 ? QString() : after.left(te + 8);
    const QString tail = te < 0 ? after : after.mid(te + 8);
    m_head = render(head, m_values, report.name);
    // A page that continues the table keeps the document's opening tags and thereby its style.
    QString opening;
    static const QRegularExpression openTags(QStringLiteral("<(html|body)\\b[^>]*>"),
                                             QRegularExpression::CaseInsensitiveOption);
    for (auto it = openTags.globalMatch(head); it.hasNext();)
        opening += it.next().captured();
    m_opening = render(opening, m_values, report.name);
    m_tableHead = render(tableHead, m_values, report.name);
    m_tableTail = render(tableTail, m_values, report.name);
    m_tail = render(tail, m_values, report.name);
    m_row = compile(inner, report.name);
}

ReportStream::~ReportStream() = default;

QString ReportStream::rowsHtml(int from, int to) const {
    QString out;
    for (int i = from; i < to; ++i) {
        data r = ReportData::row(*m_dataset, i);
        r.set("Druckdatum", m_printDate);
        r.set("Briefdatum", m_letterDate);
        out += QString::fromStdString(m_row->render(r));
    }
    return out;
}

QStringList ReportStream::cells(int row) const {
    data r = ReportData::row(*m_dataset, row, &m_cellNames);
    r.set("Druckdatum", m_printDate);
    r.set("Briefdatum", m_letterDate);
    QStringList out;
    for (const auto& c : m_cells)
        out << QString::fromStdString(c->render(r));
    return out;
}

QString ReportStream::html(int from, int to) const {
    if (!m_dataset || isTable())
        return m_head;
    QString out;
    out += from == 0 ? m_head : m_opening;
    out += m_tableHead + rowsHtml(from, to) + m_tableTail;
    if (to >= m_rowCount)
        out += m_tail;
    return out;
}

QString ReportStream::frame(int index, int page) const {
    data values = m_values;
    values.set("Seite", std::to_string(page));
    return render(m_report.frames.at(index).templateText, values, m_report.name);
}
