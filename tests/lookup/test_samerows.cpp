// The search statements give the rows they gave before they were rewritten,
// on generated names full of what could tell them apart (blanks at either end,
// "%", "_", "!", quotes, digits, letters of both cases, ASCII or not, the
// hidden-account mark), for texts of one to six characters: those with three
// letters or digits in a row go through the trigram indexes, the others read
// every name. A text of initial consonants finds exactly the names its
// syllables match. On SQLite and PostgreSQL.
#include "earlier.h"
#include "sample.h"

#include "base/hangul.h"
#include "store/lookups.h"
#include "store/namesearch.h"
#include "support/testdb.h"

#include <QTest>
#include <random>

using store::LookupStatement;

namespace {

const QString pieces[] = {"원", "재", "료", "자", "상", "사", "까", "ㅇ", "ㅈ", " ",    "%",
                          "_",  "!",  "5",  "0",  "A",  "a",  "Ä",  "ä",  "\"", "원재", "료A"};

class Generator
{
public:
    QString name()
    {
        QString text;
        const int length = 1 + int(m_random() % 6);
        for (int i = 0; i < length; ++i)
            text += pieces[m_random() % std::size(pieces)];
        if (m_random() % 25 == 0)
            text += QStringLiteral("회사설정계정");
        if (m_random() % 4 == 0)
            text += QStringLiteral("  ");
        return text;
    }

    // A search text of one to six characters: a piece of a stored name,
    // now and then in the other case, or made up.
    QString searchText(const QStringList &names)
    {
        const int length = 1 + int(m_random() % 6);
        if (m_random() % 2 == 0) {
            const QString &from = names[int(m_random() % names.size())];
            const int start = int(m_random() % (from.size() + 1));
            const QString text = from.mid(start, length);
            return m_random() % 4 == 0 ? text.toUpper() : text;
        }
        return name().left(length);
    }

    // A text of initials, now and then with a syllable among them.
    QString initialsText()
    {
        static const QString letters[] = {"ㅇ", "ㅈ", "ㄹ", "ㅅ", "ㄲ", "원", "재", "사"};
        QString text = QStringLiteral("ㅇㅈㅅㄲ").mid(int(m_random() % 4), 1);
        const int more = int(m_random() % 3);
        for (int i = 0; i < more; ++i)
            text.insert(int(m_random() % (text.size() + 1)), letters[m_random() % std::size(letters)]);
        return text;
    }

    quint32 next(quint32 below) { return m_random() % below; }

private:
    std::mt19937 m_random{20010530};
};

// Groups of both account searches and a few of neither; the listed codes among
// the accounts made.
const QString groups[] = {"10101", "10102", "40301", "40302", "40303", "40304",
                          "40305", "40401", "40402", "40403", "40404", "20101"};
const QString listedCodes[] = {"10102001000", "10102005000", "10102008000", "10102017000", "10102024000",
                               "40301001000", "40302004000", "40304001000", "40401001000", "40402001000"};

struct Generated
{
    QStringList names; // every name written
    std::map<LookupStatement, QStringList> namesOf;
};

Generated fill(Generator &generator)
{
    Generated made;
    store::Transaction transaction(store::account());
    int serial = 0;
    auto account = [&](const QString &code) {
        const QString name = generator.name();
        made.names << name;
        const QString bigo = generator.next(4) == 0 ? QString() : generator.name();
        sample::account(code, name, bigo, generator.next(6) == 0 ? QStringLiteral("NNNNN") : QStringLiteral("SSSSS"));
    };
    for (const QString &code : listedCodes)
        account(code);
    for (int i = 0; i < 160; ++i)
        account(groups[generator.next(std::size(groups))] + QStringLiteral("%1").arg(100 + ++serial, 3, 10) +
                QStringLiteral("000"));
    auto table = [&](LookupStatement statement, const QString &prefix, int count) {
        for (int i = 0; i < count; ++i) {
            const QString name = generator.name();
            made.names << name;
            made.namesOf[statement] << name;
            sample::insert(
                prefix + QStringLiteral("_Table"),
                {prefix + QStringLiteral("_Code"), prefix + QStringLiteral("_Name"), prefix + QStringLiteral("_Text")},
                {QStringLiteral("%1%2").arg(prefix.left(1)).arg(i, 4, 10, QLatin1Char('0')), name,
                 QStringLiteral("t%1").arg(i)});
        }
    };
    table(LookupStatement::Departments, QStringLiteral("Buser"), 40);
    table(LookupStatement::Projects, QStringLiteral("Project"), 40);
    table(LookupStatement::Items, QStringLiteral("Item"), 40);
    for (int i = 0; i < 60; ++i) {
        const QString name = generator.name();
        made.names << name;
        made.namesOf[LookupStatement::Employees] << name;
        sample::insert(QStringLiteral("Sawon_Table"), {"Sawon_Code", "Sawon_Name", "Sawon_Jumin01"},
                       {QStringLiteral("E%1").arg(i, 4, 10, QLatin1Char('0')), name, QString::number(i)});
    }
    for (int i = 0; i < 60; ++i) {
        const QString name = generator.name();
        made.names << name;
        made.namesOf[LookupStatement::CustomersAndBanks] << name;
        // Customers and banks share some codes, as in the sample set.
        const QString code = QStringLiteral("C%1").arg(i % 3 == 1 ? i - 1 : i, 3, 10, QLatin1Char('0'));
        if (i % 3 == 0)
            sample::insert(QStringLiteral("Bank_Table"), {"Bank_Code", "Bank_Name", "Bank_Serial"},
                           {code, name, QString::number(i)});
        else
            sample::insert(QStringLiteral("Sale_Table"), {"Sale_Code", "Sale_Name", "Sale_Serial01"},
                           {code, name, QString::number(i)});
    }
    transaction.commit();
    return made;
}

// The codes in the statement's order, then the rows sorted: rows that share a
// code (a customer and a bank) may come in either order.
QStringList comparable(const QStringList &rows)
{
    QStringList codes;
    for (const QString &row : rows)
        codes << row.section(QLatin1Char('|'), 0, 0);
    QStringList sorted = rows;
    sorted.sort();
    return codes + sorted;
}

QStringList joined(const store::LookupResult &result)
{
    QStringList rows;
    for (const QStringList &row : result.rows)
        rows << row.join(QLatin1Char('|'));
    return rows;
}

} // namespace

class TestSameRows : public StoreTestCase
{
    Q_OBJECT

private slots:
    void eachRewrittenSearchGivesTheEarlierRows_data()
    {
        QTest::addColumn<LookupStatement>("statement");
        QTest::newRow("the debit-line accounts") << LookupStatement::DebitAccounts;
        QTest::newRow("the credit-line accounts") << LookupStatement::CreditAccounts;
        QTest::newRow("customers and banks") << LookupStatement::CustomersAndBanks;
        QTest::newRow("employees") << LookupStatement::Employees;
        QTest::newRow("departments") << LookupStatement::Departments;
        QTest::newRow("projects") << LookupStatement::Projects;
        QTest::newRow("management items") << LookupStatement::Items;
    }
    void eachRewrittenSearchGivesTheEarlierRows()
    {
        QFETCH(LookupStatement, statement);
        Generator generator;
        const Generated made = fill(generator);
        int found = 0;
        int byTrigrams = 0;
        const int texts = 100;
        for (int i = 0; i < texts; ++i) {
            const QString text = i == 0 ? QString() : generator.searchText(made.names);
            const QString pattern = store::searchPattern(text);
            byTrigrams += store::NameSearch::literal(store::account(), pattern).byTrigrams();
            const QStringList before = comparable(earlier::rows(statement, pattern));
            const QStringList now = comparable(joined(store::lookup(statement, pattern)));
            // A plain text searches as it always did; initials are another search.
            if (!hangul::isInitialsPattern(text))
                QCOMPARE(joined(store::lookupText(statement, text)), joined(store::lookup(statement, pattern)));
            QVERIFY2(now == before, qPrintable(QStringLiteral("search text '%1': %2 rows now, %3 before")
                                                   .arg(text)
                                                   .arg(now.size())
                                                   .arg(before.size())));
            found += int(now.size());
        }
        QVERIFY(found > 50); // the texts found something to compare
        // Both ways were compared.
        QVERIFY2(byTrigrams >= 15 && byTrigrams <= texts - 15, qPrintable(QString::number(byTrigrams)));
    }

    void aTextOfInitialsFindsTheNamesItsSyllablesMatch_data()
    {
        QTest::addColumn<LookupStatement>("statement");
        QTest::newRow("customers and banks") << LookupStatement::CustomersAndBanks;
        QTest::newRow("employees") << LookupStatement::Employees;
        QTest::newRow("departments") << LookupStatement::Departments;
        QTest::newRow("projects") << LookupStatement::Projects;
        QTest::newRow("management items") << LookupStatement::Items;
    }
    void aTextOfInitialsFindsTheNamesItsSyllablesMatch()
    {
        QFETCH(LookupStatement, statement);
        Generator generator;
        const Generated made = fill(generator);
        const QStringList names = made.namesOf.at(statement);
        int found = 0;
        for (int i = 0; i < 30; ++i) {
            const QString text = generator.initialsText();
            QVERIFY(hangul::isInitialsPattern(text));
            QStringList expected;
            for (const QString &name : names)
                if (hangul::matchesInitials(name, text))
                    expected << name;
            QStringList offered;
            for (const QStringList &row : store::lookupText(statement, text).rows)
                offered << row.value(1);
            expected.sort();
            offered.sort();
            QVERIFY2(offered == expected, qPrintable(QStringLiteral("search text '%1': %2 rows, %3 expected")
                                                         .arg(text)
                                                         .arg(offered.size())
                                                         .arg(expected.size())));
            found += int(offered.size());
        }
        QVERIFY(found > 10);
    }

    void initialsFindTheSampleNames_data()
    {
        QTest::addColumn<LookupStatement>("statement");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("ㅇㅈㄹ finds what 원재료 finds among the debit-line accounts")
            << LookupStatement::DebitAccounts << "ㅇㅈㄹ" << QStringList{"10102005000", "40401001000", "40401002000"};
        QTest::newRow("원ㅈ mixes a syllable and an initial")
            << LookupStatement::CreditAccounts << "원ㅈ" << QStringList{"10102005000", "40401001000", "40401002000"};
        QTest::newRow("ㅈ ㅈ with a blank inside finds 제조 twice over")
            << LookupStatement::CreditAccounts << "ㅈ ㅈ" << QStringList{"40302001000", "40302004000"};
        QTest::newRow("ㅅㅅ finds the customers named 상사, not the banks")
            << LookupStatement::CustomersAndBanks << "ㅅㅅ" << QStringList{"C100", "S001", "S002"};
        QTest::newRow("ㄱㄹㅂ finds 경리부") << LookupStatement::Departments << "ㄱㄹㅂ" << QStringList{"D01"};
        QTest::newRow("ㅁㅅ finds 김민수") << LookupStatement::Employees << "ㅁㅅ" << QStringList{"E001"};
        QTest::newRow("ㄱㅈ finds 공장증설 by 공장 only") << LookupStatement::Projects << "ㄱㅈ" << QStringList{"P02"};
        QTest::newRow("a double initial is not its single") << LookupStatement::Projects << "ㄲ" << QStringList{};
        QTest::newRow("initials out of order find nothing")
            << LookupStatement::Departments << "ㅂㄹㄱ" << QStringList{};
    }
    void initialsFindTheSampleNames()
    {
        sample::fill();
        QFETCH(LookupStatement, statement);
        QFETCH(QString, text);
        QStringList codes;
        for (const QStringList &row : store::lookupText(statement, text).rows)
            codes << row.value(0);
        QTEST(codes, "codes");
    }

    void theFinderGetsOneConditionAndItsValue()
    {
        const store::SqlCondition initials =
            store::nameCondition(store::account(), QStringLiteral("Ac_JenName"), QStringLiteral("원ㅈ"), ":n");
        QCOMPARE(initials.params.size(), size_t(1));
        QCOMPARE(initials.params[0].first, QStringLiteral(":n"));
        QVERIFY(initials.sql.startsWith(QStringLiteral("Ac_JenName ")));
        const store::SqlCondition plain =
            store::nameCondition(store::account(), QStringLiteral("Ac_JenName"), QStringLiteral("원 재"), ":n");
        QCOMPARE(plain.params[0].second.toString(), QStringLiteral("%원재%"));
    }
};

QTEST_GUILESS_MAIN(TestSameRows)
#include "test_samerows.moc"
