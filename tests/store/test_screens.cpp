// A day's listing read a screen at a time gives the whole listing's rows, in
// its order, each voucher whole in one screen, on SQLite and PostgreSQL.
#include "support/testdb.h"

#include "base/error.h"
#include "store/vouchers.h"

#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestScreens)
#include "test_screens.moc"
