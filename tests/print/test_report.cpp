// The banded report layer on its own: rows that overflow a page, the page
// header on every page, the summary once at the end, sums and number masks.
#include "pdfreader.h"

#include "print/fonts.h"
#include "print/report.h"

#include <QDir>
#include <QPdfWriter>
#include <QTest>

namespace {

// An A5 portrait list: a heading, column titles, one line per row, a total.
report::Report listReport()
{
    using namespace report;
    Report r;
    r.pageSize = QPageSize::A5;
    r.orientation = QPageLayout::Portrait;
    r.margins = QMarginsF(10, 10, 10, 10);
    r.fontFamily = QStringLiteral("굴림");
    r.bands = {
        {BandKind::PageHeader,
         QStringLiteral("Heading"),
         15,
         NoFrame,
         {label(QStringLiteral("qlTitle"), QStringLiteral("HEADING"), 5, 2, 12, true)}},
        {BandKind::Child,
         QStringLiteral("Titles"),
         8,
         FrameTop | FrameBottom,
         {label({}, QStringLiteral("TITLES"), 5, 1, 9, false)}},
        {BandKind::Detail,
         QStringLiteral("Line"),
         10,
         FrameBottom,
         {field(QStringLiteral("name"), Placement::Left, 5, 0, 2, 9, false),
          field(QStringLiteral("amount"), Placement::Right, 0, 120, 2, 9, false, QStringLiteral("#,###"))}},
        {BandKind::Summary,
         QStringLiteral("Total"),
         10,
         FrameBottom,
         {label({}, QStringLiteral("TOTAL"), 5, 2, 9, true),
          sum(QStringLiteral("amount"), 120, 2, 9, true, QStringLiteral("#,###"))}},
    };
    return r;
}

report::Rows numberedRows(int count, double amount)
{
    return {count, [amount](int row, const QString &column) -> QVariant {
                if (column == QLatin1String("name"))
                    return QStringLiteral("row%1").arg(row + 1, 2, 10, QLatin1Char('0'));
                return amount;
            }};
}

std::vector<PdfWord> renderToPdf(const report::Rows &rows, const QString &name, int *pages)
{
    const QString file = QDir(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath())).filePath(name);
    {
        QPdfWriter writer(file);
        *pages = report::render(listReport(), rows, writer);
    }
    return pdfWords(file);
}

QStringList textsOn(const std::vector<PdfWord> &words, int page)
{
    QStringList texts;
    for (const PdfWord &w : words)
        if (w.page == page)
            texts << w.text;
    return texts;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { print::installKoreanFonts(); }

    void rowsOverflowOntoPagesThatRepeatTheHeader_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        // 190 mm of an A5 page less 23 mm of heading hold 16 rows of 10 mm.
        QTest::newRow("sixteen rows and the total need two pages") << 16 << 2;
        QTest::newRow("fifteen rows leave room for the total") << 15 << 1;
        QTest::newRow("forty rows take three pages") << 40 << 3;
        QTest::newRow("no rows print the heading and the total") << 0 << 1;
    }
    void rowsOverflowOntoPagesThatRepeatTheHeader()
    {
        QFETCH(int, rows);
        QFETCH(int, pages);
        int rendered = 0;
        const auto words = renderToPdf(numberedRows(rows, 1000), QStringLiteral("report-%1.pdf").arg(rows), &rendered);
        QCOMPARE(rendered, pages);
        QStringList names;
        for (int page = 1; page <= pages; ++page) {
            const QStringList texts = textsOn(words, page);
            QVERIFY(texts.startsWith(QStringLiteral("HEADING")));
            QCOMPARE(texts.count(QStringLiteral("TITLES")), 1);
            QCOMPARE(texts.contains(QStringLiteral("TOTAL")), page == pages);
            for (const QString &text : texts)
                if (text.startsWith(QLatin1String("row")))
                    names << text;
        }
        QCOMPARE(names.size(), rows);
        for (int row = 0; row < rows; ++row)
            QCOMPARE(names[row], QStringLiteral("row%1").arg(row + 1, 2, 10, QLatin1Char('0')));
    }

    void theSummaryTotalsEveryPrintedRow_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("total");
        QTest::newRow("twenty rows over two pages") << 20 << 1234.5 << "24,690";
        QTest::newRow("a total of zero prints nothing") << 3 << 0.0 << "";
        QTest::newRow("a negative total carries its sign") << 2 << -600.25 << "-1,201";
    }
    void theSummaryTotalsEveryPrintedRow()
    {
        QFETCH(int, rows);
        QFETCH(double, amount);
        QFETCH(QString, total);
        int pages = 0;
        const auto words = renderToPdf(numberedRows(rows, amount), QStringLiteral("sum-%1.pdf").arg(rows), &pages);
        QStringList last = textsOn(words, pages);
        const qsizetype at = last.indexOf(QStringLiteral("TOTAL"));
        QVERIFY(at >= 0);
        QCOMPARE(at + 1 < last.size() ? last[at + 1] : QString(), total);
    }

    void numberMasks_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("thousands are separated") << "#,###" << QVariant(1234567.0) << "1,234,567";
        QTest::newRow("zero prints nothing") << "#,###" << QVariant(0.0) << "";
        QTest::newRow("under a half rounds to nothing") << "#,###" << QVariant(0.4) << "";
        QTest::newRow("negatives lead with a minus") << "#,###" << QVariant(-1234.5) << "-1,235";
        QTest::newRow("without a mask the text stands")
            << "" << QVariant(QStringLiteral("김철수   S001")) << "김철수   S001";
    }
    void numberMasks()
    {
        QFETCH(QString, mask);
        QFETCH(QVariant, value);
        QTEST(report::applyMask(mask, value), "text");
    }
};

QTEST_MAIN(TestReport)
#include "test_report.moc"
