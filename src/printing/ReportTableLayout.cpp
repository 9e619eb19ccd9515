#include "printing/ReportTableLayout.h"

#include <QColor>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <numeric>

namespace {
QStringList paragraphs(const QString& text) {
    QStringList p = text.split(QLatin1Char('\n'));
    // Empty lines keep their place between filled ones (a missing seller leaves the second line
    // blank), but none hang at the end.
    while (!p.isEmpty() && p.last().trimmed().isEmpty())
        p.removeLast();
    for (QString& s : p)
        s = s.trimmed();
    return p;
}
} // namespace

ReportTableLayout::ReportTableLayout(const ReportTable& table, QPaintDevice& device, qreal width)
    : m_table(table), m_device(device) {
    m_font = QFont(table.fontFamily);
    // In the device's own dots, so a preview that scales the painter shows the same page.
    m_font.setPixelSize(qRound(table.fontSize * device.logicalDpiY() / 72.0));
    m_bold = m_font;
    m_bold.setBold(true);
    m_padding = table.paddingMm * device.logicalDpiX() / 25.4;
    m_metrics = std::make_unique<QFontMetricsF>(m_font, &device);
    m_lineHeight = m_metrics->lineSpacing();
    m_raw = QRawFont::fromFont(m_font);
    m_rawBold = QRawFont::fromFont(m_bold);
    qreal sum = 0;
    for (const ReportColumn& c : table.columns)
        sum += c.width;
    for (const ReportColumn& c : table.columns)
        m_widths << width * c.width / sum;
    QStringList titles;
    for (const ReportColumn& c : table.columns)
        titles << c.title;
    m_header = measure(titles, true);
}

const ReportTableLayout::Shaped& ReportTableLayout::shaped(const QString& text, bool bold) const {
    // Two generations: texts used again recently stay, one-offs (serial numbers) drop out.
    auto& cache = m_shaped[bold ? 1 : 0];
    auto& older = m_older[bold ? 1 : 0];
    const auto it = cache.constFind(text);
    if (it != cache.constEnd())
        return *it;
    if (cache.size() >= 20000) {
        older = std::move(cache);
        cache.clear();
    }
    const auto old = older.constFind(text);
    if (old != older.constEnd())
        return *cache.insert(text, *old);
    Shaped s;
    if (quickShape(text, bold, s))
        return *cache.insert(text, s);
    QTextLayout layout(text, bold ? m_bold : m_font, &m_device);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e9);
    layout.endLayout();
    s.runs = layout.glyphRuns();
    s.width = line.naturalTextWidth();
    return *cache.insert(text, s);
}

// Plain European text needs no shaping: glyphs and advances straight from the font are what the
// full text layout gives, at a fraction of its cost (a register prints 100,000 serial numbers).
// Anything else (a missing glyph, combining marks, other scripts) takes the full layout.
bool ReportTableLayout::quickShape(const QString& text, bool bold, Shaped& out) const {
    const QRawFont& raw = bold ? m_rawBold : m_raw;
    if (!raw.isValid())
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Latin with its extensions and the general punctuation (– „ “ …); nothing that joins,
        // combines or runs right to left.
        if (u < 0x20 || (u >= 0x250 && (u < 0x2000 || u >= 0x2070)) || c.isMark())
            return false;
    }
    const QList<quint32> glyphs = raw.glyphIndexesForString(text);
    if (glyphs.size() != text.size() || glyphs.contains(0))
        return false;
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    qreal x = 0;
    const qreal baseline = raw.ascent();
    for (const QPointF& a : advances) {
        positions << QPointF(x, baseline);
        x += a.x();
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    out.runs = {run};
    out.width = x;
    return true;
}

qreal ReportTableLayout::paragraphHeight(const QString& text, qreal width, bool bold) const {
    if (text.isEmpty())
        return m_lineHeight;
    // Most cells hold one short line: no need to lay the text out for that.
    if (shaped(text, bold).width <= width)
        return m_lineHeight;
    QTextLayout layout(text, bold ? m_bold : m_font, &m_device);
    return wrap(layout, width);
}

// Breaks a paragraph into lines of `width` at the blanks, and inside a word that is wider than
// the cell (a serial number or a name without blanks), so that every character stays in its
// cell; returns the height of the lines.
qreal ReportTableLayout::wrap(QTextLayout& layout, qreal width) const {
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, lines++ * m_lineHeight));
    }
    layout.endLayout();
    return std::max(1, lines) * m_lineHeight;
}

ReportTableLayout::Row ReportTableLayout::measure(const QStringList& cellTexts) const {
    return measure(cellTexts, false);
}

ReportTableLayout::Row ReportTableLayout::measure(const QStringList& cellTexts, bool allBold) const {
    Row row;
    row.height = m_lineHeight + 2 * m_padding;
    for (int i = 0; i < m_widths.size(); ++i) {
        const QStringList ps = paragraphs(cellTexts.value(i));
        const int bold = m_table.columns[i].boldLine;
        qreal h = 0;
        QList<qreal> hs;
        for (int k = 0; k < ps.size(); ++k) {
            hs << paragraphHeight(ps[k], m_widths[i] - 2 * m_padding, allBold || k + 1 == bold);
            h += hs.last();
        }
        row.cells << ps;
        row.heights << hs;
        row.height = std::max(row.height, h + 2 * m_padding);
    }
    return row;
}

void ReportTableLayout::paint(QPainter& painter, const Row& row, QPointF at, bool isHeader) const {
    painter.save();
    const qreal total = std::accumulate(m_widths.begin(), m_widths.end(), qreal(0));
    if (isHeader)
        painter.fillRect(QRectF(at, QSizeF(total, row.height)), QColor(m_table.headerBackground));
    // Horizontal rules here, the column rules once per page (paintColumnRules): fewer strokes
    // make a smaller file.
    painter.setPen(gridPen());
    if (isHeader)
        painter.drawLine(at, at + QPointF(total, 0));
    painter.drawLine(at + QPointF(0, row.height), at + QPointF(total, row.height));
    painter.setPen(Qt::black);
    qreal x = at.x();
    for (int i = 0; i < m_widths.size(); ++i) {
        qreal y = at.y() + m_padding;
        const QStringList& ps = row.cells.value(i);
        const int bold = isHeader ? -1 : m_table.columns[i].boldLine;
        for (int k = 0; k < ps.size(); ++k) {
            const bool b = bold < 0 || k + 1 == bold;
            const qreal w = m_widths[i] - 2 * m_padding;
            const qreal h = row.heights.value(i).value(k, m_lineHeight);
            if (!ps[k].isEmpty() && h <= m_lineHeight) {
                painter.setFont(b ? m_bold : m_font);
                painter.drawText(QRectF(x + m_padding, y, w, h),
                                 Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, ps[k]);
            } else if (!ps[k].isEmpty()) {
                // Laid out again as it was measured, so the lines break where the height allows.
                QTextLayout layout(ps[k], b ? m_bold : m_font, &m_device);
                wrap(layout, w);
                layout.draw(&painter, QPointF(x + m_padding, y));
            }
            y += h;
        }
        x += m_widths[i];
    }
    painter.restore();
}

QPen ReportTableLayout::gridPen() const {
    return QPen(QColor(0x80, 0x80, 0x80), m_device.logicalDpiX() / 25.4 * 0.15);
}

void ReportTableLayout::paintColumnRules(QPainter& painter, qreal left, qreal top, qreal bottom) const {
    painter.save();
    painter.setPen(gridPen());
    qreal x = left;
    painter.drawLine(QPointF(x, top), QPointF(x, bottom));
    for (const qreal w : m_widths) {
        x += w;
        painter.drawLine(QPointF(x, top), QPointF(x, bottom));
    }
    painter.restore();
}
