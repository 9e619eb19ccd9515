#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QTextDocument;
class ReportStream;
class ReportTableLayout;

// Lays a report out page by page on a paint device's resolution and paints single pages. A report
// with rows is cut into pages here: each page is a document of its own holding as many whole
// rows as fit (a row is never split), so only one page's rows are laid out at a time however long
// the register. Pages already laid out can be painted again in any order (the preview goes back
// and forth).
class ReportPager {
public:
    // `device` gives the resolution and the page size (A4 in the report's orientation).
    ReportPager(const ReportStream& stream, QPagedPaintDevice& device);
    ~ReportPager();

    // Lays out until page `page` (0-based) is known; false when the report has fewer pages or
    // `keepGoing` said stop.
    bool ensure(int page, const std::function<bool()>& keepGoing = {});
    // Pages laid out so far, and whether that is all of them.
    int knownPages() const { return int(m_pages.size()); }
    bool complete() const { return m_complete; }
    // First row of the streamed rows on a page laid out (0 for a report without rows).
    int firstRow(int page) const { return m_pages.value(page).from; }
    // Paints a page that ensure() has laid out, in the device's coordinates (full page).
    void paint(int page, QPainter& painter);

private:
    struct Portion;
    void layOut(int page);
    void layOutTable(int page, Portion& portion);
    QList<qreal> rowBottoms(const QTextDocument& doc, int from, int to) const;
    std::unique_ptr<QTextDocument> document(const QString& html, bool firstPage, bool paginate) const;
    void paintFrames(int page, QPainter& painter);

    const ReportStream& m_stream;
    QPagedPaintDevice& m_device;
    QRectF m_body;          // flowing text area of a page, device units
    qreal m_firstShift = 0; // how much lower the text starts on the first page
    qreal m_dotsPerMm = 1;
    struct Page {
        int from = 0;  // first row on the page
        int count = 0; // rows on the page
    };
    QList<Page> m_pages;    // every page laid out so far
    int m_nextStart = 0;    // first row of the page after them
    int m_rowsPerPage = 40; // what the last page held: the guess for the next
    bool m_complete = false;
    std::unique_ptr<Portion> m_portion;
    std::unique_ptr<ReportTableLayout> m_table;
    struct FrameCache {
        QString html;
        std::unique_ptr<QTextDocument> doc;
        qreal scale = 1; // below 1 for a text that is drawn smaller to fit its frame
    };
    std::vector<FrameCache> m_frames;
};
