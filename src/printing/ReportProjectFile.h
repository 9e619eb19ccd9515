#pragma once

#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QString>
#include <optional>

// A block placed at a fixed position of the page (millimetres from the paper's top left corner),
// such as a letterhead, the address field of a window envelope or a page footer.
struct ReportFrame {
    enum class Pages { First, All, Following };
    QRectF rectMm;
    Pages pages = Pages::All;
    QString templateText;
};

// A column of a table report: its width (a share of the text width), its title and the template
// of its cells. Both are plain text; each line is a paragraph of the cell.
struct ReportColumn {
    qreal width = 10;
    QString title;
    QString cellTemplate;
    int boldLine = 0; // 1-based paragraph printed bold; 0: none
};

// A list drawn as a table, one row per row of a data connection, the title row repeated on
// every page. Drawn directly rather than laid out as HTML, so registers of any length print fast.
struct ReportTable {
    QString connection;
    QString fontFamily = QStringLiteral("DejaVu Sans Condensed");
    qreal fontSize = 7.5;  // points
    qreal paddingMm = 0.8; // inside each cell
    QString headerBackground = QStringLiteral("#e4e4e4");
    QList<ReportColumn> columns;
};

// One report of a project: its page settings and its HTML template.
struct ReportDefinition {
    QString name;
    bool landscape = false;
    QMarginsF marginsMm{20, 15, 15, 15}; // left, top, right, bottom of the flowing text
    qreal firstTopMm = -1;               // where the text starts on the first page; < 0: the top margin
    bool foldMarks = false;              // fold and punch marks of a business letter
    QString title;                       // shown in the output dialog and the preview
    QString templateText;
    QList<ReportFrame> frames;
    std::optional<ReportTable> table; // a table report: rows drawn below the template's text
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
