// A line the database refuses: the voucher or entry it belongs to is stored
// whole or not at all, and the clerk is told why.
#include "base/error.h"
#include "store/vouchers.h"
#include "support/testdb.h"

#include <QTest>

namespace {
const QString day = QStringLiteral("2001-05-30");
}

class TestFault : public StoreTestCase
{
    Q_OBJECT

private slots:
    void aRefusedFifthLineLeavesNoLineAndTheNumberFree_data()
    {
        QTest::addColumn<int>("storedBefore");
        QTest::newRow("on a date without vouchers") << 0;
        QTest::newRow("after two vouchers of the date") << 2;
    }
    void aRefusedFifthLineLeavesNoLineAndTheNumberFree()
    {
        QFETCH(int, storedBefore);
        for (int i = 0; i < storedBefore; ++i)
            store::saveNewVoucher(sampleVoucher(day, 0, {"01"}));
        database().refuseMarkedLines();
        store::NewVoucher voucher = sampleVoucher(day, 0, {"01", "02", "03", "04"}, "거부");
        voucher.entries[2].debit.acText = TestDatabase::refusedText(); // the fifth line written

        try {
            store::saveNewVoucher(voucher);
            QFAIL("the refused voucher was reported as saved");
        } catch (const AppError &error) {
            QVERIFY2(error.message().startsWith("데이타베이스 오류: "), qPrintable(error.message()));
            QVERIFY2(error.message().contains("line refused"), qPrintable(error.message()));
        }
        QCOMPARE(int(database().allLines().size()), 2 * storedBefore);

        const QString next = day + "-" + QString::number(storedBefore + 1).rightJustified(8, '0');
        QCOMPARE(store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"})).serialJen, next);
        QCOMPARE(store::countVoucherLines(next), 4);
    }

    void aRefusedCreditLineLeavesTheEntryAsItWas()
    {
        const QString n = store::saveNewVoucher(sampleVoucher(day, 0, {"01"})).serialJen;
        const std::vector<store::StoredLine> before = database().allLines();
        database().refuseMarkedLines();
        store::EntryLines entry = sampleEntry("01", 9000, "고침");
        entry.credit.acText = TestDatabase::refusedText();

        QVERIFY_THROWS_EXCEPTION(AppError, store::updateEntry(day, n, entry));
        const std::vector<store::StoredLine> after = database().allLines();
        QCOMPARE(int(after.size()), 2);
        QCOMPARE(after[0].Ac_Text, before[0].Ac_Text);
        QCOMPARE(after[0].Cr_Amt, before[0].Cr_Amt);
        QCOMPARE(after[0].End_Day, before[0].End_Day);
    }
};

QTEST_GUILESS_MAIN(TestFault)
#include "test_fault.moc"
