#include "printing/ReportEngine.h"

#include "common/DbError.h"
#include "common/Konst.h"
#include "store/TDatMod.h"

#include <QDate>
#include <QHash>
#include <QString>

namespace {
QHash<QString, ReportProjectFile>& loaded() {
    static QHash<QString, ReportProjectFile> projects;
    return projects;
}
} // namespace

namespace ReportEngine {

const ReportProjectFile& project(const QString& path) {
    auto it = loaded().find(path);
    if (it == loaded().end()) {
        QString error;
        auto p = ReportProjectFile::load(path, &error);
        if (!p)
            throw DbError(error);
        it = loaded().insert(path, *p);
    }
    return *it;
}

void clearLoaded() {
    loaded().clear();
}

QList<ReportDataConnection> connections(TDatMod& m) {
    return {{QStringLiteral("RvDSetCon"), m.ASet_Vorgang},
            {QStringLiteral("RvDataSet_Kauf"), m.ATab_Kauf},
            {QStringLiteral("RvDataSet_Typ"), m.ATab_Typ},
            {QStringLiteral("RvDataSet_Kaliber"), m.ATab_Kaliber},
            {QStringLiteral("RvDataSet_Hersteller"), m.ATab_Hersteller},
            {QStringLiteral("RvDataSet_Amt"), m.ATab_Amt},
            {QStringLiteral("RvDataSet_EWB"), m.ATab_EWB},
            {QStringLiteral("RvDataSet_User"), m.ATab_User}};
}

kainjow::mustache::data withDates(kainjow::mustache::data values) {
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    values.set("Druckdatum", today.toStdString());
    values.set(
        "Briefdatum",
        (Konst::LetterDate.isValid() ? Konst::LetterDate.toString(QStringLiteral("dd.MM.yyyy")) : today)
            .toStdString());
    return values;
}

QString fill(const ReportDefinition& report, kainjow::mustache::data values) {
    values = withDates(std::move(values));
    kainjow::mustache::mustache tmpl(report.templateText.toStdString());
    if (!tmpl.is_valid())
        throw DbError(QStringLiteral("Die Vorlage des Reports \"%1\" ist fehlerhaft: %2")
                          .arg(report.name, QString::fromStdString(tmpl.error_message())));
    return QString::fromStdString(tmpl.render(values));
}

} // namespace ReportEngine
