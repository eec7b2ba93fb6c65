// The printed transfer voucher as a clerk holds it: the PDF of a stored voucher,
// read back word by word, with the page size, the fonts and the ruled lines.
#include "pdfreader.h"
#include "samplevoucher.h"

#include "base/error.h"
#include "print/fonts.h"
#include "print/voucherprint.h"

#include <QImage>
#include <QTest>
#include <algorithm>
#include <limits>
#include <memory>

namespace {

const QString date = QStringLiteral("2001-12-31");
const QString branch = QStringLiteral("00000");
const QString serial = QStringLiteral("2001-12-31-00000001");

// Page positions, mm from the top left corner of the paper: the bands start at
// the 10 mm margin and follow each other down the page.
constexpr double margin = 10;
constexpr double titlesTop = margin + 20.1;
constexpr double firstRowTop = titlesTop + 12.4;
constexpr double rowHeight = 12.4;
constexpr double totalsTop = firstRowTop + 10 * rowHeight;

// The sample amounts as the sheet's mask "#,###" prints them.
const char *const amountTexts[] = {"1,234,567", "2,500,000", "980,000", "45,000"};

double rowTop(int row)
{
    return firstRowTop + row * rowHeight;
}

// pdftotext may take a drawn text as one word or as several; texts are
// compared without their blanks.
QString bare(QString text)
{
    return text.remove(QLatin1Char(' '));
}

// The words whose middle lies in a rectangle of the first page, joined.
QString textIn(const std::vector<PdfWord> &words, double left, double right, double top, double bottom)
{
    QString found;
    for (const PdfWord &w : words) {
        const double x = (w.left + w.right) / 2, y = (w.top + w.bottom) / 2;
        if (w.page == 1 && x >= left && x < right && y >= top && y < bottom)
            found += w.text;
    }
    return found;
}

// Every place a text stands: words of one line that follow each other from
// left to right and spell it, merged into one box.
std::vector<PdfWord> wordsOf(const std::vector<PdfWord> &words, const QString &text)
{
    const QString target = bare(text);
    std::vector<PdfWord> found;
    for (const PdfWord &start : words) {
        std::vector<PdfWord> line;
        for (const PdfWord &w : words)
            if (w.page == start.page && qAbs(w.top - start.top) < 0.3 && w.left >= start.left)
                line.push_back(w);
        std::sort(line.begin(), line.end(), [](const PdfWord &a, const PdfWord &b) { return a.left < b.left; });
        PdfWord run = start;
        run.text.clear();
        for (const PdfWord &w : line) {
            if (!target.startsWith(run.text + w.text))
                break;
            run.text += w.text;
            run.right = w.right;
        }
        if (run.text == target)
            found.push_back(run);
    }
    return found;
}

QString joined(const char *a, const char *b, const char *c = "", const char *d = "")
{
    return bare(QString::fromUtf8(a) + QString::fromUtf8(b) + QString::fromUtf8(c) + QString::fromUtf8(d));
}

constexpr double rasterDpi = 150;

QImage rasterise(const QString &pdf)
{
    const QString prefix = pdf.chopped(4);
    runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(rasterDpi), QStringLiteral("-gray"),
                                         QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
}

// The middles (mm) of the dark runs along a line of the page: down the page at
// x = at (vertical), or across it at y = at.
std::vector<double> darkRuns(const QImage &page, double at, bool vertical)
{
    const double pxPerMm = rasterDpi / 25.4;
    const int fixed = int(at * pxPerMm);
    const int length = vertical ? page.height() : page.width();
    std::vector<double> runs;
    int start = -1;
    for (int i = 0; i <= length; ++i) {
        const bool dark = i < length && qGray(vertical ? page.pixel(fixed, i) : page.pixel(i, fixed)) < 160;
        if (dark && start < 0)
            start = i;
        if (!dark && start >= 0) {
            runs.push_back((start + i) / 2.0 / pxPerMm);
            start = -1;
        }
    }
    return runs;
}

void compareRules(const std::vector<double> &found, const std::vector<double> &expected)
{
    QStringList seen;
    for (double y : found)
        seen << QString::number(y, 'f', 1);
    QVERIFY2(found.size() == expected.size(), qPrintable(seen.join(QLatin1Char(' '))));
    for (size_t i = 0; i < found.size(); ++i)
        QVERIFY2(qAbs(found[i] - expected[i]) < 0.5, qPrintable(seen.join(QLatin1Char(' '))));
}

} // namespace

class TestSheet : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    QString m_pdf;

    // Stores a voucher of that many lines (whole entries, then a lone debit
    // line for an odd count) and prints it to a PDF file.
    std::vector<PdfWord> printVoucherOf(int lines)
    {
        storeSampleVoucher(*m_db, date, branch, serial, lines / 2);
        if (lines % 2)
            m_db->insertRaw(sampleLine(date, branch, serial, lines / 2, true));
        m_pdf = QStringLiteral("%1/sheet-%2.pdf")
                    .arg(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath()), QString::number(lines));
        QFile::remove(m_pdf);
        const print::VoucherRef ref{date, QStringLiteral("본사/서울"), branch, serial};
        bool printed = false;
        try {
            printed = print::renderVoucherPdf(ref, m_pdf);
        } catch (const AppError &error) {
            qWarning("%s", qPrintable(error.message()));
        }
        if (!printed)
            return {};
        return pdfWords(m_pdf);
    }

private slots:
    void initTestCase() { print::installKoreanFonts(); }
    void init() { m_db = std::make_unique<TestDatabase>(); }
    void cleanup() { m_db.reset(); }

    void onePageOfA4Landscape_data()
    {
        QTest::addColumn<int>("lines");
        QTest::newRow("a one-entry voucher") << 2;
        QTest::newRow("a four-entry voucher") << 8;
        QTest::newRow("a voucher of eleven lines") << 11;
        QTest::newRow("a voucher with no stored line") << 0;
    }
    void onePageOfA4Landscape()
    {
        QFETCH(int, lines);
        QVERIFY(!printVoucherOf(lines).empty());
        const PdfInfo info = pdfInfo(m_pdf);
        QCOMPARE(info.pages, 1);
        QVERIFY2(qAbs(info.width - 297) < 0.5 && qAbs(info.height - 210) < 0.5,
                 qPrintable(QStringLiteral("%1 x %2 mm").arg(info.width).arg(info.height)));
    }

    void koreanGlyphsAreEmbedded()
    {
        QVERIFY(!printVoucherOf(2).empty());
        const std::vector<PdfFont> fonts = pdfFonts(m_pdf);
        QVERIFY(!fonts.empty());
        for (const PdfFont &font : fonts) {
            QVERIFY2(font.embedded, qPrintable(font.name));
            QVERIFY2(font.name.contains(QLatin1String("Nanum")), qPrintable(font.name));
        }
    }

    // The rules a clerk sees: the column titles, ten rows (blank ones too) and
    // the totals, one under the other, and the three column lines down each row.
    void ruledRows_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("rows");
        QTest::newRow("one entry is ruled as ten rows") << 2 << 10;
        QTest::newRow("no stored line is ruled as ten rows") << 0 << 10;
        QTest::newRow("eleven lines are ruled as eleven rows") << 11 << 11;
    }
    void ruledRows()
    {
        QFETCH(int, lines);
        QFETCH(int, rows);
        QVERIFY(!printVoucherOf(lines).empty());
        const QImage page = rasterise(m_pdf);
        QVERIFY(!page.isNull());
        // Down the gap between the customer column's right edge and the debit column.
        std::vector<double> expected{titlesTop};
        for (int row = 0; row <= rows; ++row)
            expected.push_back(rowTop(row));
        expected.push_back(rowTop(rows) + 11.4);
        compareRules(darkRuns(page, margin + 192.7, true), expected);
        // Across the last row, below its third line of text.
        compareRules(darkRuns(page, rowTop(rows - 1) + 11.9, false),
                     {margin, margin + 40.1, margin + 193.3, margin + 235.3, margin + 277});
    }

    void headingsCarryTheVoucher()
    {
        const auto words = printVoucherOf(2);
        QVERIFY(!wordsOf(words, QStringLiteral("대 체 전 표")).empty());
        QVERIFY(!wordsOf(words, QStringLiteral("구 분 :본사/서울")).empty());
        QVERIFY(!wordsOf(words, QStringLiteral("전표번호 :2001-12-31-00000001")).empty());
        QVERIFY(!wordsOf(words, QStringLiteral("기준일자 : 2001-12-31")).empty());
    }

    void filledRowsInEntryAndSideOrder_data()
    {
        QTest::addColumn<int>("lines");
        QTest::newRow("one entry fills two rows") << 2;
        QTest::newRow("four entries fill eight rows") << 8;
    }
    void filledRowsInEntryAndSideOrder()
    {
        QFETCH(int, lines);
        const auto words = printVoucherOf(lines);
        for (int row = 0; row < lines; ++row) {
            const SampleEntry &e = sampleEntries[row / 2];
            const bool debit = row % 2 == 0;
            const double y = rowTop(row);
            const auto cell = [&](double left, double right, double top, double bottom) {
                return textIn(words, margin + left, margin + right, y + top, y + bottom);
            };
            const QString amount = QString::fromLatin1(amountTexts[row / 2]);
            QCOMPARE(cell(0, 40.1, 0, 3.9), QString::fromUtf8(debit ? e.debitName : e.creditName));
            QCOMPARE(cell(0, 40.1, 3.9, 7.6), QString::fromUtf8(debit ? e.debitCode : e.creditCode));
            QCOMPARE(cell(0, 40.1, 7.6, 12.4), joined(e.sawonName, e.sawonCode));
            QCOMPARE(cell(40.1, 193.3, 0, 3.9), bare(QString::fromUtf8(e.text)));
            QCOMPARE(cell(40.1, 193.3, 3.9, 7.6), joined(e.buserName, e.buserCode, e.kubunName, e.kubunCode));
            QCOMPARE(cell(40.1, 193.3, 7.6, 12.4), joined(e.projectName, e.projectCode, e.itemName, e.itemCode));
            QCOMPARE(cell(193.3, 235.3, 0, 12.4), debit ? amount : QString());
            QCOMPARE(cell(235.3, 277, 0, 12.4), debit ? QString() : amount);
        }
        for (int row = lines; row < 10; ++row)
            QCOMPARE(textIn(words, 0, 297, rowTop(row), rowTop(row) + rowHeight), QString());
    }

    void totalsOfBothSides_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("total");
        QTest::newRow("one entry totals its amount on both sides") << 2 << "1,234,567";
        QTest::newRow("four entries total all four") << 8 << "4,759,567";
        QTest::newRow("no stored line prints empty totals") << 0 << "";
    }
    void totalsOfBothSides()
    {
        QFETCH(int, lines);
        QFETCH(QString, total);
        const auto words = printVoucherOf(lines);
        QVERIFY(!wordsOf(words, QStringLiteral("합 계")).empty());
        // The credit total stands in the upper half of the band, the debit total in the lower.
        QCOMPARE(textIn(words, margin + 193.3, margin + 235.3, totalsTop + 5.7, totalsTop + 11.4), total);
        QCOMPARE(textIn(words, margin + 235.3, margin + 277, totalsTop, totalsTop + 5.7), total);
        QCOMPARE(textIn(words, margin + 193.3, margin + 235.3, totalsTop, totalsTop + 5.7), QString());
        QCOMPARE(textIn(words, margin + 235.3, margin + 277, totalsTop + 5.7, totalsTop + 11.4), QString());
    }

    void anAmountTheFormCannotHoldPrintsAMark_data()
    {
        QTest::addColumn<double>("stored");
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
        QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity();
        QTest::newRow("1e308, a number of 309 digits") << 1e308;
        QTest::newRow("sixteen digits") << 1234567890123456.0;
    }
    void anAmountTheFormCannotHoldPrintsAMark()
    {
        QFETCH(double, stored);
        // Written behind the program's back: a debit line the program could not have saved.
        store::StoredLine debit = sampleLine(date, branch, serial, 0, true);
        debit.Cr_Amt = stored;
        m_db->insertRaw(debit);
        m_db->insertRaw(sampleLine(date, branch, serial, 0, false));
        m_pdf = QStringLiteral("%1/sheet-unfit.pdf").arg(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath()));
        QFile::remove(m_pdf);
        QVERIFY(print::renderVoucherPdf({date, QStringLiteral("본사/서울"), branch, serial}, m_pdf));
        const auto words = pdfWords(m_pdf);
        const QString mark = QStringLiteral("※금액오류");
        QCOMPARE(textIn(words, margin + 193.3, margin + 235.3, rowTop(0), rowTop(1)), mark);
        QCOMPARE(textIn(words, margin + 235.3, margin + 277, rowTop(1), rowTop(2)), QString(amountTexts[0]));
        // The debit total holds the unreadable amount, so it is marked too.
        QCOMPARE(textIn(words, margin + 193.3, margin + 235.3, totalsTop + 5.7, totalsTop + 11.4), mark);
        QCOMPARE(textIn(words, margin + 235.3, margin + 277, totalsTop, totalsTop + 5.7), QString(amountTexts[0]));
        for (const PdfWord &w : words)
            QVERIFY2(!w.text.contains("inf") && !w.text.contains("nan") && !w.text.contains("000,000,000,000"),
                     qPrintable(w.text));
    }

    void elevenLinesFillElevenRows()
    {
        const auto words = printVoucherOf(11);
        // The eleventh line is the sixth entry's debit line, made from the second sample.
        QCOMPARE(textIn(words, margin, margin + 40.1, rowTop(10), rowTop(10) + 3.9),
                 QString::fromUtf8(sampleEntries[1].debitName));
        const double totals = rowTop(11);
        QCOMPARE(textIn(words, margin + 193.3, margin + 235.3, totals, totals + 11.4), QStringLiteral("8,494,134"));
        QCOMPARE(textIn(words, margin + 235.3, margin + 277, totals, totals + 11.4), QStringLiteral("5,994,134"));
    }

    void elementsStandWhereDesigned_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("anchor");
        QTest::addColumn<double>("x");   // the anchored edge, or the box's middle
        QTest::addColumn<double>("top"); // within the band
        QTest::addColumn<double>("bandTop");
        const double heading = margin, row = firstRowTop;
        QTest::newRow("the title") << "대 체 전 표"
                                   << "left" << 115.6 << 3.4 << heading;
        QTest::newRow("the branch heading") << "구 분 :본사/서울"
                                            << "left" << 1.1 << 11.9 << heading;
        QTest::newRow("the date heading") << "기준일자 : 2001-12-31"
                                          << "left" << 118.3 << 12.7 << heading;
        QTest::newRow("the number heading") << "전표번호 :2001-12-31-00000001"
                                            << "left" << 1.1 << 16.4 << heading;
        QTest::newRow("the account name title") << "계정과목 이름"
                                                << "left" << 9.5 << 0.5 << titlesTop;
        QTest::newRow("the employee title") << "사원 이름코드"
                                            << "left" << 10.1 << 8.2 << titlesTop;
        QTest::newRow("the description title") << "적 요 기 재 사 항"
                                               << "left" << 49.7 << 0.5 << titlesTop;
        QTest::newRow("the project title") << "프 로 젝 트 이 름 코 드"
                                           << "left" << 41.8 << 8.2 << titlesTop;
        QTest::newRow("the customer title") << "거 래 처 및 은 행 이 름 코 드"
                                            << "left" << 148.7 << 4.2 << titlesTop;
        QTest::newRow("the item title") << "관 리 항 목 이 름 코 드"
                                        << "left" << 158.2 << 8.2 << titlesTop;
        QTest::newRow("the debit title") << "차 변 금 액"
                                         << "left" << 197.9 << 4.2 << titlesTop;
        QTest::newRow("the credit title") << "대 변 금 액"
                                          << "left" << 239.4 << 4.2 << titlesTop;
        QTest::newRow("the account name, centred") << "재공품"
                                                   << "centre" << 20.1 << 0.5 << row;
        QTest::newRow("the account code, centred") << "10102004000"
                                                   << "centre" << 20.1 << 4.2 << row;
        QTest::newRow("the employee, centred") << "김철수 S001"
                                               << "centre" << 20.1 << 7.9 << row;
        QTest::newRow("the description") << "원재료 투입"
                                         << "left" << 41.5 << 0.5 << row;
        QTest::newRow("the department") << "생산부 B01"
                                        << "left" << 41.5 << 4.2 << row;
        QTest::newRow("the project") << "신제품개발 P01"
                                     << "left" << 41.5 << 7.9 << row;
        QTest::newRow("the customer, to the right") << "한빛상사 C001"
                                                    << "right" << 192.1 << 4.2 << row;
        QTest::newRow("the item, to the right") << "자재A I01"
                                                << "right" << 192.1 << 7.9 << row;
        QTest::newRow("the debit amount") << "1,234,567"
                                          << "right" << 234.7 << 4.8 << row;
        QTest::newRow("the credit amount") << "1,234,567"
                                           << "right" << 275.7 << 4.5 << row + rowHeight;
        QTest::newRow("the total caption") << "합 계"
                                           << "left" << 134.4 << 3.4 << totalsTop;
    }
    void elementsStandWhereDesigned()
    {
        QFETCH(QString, text);
        QFETCH(QString, anchor);
        QFETCH(double, x);
        QFETCH(double, top);
        QFETCH(double, bandTop);
        const auto words = printVoucherOf(2);
        std::vector<PdfWord> found;
        for (const PdfWord &w : wordsOf(words, text))
            if (qAbs(w.top - bandTop - top) < 3) // the two rows print the same amount
                found.push_back(w);
        QVERIFY2(!found.empty(), qPrintable(text));
        QCOMPARE(found.size(), size_t(1));
        const double left = found.front().left - margin, right = found.front().right - margin;
        const double at = anchor == QLatin1String("left")    ? left
                          : anchor == QLatin1String("right") ? right
                                                             : (left + right) / 2;
        QVERIFY2(qAbs(at - x) <= 0.5, qPrintable(QStringLiteral("%1 at x %2, designed %3").arg(text).arg(at).arg(x)));
        const double measuredTop = found.front().top - bandTop;
        QVERIFY2(qAbs(measuredTop - top) <= 0.5,
                 qPrintable(QStringLiteral("%1 at top %2, designed %3").arg(text).arg(measuredTop).arg(top)));
    }
};

QTEST_MAIN(TestSheet)
#include "test_sheet.moc"
