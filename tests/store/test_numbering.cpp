// Voucher numbers per date and the line keys built from them.
#include "base/error.h"
#include "store/connection.h"
#include "store/vouchers.h"
#include "support/testdb.h"

#include <QTest>

using store::Serial_Jen_MaxValue;

class TestNumbering : public StoreTestCase
{
    Q_OBJECT

    void store(const QString &date, const QString &serialJen, const QString &branch = "00000")
    {
        database().insertRaw(sampleLine(date, serialJen, "01", "01", branch));
        database().insertRaw(sampleLine(date, serialJen, "01", "02", branch));
    }

private slots:
    void theFirstVoucherOfADateIsNumberOne()
    {
        store("2001-05-29", "2001-05-29-00000004");
        QCOMPARE(Serial_Jen_MaxValue("2001-05-30"), QString("2001-05-30-00000001"));
    }

    void theNextNumberFollowsTheGreatestOfTheDateInEveryBranch()
    {
        store("2001-05-30", "2001-05-30-00000001", "00000");
        store("2001-05-30", "2001-05-30-00000007", "00001");
        store("2001-05-31", "2001-05-31-00000020", "00000");
        QCOMPARE(Serial_Jen_MaxValue("2001-05-30"), QString("2001-05-30-00000008"));
    }

    void aStoredDatePaddedWithBlanksStillCounts()
    {
        store("2001-05-30   ", "2001-05-30-00000003");
        QCOMPARE(Serial_Jen_MaxValue("2001-05-30"), QString("2001-05-30-00000004"));
    }

    void aDateWithAQuoteIsAValueNotStatementText()
    {
        QCOMPARE(Serial_Jen_MaxValue("2001'05-30"), QString("2001'05-30-00000001"));
        QVERIFY(database().allLines().empty());
    }

    void aMalformedNumberIsPassedOverAndListed_data()
    {
        QTest::addColumn<QString>("malformed");
        QTest::newRow("a letter in the sequence") << "2001-05-30-0000000X";
        QTest::newRow("a letter in another branch") << "2001-05-30-A0000009";
        QTest::newRow("nine digits") << "2001-05-30-123456789";
        QTest::newRow("seven digits") << "2001-05-30-9999999";
        QTest::newRow("another date's number") << "2001-05-31-00000050";
        QTest::newRow("a leading blank") << " 2001-05-30-00000060";
        QTest::newRow("Korean digits") << "2001-05-30-0000００9";
    }
    void aMalformedNumberIsPassedOverAndListed()
    {
        QFETCH(QString, malformed);
        store("2001-05-30", "2001-05-30-00000002", "00000");
        store("2001-05-30", malformed, "00001");
        store("2001-05-31", "2001-05-31-00000001", "00000");
        QCOMPARE(Serial_Jen_MaxValue("2001-05-30"), QString("2001-05-30-00000003"));
        QCOMPARE(store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"})).serialJen,
                 QString("2001-05-30-00000003"));
        const std::vector<store::MalformedNumber> listed = store::malformedVoucherNumbers(store::account());
        QCOMPARE(int(listed.size()), 1);
        QCOMPARE(listed[0].dateDay, QString("2001-05-30"));
        QCOMPARE(listed[0].serialJen, malformed);
    }

    void onlyMalformedNumbersStartTheDateAtOne()
    {
        store("2001-05-30", "2001-05-30-0000000X");
        QCOMPARE(Serial_Jen_MaxValue("2001-05-30"), QString("2001-05-30-00000001"));
    }

    void anExhaustedDateIsRefusedAndWritesNothing()
    {
        store("2001-05-30", "2001-05-30-99999999");
        const int before = int(database().allLines().size());
        try {
            store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"}));
            QFAIL("a voucher was saved past the last number of its date");
        } catch (const AppError &error) {
            QCOMPARE(
                error.message(),
                QString("2001-05-30 일자의 전표번호를 99999999번까지 모두 사용하여 더 이상 등록할 수 없습니다...."));
        }
        QCOMPARE(int(database().allLines().size()), before);
        QCOMPARE(Serial_Jen_MaxValue("2001-05-31"), QString("2001-05-31-00000001"));
    }

    void savedVouchersTakeConsecutiveNumbers()
    {
        QCOMPARE(store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"})).serialJen,
                 QString("2001-05-30-00000001"));
        QCOMPARE(store::saveNewVoucher(sampleVoucher("2001-05-30", 1, {"02"})).serialJen,
                 QString("2001-05-30-00000002"));
        QCOMPARE(store::saveNewVoucher(sampleVoucher("2001-05-31", 0, {"01"})).serialJen,
                 QString("2001-05-31-00000001"));
    }

    void aVoucherWithoutEntriesDrawsANumberButKeepsItFree()
    {
        const store::SavedVoucher empty = store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {}));
        QCOMPARE(empty.serialJen, QString("2001-05-30-00000001"));
        QCOMPARE(empty.lastKey, QString());
        QVERIFY(database().allLines().empty());
        QCOMPARE(store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"})).serialJen,
                 QString("2001-05-30-00000001"));
    }

    void lineKeys_data()
    {
        QTest::addColumn<int>("branch");
        QTest::addColumn<QString>("serialJen");
        QTest::addColumn<QString>("serialBun");
        QTest::addColumn<QString>("formSide");
        QTest::addColumn<QString>("key");
        QTest::newRow("the first branch's debit line") << 0 << "2001-05-30-00000001"
                                                       << "01"
                                                       << "A005*01"
                                                       << "AA*00000*3*2001-05-30-00000001*01*A005*01";
        QTest::newRow("the third branch's credit line of entry four") << 2 << "2001-05-30-00000012"
                                                                      << "04"
                                                                      << "A005*02"
                                                                      << "AA*00002*3*2001-05-30-00000012*04*A005*02";
        QTest::newRow("blanks go from the number, the entry and the side")
            << 0 << " 2001-05-30-00000001 "
            << "0 1"
            << "A005 * 01"
            << "AA*00000*3*2001-05-30-00000001*01*A005*01";
    }
    void lineKeys()
    {
        QFETCH(int, branch);
        QFETCH(QString, serialJen);
        QFETCH(QString, serialBun);
        QFETCH(QString, formSide);
        QTEST(store::Serial_MaxValue(branch, serialJen, serialBun, formSide), "key");
    }
};

QTEST_GUILESS_MAIN(TestNumbering)
#include "test_numbering.moc"
