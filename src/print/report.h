#pragma once
// A small banded report: a page set up in millimetres, bands of four kinds and
// the labels, fields, sums and lines printed on them. The report is plain data;
// render() draws it with QPainter onto any paged device (the preview's printer,
// a real printer, a PDF file), so every output goes through the same code.
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace report {

enum class BandKind {
    PageHeader, // on top of every page, the first one too
    Child,      // right after its parent band, the page header here
    Detail,     // once per row, in the rows' order
    Summary,    // once, after the last row
};

// Frame lines of a band, one flag per side.
enum Frame { NoFrame = 0, FrameTop = 1, FrameBottom = 2, FrameLeft = 4, FrameRight = 8 };

enum class ElementKind { Label, Field, Sum, VLine };

// Where a text stands: from its left edge, up to its right edge, or centred in
// the box between left and right. Labels size themselves to their text.
enum class Placement { Left, Right, Centre };

// One thing printed on a band. Positions are millimetres from the band's top
// left corner.
struct Element
{
    ElementKind kind = ElementKind::Label;
    QString name; // a label's object name, or the column a field or sum prints
    QString text; // a label's caption
    Placement placement = Placement::Left;
    double left = 0;  // the left edge (Left, Centre) or a line's x
    double right = 0; // the right edge (Right, Centre)
    double top = 0;
    double points = 9;
    bool bold = false;
    QString mask; // "#,###" or empty for the value's own text
};

Element label(const QString &name, const QString &text, double left, double top, double points, bool bold);
Element field(const QString &column, Placement placement, double left, double right, double top, double points,
              bool bold, const QString &mask = {});
Element sum(const QString &column, double right, double top, double points, bool bold, const QString &mask);
Element vline(double x);

struct Band
{
    BandKind kind = BandKind::Detail;
    QString name;
    double height = 0; // mm
    int frame = NoFrame;
    std::vector<Element> elements;
};

struct Report
{
    QString name;
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins; // mm
    QString fontFamily;
    std::vector<Band> bands;

    QPageLayout pageLayout() const;
    double bandWidth() const; // the page width less the margins, mm
    // Changes the caption of the label with that object name; false when none.
    bool setCaption(const QString &labelName, const QString &text);
    QString caption(const QString &labelName) const;
};

// The rows a report prints: how many, and one column of one row by name.
struct Rows
{
    int count = 0;
    std::function<QVariant(int row, const QString &column)> value;
};

// A band placed on a page: its index in the report, the row it prints (-1 for
// bands that print no row) and its top, mm below the top margin.
struct Placed
{
    int band = 0;
    int row = -1;
    double y = 0;
};
using Page = std::vector<Placed>;

// Lays the bands out on pages: the page header and its child on every page,
// details while they fit, the summary after the last detail.
std::vector<Page> paginate(const Report &report, int rowCount);

// The text of a value under a number mask ("#,###"); the value's own text when
// there is no mask.
QString applyMask(const QString &mask, const QVariant &value);

// Draws every page onto the device, after setting it to the report's page
// layout. Returns the number of pages, or 0 when the device cannot be painted.
int render(const Report &report, const Rows &rows, QPagedPaintDevice &device);

// Several reports of one page layout printed one after the other on one device
// (a day's sheets in one file), each starting on a page of its own.
struct Document
{
    const Report *report = nullptr;
    Rows rows;
};
int render(const std::vector<Document> &documents, QPagedPaintDevice &device);

} // namespace report
