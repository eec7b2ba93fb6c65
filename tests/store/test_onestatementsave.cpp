// The save draws its number and writes its lines in one statement (on
// PostgreSQL sent with the date's lock in one exchange). Whatever the date
// already holds, it takes the number Serial_Jen_MaxValue draws, and writes
// every line with the key Serial_MaxValue makes and the values the panels gave.
#include "base/error.h"
#include "store/vouchers.h"
#include "support/testdb.h"

#include <QTest>

namespace {
const QString day = QStringLiteral("2001-05-30");
}

class TestOneStatementSave : public StoreTestCase
{
    Q_OBJECT

    void store(const QString &date, const QString &serialJen)
    {
        database().insertRaw(sampleLine(date, serialJen, "01", "01"));
        database().insertRaw(sampleLine(date, serialJen, "01", "02"));
    }

private slots:
    void theSaveTakesTheNumberTheDrawingGives_data()
    {
        QTest::addColumn<QString>("storedDate");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("a date without vouchers") << day << QStringList();
        QTest::newRow("after the ninth voucher") << day << QStringList{day + "-00000009"};
        QTest::newRow("a stored date padded with blanks") << day + "  " << QStringList{day + "-00000041"};
        QTest::newRow("a number with a letter after a good one")
            << day << QStringList{day + "-00000003", day + "-0000000X"};
        QTest::newRow("a nine-digit number after a good one")
            << day << QStringList{day + "-00000005", day + "-123456789"};
        QTest::newRow("another date's number stored under this date") << day << QStringList{"2001-05-31-00000070"};
        QTest::newRow("the last number but one") << day << QStringList{day + "-99999998"};
    }
    void theSaveTakesTheNumberTheDrawingGives()
    {
        QFETCH(QString, storedDate);
        QFETCH(QStringList, stored);
        for (const QString &number : stored)
            store(storedDate, number);
        const QString drawn = store::Serial_Jen_MaxValue(day);
        const store::NewVoucher voucher = sampleVoucher(day, 1, {"01", "03", "04"}, "한 문장");
        const store::SavedVoucher saved = store::saveNewVoucher(voucher);
        QCOMPARE(saved.serialJen, drawn);
        QCOMPARE(saved.lastKey, drawn + "04");

        std::vector<store::StoredLine> lines;
        for (const store::StoredLine &line : database().allLines())
            if (line.Serial_Jen.trimmed() == drawn)
                lines.push_back(line);
        QCOMPARE(int(lines.size()), 6);
        int at = 0;
        for (const store::EntryLines &entry : voucher.entries) {
            for (const QString side : {"01", "02"}) {
                const store::StoredLine &line = lines[size_t(at++)];
                const store::LineFields &given = side == "01" ? entry.debit : entry.credit;
                QCOMPARE(line.Serial.trimmed(), store::Serial_MaxValue(1, drawn, entry.serialBun, "A005*" + side));
                QCOMPARE(line.Serial_Bun.trimmed(), entry.serialBun);
                QCOMPARE(line.Serial_CrDr.trimmed(), side);
                QCOMPARE(line.Kubun_Bon.trimmed(), QString("00001"));
                QCOMPARE(line.Date_Day.trimmed(), day);
                QCOMPARE(line.Month_Char.trimmed(), QString("05"));
                QCOMPARE(line.Year_Char.trimmed(), QString("2001"));
                QCOMPARE(line.Ac_JenCode.trimmed(), given.acCode);
                QCOMPARE(line.Ac_Text, given.acText);
                QCOMPARE(line.Sawon_Name, given.sawonName);
                QCOMPARE(line.Cr_Amt, given.crAmt);
                QCOMPARE(line.Dr_Amt, given.drAmt);
                QVERIFY(line.End_Day.isValid());
            }
        }
    }

    // After the last number the statement writes nothing, and the clerk is
    // told; the date's other vouchers stay as they were.
    void pastTheLastNumberNothingIsWritten()
    {
        store(day, day + "-99999999");
        QVERIFY_THROWS_EXCEPTION(AppError, store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"})));
        QCOMPARE(int(database().allLines().size()), 2);
    }
};

QTEST_MAIN(TestOneStatementSave)
#include "test_onestatementsave.moc"
