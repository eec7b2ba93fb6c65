// The rows the print command gathers for the sheet: the voucher's stored lines
// in entry and side order, then blank rows up to ten, on either database.
#include "samplevoucher.h"

#include "store/printrows.h"

#include <QTest>

namespace {

const QString date = QStringLiteral("2001-12-31");
const QString branch = QStringLiteral("00000");
const QString serial = QStringLiteral("2001-12-31-00000001");
const store::PrintKey key{date, branch, serial};

// Stores whole entries, then a lone debit line for an odd count.
void storeLines(TestDatabase &db, int lines)
{
    storeSampleVoucher(db, date, branch, serial, lines / 2);
    if (lines % 2)
        db.insertRaw(sampleLine(date, branch, serial, lines / 2, true));
}

std::vector<store::PrintRow> gather()
{
    return store::Print_Query(key, store::blankRowCount(store::Print_Count_Query(key)));
}

} // namespace

class TestPrintRows : public StoreTestCase
{
    Q_OBJECT

private slots:
    void storedLinesThenBlankRows_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("tbCount");
        QTest::addColumn<int>("blankRows");
        QTest::newRow("a one-entry voucher gives two lines and eight blank rows") << 2 << "08" << 8;
        QTest::newRow("a four-entry voucher gives eight lines and two blank rows") << 8 << "02" << 2;
        QTest::newRow("ten lines fill the sheet without blank rows") << 10 << "00" << 0;
        QTest::newRow("eleven lines ask for none and get no blank row") << 11 << "00" << 0;
        QTest::newRow("no stored line gives ten blank rows") << 0 << "10" << 10;
    }
    void storedLinesThenBlankRows()
    {
        QFETCH(int, lines);
        QFETCH(QString, tbCount);
        QFETCH(int, blankRows);
        storeLines(database(), lines);
        QCOMPARE(store::Print_Count_Query(key), lines);
        QCOMPARE(store::blankRowCount(lines), tbCount);
        const std::vector<store::PrintRow> rows = store::Print_Query(key, tbCount);
        QCOMPARE(int(rows.size()), lines + blankRows);
        for (int i = 0; i < lines; ++i) {
            const store::PrintRow &row = rows[size_t(i)];
            QCOMPARE(row.Tot, QStringLiteral(" "));
            QCOMPARE(row.Serial_Bun, QStringLiteral("%1").arg(i / 2 + 1, 2, 10, QLatin1Char('0')));
            QCOMPARE(row.Serial_CrDr, i % 2 == 0 ? QStringLiteral("01") : QStringLiteral("02"));
        }
        for (int i = 0; i < blankRows; ++i) {
            const store::PrintRow &row = rows[size_t(lines + i)];
            QCOMPARE(row.Tot, QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')));
            QCOMPARE(row.Ac_JenName + row.Ac_JenCode + row.Ac_Text + row.Serial_Jen + row.Kubun_NameCode, QString());
            QCOMPARE(row.Cr_Amt + row.Dr_Amt, 0.0);
        }
    }

    void aLineCarriesItsColumns()
    {
        storeLines(database(), 2);
        const std::vector<store::PrintRow> rows = gather();
        QCOMPARE(rows.size(), size_t(10));
        const store::PrintRow &debit = rows[0], &credit = rows[1];
        QCOMPARE(debit.Ac_JenName, QStringLiteral("재공품"));
        QCOMPARE(debit.Ac_JenCode, QStringLiteral("10102004000"));
        QCOMPARE(debit.Serial_Jen, serial);
        QCOMPARE(debit.Kubun_Bon, branch);
        QCOMPARE(debit.Ac_Text, QStringLiteral("원재료 투입"));
        QCOMPARE(debit.Cr_Amt, 1234567.0);
        QCOMPARE(debit.Dr_Amt, 0.0);
        QCOMPARE(debit.Sawon_NameCode, QStringLiteral("김철수   S001"));
        QCOMPARE(debit.Buser_NameCode, QStringLiteral("생산부   B01"));
        QCOMPARE(debit.Kubun_NameCode, QStringLiteral("한빛상사   C001"));
        QCOMPARE(debit.Project_NameCode, QStringLiteral("신제품개발   P01"));
        QCOMPARE(debit.Item_NameCode, QStringLiteral("자재A   I01"));
        QCOMPARE(credit.Ac_JenName, QStringLiteral("원재료"));
        QCOMPARE(credit.Cr_Amt, 0.0);
        QCOMPARE(credit.Dr_Amt, 1234567.0);
    }

    void storedBlanksAreTrimmed()
    {
        store::StoredLine line = sampleLine(date, branch, serial, 0, true);
        line.Serial_Jen += QStringLiteral("  ");
        line.Kubun_Bon += QStringLiteral(" ");
        // The date column is exactly ten wide on the server; SQLite keeps any length.
        if (!onPostgres())
            line.Date_Day += QStringLiteral("  ");
        line.Sawon_Name += QStringLiteral("    ");
        line.Sawon_Code += QStringLiteral("  ");
        database().insertRaw(line);
        QCOMPARE(store::Print_Count_Query(key), 1);
        const std::vector<store::PrintRow> rows = gather();
        QCOMPARE(rows.size(), size_t(10));
        QCOMPARE(rows[0].Tot, QStringLiteral(" "));
        QCOMPARE(rows[0].Sawon_NameCode, QStringLiteral("김철수   S001"));
    }

    void otherVouchersAreLeftOut_data()
    {
        QTest::addColumn<QString>("otherDate");
        QTest::addColumn<QString>("otherBranch");
        QTest::addColumn<QString>("otherSerial");
        QTest::newRow("the next voucher of the day") << date << branch << "2001-12-31-00000002";
        QTest::newRow("the same number at another branch") << date << "00001" << serial;
        QTest::newRow("the same number on another day") << "2001-12-30" << branch << serial;
    }
    void otherVouchersAreLeftOut()
    {
        QFETCH(QString, otherDate);
        QFETCH(QString, otherBranch);
        QFETCH(QString, otherSerial);
        storeLines(database(), 2);
        // Entries 02 and 03, so that a line never shares the printed voucher's key.
        for (int entry = 1; entry < 3; ++entry)
            for (bool debit : {true, false})
                database().insertRaw(sampleLine(otherDate, otherBranch, otherSerial, entry, debit));
        QCOMPARE(store::Print_Count_Query(key), 2);
        const std::vector<store::PrintRow> rows = gather();
        QCOMPARE(rows.size(), size_t(10));
        QCOMPARE(rows[1].Ac_JenName, QStringLiteral("원재료"));
        QCOMPARE(rows[2].Tot, QStringLiteral("01"));
    }
};

QTEST_GUILESS_MAIN(TestPrintRows)
#include "test_printrows.moc"
