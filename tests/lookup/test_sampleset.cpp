// The search statements over the program's sample set, on SQLite and PostgreSQL:
// what a clerk trying the program first would be offered.
#include "store/demo.h"
#include "store/lookups.h"
#include "support/testdb.h"

#include <QTest>

using store::KindChoice;
using store::LookupStatement;

namespace {

std::vector<QStringList> offered(LookupStatement statement, const QString &text, KindChoice choice = KindChoice::All)
{
    return store::lookup(statement, store::searchPattern(text), choice).rows;
}

// The rows of one group, as code and name.
QStringList group(const std::vector<QStringList> &rows, const QString &groupCode)
{
    QStringList found;
    for (const QStringList &row : rows)
        if (row[0].startsWith(groupCode))
            found << row[0] + QLatin1Char(' ') + row[1];
    return found;
}

QStringList codes(const std::vector<QStringList> &rows)
{
    QStringList found;
    for (const QStringList &row : rows)
        found << row[0];
    return found;
}

} // namespace

class TestSampleSet : public StoreTestCase
{
    Q_OBJECT

private slots:
    void theInventoryAccountsOfEachLine_data()
    {
        QTest::addColumn<LookupStatement>("statement");
        QTest::addColumn<QStringList>("inventories");
        QTest::newRow("the debit line offers four, without the goods")
            << LookupStatement::DebitAccounts
            << QStringList{"10102005000 원재료", "10102008000 부재료", "10102017000 재공품", "10102024000 제품"};
        QTest::newRow("the credit line offers all five, named")
            << LookupStatement::CreditAccounts
            << QStringList{"10102001000 상품", "10102005000 원재료", "10102008000 부재료", "10102017000 재공품",
                           "10102024000 제품"};
    }
    void theInventoryAccountsOfEachLine()
    {
        QFETCH(LookupStatement, statement);
        store::fillDemo(store::account());
        QTEST(group(offered(statement, ""), "10102"), "inventories");
    }

    void theDebitLineNamesTheListedCostOfSalesAndNotItsNeighbours()
    {
        store::fillDemo(store::account());
        const std::vector<QStringList> rows = offered(LookupStatement::DebitAccounts, "상품");
        QCOMPARE(codes(rows), QStringList({"40301001000", "40301002000", "40301003000", "40301004000"}));
        QCOMPARE(rows[0][1], QString("상품매출원가"));
        for (const QStringList &row : rows) {
            QCOMPARE(row[2], QString("손익 / 매출원가"));
            if (row[0] != "40301001000")
                QVERIFY2(row[1].isEmpty(), qPrintable(row.join('|')));
        }
    }

    void theCreditLineOffersOnlyClassifiedRows()
    {
        store::fillDemo(store::account());
        const std::vector<QStringList> rows = offered(LookupStatement::CreditAccounts, "");
        QVERIFY(rows.size() > 20);
        for (const QStringList &row : rows)
            QVERIFY2(!row[1].isEmpty() && !row[2].isEmpty(), qPrintable(row.join('|')));
    }

    void settingsAndRetiredAccountsAreOfferedByNeither_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("an inventory named 회사설정계정") << "10102030000";
        QTest::newRow("a retired inventory") << "10102031000";
        QTest::newRow("a manufacturing account named 회사설정계정") << "40302009000";
        QTest::newRow("a manufacturing cost named 회사설정계정1") << "40401009000";
        QTest::newRow("a retired overhead account") << "40404009000";
    }
    void settingsAndRetiredAccountsAreOfferedByNeither()
    {
        QFETCH(QString, code);
        store::fillDemo(store::account());
        QVERIFY(!codes(offered(LookupStatement::DebitAccounts, "")).contains(code));
        QVERIFY(!codes(offered(LookupStatement::CreditAccounts, "")).contains(code));
    }

    void theChooserKeepsOnlyItsKind_data()
    {
        QTest::addColumn<KindChoice>("choice");
        QTest::addColumn<int>("customers");
        QTest::addColumn<int>("banks");
        QTest::newRow("all kinds") << KindChoice::All << 10 << 6;
        QTest::newRow("customers") << KindChoice::Customers << 10 << 0;
        QTest::newRow("banks") << KindChoice::Banks << 0 << 6;
        QTest::newRow("no entry selected") << KindChoice::None << 10 << 6;
    }
    void theChooserKeepsOnlyItsKind()
    {
        QFETCH(KindChoice, choice);
        store::fillDemo(store::account());
        int customers = 0;
        int banks = 0;
        const std::vector<QStringList> rows = offered(LookupStatement::CustomersAndBanks, "", choice);
        for (const QStringList &row : rows)
            (row[3] == "거래처" ? customers : banks) += 1;
        QTEST(customers, "customers");
        QTEST(banks, "banks");
        QStringList sorted = codes(rows);
        sorted.sort();
        QCOMPARE(codes(rows), sorted);
    }

    void aCustomerSearchFindsBothKindsByName()
    {
        store::fillDemo(store::account());
        QCOMPARE(codes(offered(LookupStatement::CustomersAndBanks, "원재료")), QStringList({"C0001", "C0004"}));
        QCOMPARE(codes(offered(LookupStatement::CustomersAndBanks, "국민 은행")), QStringList({"B0001", "B0002"}));
        QCOMPARE(codes(offered(LookupStatement::CustomersAndBanks, "국민은행", KindChoice::Customers)), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSampleSet)
#include "test_sampleset.moc"
