// A day's listing read a screen at a time gives the whole listing's rows, in
// its order, each voucher whole in one screen; and the rows folded from the
// lines are the rows the engine's grouping gives. On SQLite and PostgreSQL.
#include "support/testdb.h"

#include "base/error.h"
#include "store/vouchers.h"

#include <QRandomGenerator>
#include <QTest>
#include <set>

namespace {

const QString day = QStringLiteral("2001-05-30");

QStringList shown(const std::vector<store::ListRow> &rows)
{
    QStringList texts;
    for (const store::ListRow &r : rows)
        texts << QStringList{r.serial_jen,
                             r.serial_bun,
                             r.Date_day,
                             r.total,
                             r.ac_text1,
                             r.ac_text2,
                             r.serial_ttt,
                             r.ac_jencode1,
                             r.ac_JenName1,
                             QString::number(r.Cr_Amt1),
                             r.ac_jencode2,
                             r.ac_JenName2,
                             QString::number(r.Dr_Amt2)}
                     .join(QLatin1Char('|'));
    return texts;
}

} // namespace

class TestScreens : public StoreTestCase
{
    Q_OBJECT

private:
    void addBranches()
    {
        database().addBranch("00000", "본사", "서울");
        database().addBranch("00001", "부산지점", "부산");
    }

private slots:
    void screensTogetherAreTheWholeListing_data()
    {
        QTest::addColumn<int>("vouchers");
        QTest::addColumn<int>("perScreen");
        QTest::addColumn<int>("screens");
        QTest::newRow("seventeen vouchers by fives take four screens") << 17 << 5 << 4;
        QTest::newRow("ten vouchers by fives take two screens, the last saying so") << 10 << 5 << 2;
        QTest::newRow("three vouchers fit one screen") << 3 << 5 << 1;
        QTest::newRow("an empty day is one empty screen") << 0 << 5 << 1;
    }
    void screensTogetherAreTheWholeListing()
    {
        QFETCH(int, vouchers);
        QFETCH(int, perScreen);
        QFETCH(int, screens);
        addBranches();
        const QStringList entries{"01", "02", "03", "04"};
        for (int i = 0; i < vouchers; ++i)
            store::saveNewVoucher(sampleVoucher(day, 0, entries.mid(0, 1 + i % 4)));
        // Another branch's and another day's vouchers stay out.
        store::saveNewVoucher(sampleVoucher(day, 1, {"01"}));
        store::saveNewVoucher(sampleVoucher("2001-05-31", 0, {"01"}));

        std::vector<store::ListRow> read;
        QString after;
        int count = 0;
        for (bool more = true; more; ++count) {
            store::ListScreen screen = store::listVoucherScreen(day, "00000", after, perScreen);
            QVERIFY(count < screens);
            // Whole vouchers only: the next screen begins with another voucher.
            if (!read.empty() && !screen.rows.empty())
                QVERIFY(read.back().serial_jen != screen.rows.front().serial_jen);
            read.insert(read.end(), screen.rows.begin(), screen.rows.end());
            more = screen.more;
            after = screen.lastJen;
        }
        QCOMPARE(count, screens);
        QCOMPARE(shown(read), shown(store::listVouchers(day, "00000")));
    }

    // Lines written by another program with padded numbers and dates are
    // listed as the whole listing lists them.
    void paddedLinesComeInTheirPlace()
    {
        addBranches();
        for (int i = 0; i < 4; ++i)
            store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"}));
        for (const QString &side : {QStringLiteral("01"), QStringLiteral("02")}) {
            store::StoredLine line = sampleLine(day, "2001-05-30-00000009 ", "01 ", side, "00000 ");
            database().insertRaw(line);
        }
        std::vector<store::ListRow> read;
        QString after;
        for (bool more = true; more;) {
            const store::ListScreen screen = store::listVoucherScreen(day, "00000", after, 2);
            read.insert(read.end(), screen.rows.begin(), screen.rows.end());
            more = screen.more;
            after = screen.lastJen;
        }
        QCOMPARE(shown(read), shown(store::listVouchers(day, "00000")));
        QCOMPARE(int(read.size()), 9);
    }

    // Generated lines with what other programs write: padded numbers, dates
    // and branches, other kinds, forms and sides, entries with one side only,
    // blank and padded texts, amounts with cents; and, with padded sides, rows
    // holding two lines of a side.
    void foldedRowsAreTheGroupedRows_data()
    {
        QTest::addColumn<uint>("seed");
        QTest::addColumn<bool>("paddedSides");
        QTest::newRow("irregular lines, at most one of a side in a row") << 1u << false;
        QTest::newRow("another day of them") << 2u << false;
        QTest::newRow("rows holding two lines of a side") << 3u << true;
    }
    void foldedRowsAreTheGroupedRows()
    {
        QFETCH(uint, seed);
        QFETCH(bool, paddedSides);
        addBranches();
        QRandomGenerator random(seed);
        const auto pick = [&random](const QStringList &options) { return options[random.bounded(options.size())]; };
        std::set<QString> written;
        for (int i = 0; i < 240; ++i) {
            // One pick a statement, so the same seed makes the same lines.
            const QString jen = QStringLiteral("2001-05-30-%1").arg(random.bounded(1, 40), 8, 10, QLatin1Char('0'));
            const QString date = pick({day, day, day, day + " ", "2001-05-31"});
            const QString number = jen + pick({"", "", "", " "});
            const QString entry = pick({"01", "02", "03", "04", "01 "});
            const QString side =
                pick(paddedSides ? QStringList{"01", "02", "01 ", "02 "} : QStringList{"01", "02", "01", "02", "03"});
            const QString branch = pick({"00000", "00000", "00000", "00000 ", "00001"});
            store::StoredLine line =
                sampleLine(date, number, entry, side, branch, pick({"표본", "", "긴 적요 ", "가", "z"}));
            if (!written.insert(line.Serial_Jen + '|' + line.Serial_Bun + '|' + line.Serial_CrDr).second)
                continue;
            line.Kubun_Jen = pick({"3", "3", "3", "3 ", "1"});
            line.Form_Kubun = pick({"A005", "A005", "A005", "A005 ", "A001"});
            line.Ac_JenCode += pick({"", "", " "});
            line.Cr_Amt = random.bounded(100000) / 4.0;
            line.Dr_Amt = random.bounded(100000) / 4.0;
            database().insertRaw(line);
        }
        const std::vector<store::ListRow> grouped = store::listVouchersGrouped(day, "00000");
        const std::vector<store::ListRow> folded = store::listVouchers(day, "00000");
        QVERIFY(grouped.size() > 20);
        // The same rows; in the same order of number and entry, rows of one
        // entry that differ in date or branch text being in no order of theirs.
        const auto entries = [](const std::vector<store::ListRow> &rows) {
            QStringList keys;
            for (const store::ListRow &row : rows)
                keys << row.serial_jen + '|' + row.serial_bun;
            return keys;
        };
        QCOMPARE(entries(folded), entries(grouped));
        QStringList foldedRows = shown(folded), groupedRows = shown(grouped);
        foldedRows.sort();
        groupedRows.sort();
        QCOMPARE(foldedRows, groupedRows);
        // A screen at a time folds them the same way.
        QCOMPARE(shown(store::listVoucherScreen(day, "00000", {}, 1000).rows), shown(folded));
    }
};

QTEST_GUILESS_MAIN(TestScreens)
#include "test_screens.moc"
