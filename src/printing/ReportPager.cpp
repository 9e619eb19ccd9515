#include "printing/ReportPager.h"

#include "printing/ReportStream.h"
#include "printing/ReportTableLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <cmath>

namespace {

// Lays a frame's text out to the frame's width and returns 1, or, for a text taller than its
// frame (a long firm name in the sender line, an address of many lines), the largest scale, down
// to one half, at which the text laid out to the frame's width over that scale fits: nothing of
// it is then cut off at the frame's edge. Below one half the text is cut off.
qreal fitFrame(QTextDocument& doc, QSizeF frame) {
    doc.setTextWidth(frame.width());
    if (doc.size().height() <= frame.height())
        return 1;
    const auto fits = [&](qreal scale) {
        doc.setTextWidth(frame.width() / scale);
        return doc.size().height() * scale <= frame.height();
    };
    qreal low = 0.5, high = 1;
    if (!fits(low))
        return low;
    for (int step = 0; step < 10; ++step) {
        const qreal middle = (low + high) / 2;
        (fits(middle) ? low : high) = middle;
    }
    doc.setTextWidth(frame.width() / low);
    return low;
}

} // namespace

struct ReportPager::Portion {
    std::unique_ptr<QTextDocument> doc;
    int firstPage = 0;                  // report page of the document's first page
    int pages = 0;                      // pages of the document that belong to the report
    qreal clip = 0;                     // for a page of rows: where its last row ends
    QList<ReportTableLayout::Row> rows; // a table report's rows on the page
    qreal top = 0;                      // where its title row begins
};

namespace {
// The table with the most rows: the one that holds the streamed rows.
QTextTable* rowsTable(QTextFrame* frame) {
    QTextTable* best = nullptr;
    for (QTextFrame* child : frame->childFrames()) {
        QTextTable* t = qobject_cast<QTextTable*>(child);
        if (t && (!best || t->rows() > best->rows()))
            best = t;
        QTextTable* inner = rowsTable(child);
        if (inner && (!best || inner->rows() > best->rows()))
            best = inner;
    }
    return best;
}
} // namespace

ReportPager::ReportPager(const ReportStream& stream, QPagedPaintDevice& device)
    : m_stream(stream), m_device(device) {
    const ReportDefinition& def = stream.report();
    m_dotsPerMm = device.logicalDpiY() / 25.4;
    const QSizeF paper = device.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const QMarginsF& m = def.marginsMm;
    m_body = QRectF(m.left() * m_dotsPerMm, m.top() * m_dotsPerMm,
                    (paper.width() - m.left() - m.right()) * m_dotsPerMm,
                    (paper.height() - m.top() - m.bottom()) * m_dotsPerMm);
    if (def.firstTopMm > m.top())
        m_firstShift = (def.firstTopMm - m.top()) * m_dotsPerMm;
    m_frames.resize(def.frames.size());
    if (def.table)
        m_table = std::make_unique<ReportTableLayout>(*def.table, device, m_body.width());
}

ReportPager::~ReportPager() = default;

std::unique_ptr<QTextDocument> ReportPager::document(const QString& html, bool firstPage,
                                                     bool paginate) const {
    auto doc = std::make_unique<QTextDocument>();
    doc->documentLayout()->setPaintDevice(&m_device);
    doc->setDocumentMargin(0);
    // Rows are cut into pages here, row by row; only a report without rows lets the layout paginate.
    doc->setPageSize(paginate ? m_body.size() : QSizeF(m_body.width(), 1e9));
    doc->setHtml(html);
    if (firstPage && m_firstShift > 0) {
        // Lay the text out whole before the spacer goes in: the layout goes ahead lazily, and a
        // change at the top of a text laid out only in part left the blocks at its end without
        // lines (the last paragraphs of a letter with long values were missing from the page).
        doc->documentLayout()->documentSize();
        // An empty first line of fixed height moves the text down (a block's top margin would
        // be dropped at the top of a page).
        QTextCursor c(doc.get());
        const QTextBlockFormat keep = c.blockFormat();
        c.insertBlock();
        c.movePosition(QTextCursor::Start);
        QTextBlockFormat spacer;
        spacer.setLineHeight(m_firstShift, QTextBlockFormat::FixedHeight);
        c.setBlockFormat(spacer);
        c.movePosition(QTextCursor::NextBlock);
        c.setBlockFormat(keep);
        // The layout scales fixed line heights by the device's resolution against the screen's,
        // adds the margin of the text's first block, and breaks a first guess that comes out
        // taller than a page; step towards the height that puts the text exactly where the
        // report says, each step from the slope of the last two measurements.
        qreal height = m_firstShift, lastHeight = 0, lastTop = 0;
        for (int step = 0; step < 8; ++step) {
            const qreal top = doc->documentLayout()->blockBoundingRect(c.block()).top();
            if (std::abs(top - m_firstShift) < 0.5)
                break;
            const qreal slope = step == 0 ? top / height : (top - lastTop) / (height - lastHeight);
            if (!(slope > 0))
                break;
            lastHeight = height;
            lastTop = top;
            height = std::max<qreal>(1, height + (m_firstShift - top) / slope);
            spacer.setLineHeight(height, QTextBlockFormat::FixedHeight);
            QTextCursor(doc.get()).setBlockFormat(spacer);
        }
    }
    return doc;
}

bool ReportPager::ensure(int page, const std::function<bool()>& keepGoing) {
    while (page >= knownPages() && !m_complete) {
        if (keepGoing && !keepGoing())
            return false;
        layOut(knownPages());
    }
    return page < knownPages();
}

// Where each row of [from, to) ends, in document coordinates.
QList<qreal> ReportPager::rowBottoms(const QTextDocument& doc, int from, int to) const {
    QList<qreal> bottoms;
    QTextTable* table = rowsTable(doc.rootFrame());
    if (!table)
        return bottoms;
    auto* layout = doc.documentLayout();
    const int header = table->format().headerRowCount();
    const int perRow = std::max(1, (table->rows() - header) / std::max(1, to - from));
    for (int r = from + 1; r <= to; ++r) {
        const int tr = header + (r - from) * perRow;
        if (tr < table->rows())
            bottoms << layout->blockBoundingRect(table->cellAt(tr, 0).firstCursorPosition().block()).top();
        else
            bottoms << layout->frameBoundingRect(table).bottom();
    }
    return bottoms;
}

void ReportPager::layOut(int page) {
    auto portion = std::make_unique<Portion>();
    portion->firstPage = page;
    portion->pages = 1;
    portion->clip = m_body.height();
    if (m_table) {
        layOutTable(page, *portion);
        m_portion = std::move(portion);
        return;
    }
    if (!m_stream.streams()) {
        // Letters and other reports without rows: the layout breaks the pages.
        portion->doc = document(m_stream.html(0, 0), true, true);
        portion->firstPage = 0;
        portion->pages = std::max(1, portion->doc->pageCount());
        if (knownPages() == 0) {
            m_pages.fill({0, 0}, portion->pages);
            m_complete = true;
        }
        m_portion = std::move(portion);
        return;
    }
    const int total = m_stream.rowCount();
    if (page < knownPages()) {
        const Page& known = m_pages[page];
        portion->doc = document(m_stream.html(known.from, known.from + known.count), page == 0, false);
        m_portion = std::move(portion);
        return;
    }
    // A new page: lay out a few rows more than the last page held and keep those that fit.
    const int from = m_nextStart;
    int rows = m_rowsPerPage + 8;
    int fits = 0;
    for (;;) {
        const int to = std::min(total, from + rows);
        portion->doc = document(m_stream.html(from, to), page == 0, false);
        const QList<qreal> bottoms = rowBottoms(*portion->doc, from, to);
        if (bottoms.size() < to - from) {
            fits = to - from; // rows that can't be told apart go on one page
            break;
        }
        fits = 0;
        while (fits < bottoms.size() && bottoms[fits] <= m_body.height())
            ++fits;
        if (fits == to - from && to < total) {
            rows *= 2;
            continue;
        }
        fits = std::max(fits, std::min(1, to - from)); // a row taller than a page still gets one
        break;
    }
    // Lay the page out again with just its rows: rows cut off below would still be text in a
    // PDF (found by a search, copied out). What follows the table goes to the next page when it
    // does not fit under the last rows.
    for (;;) {
        const bool last = from + fits >= total;
        if (fits < total - from || !last)
            portion->doc = document(m_stream.html(from, from + fits), page == 0, false);
        if (!last || fits <= 1 || portion->doc->documentLayout()->documentSize().height() <= m_body.height())
            break;
        --fits;
    }
    m_pages.append({from, fits});
    m_nextStart = from + fits;
    m_complete = m_nextStart >= total;
    if (fits > 0)
        m_rowsPerPage = fits;
    m_portion = std::move(portion);
}

// A table report's page: the template's text above the table on the first page, then the title
// row and as many whole rows as fit.
void ReportPager::layOutTable(int page, Portion& portion) {
    const bool again = page < knownPages();
    const int from = again ? m_pages[page].from : m_nextStart;
    const int total = m_stream.rowCount();
    qreal y = m_body.top();
    if (page == 0) {
        y += m_firstShift;
        if (!m_stream.html(0, 0).trimmed().isEmpty()) {
            portion.doc = document(m_stream.html(0, 0), false, false);
            y += portion.doc->documentLayout()->documentSize().height();
        }
    }
    portion.top = y;
    y += m_table->header().height;
    int r = from;
    for (; r < total && (!again || r < from + m_pages[page].count); ++r) {
        ReportTableLayout::Row row = m_table->measure(m_stream.cells(r));
        if (y + row.height > m_body.bottom() && r > from)
            break;
        y += row.height;
        portion.rows.append(std::move(row));
    }
    if (!again) {
        m_pages.append({from, r - from});
        m_nextStart = r;
        m_complete = r >= total;
    }
}

void ReportPager::paint(int page, QPainter& painter) {
    if (!m_portion || page < m_portion->firstPage || page >= m_portion->firstPage + m_portion->pages)
        layOut(page);
    if (m_table) {
        if (m_portion->doc) {
            painter.save();
            painter.translate(m_body.left(), m_body.top() + m_firstShift);
            QAbstractTextDocumentLayout::PaintContext ctx;
            m_portion->doc->documentLayout()->draw(&painter, ctx);
            painter.restore();
        }
        qreal y = m_portion->top;
        m_table->paint(painter, m_table->header(), QPointF(m_body.left(), y), true);
        y += m_table->header().height;
        for (const ReportTableLayout::Row& row : m_portion->rows) {
            m_table->paint(painter, row, QPointF(m_body.left(), y));
            y += row.height;
        }
        m_table->paintColumnRules(painter, m_body.left(), m_portion->top, y);
        paintFrames(page, painter);
        return;
    }
    const int local = page - m_portion->firstPage;
    const qreal h = m_body.height();
    painter.save();
    painter.translate(m_body.left(), m_body.top() - local * h);
    QAbstractTextDocumentLayout::PaintContext ctx;
    // A little below the last row's end, so its bottom border line is drawn whole.
    ctx.clip = QRectF(0, local * h, m_body.width(), std::min(h, m_portion->clip + m_dotsPerMm * 0.2));
    painter.setClipRect(ctx.clip);
    m_portion->doc->documentLayout()->draw(&painter, ctx);
    painter.restore();
    paintFrames(page, painter);
}

void ReportPager::paintFrames(int page, QPainter& painter) {
    const ReportDefinition& def = m_stream.report();
    for (int i = 0; i < def.frames.size(); ++i) {
        const ReportFrame& f = def.frames[i];
        if ((f.pages == ReportFrame::Pages::First && page != 0) ||
            (f.pages == ReportFrame::Pages::Following && page == 0))
            continue;
        const QRectF r(f.rectMm.left() * m_dotsPerMm, f.rectMm.top() * m_dotsPerMm,
                       f.rectMm.width() * m_dotsPerMm, f.rectMm.height() * m_dotsPerMm);
        // A frame that reads the same on every page (the page head) is laid out once.
        const QString html = m_stream.frame(i, page + 1);
        auto& cached = m_frames[i];
        if (!cached.doc || cached.html != html) {
            cached.html = html;
            cached.doc = std::make_unique<QTextDocument>();
            cached.doc->documentLayout()->setPaintDevice(&m_device);
            cached.doc->setDocumentMargin(0);
            cached.doc->setHtml(html);
            cached.scale = fitFrame(*cached.doc, r.size());
        }
        painter.save();
        painter.translate(r.topLeft());
        painter.scale(cached.scale, cached.scale);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = QRectF(QPointF(0, 0), r.size() / cached.scale);
        painter.setClipRect(ctx.clip);
        cached.doc->documentLayout()->draw(&painter, ctx);
        painter.restore();
    }
    if (def.foldMarks && page == 0) {
        // Fold marks at 105 and 210 mm, the punch mark at 148.5 mm, on the left paper edge.
        painter.save();
        painter.setPen(QPen(Qt::darkGray, 0.2 * m_dotsPerMm));
        for (const auto& [y, len] : {std::pair{105.0, 5.0}, {148.5, 8.0}, {210.0, 5.0}})
            painter.drawLine(QPointF(4 * m_dotsPerMm, y * m_dotsPerMm),
                             QPointF((4 + len) * m_dotsPerMm, y * m_dotsPerMm));
        painter.restore();
    }
}
