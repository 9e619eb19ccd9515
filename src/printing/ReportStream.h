#pragma once

#include "printing/ReportData.h"
#include "printing/ReportProjectFile.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class Dataset;
struct ReportDataConnection;

// A report's template cut for rendering page by page. The first `{{#<Connection>.rows}}` section
// of the template is not expanded at once: its rows are filled in portions, so that a register of
// any length never exists as one document. Around a portion stand the table that holds the
// section (its opening and head repeat with every portion) and, only at the very start and end,
// what comes before and after that table. Every other part of the template is filled once.
class ReportStream {
public:
    // Throws DbError for a broken template and ReportCancelled when `progress` returns false.
    ReportStream(const ReportDefinition& report, const QList<ReportDataConnection>& connections,
                 const std::function<bool(int, int)>& progress = {});
    ~ReportStream();

    // Rows of the streamed connection; 0 when the template streams none.
    int rowCount() const { return m_dataset ? m_rowCount : 0; }
    bool streams() const { return m_dataset != nullptr; }
    // HTML of the rows [from, to): the start of the document when `from` is 0, its end when `to`
    // is rowCount(). Without a streamed section: the whole document.
    QString html(int from, int to) const;
    // A table report (see ReportTable): the texts of a row's cells, one per column.
    bool isTable() const { return m_report.table.has_value(); }
    QStringList cells(int row) const;
    // HTML of a frame on page `page` (1-based), which the frame's template reads as `Seite`.
    QString frame(int index, int page) const;
    const ReportDefinition& report() const { return m_report; }

private:
    QString rowsHtml(int from, int to) const;

    ReportDefinition m_report;
    const Dataset* m_dataset = nullptr;
    int m_rowCount = 0;
    QString m_head, m_opening, m_tableHead, m_tableTail, m_tail; // filled already
    std::unique_ptr<kainjow::mustache::mustache> m_row;
    std::vector<std::unique_ptr<kainjow::mustache::mustache>> m_cells;
    QSet<QString> m_cellNames; // what the cells read of a row
    kainjow::mustache::data m_values;
    std::string m_printDate, m_letterDate;
};
