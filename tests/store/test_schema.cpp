// The tables the program finds when it starts on a new database.
#include "base/error.h"
#include "store/schema.h"
#include "store/vouchers.h"
#include "support/testdb.h"

#include <QSqlQuery>
#include <QTest>

class TestSchema : public StoreTestCase
{
    Q_OBJECT

private slots:
    void theVoucherTableIsFoundOnceCreated()
    {
        QVERIFY(store::hasSchema(store::account()));
        QVERIFY(database().allLines().empty());
    }

    void tablesAreFoundByNameInAnyCase()
    {
        QSqlDatabase db = store::account();
        for (const char *name : {"Account_Jen_AA", "account_jen_aa", "VOUCHER_LINK", "Kubun_Table"})
            QVERIFY2(store::hasTable(db, QString::fromLatin1(name)), name);
        for (const char *name : {"Account_Jen", "Account_Jen_AA_X", "No_Such_Table"})
            QVERIFY2(!store::hasTable(db, QString::fromLatin1(name)), name);
    }

    void creatingTheTablesTwiceIsRefusedWithAMessage()
    {
        QVERIFY_THROWS_EXCEPTION(AppError, store::createSchema(store::account()));
        QVERIFY(store::hasSchema(store::account()));
    }

    // The server keeps figures of the trimmed kind, form and side of the lines,
    // by which it plans a busy day's listing; a store made before them gets
    // them once. SQLite needs none.
    void theServerKeepsFiguresOfWhatTheListingTests()
    {
        if (!onPostgres()) {
            QVERIFY(!store::addLineStatistics(store::account()));
            return;
        }
        const QString count = "SELECT count(*) FROM pg_statistic_ext WHERE stxname = 'account_jen_aa_listed'";
        QCOMPARE(database().column(count), QStringList{"1"});
        QVERIFY(!store::addLineStatistics(store::account()));
        QVERIFY(QSqlQuery(store::account()).exec("DROP STATISTICS account_jen_aa_listed"));
        QCOMPARE(database().column(count), QStringList{"0"});
        QVERIFY(store::addLineStatistics(store::account()));
        QCOMPARE(database().column(count), QStringList{"1"});
    }

    void theSheetFillerHoldsOneToTen()
    {
        const QStringList expected = {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10"};
        QCOMPARE(database().column("SELECT Tot FROM Jen_Print ORDER BY Tot"), expected);
    }

    void namesResolveRegardlessOfCase_data()
    {
        QTest::addColumn<QString>("select");
        QTest::newRow("the voucher table in capitals") << "SELECT COUNT(*) FROM ACCOUNT_JEN_AA";
        QTest::newRow("the voucher table in small letters") << "select count(*) from account_jen_aa";
        QTest::newRow("columns in mixed case") << "select count(serial_JEN) from Account_Jen_AA where DATE_day = ''";
        QTest::newRow("the branch table as the listing writes it") << "select count(*) from kubun_table";
        QTest::newRow("the sheet filler in small letters") << "select count(tot) from jen_print";
    }
    void namesResolveRegardlessOfCase()
    {
        QFETCH(QString, select);
        const QStringList result = database().column(select);
        QCOMPARE(result.size(), 1);
    }

    void theBranchListJoinsNameAndPlaceInCodeOrder()
    {
        database().addBranch("00001", "부산지점  ", "부산광역시 해운대구");
        database().addBranch("00000", "본사", "서울특별시 중구   ");
        QCOMPARE(store::branchList(), QStringList({"본사/서울특별시 중구", "부산지점/부산광역시 해운대구"}));
    }

    void anEmptyBranchTableGivesAnEmptyList() { QVERIFY(store::branchList().isEmpty()); }

    void theBranchCodeIsTheListPosition_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("code");
        QTest::newRow("the first branch") << 0 << "00000";
        QTest::newRow("the second branch") << 1 << "00001";
        QTest::newRow("no branch chosen matches nothing") << -1 << "-00001";
    }
    void theBranchCodeIsTheListPosition()
    {
        QFETCH(int, position);
        QTEST(store::branchCode(position), "code");
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "test_schema.moc"
