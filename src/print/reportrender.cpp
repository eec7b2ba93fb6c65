// Drawing a paginated report with QPainter. Positions are kept in millimetres
// and turned into device pixels here, so that fonts keep their point sizes on
// devices of any resolution.
#include "print/report.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRegularExpression>

namespace report {

namespace {

constexpr double lineWidthMm = 0.2;

using Sums = QHash<QString, double>;

Sums sumColumns(const Report &report, const Rows &rows)
{
    Sums sums;
    for (const Band &band : report.bands)
        for (const Element &e : band.elements)
            if (e.kind == ElementKind::Sum && !sums.contains(e.name)) {
                double total = 0;
                for (int row = 0; row < rows.count; ++row)
                    total += rows.value(row, e.name).toDouble();
                sums.insert(e.name, total);
            }
    return sums;
}

// Draws one page onto a painter whose origin is the top left corner inside the
// margins.
class PagePainter
{
public:
    PagePainter(const Report &report, const Rows &rows, const Sums &sums, QPainter &painter)
        : m_report(report), m_rows(rows), m_sums(sums), m_painter(painter),
          m_xScale(painter.device()->logicalDpiX() / 25.4), m_yScale(painter.device()->logicalDpiY() / 25.4)
    {
        m_painter.setPen(QPen(Qt::black, lineWidthMm * m_xScale));
    }

    void draw(const Page &page)
    {
        for (const Placed &placed : page)
            drawBand(m_report.bands[placed.band], placed.row, placed.y);
    }

private:
    QPointF at(double xMm, double yMm) const { return {xMm * m_xScale, yMm * m_yScale}; }

    void drawBand(const Band &band, int row, double y)
    {
        const double width = m_report.bandWidth();
        if (band.frame & FrameTop)
            m_painter.drawLine(at(0, y), at(width, y));
        if (band.frame & FrameBottom)
            m_painter.drawLine(at(0, y + band.height), at(width, y + band.height));
        if (band.frame & FrameLeft)
            m_painter.drawLine(at(0, y), at(0, y + band.height));
        if (band.frame & FrameRight)
            m_painter.drawLine(at(width, y), at(width, y + band.height));
        for (const Element &e : band.elements) {
            if (e.kind == ElementKind::VLine)
                m_painter.drawLine(at(e.left, y), at(e.left, y + band.height));
            else
                drawText(e, textOf(e, row), y);
        }
    }

    QString textOf(const Element &e, int row) const
    {
        switch (e.kind) {
        case ElementKind::Label:
            return e.text;
        case ElementKind::Field:
            return row < 0 ? QString() : applyMask(e.mask, m_rows.value(row, e.name));
        case ElementKind::Sum:
            return applyMask(e.mask, m_sums.value(e.name));
        case ElementKind::VLine:
            break;
        }
        return {};
    }

    void drawText(const Element &e, const QString &text, double bandTop)
    {
        if (text.isEmpty())
            return;
        QFont font(m_report.fontFamily);
        font.setPointSizeF(e.points);
        font.setBold(e.bold);
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, m_painter.device());
        const double width = metrics.horizontalAdvance(text);
        double x = e.left * m_xScale;
        if (e.placement == Placement::Right)
            x = e.right * m_xScale - width;
        else if (e.placement == Placement::Centre)
            x = (e.left + e.right) / 2 * m_xScale - width / 2;
        const double baseline = (bandTop + e.top) * m_yScale + metrics.ascent();
        // Blanks are left out and each word is placed at its own offset: some
        // fonts share the blank's glyph with control characters, and a PDF
        // reader would then read the blanks back as those.
        static const QRegularExpression word(QStringLiteral("[^ ]+"));
        for (auto it = word.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            const double offset = metrics.horizontalAdvance(text.left(match.capturedStart()));
            m_painter.drawText(QPointF(x + offset, baseline), match.captured());
        }
    }

    const Report &m_report;
    const Rows &m_rows;
    const Sums &m_sums;
    QPainter &m_painter;
    double m_xScale;
    double m_yScale;
};

} // namespace

int render(const Report &report, const Rows &rows, QPagedPaintDevice &device)
{
    return render(std::vector<Document>{{&report, rows}}, device);
}

int render(const std::vector<Document> &documents, QPagedPaintDevice &device)
{
    if (documents.empty())
        return 0;
    device.setPageLayout(documents.front().report->pageLayout());
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    int drawn = 0;
    for (const Document &document : documents) {
        const std::vector<Page> pages = paginate(*document.report, document.rows.count);
        const Sums sums = sumColumns(*document.report, document.rows);
        PagePainter pagePainter(*document.report, document.rows, sums, painter);
        for (const Page &page : pages) {
            if (drawn++ > 0)
                device.newPage();
            pagePainter.draw(page);
        }
    }
    painter.end();
    return drawn;
}

} // namespace report
