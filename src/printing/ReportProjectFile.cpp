#include "printing/ReportProjectFile.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

namespace {
// Trims every line of a multi-line text and the empty lines at its ends.
QString lines(const QString& text) {
    QStringList out;
    for (const QString& l : text.split(QLatin1Char('\n')))
        out << l.trimmed();
    while (!out.isEmpty() && out.first().isEmpty())
        out.removeFirst();
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out.join(QLatin1Char('\n'));
}

std::optional<ReportTable> readTable(QXmlStreamReader& r, QString* why) {
    ReportTable t;
    const auto a = r.attributes();
    t.connection = a.value(QLatin1String("connection")).toString();
    if (t.connection.isEmpty()) {
        *why = QStringLiteral("Tabelle ohne Datenverbindung (connection)");
        return std::nullopt;
    }
    if (a.hasAttribute(QLatin1String("font-family")))
        t.fontFamily = a.value(QLatin1String("font-family")).toString();
    bool ok = true;
    if (a.hasAttribute(QLatin1String("font-size")))
        t.fontSize = a.value(QLatin1String("font-size")).toDouble(&ok);
    if (!ok || t.fontSize < 4 || t.fontSize > 30) {
        *why = QStringLiteral("ungültige Schriftgröße der Tabelle");
        return std::nullopt;
    }
    if (a.hasAttribute(QLatin1String("padding")))
        t.paddingMm = a.value(QLatin1String("padding")).toDouble(&ok);
    if (!ok || t.paddingMm < 0 || t.paddingMm > 10) {
        *why = QStringLiteral("ungültiger Zellabstand der Tabelle");
        return std::nullopt;
    }
    if (a.hasAttribute(QLatin1String("header-background")))
        t.headerBackground = a.value(QLatin1String("header-background")).toString();
    while (r.readNextStartElement()) {
        if (r.name() != QLatin1String("column")) {
            r.skipCurrentElement();
            continue;
        }
        ReportColumn c;
        const auto ca = r.attributes();
        c.width = ca.value(QLatin1String("width")).toDouble(&ok);
        if (!ok || c.width <= 0) {
            *why = QStringLiteral("Spalte ohne gültige Breite");
            return std::nullopt;
        }
        c.boldLine = ca.value(QLatin1String("bold-line")).toInt();
        while (r.readNextStartElement()) {
            if (r.name() == QLatin1String("title"))
                c.title = lines(r.readElementText());
            else if (r.name() == QLatin1String("cell"))
                c.cellTemplate = lines(r.readElementText());
            else
                r.skipCurrentElement();
        }
        t.columns.append(c);
    }
    if (t.columns.isEmpty()) {
        *why = QStringLiteral("Tabelle ohne Spalten");
        return std::nullopt;
    }
    return t;
}
} // namespace

std::optional<ReportProjectFile> ReportProjectFile::load(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Die Reportdatei \"%1\" wurde nicht gefunden oder kann nicht "
                                    "gelesen werden.")
                         .arg(QFileInfo(path).absoluteFilePath());
        return std::nullopt;
    }
    return parse(f.readAll(), QFileInfo(path).absoluteFilePath(), error);
}

std::optional<ReportProjectFile> ReportProjectFile::parse(const QByteArray& xml, const QString& path,
                                                          QString* error) {
    ReportProjectFile project;
    project.m_path = path;
    QXmlStreamReader r(xml);
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("Die Reportdatei \"%1\" ist fehlerhaft (Zeile %2): %3")
                         .arg(path)
                         .arg(r.lineNumber())
                         .arg(why);
        return std::nullopt;
    };
    if (!r.readNextStartElement() || r.name() != QLatin1String("reportproject"))
        return fail(QStringLiteral("<reportproject> erwartet"));
    while (r.readNextStartElement()) {
        if (r.name() != QLatin1String("report")) {
            r.skipCurrentElement();
            continue;
        }
        ReportDefinition def;
        const auto a = r.attributes();
        def.name = a.value(QLatin1String("name")).toString();
        if (def.name.isEmpty())
            return fail(QStringLiteral("Report ohne Namen"));
        def.title = a.value(QLatin1String("title")).toString();
        const QString orient = a.value(QLatin1String("orientation")).toString().toLower();
        if (orient == QLatin1String("landscape"))
            def.landscape = true;
        else if (!orient.isEmpty() && orient != QLatin1String("portrait"))
            return fail(QStringLiteral("unbekannte Ausrichtung \"%1\"").arg(orient));
        const QString size = a.value(QLatin1String("page")).toString();
        if (!size.isEmpty() && size.compare(QLatin1String("A4"), Qt::CaseInsensitive) != 0)
            return fail(QStringLiteral("nur das Format A4 wird unterstützt"));
        auto margin = [&](const char* key, qreal fallback) -> std::optional<qreal> {
            const auto v = a.value(QLatin1String(key));
            if (v.isEmpty())
                return fallback;
            bool ok = false;
            const qreal m = v.toDouble(&ok);
            if (!ok || m < 0 || m > 100)
                return std::nullopt;
            return m;
        };
        const auto left = margin("margin-left", 20), top = margin("margin-top", 15),
                   right = margin("margin-right", 15), bottom = margin("margin-bottom", 15);
        if (!left || !top || !right || !bottom)
            return fail(QStringLiteral("ungültiger Rand"));
        def.marginsMm = QMarginsF(*left, *top, *right, *bottom);
        const auto firstTop = margin("first-top", -1);
        if (!firstTop)
            return fail(QStringLiteral("ungültiger Textbeginn \"first-top\""));
        def.firstTopMm = *firstTop;
        const QString marks = a.value(QLatin1String("marks")).toString();
        if (marks.compare(QLatin1String("din5008"), Qt::CaseInsensitive) == 0)
            def.foldMarks = true;
        else if (!marks.isEmpty())
            return fail(QStringLiteral("unbekannte Marken \"%1\"").arg(marks));
        while (r.readNextStartElement()) {
            if (r.name() == QLatin1String("template")) {
                def.templateText = r.readElementText();
            } else if (r.name() == QLatin1String("table")) {
                QString why;
                def.table = readTable(r, &why);
                if (!def.table)
                    return fail(why);
            } else if (r.name() == QLatin1String("frame")) {
                const auto fa = r.attributes();
                auto mm = [&](const char* key) -> std::optional<qreal> {
                    bool ok = false;
                    const qreal v = fa.value(QLatin1String(key)).toDouble(&ok);
                    if (!ok || v < 0 || v > 420)
                        return std::nullopt;
                    return v;
                };
                const auto x = mm("left"), y = mm("top"), w = mm("width"), h = mm("height");
                if (!x || !y || !w || !h || *w <= 0 || *h <= 0)
                    return fail(QStringLiteral("Rahmen ohne gültige Lage (left, top, width, height in mm)"));
                ReportFrame frame;
                frame.rectMm = QRectF(*x, *y, *w, *h);
                const QString pages = fa.value(QLatin1String("pages")).toString().toLower();
                if (pages == QLatin1String("first"))
                    frame.pages = ReportFrame::Pages::First;
                else if (pages == QLatin1String("following"))
                    frame.pages = ReportFrame::Pages::Following;
                else if (!pages.isEmpty() && pages != QLatin1String("all"))
                    return fail(QStringLiteral("unbekannte Seitenangabe \"%1\"").arg(pages));
                frame.templateText = r.readElementText();
                def.frames.append(frame);
            } else {
                r.skipCurrentElement();
            }
        }
        project.m_reports.append(def);
    }
    if (r.hasError())
        return fail(r.errorString());
    return project;
}

const ReportDefinition* ReportProjectFile::find(const QString& name) const {
    for (const ReportDefinition& d : m_reports)
        if (d.name.compare(name, Qt::CaseInsensitive) == 0)
            return &d;
    return nullptr;
}
