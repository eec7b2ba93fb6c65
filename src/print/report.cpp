#include "print/report.h"

#include "base/amount.h"

#include <QRectF>
#include <cmath>

namespace report {

Element label(const QString &name, const QString &text, double left, double top, double points, bool bold)
{
    Element e;
    e.kind = ElementKind::Label;
    e.name = name;
    e.text = text;
    e.left = left;
    e.top = top;
    e.points = points;
    e.bold = bold;
    return e;
}

Element field(const QString &column, Placement placement, double left, double right, double top, double points,
              bool bold, const QString &mask)
{
    Element e = label(column, QString(), left, top, points, bold);
    e.kind = ElementKind::Field;
    e.placement = placement;
    e.right = right;
    e.mask = mask;
    return e;
}

Element sum(const QString &column, double right, double top, double points, bool bold, const QString &mask)
{
    Element e = field(column, Placement::Right, 0, right, top, points, bold, mask);
    e.kind = ElementKind::Sum;
    return e;
}

Element vline(double x)
{
    Element e;
    e.kind = ElementKind::VLine;
    e.left = x;
    return e;
}

QPageLayout Report::pageLayout() const
{
    return QPageLayout(QPageSize(pageSize), orientation, margins, QPageLayout::Millimeter);
}

double Report::bandWidth() const
{
    return pageLayout().paintRect(QPageLayout::Millimeter).width();
}

bool Report::setCaption(const QString &labelName, const QString &text)
{
    for (Band &band : bands)
        for (Element &e : band.elements)
            if (e.kind == ElementKind::Label && e.name == labelName) {
                e.text = text;
                return true;
            }
    return false;
}

QString Report::caption(const QString &labelName) const
{
    for (const Band &band : bands)
        for (const Element &e : band.elements)
            if (e.kind == ElementKind::Label && e.name == labelName)
                return e.text;
    return {};
}

QString applyMask(const QString &mask, const QVariant &value)
{
    if (mask == QLatin1String("#,###")) {
        // Not a number (a value the rows could not give, or a total of one):
        // a clear mark, never "nan", "inf" or hundreds of digits.
        const double number = value.toDouble();
        return std::isfinite(number) ? formatThousandsOrBlank(number) : unfitAmountMark();
    }
    return value.toString();
}

namespace {

// Builds pages band by band; a band that does not fit starts a new page, which
// begins with the page header bands again.
class Paginator
{
public:
    Paginator(const Report &report) : m_report(report)
    {
        m_height = report.pageLayout().paintRect(QPageLayout::Millimeter).height();
        for (int i = 0; i < int(report.bands.size()); ++i) {
            const BandKind kind = report.bands[i].kind;
            if (kind == BandKind::PageHeader || kind == BandKind::Child)
                m_headers.push_back(i);
        }
    }

    void place(int band, int row)
    {
        const double height = m_report.bands[band].height;
        // 0.001 mm of slack keeps rounding of the heights from pushing a band over.
        if (m_pages.empty() || (m_hasBody && m_y + height > m_height + 0.001))
            startPage();
        m_pages.back().push_back({band, row, m_y});
        m_y += height;
        m_hasBody = true;
    }

    std::vector<Page> pages()
    {
        if (m_pages.empty())
            startPage();
        return m_pages;
    }

private:
    void startPage()
    {
        m_pages.emplace_back();
        m_y = 0;
        for (int band : m_headers) {
            m_pages.back().push_back({band, -1, m_y});
            m_y += m_report.bands[band].height;
        }
        m_hasBody = false;
    }

    const Report &m_report;
    std::vector<int> m_headers;
    std::vector<Page> m_pages;
    double m_height = 0;
    double m_y = 0;
    bool m_hasBody = false;
};

} // namespace

std::vector<Page> paginate(const Report &report, int rowCount)
{
    Paginator paginator(report);
    for (int row = 0; row < rowCount; ++row)
        for (int i = 0; i < int(report.bands.size()); ++i)
            if (report.bands[i].kind == BandKind::Detail)
                paginator.place(i, row);
    for (int i = 0; i < int(report.bands.size()); ++i)
        if (report.bands[i].kind == BandKind::Summary)
            paginator.place(i, -1);
    return paginator.pages();
}

} // namespace report
