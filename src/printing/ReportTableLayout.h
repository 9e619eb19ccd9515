#pragma once

#include "printing/ReportProjectFile.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPen>
#include <QRawFont>
#include <QStringList>
#include <memory>

class QPaintDevice;
class QPainter;
class QTextLayout;

// Measures and draws the rows of a table report on a paint device: cells with word-wrapped
// paragraphs, grid lines, the title row on a shaded background.
class ReportTableLayout {
public:
    struct Row {
        QList<QStringList> cells;    // per column, its paragraphs
        QList<QList<qreal>> heights; // per column, its paragraphs' heights
        qreal height = 0;
    };

    ReportTableLayout(const ReportTable& table, QPaintDevice& device, qreal width);
    Row measure(const QStringList& cellTexts) const;
    const Row& header() const { return m_header; }
    // Draws a row with its top left corner at `at`; the title row shaded and bold.
    void paint(QPainter& painter, const Row& row, QPointF at, bool isHeader = false) const;
    // The vertical rules between the columns, from the title row's top to the last row's end.
    void paintColumnRules(QPainter& painter, qreal left, qreal top, qreal bottom) const;

private:
    // A one-line text shaped once: a register repeats its dates, names and kinds on every page.
    struct Shaped {
        QList<QGlyphRun> runs;
        qreal width = 0;
    };
    const Shaped& shaped(const QString& text, bool bold) const;
    bool quickShape(const QString& text, bool bold, Shaped& out) const;
    qreal paragraphHeight(const QString& text, qreal width, bool bold) const;
    qreal wrap(QTextLayout& layout, qreal width) const;
    QPen gridPen() const;
    Row measure(const QStringList& cellTexts, bool allBold) const;

    const ReportTable& m_table;
    QPaintDevice& m_device;
    QFont m_font, m_bold;
    std::unique_ptr<QFontMetricsF> m_metrics;
    QRawFont m_raw, m_rawBold;
    qreal m_padding = 0;
    qreal m_lineHeight = 0;
    QList<qreal> m_widths;
    Row m_header;
    mutable QHash<QString, Shaped> m_shaped[2]; // normal, bold
    mutable QHash<QString, Shaped> m_older[2];
};
