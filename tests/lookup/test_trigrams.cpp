// The trigram indexes of the searched names: a new store has them, a literal
// text with three letters or digits in a row is looked up in them and any
// other text is not, names written by another program are found as soon as
// they are written, what the index finds the like still decides, and an older
// store searches every name until the database tool adds them; a server login
// that may not add them, or a database whose character type makes no trigrams
// of Hangul, searches as before. On SQLite and PostgreSQL.
#include "sample.h"

#include "store/dialect.h"
#include "store/lookups.h"
#include "store/namesearch.h"
#include "store/schema.h"
#include "support/testdb.h"

#include <QTest>

using store::LookupStatement;

namespace {

// A connection of its own to the same database: another program.
class OtherProgram
{
public:
    explicit OtherProgram(const store::Target &target)
    {
        m_db = store::openExtra(QStringLiteral("other program"), target);
    }
    ~OtherProgram()
    {
        m_db = QSqlDatabase();
        QSqlDatabase::database(QStringLiteral("other program"), false).close();
        QSqlDatabase::removeDatabase(QStringLiteral("other program"));
    }
    void exec(const QString &sql) { store::exec(m_db, sql); }
    QSqlDatabase db() const { return m_db; }

private:
    QSqlDatabase m_db;
};

QStringList codesFound(LookupStatement statement, const QString &text)
{
    QStringList codes;
    for (const QStringList &row : store::lookupText(statement, text).rows)
        codes << row.value(0);
    return codes;
}

void customers(const QStringList &codesAndNames)
{
    for (int i = 0; i + 1 < codesAndNames.size(); i += 2)
        sample::insert(QStringLiteral("Sale_Table"), {"Sale_Code", "Sale_Name"},
                       {codesAndNames[i], codesAndNames[i + 1]});
}

} // namespace

class TestTrigrams : public StoreTestCase
{
    Q_OBJECT

private slots:
    void aTextGoesThroughTheIndexOnlyWithThreeLettersInARow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("byTrigrams");
        QTest::newRow("three syllables do") << "원재료" << true;
        QTest::newRow("three syllables with a blank between do, the blank dropped") << "원재 료" << true;
        QTest::newRow("letters and digits do") << "A4용" << true;
        QTest::newRow("two syllables do not") << "원재" << false;
        QTest::newRow("three characters with a bracket between do not") << "원(재" << false;
        QTest::newRow("initials do not") << "ㅇㅈㄹ" << false;
        QTest::newRow("a percent sign does not") << "원재료%" << false;
        QTest::newRow("an underscore does not") << "원_재료" << false;
        QTest::newRow("the escape character does not") << "원재료!" << false;
    }
    void aTextGoesThroughTheIndexOnlyWithThreeLettersInARow()
    {
        QFETCH(QString, text);
        QTEST(store::NameSearch(store::account(), text).byTrigrams(), "byTrigrams");
    }

    void namesWrittenByAnotherProgramAreFound()
    {
        customers({"C01", "한일상사", "C02", "대한일상회", "C03", "삼일상사", "C04", "주식회사 한일상"});
        QCOMPARE(codesFound(LookupStatement::CustomersAndBanks, "한일상"), QStringList({"C01", "C02", "C04"}));
        {
            OtherProgram other(store::parseTarget(database().setting()));
            other.exec(QStringLiteral("INSERT INTO Sale_Table (Sale_Code, Sale_Name) VALUES ('C05', '새한일상')"));
            other.exec(QStringLiteral("UPDATE Sale_Table SET Sale_Name = '한일상점' WHERE Sale_Code = 'C03'"));
            other.exec(QStringLiteral("UPDATE Sale_Table SET Sale_Name = '대한상회' WHERE Sale_Code = 'C02'"));
            other.exec(QStringLiteral("UPDATE Sale_Table SET Sale_Code = 'C00' WHERE Sale_Code = 'C01'"));
            other.exec(QStringLiteral("DELETE FROM Sale_Table WHERE Sale_Code = 'C04'"));
            other.exec(QStringLiteral("INSERT INTO Bank_Table (Bank_Code, Bank_Name) VALUES ('B01', '한일상호은행')"));
        }
        QVERIFY(store::NameSearch(store::account(), QStringLiteral("한일상")).byTrigrams());
        QCOMPARE(codesFound(LookupStatement::CustomersAndBanks, "한일상"), QStringList({"B01", "C00", "C03", "C05"}));
        QCOMPARE(codesFound(LookupStatement::CustomersAndBanks, "대한상회"), QStringList({"C02"}));
        if (!onPostgres()) // the index agrees with the names it was made from
            for (const char *index : {"Sale_Table_Trigram", "Bank_Table_Trigram"})
                store::exec(store::account(),
                            QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('integrity-check', 1)").arg(index));
    }

    // The file's index folds the case of every letter, like only that of
    // ASCII letters, and the server's like folds none: the like decides.
    void aNameTheIndexFindsInAnotherCaseIsListedOnlyWhereLikeFindsIt()
    {
        customers({"C01", "ÄBC상사", "C02", "äbc상회", "C03", "ÄbC상점"});
        QCOMPARE(codesFound(LookupStatement::CustomersAndBanks, "äbc"), QStringList({"C02"}));
        // The file's like takes "b" for "B"; the server's does not.
        QCOMPARE(codesFound(LookupStatement::CustomersAndBanks, "ÄBC"),
                 onPostgres() ? QStringList({"C01"}) : QStringList({"C01", "C03"}));
    }

    void anOlderStoreSearchesEveryNameUntilTheIndexesAreAdded()
    {
        customers({"C01", "한일상사", "C02", "삼일상사"});
        QSqlDatabase db = store::account();
        for (const store::SearchedName &name : store::searchedNames())
            if (onPostgres()) {
                store::exec(db, QStringLiteral("DROP INDEX %1").arg(name.trigrams));
            } else {
                for (const char *trigger : {"_Insert", "_Delete", "_Update"})
                    store::exec(db, QStringLiteral("DROP TRIGGER %1%2").arg(name.trigrams, QLatin1String(trigger)));
                store::exec(db, QStringLiteral("DROP TABLE %1").arg(name.trigrams));
            }
        store::Dialect::of(db).forgetTrigrams(db);
        customers({"C03", "한일상회"}); // written while there is no index
        QVERIFY(!store::NameSearch(db, QStringLiteral("한일상")).byTrigrams());
        QCOMPARE(codesFound(LookupStatement::CustomersAndBanks, "한일상"), QStringList({"C01", "C03"}));

        QVERIFY(store::addTrigramSearch(db));
        QVERIFY(!store::addTrigramSearch(db)); // once
        QVERIFY(store::NameSearch(db, QStringLiteral("한일상")).byTrigrams());
        QCOMPARE(codesFound(LookupStatement::CustomersAndBanks, "한일상"), QStringList({"C01", "C03"}));
        customers({"C04", "한일상"});
        QCOMPARE(codesFound(LookupStatement::CustomersAndBanks, "한일상"), QStringList({"C01", "C03", "C04"}));
    }

    void aLoginThatMayNotAddTheExtensionSearchesAsBefore()
    {
        if (!onPostgres())
            QSKIP("a file's engine has the trigram tables built in");
        customers({"C01", "한일상사", "C02", "삼일상사"});
        QSqlDatabase db = store::account();
        store::exec(db, QStringLiteral("DROP EXTENSION pg_trgm CASCADE"));
        store::exec(db, QStringLiteral("DROP ROLE IF EXISTS trigram_clerk"));
        store::exec(db, QStringLiteral("CREATE ROLE trigram_clerk LOGIN"));
        store::Target target = store::parseTarget(database().setting());
        target.user = QStringLiteral("trigram_clerk");
        {
            OtherProgram clerk(target);
            QVERIFY(!store::addTrigramSearch(clerk.db()));
            QVERIFY(clerk.db().isOpen());
        }
        store::exec(db, QStringLiteral("DROP ROLE trigram_clerk"));
        QCOMPARE(database().column("select count(*) from pg_indexes where indexname like '%trigram'"),
                 QStringList{"0"});
        QVERIFY(!store::NameSearch(db, QStringLiteral("한일상")).byTrigrams());
        QCOMPARE(codesFound(LookupStatement::CustomersAndBanks, "한일상"), QStringList({"C01"}));
    }

    // Such a database would hold no trigram of a Hangul name, and a search of
    // three syllables would read the whole index.
    void aDatabaseWhoseCharacterTypeMakesNoHangulTrigramsGetsNoIndex()
    {
        if (!onPostgres())
            QSKIP("a file's engine makes trigrams of any character");
        QSqlDatabase db = store::account();
        store::exec(db, QStringLiteral("DROP DATABASE IF EXISTS trigram_c"));
        store::exec(db, QStringLiteral("CREATE DATABASE trigram_c TEMPLATE template0 LC_CTYPE 'C' LC_COLLATE 'C'"));
        store::Target target = store::parseTarget(database().setting());
        target.database = QStringLiteral("trigram_c");
        {
            OtherProgram other(target);
            store::createSchema(other.db());
            QCOMPARE(store::runValue(other.db(), {"select count(*) from pg_indexes where indexname like '%trigram'"})
                         .toInt(),
                     0);
            QVERIFY(!store::Dialect::of(other.db()).hasTrigrams(other.db(), store::trigramIndexes()));
        }
        store::exec(db, QStringLiteral("DROP DATABASE trigram_c"));
    }
};

QTEST_GUILESS_MAIN(TestTrigrams)
#include "test_trigrams.moc"
