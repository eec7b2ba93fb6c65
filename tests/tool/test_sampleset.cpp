// The sample set: a chart of accounts the search dialogs can work with, branches
// in list order, and code tables whose names overlap so searches find several.
#include "tooltest.h"

#include "base/error.h"
#include "store/demo.h"
#include "store/schema.h"

#include <QSqlRecord>
#include <memory>

class TestSampleSet : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_db.reset(); }

    void branchCodesFollowListOrder();
    void everyGroupOfTheChartHasSeveralAccounts_data();
    void everyGroupOfTheChartHasSeveralAccounts();
    void theNamedAccountsAreOffered_data();
    void theNamedAccountsAreOffered();
    void groupColumnsSpellTheCodesGroup();
    void someAccountsAreHiddenFromTheDialogs();
    void namesShareSearchableParts_data();
    void namesShareSearchableParts();
    void aFilledTableStopsTheSampleSet();

private:
    struct Account
    {
        QString code, name, bigo, kubun, group;
    };
    QList<Account> accounts();
    std::unique_ptr<ToolDatabase> m_db;
};

void TestSampleSet::init()
{
    m_db = std::make_unique<ToolDatabase>();
    store::createSchema(m_db->open());
    store::fillDemo(m_db->open());
}

QList<TestSampleSet::Account> TestSampleSet::accounts()
{
    QSqlTableModel model(nullptr, m_db->open());
    model.setTable(QStringLiteral("test_ac_code"));
    model.select();
    while (model.canFetchMore())
        model.fetchMore();
    QList<Account> list;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QSqlRecord r = model.record(row);
        list << Account{r.value("ac_code").toString(), r.value("ac_name").toString(), r.value("bigo").toString(),
                        r.value("code_kubun").toString(),
                        r.value("a_kubun").toString() + r.value("b_kubun").toString() + r.value("c_kubun").toString()};
    }
    return list;
}

void TestSampleSet::branchCodesFollowListOrder()
{
    const QStringList codes = m_db->column(QStringLiteral("Kubun_Table"), QStringLiteral("Kubun_Code"));
    QVERIFY(codes.size() >= 3);
    for (int i = 0; i < codes.size(); ++i)
        QCOMPARE(codes[i], QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')));
    QCOMPARE(m_db->column(QStringLiteral("Kubun_Table"), QStringLiteral("Kubun_Name")).first(), QStringLiteral("본사"));
}

void TestSampleSet::everyGroupOfTheChartHasSeveralAccounts_data()
{
    QTest::addColumn<QString>("group");
    for (const char *g :
         {"10101", "10102", "10201", "10202", "10203", "10204", "20101", "20201", "20301", "30101", "30201",
          "30301", "30401", "40101", "40201", "40301", "40302", "40303", "40304", "40305", "40401", "40402",
          "40403", "40404", "40501", "40502", "40503", "40701", "40901", "41001", "41201", "41301", "41501"})
        QTest::newRow(qPrintable(QStringLiteral("group %1 has offered accounts with a classification").arg(g)))
            << QString::fromLatin1(g);
}

void TestSampleSet::everyGroupOfTheChartHasSeveralAccounts()
{
    QFETCH(QString, group);
    int offered = 0;
    for (const Account &a : accounts())
        if (a.group == group && a.kubun == QLatin1String("SSSSS") && !a.bigo.isEmpty())
            ++offered;
    QVERIFY2(offered >= 2, qPrintable(QString::number(offered)));
}

void TestSampleSet::theNamedAccountsAreOffered_data()
{
    QTest::addColumn<QString>("code");
    for (const char *c : {"10102001000", "10102005000", "10102008000", "10102017000", "10102024000", "40301001000",
                          "40302004000", "40304001000", "40401001000", "40402001000"})
        QTest::newRow(qPrintable(QStringLiteral("account %1 exists, named and offered").arg(c)))
            << QString::fromLatin1(c);
}

void TestSampleSet::theNamedAccountsAreOffered()
{
    QFETCH(QString, code);
    for (const Account &a : accounts()) {
        if (a.code != code)
            continue;
        QCOMPARE(a.kubun, QStringLiteral("SSSSS"));
        QVERIFY(!a.name.isEmpty() && !a.name.contains(QStringLiteral("회사설정계정")));
        return;
    }
    QFAIL("the account is missing");
}

void TestSampleSet::groupColumnsSpellTheCodesGroup()
{
    const QList<Account> list = accounts();
    QVERIFY(list.size() >= 40 && list.size() <= 150);
    for (const Account &a : list) {
        QCOMPARE(a.code.size(), 11);
        QCOMPARE(a.group, a.code.left(5));
        QVERIFY2(store::codePageWidth(a.name) <= 90 && store::codePageWidth(a.bigo) <= 116, qPrintable(a.code));
    }
}

void TestSampleSet::someAccountsAreHiddenFromTheDialogs()
{
    int settings = 0;
    int unused = 0;
    for (const Account &a : accounts()) {
        if (a.name.contains(QStringLiteral("회사설정계정")) && a.kubun == QLatin1String("SSSSS"))
            ++settings;
        if (a.kubun != QLatin1String("SSSSS"))
            ++unused;
    }
    QVERIFY(settings >= 2);
    QVERIFY(unused >= 2);
}

void TestSampleSet::namesShareSearchableParts_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("part");
    QTest::newRow("several accounts hold 원재료") << "test_ac_code"
                                                  << "ac_name" << QStringLiteral("원재료");
    QTest::newRow("several accounts hold 제조") << "test_ac_code"
                                                << "ac_name" << QStringLiteral("제조");
    QTest::newRow("several accounts hold 현금") << "test_ac_code"
                                                << "ac_name" << QStringLiteral("현금");
    QTest::newRow("several customers hold 제조") << "Sale_Table"
                                                 << "Sale_Name" << QStringLiteral("제조");
    QTest::newRow("several banks hold 은행") << "Bank_Table"
                                             << "Bank_Name" << QStringLiteral("은행");
    QTest::newRow("several employees hold 김") << "Sawon_Table"
                                               << "Sawon_Name" << QStringLiteral("김");
    QTest::newRow("several departments hold 생산") << "Buser_Table"
                                                   << "Buser_Name" << QStringLiteral("생산");
    QTest::newRow("several projects hold 제조") << "Project_Table"
                                                << "Project_Name" << QStringLiteral("제조");
    QTest::newRow("several items hold 원재료") << "Item_Table"
                                               << "Item_Name" << QStringLiteral("원재료");
}

void TestSampleSet::namesShareSearchableParts()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QString, part);
    const QStringList names = m_db->column(table, column);
    QVERIFY2(names.filter(part).size() >= 2, qPrintable(names.join(QLatin1Char(','))));
}

void TestSampleSet::aFilledTableStopsTheSampleSet()
{
    const int accountsBefore = m_db->rows(QStringLiteral("test_ac_code"));
    QVERIFY_THROWS_EXCEPTION(AppError, store::fillDemo(m_db->open()));
    QCOMPARE(m_db->rows(QStringLiteral("test_ac_code")), accountsBefore);
}

QTEST_GUILESS_MAIN(TestSampleSet)
#include "test_sampleset.moc"
