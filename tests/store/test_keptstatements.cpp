// Statements kept prepared on the Account connection: run again with new
// values, never under a caller still reading them, let go when a caller stops
// reading early, dropped with the connection, and still usable after they
// failed inside a transaction. Reads through the engine's library give what
// the driver gives.
#include "base/error.h"
#include "store/connection.h"
#include "store/dialect.h"
#include "store/sqlrun.h"
#include "store/vouchers.h"
#include "support/testdb.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
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

// The files this process holds open.
QStringList openFiles()
{
    QStringList files;
    for (const QFileInfo &link : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::AllEntries | QDir::System))
        files << link.symLinkTarget();
    return files;
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

    // Every value of every line as the driver reads it: texts in Hangul,
    // empty and repeated from line to line or not, amounts to their last
    // digit, a missing End_Day as no text.
    void aReadGivesTheValuesTheDriverGives()
    {
        store::NewVoucher voucher = sampleVoucher(day, 0, {"01", "02", "03"});
        voucher.entries[1].debit.acText.clear();
        voucher.entries[2].credit.acName = QStringLiteral("외상매입금 (본사)");
        store::saveNewVoucher(voucher);
        store::exec(store::account(), "UPDATE Account_Jen_AA SET Cr_Amt = 0.30000000000000004 WHERE Serial_Bun = '01'");
        store::exec(store::account(),
                    "UPDATE Account_Jen_AA SET Dr_Amt = 123456789012.75, End_Day = NULL WHERE Serial_Bun = '02'");
        const QStringList statement{QStringLiteral("SELECT * FROM Account_Jen_AA WHERE Date_Day = :tbDay"),
                                    QStringLiteral("ORDER BY Serial_Bun, Serial_CrDr")};
        for (int round = 0; round < 2; ++round) { // prepared, then kept
            const store::Rows rows = store::read(store::account(), statement, {{":tbDay", day}});
            QSqlQuery query = store::run(store::account(), statement, {{":tbDay", day}});
            const QSqlRecord record = query.record();
            size_t row = 0;
            for (; query.next(); ++row) {
                QVERIFY(row < rows.size());
                for (int column = 0; column < record.count(); ++column) {
                    const QByteArray name = record.fieldName(column).toUtf8();
                    const int at = rows.column(name.constData());
                    const QVariant value = query.value(column);
                    if (value.typeId() == QMetaType::Double) {
                        // To the last digit, as a number and as text.
                        QCOMPARE(rows.number(row, at), value.toDouble());
                        QCOMPARE(rows.text(row, at),
                                 QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest));
                    } else if (value.typeId() == QMetaType::QDateTime) // the server's text of it
                        QCOMPARE(store::endDayFrom(rows.text(row, at)), value.toDateTime());
                    else if (value.isNull())
                        QVERIFY2(rows.text(row, at).isNull(), name.constData());
                    else
                        QCOMPARE(rows.text(row, at), value.toString());
                }
            }
            QCOMPARE(rows.size(), row);
            QCOMPARE(row, size_t(6));
            // Taken out instead, each value is the same.
            store::Rows taken = rows;
            for (size_t r = 0; r < rows.size(); ++r)
                for (int column = 0; column < record.count(); ++column)
                    QCOMPARE(taken.take(r, column), rows.text(r, column));
            QVERIFY(taken.take(0, record.count()).isNull());
        }
        // Through the engine's own library, which the program finds when it
        // runs rather than links: not the driver's path taken in its place.
        QSqlDatabase db = store::account();
        store::Rows direct;
        QSqlError error;
        QCOMPARE(store::Dialect::of(db).readRows(db, {statement, {{":tbDay", day}}}, direct, error),
                 store::AtOnce::Done);
        QCOMPARE(direct.size(), size_t(6));
    }

    // A read right after the driver's own statement (its answer read to the
    // end, or not): the rows of the read, whole.
    void aReadAfterTheDriversStatementGetsItsOwnRows()
    {
        addBranches();
        for (const bool toTheEnd : {true, false}) {
            QSqlQuery before = store::run(store::account(), branchesFrom, {{":tbFrom", "00001"}});
            QVERIFY(before.next());
            if (toTheEnd)
                QCOMPARE(rest(before), QStringList({"00002", "00003"}));
            const store::Rows rows = store::read(store::account(), branchesFrom, {{":tbFrom", "00000"}});
            QCOMPARE(int(rows.size()), 4);
            QCOMPARE(rows.text(3, 0).trimmed(), QString("00003"));
        }
        QSqlQuery after = store::run(store::account(), branchesFrom, {{":tbFrom", "00002"}});
        QCOMPARE(rest(after), QStringList({"00002", "00003"}));
    }

    // Closing the store lets go of the file, reads kept prepared and all.
    void closingLetsGoOfTheFile()
    {
        if (onPostgres())
            QSKIP("a file only");
        store::saveNewVoucher(sampleVoucher(day, 0, {"01"}));
        QCOMPARE(int(store::loadVoucherLines(day + "00000", day + "-00000001").size()), 2);
        const QString file = QFileInfo(store::parseTarget(database().setting()).file).canonicalFilePath();
        QVERIFY(openFiles().contains(file));
        store::closeAccount();
        QVERIFY(!openFiles().contains(file));
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
