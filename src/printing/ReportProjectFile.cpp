#include "printing/ReportProjectFile.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

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
        while (r.readNextStartElement()) {
            if (r.name() == QLatin1String("template"))
                def.templateText = r.readElementText();
            else
                r.skipCurrentElement();
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
