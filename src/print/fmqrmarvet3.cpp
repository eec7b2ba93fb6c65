#include "print/fmqrmarvet3.h"

namespace print {

namespace {

using report::Band;
using report::BandKind;
using report::Element;
using report::field;
using report::label;
using report::Placement;
using report::sum;
using report::vline;

const QString thousands = QStringLiteral("#,###");

// The column rules shared by the column titles and the voucher rows: account and
// employee | description and codes | debit amount | credit amount.
void addColumnLines(Band &band)
{
    for (double x : {40.1, 193.3, 235.3})
        band.elements.push_back(vline(x));
}

Band heading()
{
    return {BandKind::PageHeader,
            QStringLiteral("Heading"),
            20.1,
            report::NoFrame,
            {label(QStringLiteral("qlTitle"), QStringLiteral("대 체    전 표"), 115.6, 3.4, 20, true),
             label(QStringLiteral("qlKubun"), QStringLiteral("구    분 :"), 1.1, 11.9, 9, false),
             label(QStringLiteral("qlDate"), QStringLiteral("기준일자 : 2001-12-31"), 118.3, 12.7, 10, true),
             label(QStringLiteral("qlJen"), QStringLiteral("전표번호 :"), 1.1, 16.4, 9, false),
             // Empty on a voucher's first print.
             label(QStringLiteral("qlReprint"), QString(), 235.3, 4.2, 11, true)}};
}

Band columnTitles()
{
    Band band{BandKind::Child,
              QStringLiteral("Column titles"),
              12.4,
              report::FrameTop | report::FrameBottom | report::FrameLeft | report::FrameRight,
              {label({}, QStringLiteral("계정과목 이름"), 9.5, 0.5, 9, true),
               label({}, QStringLiteral("계정과목 코드"), 10.3, 4.2, 9, false),
               label({}, QStringLiteral("사원 이름코드"), 10.1, 8.2, 9, false),
               label({},
                     QStringLiteral(
                         "적               요               기               재               사               항"),
                     49.7, 0.5, 9, true),
               label({}, QStringLiteral("부   서  이   름    코   드"), 42.1, 4.2, 9, false),
               label({}, QStringLiteral("프   로   젝   트  이   름    코   드"), 41.8, 8.2, 9, false),
               label({}, QStringLiteral("거 래 처  및  은 행 이 름 코 드"), 148.7, 4.2, 9, false),
               label({}, QStringLiteral("관 리 항 목  이 름 코 드"), 158.2, 8.2, 9, false),
               label({}, QStringLiteral("차    변     금    액"), 197.9, 4.2, 10, true),
               label({}, QStringLiteral("대    변     금    액"), 239.4, 4.2, 10, true)}};
    addColumnLines(band);
    return band;
}

Element centred(const char *column, double top, bool bold)
{
    return field(QLatin1String(column), Placement::Centre, 0.5, 39.7, top, 9, bold);
}

Element fromLeft(const char *column, double top, bool bold)
{
    return field(QLatin1String(column), Placement::Left, 41.5, 0, top, 9, bold);
}

Element toRight(const char *column, double right, double top, const QString &mask = {})
{
    return field(QLatin1String(column), Placement::Right, 0, right, top, 9, false, mask);
}

Band voucherRow()
{
    Band band{BandKind::Detail,
              QStringLiteral("Voucher row"),
              12.4,
              report::FrameBottom | report::FrameLeft | report::FrameRight,
              {centred("Ac_JenName", 0.5, true), centred("Ac_JenCode", 4.2, false),
               centred("Sawon_NameCode", 7.9, false), fromLeft("Ac_Text", 0.5, true),
               fromLeft("Buser_NameCode", 4.2, false), fromLeft("Project_NameCode", 7.9, false),
               toRight("Kubun_NameCode", 192.1, 4.2), toRight("Item_NameCode", 192.1, 7.9),
               // The debit amount is right-aligned in its box from 193.9 to 234.7.
               toRight("Cr_Amt", 234.7, 4.8, thousands), toRight("Dr_Amt", 275.7, 4.5, thousands)}};
    addColumnLines(band);
    return band;
}

// The credit total stands in the upper half of the band, the debit total in the
// lower half.
Band totals()
{
    return {BandKind::Summary,
            QStringLiteral("Totals"),
            11.4,
            report::FrameBottom | report::FrameLeft | report::FrameRight,
            {label({}, QStringLiteral("합              계"), 134.4, 3.4, 11, true),
             sum(QStringLiteral("Cr_Amt"), 234.2, 6.1, 11, true, thousands),
             sum(QStringLiteral("Dr_Amt"), 275.7, 1.3, 11, true, thousands)}};
}

} // namespace

report::Report voucherSheet()
{
    report::Report sheet;
    sheet.name = QStringLiteral("QuickRep1");
    sheet.pageSize = QPageSize::A4;
    sheet.orientation = QPageLayout::Landscape;
    sheet.margins = QMarginsF(10, 10, 10, 10);
    sheet.fontFamily = QStringLiteral("굴림");
    sheet.bands = {heading(), columnTitles(), voucherRow(), totals()};
    return sheet;
}

TfmQrMarvet3::TfmQrMarvet3(QWidget *parent) : QWidget(parent), m_report(voucherSheet())
{
    setObjectName(QStringLiteral("fmQrMarvet3"));
}

TfmQrMarvet3 *createFmQrMarvet3(QWidget *parent)
{
    auto *form = new TfmQrMarvet3(parent);
    form->setAttribute(Qt::WA_DeleteOnClose);
    return form;
}

} // namespace print
