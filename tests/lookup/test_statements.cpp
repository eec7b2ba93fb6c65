// What the search statements offer for a search text, on SQLite and PostgreSQL.
#include "sample.h"

#include "store/lookups.h"
#include "support/testdb.h"

#include <QTest>

using store::KindChoice;
using store::LookupStatement;

namespace {

// Each row as its columns joined by "|", in the statement's order.
QStringList offered(LookupStatement statement, const QString &searchText, KindChoice choice = KindChoice::All)
{
    const store::LookupResult result = store::lookup(statement, store::searchPattern(searchText), choice);
    QStringList rows;
    for (const QStringList &row : result.rows)
        rows << row.join(QLatin1Char('|'));
    return rows;
}

QStringList codesOf(const QStringList &rows)
{
    QStringList found;
    for (const QString &row : rows)
        found << row.section(QLatin1Char('|'), 0, 0);
    return found;
}

QStringList codes(LookupStatement statement, const QString &searchText)
{
    return codesOf(offered(statement, searchText));
}

} // namespace

class TestStatements : public StoreTestCase
{
    Q_OBJECT

private slots:
    void theDebitLineSearchNamesOnlyItsListedAccounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("상품 finds the listed cost of sales named and its neighbour unnamed")
            << "상품" << QStringList{"40301001000|상품매출원가|매출원가", "40301002000||매출원가"};
        QTest::newRow("원재료 finds the listed accounts named and an unlisted one unnamed")
            << "원재료"
            << QStringList{"10102005000|원재료|재고자산", "40401001000|원재료비|제조원가", "40401002000||제조원가"};
        QTest::newRow("제조 finds the listed manufacturing account named and the others unnamed")
            << "제조" << QStringList{"40302001000||제조", "40302004000|당기제품제조원가|제조"};
        QTest::newRow("labour and overhead are not debit-line groups") << "임금" << QStringList{};
        QTest::newRow("a quick asset is offered by neither") << "현금" << QStringList{};
    }
    void theDebitLineSearchNamesOnlyItsListedAccounts()
    {
        sample::fill();
        QFETCH(QString, text);
        QTEST(offered(LookupStatement::DebitAccounts, text), "rows");
    }

    void theCreditLineSearchNamesEveryAccountOfItsGroups_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("상품 finds only the goods among the inventories")
            << "상품" << QStringList{"10102001000|상품|재고자산"};
        QTest::newRow("제조 finds the manufacturing accounts named")
            << "제조" << QStringList{"40302001000|제조간접비|제조", "40302004000|당기제품제조원가|제조"};
        QTest::newRow("임금 finds labour") << "임금" << QStringList{"40403001000|임금|노무비"};
        QTest::newRow("전력 finds overhead") << "전력" << QStringList{"40404002000|전력비|제조경비"};
        QTest::newRow("원재료 finds the inventory and the manufacturing cost accounts named")
            << "원재료"
            << QStringList{"10102005000|원재료|재고자산", "40401001000|원재료비|제조원가",
                           "40401002000|기초원재료재고액|제조원가"};
        QTest::newRow("an unlisted inventory is missing") << "저장품" << QStringList{};
    }
    void theCreditLineSearchNamesEveryAccountOfItsGroups()
    {
        sample::fill();
        QFETCH(QString, text);
        QTEST(offered(LookupStatement::CreditAccounts, text), "rows");
    }

    void theCreditLineSearchNeverListsARowWithoutClassification()
    {
        sample::fill();
        const QStringList all = offered(LookupStatement::CreditAccounts, "");
        QVERIFY(!all.isEmpty());
        for (const QString &row : all) {
            QVERIFY2(!row.section(QLatin1Char('|'), 1, 1).isEmpty(), qPrintable(row));
            QVERIFY2(!row.section(QLatin1Char('|'), 2, 2).isEmpty(), qPrintable(row));
        }
        // The listed inventory whose code_kubun is not SSSSS reaches only the
        // name branch through the unbracketed "or", and so stays out.
        QVERIFY(!codes(LookupStatement::CreditAccounts, "부재료").contains("10102008000"));
    }

    void hiddenAccountsAreOfferedByNeitherSearch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code");
        QTest::newRow("a name holding 회사설정계정") << "회사설정"
                                                     << "40302009000";
        QTest::newRow("a code_kubun other than SSSSS") << "제조부문비"
                                                       << "40302003000";
        QTest::newRow("a listed inventory with another code_kubun") << "부재료"
                                                                    << "10102008000";
    }
    void hiddenAccountsAreOfferedByNeitherSearch()
    {
        sample::fill();
        QFETCH(QString, text);
        QFETCH(QString, code);
        QVERIFY(!codes(LookupStatement::DebitAccounts, text).contains(code));
        QVERIFY(!codes(LookupStatement::CreditAccounts, text).contains(code));
        QVERIFY(!codes(LookupStatement::DebitAccounts, "").contains(code));
        QVERIFY(!codes(LookupStatement::CreditAccounts, "").contains(code));
    }

    void anEmptySearchOffersEveryAccountOfTheVariant_data()
    {
        QTest::addColumn<LookupStatement>("statement");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("debit line") << LookupStatement::DebitAccounts
                                    << QStringList{"10102005000", "40301001000", "40301002000", "40302001000",
                                                   "40302004000", "40401001000", "40401002000"};
        QTest::newRow("credit line") << LookupStatement::CreditAccounts
                                     << QStringList{"10102001000", "10102005000", "40302001000", "40302004000",
                                                    "40401001000", "40401002000", "40403001000", "40404002000"};
    }
    void anEmptySearchOffersEveryAccountOfTheVariant()
    {
        sample::fill();
        QFETCH(LookupStatement, statement);
        QTEST(codes(statement, "  "), "codes");
    }

    void theChooserFiltersCustomersAndBanks_data()
    {
        QTest::addColumn<KindChoice>("choice");
        QTest::addColumn<QStringList>("rows");
        const QString bank = "B001|국민은행 본점|123-01-456789|은행명";
        const QString sharedCustomer = "C100|우리상사|101-81-12345|거래처";
        const QString sharedBank = "C100|우리은행 역삼|1002-333-444444|은행명";
        const QString customer1 = "S001|대한상사|123-45-67890|거래처";
        const QString customer2 = "S002|O'Neil 상사|220-86-11111|거래처";
        QTest::newRow("all kinds lists both in code order")
            << KindChoice::All << QStringList{bank, sharedCustomer, sharedBank, customer1, customer2};
        QTest::newRow("customers only") << KindChoice::Customers << QStringList{sharedCustomer, customer1, customer2};
        QTest::newRow("banks only") << KindChoice::Banks << QStringList{bank, sharedBank};
        QTest::newRow("no entry selected lists both")
            << KindChoice::None << QStringList{bank, sharedCustomer, sharedBank, customer1, customer2};
    }
    void theChooserFiltersCustomersAndBanks()
    {
        sample::fill();
        QFETCH(KindChoice, choice);
        QFETCH(QStringList, rows);
        QStringList found = offered(LookupStatement::CustomersAndBanks, "", choice);
        // In code order; rows sharing a code may come in either order.
        QCOMPARE(codesOf(found), codesOf(rows));
        found.sort();
        rows.sort();
        QCOMPARE(found, rows);
    }

    void bothOccurrencesOfTheCustomerPatternAreBound()
    {
        sample::fill();
        QCOMPARE(offered(LookupStatement::CustomersAndBanks, "은행"),
                 QStringList({"B001|국민은행 본점|123-01-456789|은행명", "C100|우리은행 역삼|1002-333-444444|은행명"}));
        QCOMPARE(offered(LookupStatement::CustomersAndBanks, "대한"),
                 QStringList({"S001|대한상사|123-45-67890|거래처"}));
    }

    void theOtherTablesAreSearchedByName_data()
    {
        QTest::addColumn<LookupStatement>("statement");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("an employee with the resident number joined")
            << LookupStatement::Employees << "민수" << QStringList{"E001|김민수|남|750312-1000001|생산1부 반장"};
        QTest::newRow("every employee for blanks")
            << LookupStatement::Employees << " "
            << QStringList{"E001|김민수|남|750312-1000001|생산1부 반장", "E002|이영희|여|820527-2000002|경리부 대리"};
        QTest::newRow("a department") << LookupStatement::Departments << "경리" << QStringList{"D01|경리부|전표 담당"};
        QTest::newRow("a project") << LookupStatement::Projects << "증설" << QStringList{"P02|공장증설|2공장"};
        QTest::newRow("a project name with blanks in the search")
            << LookupStatement::Projects << "신 제품" << QStringList{"P01|신제품개발|2001년"};
        QTest::newRow("no department matches") << LookupStatement::Departments << "영업" << QStringList{};
    }
    void theOtherTablesAreSearchedByName()
    {
        sample::fill();
        QFETCH(LookupStatement, statement);
        QFETCH(QString, text);
        QTEST(offered(statement, text), "rows");
    }

    void aSearchTextIsTakenLiterally_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("a percent sign finds only names holding one") << "%" << QStringList{"I01"};
        QTest::newRow("50% does not find 500") << "50%" << QStringList{"I01"};
        QTest::newRow("an underscore finds only names holding one") << "_" << QStringList{"I03", "I06"};
        QTest::newRow("A_B does not find AXB") << "A_B" << QStringList{"I03"};
        QTest::newRow("a quote finds the names holding one") << "'" << QStringList{"I05", "I06"};
        QTest::newRow("O'Neil finds O'Neil") << "O'Neil" << QStringList{"I05"};
        QTest::newRow("an SQL fragment finds the name holding it") << "');DELETE" << QStringList{"I06"};
        QTest::newRow("an always-true condition finds nothing") << "' or '1'='1" << QStringList{};
        QTest::newRow("the escape character stands for itself") << "!" << QStringList{"I07"};
        QTest::newRow("a backslash stands for itself") << "\\" << QStringList{"I08"};
        QTest::newRow("a closing bracket and comment") << "x') --" << QStringList{};
    }
    void aSearchTextIsTakenLiterally()
    {
        sample::fill();
        QFETCH(QString, text);
        QTEST(codes(LookupStatement::Items, text), "codes");
        QCOMPARE(codes(LookupStatement::Items, "").size(), 8); // nothing was changed or lost
    }

    void theQuotedCustomerIsFound()
    {
        sample::fill();
        QCOMPARE(offered(LookupStatement::CustomersAndBanks, "O'Neil", KindChoice::Customers),
                 QStringList({"S002|O'Neil 상사|220-86-11111|거래처"}));
    }

    void thePatternDropsBlanksAndWrapsInPercentSigns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("현금 and a blank") << "현금 "
                                          << "%현금%";
        QTest::newRow("blanks inside") << " 현 금 예금"
                                       << "%현금예금%";
        QTest::newRow("nothing") << ""
                                 << "%%";
        QTest::newRow("wildcards escaped") << "5%_!"
                                           << "%5!%!_!!%";
    }
    void thePatternDropsBlanksAndWrapsInPercentSigns()
    {
        sample::fill();
        QFETCH(QString, text);
        QTEST(store::searchPattern(text), "pattern");
    }
};

QTEST_GUILESS_MAIN(TestStatements)
#include "test_statements.moc"
