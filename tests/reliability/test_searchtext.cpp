// What a clerk types into a search box reaches every one of the seven search
// statements as plain text: quotes, "%", "_", the escape character and SQL
// fragments find exactly the names that hold them, and change nothing. (The
// item search's own cases are in tests/lookup; here every statement is tried.)
#include "store/csvimport.h"
#include "store/lookups.h"
#include "support/testdb.h"

#include <QTest>
#include <set>

using store::LookupStatement;

namespace {

// Fragments without blanks: the search drops the clerk's blanks.
const QStringList fragments = {
    "'", "''", "%", "_", "!", "\\", "%_%", "';DROP/**/TABLE/**/t;--", "x'OR'1'='1", "])--", ":tbName",
};

QString nameWith(int i)
{
    return "가" + fragments[i] + "나";
}

// A row per fragment in every code table the searches read: the name holds
// the fragment between two Hangul syllables; the code tells which fragment.
void storeNames()
{
    QSqlDatabase db = store::account();
    for (int i = 0; i < fragments.size(); ++i) {
        const QString n = QString::number(i).rightJustified(2, '0');
        auto insert = [&](const char *table, const QStringList &columns, const QStringList &values) {
            store::insertCodeRow(db, *store::findCodeTable(table), columns, values);
        };
        insert("Sale_Table", {"Sale_Code", "Sale_Name"}, {"S" + n, nameWith(i)});
        insert("Bank_Table", {"Bank_Code", "Bank_Name"}, {"B" + n, nameWith(i)});
        for (const char *prefix : {"Sawon", "Buser", "Project", "Item"})
            insert((QString(prefix) + "_Table").toLatin1(), {QString(prefix) + "_Code", QString(prefix) + "_Name"},
                   {"C" + n, nameWith(i)});
        // An account of a manufacturing-cost group, which both account
        // searches offer by name.
        const QString code = "404010990" + n;
        insert("test_ac_code", {"ac_code", "ac_name", "bigo", "code_kubun", "a_kubun", "b_kubun", "c_kubun"},
               {code, nameWith(i), nameWith(i), "SSSSS", code.mid(0, 1), code.mid(1, 2), code.mid(3, 2)});
    }
}

// The codes whose names hold `fragment`, made with `prefix`.
std::set<QString> holding(const QString &fragment, const QString &prefix)
{
    std::set<QString> codes;
    for (int i = 0; i < fragments.size(); ++i)
        if (nameWith(i).contains(fragment))
            codes.insert(prefix + QString::number(i).rightJustified(2, '0'));
    return codes;
}

std::set<QString> found(LookupStatement statement, const QString &text)
{
    std::set<QString> codes;
    for (const QStringList &row : store::lookup(statement, store::searchPattern(text)).rows)
        codes.insert(row.value(0).trimmed());
    return codes;
}

} // namespace

Q_DECLARE_METATYPE(LookupStatement)

class TestSearchText : public StoreTestCase
{
    Q_OBJECT

private slots:
    void everySearchTakesTheTextLiterally_data()
    {
        QTest::addColumn<LookupStatement>("statement");
        QTest::addColumn<QString>("prefixes"); // the code prefixes of the rows it can find
        QTest::newRow("debit accounts") << LookupStatement::DebitAccounts << "404010990";
        QTest::newRow("credit accounts") << LookupStatement::CreditAccounts << "404010990";
        QTest::newRow("customers and banks") << LookupStatement::CustomersAndBanks << "B S";
        QTest::newRow("employees") << LookupStatement::Employees << "C";
        QTest::newRow("departments") << LookupStatement::Departments << "C";
        QTest::newRow("projects") << LookupStatement::Projects << "C";
        QTest::newRow("items") << LookupStatement::Items << "C";
    }
    void everySearchTakesTheTextLiterally()
    {
        QFETCH(LookupStatement, statement);
        QFETCH(QString, prefixes);
        storeNames();
        const int linesBefore = int(database().allLines().size());
        for (const QString &fragment : fragments) {
            std::set<QString> expected;
            for (const QString &prefix : prefixes.split(' '))
                expected.merge(holding(fragment, prefix));
            const std::set<QString> codes = found(statement, fragment);
            if (statement == LookupStatement::DebitAccounts) {
                // The debit search lists its own accounts by name: never more.
                QVERIFY2(std::includes(expected.begin(), expected.end(), codes.begin(), codes.end()),
                         qPrintable(fragment));
            } else {
                QVERIFY2(codes == expected, qPrintable(fragment));
            }
        }
        // Nothing was changed or lost.
        QCOMPARE(found(statement, "").size(), found(statement, "가").size());
        QCOMPARE(int(database().allLines().size()), linesBefore);
        QCOMPARE(database().column("SELECT COUNT(*) FROM Item_Table"), QStringList{QString::number(fragments.size())});
    }
};

QTEST_GUILESS_MAIN(TestSearchText)
#include "test_searchtext.moc"
