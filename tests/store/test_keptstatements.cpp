// Statements kept prepared on the Account connection: run again with new
// values, never under a caller still reading them, let go when a caller stops
// reading early, dropped with the connection, and still usable after they
// failed inside a transaction.
#include "base/error.h"
#include "store/connection.h"
#include "store/sqlrun.h"
#include "store/vouchers.h"
#include "support/testdb.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {

const QString day = QStringLiteral("2001-05-30");

const QStringList branchesFrom = {QStringLiteral("SELECT Kubun_Code FROM Kubun_Table"),
                                  QStringLiteral("WHERE Kubun_Code >= :tbFrom ORDER BY Kubun_Code")};

QStringList rest(QSqlQuery &query)
{
    QStringList values;
    while (query.next())
        values << query.value(0).toString().trimmed();
    return values;
}

// A connection of its own to the same database: another clerk.
class OtherClerk
{
public:
    explicit OtherClerk(const TestDatabase &database)
    {
        m_db = store::openExtra(QStringLiteral("other clerk"), store::parseTarget(database.setting()));
    }
    ~OtherClerk()
    {
        m_db = QSqlDatabase();
        QSqlDatabase::database(QStringLiteral("other clerk"), false).close();
        QSqlDatabase::removeDatabase(QStringLiteral("other clerk"));
    }
    QSqlDatabase db() const { return m_db; }

private:
    QSqlDatabase m_db;
};

bool sessionGone(QSqlDatabase db, const QString &backend)
{
    QSqlQuery query(db);
    return query.exec(QString("SELECT count(*) FROM pg_stat_activity WHERE pid = %1").arg(backend)) && query.next() &&
           query.value(0).toInt() == 0;
}

} // namespace

class TestKeptStatements : public StoreTestCase
{
    Q_OBJECT

    void addBranches()
    {
        for (const char *code : {"00000", "00001", "00002", "00003"})
            database().addBranch(code, QStringLiteral("지점 %1").arg(code), "서울");
    }

private slots:
    // The same text run again while the rows of its first run are being read:
    // the first reader goes on where it was.
    void aSecondRunOfATextLeavesTheFirstReaderItsRows()
    {
        addBranches();
        QSqlDatabase db = store::account();
        QSqlQuery outer = store::run(db, branchesFrom, {{":tbFrom", "00000"}});
        QVERIFY(outer.next());
        QCOMPARE(outer.value(0).toString().trimmed(), QString("00000"));
        QSqlQuery inner = store::run(db, branchesFrom, {{":tbFrom", "00002"}});
        QCOMPARE(rest(inner), QStringList({"00002", "00003"}));
        // PostgreSQL's driver ends a reading when another statement runs on
        // the connection (whatever its text); never with the second's rows.
        QCOMPARE(rest(outer), onPostgres() ? QStringList() : QStringList({"00001", "00002", "00003"}));
        // And again, once both are done.
        QSqlQuery again = store::run(db, branchesFrom, {{":tbFrom", "00001"}});
        QCOMPARE(rest(again), QStringList({"00001", "00002", "00003"}));
    }

    // A reader that stops after the first row holds nothing open: another
    // clerk's save is seen, and this clerk's save goes through after it.
    void aReaderThatStopsEarlyKeepsNoOldStateOfTheStore()
    {
        addBranches();
        {
            QSqlQuery first = store::run(store::account(), branchesFrom, {{":tbFrom", "00000"}});
            QVERIFY(first.next());
        }
        {
            OtherClerk other(database());
            QVERIFY(other.db().isOpen());
            QSqlQuery write(other.db());
            QVERIFY2(write.exec("INSERT INTO Kubun_Table (Kubun_Code, Kubun_Name, Kubun_JangSo) "
                                "VALUES ('00004', '지점 00004', '부산')"),
                     qPrintable(write.lastError().text()));
        }
        QSqlQuery seen = store::run(store::account(), branchesFrom, {{":tbFrom", "00003"}});
        QCOMPARE(rest(seen), QStringList({"00003", "00004"}));
        QCOMPARE(store::saveNewVoucher(sampleVoucher(day, 0, {"01"})).serialJen, day + "-00000001");
    }

    // A correction refused inside its transaction leaves its statement
    // prepared and usable: the next correction through it is written.
    void aStatementRefusedInATransactionRunsAgainAfterIt()
    {
        const QString number = store::saveNewVoucher(sampleVoucher(day, 0, {"01"})).serialJen;
        database().refuseMarkedLines();
        store::EntryLines refused = sampleEntry("01", 7000, "거부");
        refused.debit.acText = TestDatabase::refusedText();
        QVERIFY_THROWS_EXCEPTION(AppError, store::updateEntry(day, number, refused));
        QVERIFY_THROWS_EXCEPTION(AppError, store::updateEntry(day, number, refused));
        QVERIFY(store::updateEntry(day, number, sampleEntry("01", 8000, "고침")));
        const std::vector<store::StoredLine> lines = database().allLines();
        QCOMPARE(int(lines.size()), 2);
        QCOMPARE(lines[0].Cr_Amt, 8000.0);
        QCOMPARE(lines[1].Dr_Amt, 8000.0);
    }

    // The connection lost and opened again: the statements prepared on the
    // old one are not run on the new one. On PostgreSQL the server ends the
    // session under the program (as a restart does), and nothing is told the
    // clerk; on SQLite the program closes the connection as after a fault.
    void statementsOfALostConnectionAreNotRunAgain()
    {
        addBranches();
        store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"}));
        QCOMPARE(store::listVouchers(day, "00000").size(), size_t(2));
        if (onPostgres()) {
            const QString backend = database().column("SELECT pg_backend_pid()").value(0);
            OtherClerk other(database());
            QSqlQuery end(other.db());
            QVERIFY(end.exec(QString("SELECT pg_terminate_backend(%1)").arg(backend)));
            QTRY_VERIFY(sessionGone(other.db(), backend));
        } else {
            store::closeLostConnection(store::account());
        }
        QCOMPARE(store::listVouchers(day, "00000").size(), size_t(2));
        QCOMPARE(int(store::loadVoucherLines(day + "00000", day + "-00000001").size()), 4);
        QCOMPARE(store::saveNewVoucher(sampleVoucher(day, 0, {"01"})).serialJen, day + "-00000002");
    }
};

QTEST_MAIN(TestKeptStatements)
#include "test_keptstatements.moc"
