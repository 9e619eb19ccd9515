#pragma once

#include <QList>
#include <QMarginsF>
#include <QString>
#include <optional>

// One report of a project: its page settings and its HTML template.
struct ReportDefinition {
    QString name;
    bool landscape = false;
    QMarginsF marginsMm{20, 15, 15, 15}; // left, top, right, bottom
    QString title;                       // shown in the output dialog and the preview
    QString templateText;
};

// A report project file: an XML file holding named reports (see docs/report-projects.md).
class ReportProjectFile {
public:
    // Reads the file; on failure returns nothing and sets `error` to a German text naming the path.
    static std::optional<ReportProjectFile> load(const QString& path, QString* error);
    static std::optional<ReportProjectFile> parse(const QByteArray& xml, const QString& path, QString* error);

    // The report of that name, compared without regard to case; nullptr when there is none.
    const ReportDefinition* find(const QString& name) const;
    const QList<ReportDefinition>& reports() const { return m_reports; }
    const QString& path() const { return m_path; }

private:
    QString m_path;
    QList<ReportDefinition> m_reports;
};
